#pragma once
#include <cstddef>
#include <vector>

#include "engine/BlockHeap.h"

// The engine heap's block scheme laid over a caller's block of memory (the
// task stacks' pool). It keeps no counters and never commits or decommits:
// the caller's memory is all there from the start. Game thread only.
class SubHeap : private BlockHeap {
public:
    // Makes `block` (n bytes, 16-byte aligned) an empty sub-heap whose
    // control block takes its first 48 bytes, and returns it. A size that is
    // not a multiple of 16 loses its last few bytes to alignment.
    static SubHeap* Init(void* block, size_t n);

    // At least n bytes, 16-byte aligned, or null when the block is full.
    void* Alloc(size_t n);
    // Alloc, then the n bytes zeroed.
    void* AllocZeroed(size_t n);
    // Returns *pp's block and sets *pp to null; a null *pp is ignored.
    void Free(void** pp);
    // Leaves the memory to its owner. The heap is untouched; under
    // AddressSanitizer the marks it left on the block are cleared.
    void Release();
    // The allocation used by `new (subHeap) T`.
    void* AllocFor(size_t n);

    using BlockHeap::Contains;
    using BlockHeap::FreeBlocks;
    using BlockHeap::Top;
    using BlockHeap::UsableSize;
};

// `new (subHeap) T(...)`: null when the sub-heap is full, and then no
// constructor runs.
inline void* operator new(size_t n, SubHeap& heap) noexcept { return heap.AllocFor(n); }
// Only reached when a constructor in such a new-expression throws.
inline void operator delete(void* block, SubHeap& heap) noexcept { heap.Free(&block); }
