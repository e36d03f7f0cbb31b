#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/BlockHeap.h"

// The process-wide engine heap: one reserved range of address space that
// fills from its top downward, committed in 16 KB units as the top moves
// down and decommitted in whole units when freed blocks reach the top again.
// Game thread only; nothing is locked.
class EngineHeap {
public:
    // Size selection for Reserve.
    static constexpr int32_t kModeAllButVirtual = 0;  // available address space minus n
    static constexpr int32_t kModeExact = 1;          // n bytes (any mode other than 0 and 2)
    static constexpr int32_t kModePhysicalShare = 2;  // available physical memory x 100 / n
    // A computed size below this reserves nothing.
    static constexpr size_t kSmallestReserve = 4096;

    // Reserves the heap unless one exists; a size that cannot be had leaves
    // the process without a heap, silently.
    static void Reserve(size_t n, int32_t mode);
    // Gives the whole range back; every block in it is gone.
    static void Release();
    static bool IsReserved();
    // Whether `address` lies inside the reserved range.
    static bool Contains(const void* address);

    // At least n bytes, 16-byte aligned; null when out of heap, when the
    // request could never fit, or while no heap is reserved.
    static void* Alloc(size_t n);
    // Alloc, then the n bytes zeroed.
    static void* AllocZeroed(size_t n);
    // Returns *pp's block and sets *pp to null. A null *pp is ignored, and
    // so is a block outside the heap (a debug build asserts).
    static void Free(void** pp);

    // Inspection for tests and diagnostics; all 0 or empty with no heap.
    static uint64_t UsableSize();
    static uint64_t AllocationCount();
    static uint64_t FreeCount();
    static uint64_t BytesInUse();
    static const void* Top();
    static const void* Base();
    static size_t RegionSize();
    static std::vector<FreeBlock> FreeBlocks();
};
