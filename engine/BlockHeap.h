#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// One free block as the diagnostics see it: header address and size in bytes
// including the 16-byte header.
struct FreeBlock {
    const void* address;
    size_t size;
};

// The block scheme shared by the engine heap and the sub-heaps. An object of
// this class is the control block at the start of the managed range itself
// (six 64-bit words, 48 bytes); it is laid over memory with Format, never
// constructed elsewhere.
//
// Blocks are a 16-byte header (0 while in use; size in bytes including the
// header, a multiple of 16) followed by the caller's bytes. Below the top
// lies unallocated space; from the top upward every block is handed out or
// free, and no two free blocks are adjacent. An allocation takes the free
// block of the highest address that fits, as a walk down an address-ordered
// list would, but without visiting the others: an index beside the range
// marks, for every 16-byte unit, whether a free block starts or ends there,
// and keeps for every 4 KB the largest free block starting in it, with
// a tree of bounds above those. A freed block finds both neighbours from
// those marks: the one above by its start, the one below by its end and the
// nearest start beneath it.
class BlockHeap {
public:
    // What differs between the engine heap and a sub-heap.
    struct Rules {
        bool keepCounters;   // allocation and free counts, bytes in use
        bool commitPages;    // back the range through platform::VirtualMemory
        size_t floorOffset;  // lowest offset from the base the top may move to
    };

    static constexpr size_t kControlBytes = 48;
    static constexpr size_t kHeaderBytes = 16;
    // Pages are committed and decommitted in units of this many bytes,
    // aligned to absolute addresses, to keep system calls rare.
    static constexpr uintptr_t kCommitUnit = 0x4000;
    // The largest request a block can be recorded for without wrapping.
    static constexpr size_t kLargestRequest = SIZE_MAX - 31;

    // Writes an empty control block for a range of `regionBytes` starting at
    // this object (at least kControlBytes + 1). The range must be 16-byte
    // aligned; its top is rounded down to 16 so that blocks stay aligned.
    void Format(size_t regionBytes);
    // Hands the whole range back to its owner's use and lets the index go:
    // under AddressSanitizer it also unpoisons [lowest, end of range).
    void Retire(const void* lowest);

    // At least n bytes, 16-byte aligned, or null when the range is exhausted
    // or the request could never fit.
    void* Alloc(size_t n, const Rules& rules);
    // Returns *pp's block and sets *pp to null; a null *pp is ignored.
    void Free(void** pp, const Rules& rules);

    uint64_t UsableSize() const { return usableSize_; }
    uint64_t AllocationCount() const { return allocations_; }
    uint64_t FreeCount() const { return frees_; }
    uint64_t BytesInUse() const { return bytesInUse_; }
    const void* Top() const { return reinterpret_cast<const void*>(top_); }
    size_t RegionBytes() const { return static_cast<size_t>(usableSize_) + kControlBytes + 1; }
    bool Contains(const void* address) const;
    // The free blocks from the highest address down.
    std::vector<FreeBlock> FreeBlocks() const;

private:
    struct FreeIndex;

    uintptr_t Base() const { return reinterpret_cast<uintptr_t>(this); }
    uintptr_t End() const { return Base() + RegionBytes(); }
    void* HandOut(uintptr_t block, uint64_t size, size_t n, const Rules& rules);
    bool TakeFromTop(uint64_t need, const Rules& rules);
    void ReturnToTop(uintptr_t block, uint64_t size, const Rules& rules);

    uint64_t usableSize_;  // region size - (kControlBytes + 1)
    uint32_t allocations_;  // wrap round, as counters of a long session may
    uint32_t frees_;
    uint64_t bytesInUse_;  // sum of the recorded sizes handed out
    FreeIndex* index_;         // beside the range; null until the top first moves
    uint64_t freeBlocks_;      // how many free blocks the index holds
    uintptr_t top_;            // lowest address in use
};

static_assert(sizeof(BlockHeap) == BlockHeap::kControlBytes);
