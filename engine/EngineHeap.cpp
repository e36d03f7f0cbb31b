#include "engine/EngineHeap.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "platform/VirtualMemory.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace {

// The heap's control block sits at the base of the reserved range; null
// while no heap is reserved.
BlockHeap* g_heap = nullptr;
// The lowest the top has ever been, so Release can clear the sanitizer's
// marks on exactly the part of a possibly huge range that was used.
uintptr_t g_lowestTop = 0;

constexpr BlockHeap::Rules kEngineRules{
    /*keepCounters=*/true, /*commitPages=*/true, /*floorOffset=*/BlockHeap::kControlBytes};

uintptr_t RoundDownToUnit(uintptr_t address) { return address & ~(BlockHeap::kCommitUnit - 1); }

size_t ComputeSize(size_t n, int32_t mode) {
    const platform::MemoryStatus status = platform::VirtualMemory::Current().QueryStatus();
    switch (mode) {
    case EngineHeap::kModeAllButVirtual:
        return status.availableVirtual > n ? status.availableVirtual - n : 0;
    case EngineHeap::kModePhysicalShare: {
        if (n == 0) {
            return 0;  // a share of nothing: no heap rather than a division by zero
        }
        const uint64_t available = status.availablePhysical;
        return available <= UINT64_MAX / 100 ? available * 100 / n : available / n * 100;
    }
    default:
        return n;
    }
}

}  // namespace

void EngineHeap::Reserve(size_t n, int32_t mode) {
    if (g_heap != nullptr) {
        return;
    }
    const size_t size = ComputeSize(n, mode);
    if (size < kSmallestReserve) {
        return;
    }
    platform::VirtualMemory& memory = platform::VirtualMemory::Current();
    void* const base = memory.Reserve(size);
    if (base == nullptr) {
        return;
    }
    size_t region = memory.RegionSize(base);
    if (region == 0) {
        region = size;
    }
    if (!memory.Commit(base, BlockHeap::kControlBytes + 1)) {
        memory.Release(base);
        return;
    }
    BlockHeap* const heap = static_cast<BlockHeap*>(base);
    heap->Format(region);

    // The 16 KB unit holding the top, kept inside the range.
    const uintptr_t baseAddress = reinterpret_cast<uintptr_t>(base);
    const uintptr_t unit = RoundDownToUnit(reinterpret_cast<uintptr_t>(heap->Top()));
    const uintptr_t begin = std::max(unit, baseAddress);
    const uintptr_t end = std::min(unit + BlockHeap::kCommitUnit, baseAddress + region);
    if (!memory.Commit(reinterpret_cast<void*>(begin), end - begin)) {
        memory.Release(base);
        return;
    }
#if defined(__SANITIZE_ADDRESS__)
    // Runtime-heap blocks referenced only from engine-heap objects are not leaks.
    __lsan_register_root_region(base, region);
#endif
    g_lowestTop = reinterpret_cast<uintptr_t>(heap->Top());
    g_heap = heap;
}

void EngineHeap::Release() {
    if (g_heap == nullptr) {
        return;
    }
    BlockHeap* const heap = g_heap;
    g_heap = nullptr;
    heap->Retire(reinterpret_cast<const void*>(g_lowestTop));
#if defined(__SANITIZE_ADDRESS__)
    __lsan_unregister_root_region(heap, heap->RegionBytes());
#endif
    platform::VirtualMemory::Current().Release(heap);
}

bool EngineHeap::IsReserved() { return g_heap != nullptr; }

bool EngineHeap::Contains(const void* address) {
    return g_heap != nullptr && g_heap->Contains(address);
}

void* EngineHeap::Alloc(size_t n) {
    if (g_heap == nullptr) {
        return nullptr;
    }
    void* const block = g_heap->Alloc(n, kEngineRules);
    g_lowestTop = std::min(g_lowestTop, reinterpret_cast<uintptr_t>(g_heap->Top()));
    return block;
}

void* EngineHeap::AllocZeroed(size_t n) {
    void* const block = Alloc(n);
    if (block != nullptr) {
        std::memset(block, 0, n);
    }
    return block;
}

void EngineHeap::Free(void** pp) {
    if (*pp == nullptr) {
        return;
    }
    if (!Contains(*pp)) {
        assert(!"EngineHeap::Free: block outside the engine heap");
        return;
    }
    g_heap->Free(pp, kEngineRules);
}

uint64_t EngineHeap::UsableSize() { return g_heap != nullptr ? g_heap->UsableSize() : 0; }
uint64_t EngineHeap::AllocationCount() { return g_heap != nullptr ? g_heap->AllocationCount() : 0; }
uint64_t EngineHeap::FreeCount() { return g_heap != nullptr ? g_heap->FreeCount() : 0; }
uint64_t EngineHeap::BytesInUse() { return g_heap != nullptr ? g_heap->BytesInUse() : 0; }
const void* EngineHeap::Top() { return g_heap != nullptr ? g_heap->Top() : nullptr; }
const void* EngineHeap::Base() { return g_heap; }
size_t EngineHeap::RegionSize() { return g_heap != nullptr ? g_heap->RegionBytes() : 0; }

std::vector<FreeBlock> EngineHeap::FreeBlocks() {
    return g_heap != nullptr ? g_heap->FreeBlocks() : std::vector<FreeBlock>{};
}
