#pragma once
#include <cstddef>
#include <cstdint>

// A bump allocator over a chain of blocks, for scratch data that is thrown
// away all at once (per frame, per query). The object is the header of the
// chain's first block, which its owner provides; blocks chained behind it
// come from the engine heap. Nothing is aligned or rounded: callers ask for
// exactly what they need. Game thread only.
class Arena {
public:
    static constexpr size_t kHeaderBytes = 136;

    // Makes `block` (size bytes, at least kHeaderBytes) an empty arena and
    // returns it.
    static Arena* Init(void* block, size_t size);

    // n bytes from the first block with room, or from a new block chained
    // behind the last; null (and the chain as it was) when the engine heap
    // has none to give.
    void* Alloc(size_t n);
    // Alloc, then the n bytes zeroed.
    void* AllocZeroed(size_t n);
    // Gives every chained block back to the engine heap and empties the
    // first block. The first block stays with its owner.
    void FreeAll();
    // Empties every block and keeps the chained ones for the next fill: an
    // arena emptied every frame then needs the engine heap only when a frame
    // outgrows the frames before it (blocks freed to the heap's top hand
    // their pages back to the system, and touching them again faults).
    void Reset();
    // The number of blocks chained after the first.
    int32_t ChainLength() const;
    // The allocation used by `new (arena) T`: the first block's cursor when
    // n bytes fit there, else Alloc.
    void* AllocInline(size_t n);

    const Arena* Next() const { return next_; }
    const uint8_t* Cursor() const { return cursor_; }
    const uint8_t* End() const { return end_; }
    uint64_t BlockSize() const { return blockSize_; }

private:
    void* Bump(size_t n);
    size_t Room() const { return cursor_ > end_ ? 0 : size_t(end_ - cursor_); }

    Arena* next_;         // next block of the chain
    uint8_t* cursor_;     // next free byte
    uint8_t* end_;        // block address + block size - 1
    uint64_t blockSize_;  // bytes including this header
    // Kept by the first block for the last sizes asked for: every block
    // before skipFrom_[k] has less room than skipSize_[k] bytes, so the walk
    // for a request at least that large starts there and still finds the
    // first block with room. A long chain of nearly full blocks (a crowded
    // frame's sorted primitives) is then not walked again for every primitive.
    static constexpr int32_t kSkips = 8;
    void ForgetRoom();
    void KeepSkip(size_t size, Arena* from);
    uint32_t skipSize_[kSkips];   // 0: unused
    uint32_t nextSkip_;           // the entry a new size takes
    Arena* skipFrom_[kSkips];
};

static_assert(sizeof(Arena) == Arena::kHeaderBytes);

// `new (arena) T(...)`: null when no memory can be had, and then no
// constructor runs.
inline void* operator new(size_t n, Arena& arena) noexcept { return arena.AllocInline(n); }
// Only reached when a constructor in such a new-expression throws; the
// bytes go back with the arena's next FreeAll.
inline void operator delete(void*, Arena&) noexcept {}
