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
// list would, but finds it in logarithmic time: free blocks of 32 bytes or
// more are the nodes of a search tree by address (a treap whose priorities
// are a hash of the address) in which every node also records the largest
// size in its subtree. The node lives in the block itself: left child, size,
// right child, largest size. Header-only free blocks, which only requests of
// 0 bytes leave, cannot hold a node and wait on a short list of their own.
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
    // Hands the whole range back to its owner's use: under AddressSanitizer
    // it unpoisons [lowest, end of range); otherwise it does nothing.
    void Retire(const void* lowest) const;

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
    uintptr_t Base() const { return reinterpret_cast<uintptr_t>(this); }
    uintptr_t End() const { return Base() + RegionBytes(); }
    void* HandOut(uintptr_t block, uint64_t size, size_t n, const Rules& rules);
    bool TakeFromTop(uint64_t need, const Rules& rules);
    void ReturnToTop(uintptr_t block, uint64_t size, const Rules& rules);
    // The free block of the highest address holding at least `need` bytes.
    uintptr_t HighestFit(uint64_t need) const;
    // The free block ending at `address`, or starting there; 0 when none.
    uintptr_t FreeBlockEndingAt(uintptr_t address) const;
    uintptr_t FreeBlockStartingAt(uintptr_t address) const;
    // The size of a free block, without the tree's priority bits.
    uint64_t FreeSize(uintptr_t block) const;
    void AddFree(uintptr_t block, uint64_t size);
    void RemoveFree(uintptr_t block, uint64_t size);

    uint64_t usableSize_;  // region size - (kControlBytes + 1)
    uint32_t allocations_;  // wrap round, as counters of a long session may
    uint32_t frees_;
    uint64_t bytesInUse_;  // sum of the recorded sizes handed out
    uintptr_t root_;       // root of the tree of free blocks, 0 when none
    uintptr_t tinyHead_;   // highest free header-only block, linked downward
    uintptr_t top_;        // lowest address in use
};

static_assert(sizeof(BlockHeap) == BlockHeap::kControlBytes);
