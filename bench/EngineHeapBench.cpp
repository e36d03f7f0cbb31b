// The engine heap against the C runtime heap on the same mixed workload:
// a working set of live blocks of 16..4096 bytes in which a fixed
// pseudo-random sequence frees one block and allocates another, over and over.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <random>
#include <vector>

#include "engine/EngineHeap.h"

namespace {

constexpr size_t kOperations = 8192;  // replacements per timed iteration

struct Workload {
    std::vector<uint32_t> initialSizes;  // one per live slot
    std::vector<uint32_t> slots;         // which live block each step replaces
    std::vector<uint32_t> sizes;         // and the size of its replacement
};

Workload MakeWorkload(size_t liveBlocks) {
    std::mt19937 random(0x5EED1234u);
    std::uniform_int_distribution<uint32_t> size(16, 4096);
    std::uniform_int_distribution<uint32_t> slot(0, static_cast<uint32_t>(liveBlocks - 1));
    Workload workload;
    for (size_t i = 0; i < liveBlocks; ++i) {
        workload.initialSizes.push_back(size(random));
    }
    for (size_t i = 0; i < kOperations; ++i) {
        workload.slots.push_back(slot(random));
        workload.sizes.push_back(size(random));
    }
    return workload;
}

struct EngineHeapAllocator {
    EngineHeapAllocator() { EngineHeap::Reserve(1024u * 1024 * 1024, EngineHeap::kModeExact); }
    ~EngineHeapAllocator() { EngineHeap::Release(); }
    bool Ready() const { return EngineHeap::IsReserved(); }
    void* Alloc(size_t n) { return EngineHeap::Alloc(n); }
    void Free(void* block) { EngineHeap::Free(&block); }
};

struct RuntimeHeapAllocator {
    bool Ready() const { return true; }
    void* Alloc(size_t n) { return std::malloc(n); }
    void Free(void* block) { std::free(block); }
};

template <typename Allocator>
void MixedWorkload(benchmark::State& state) {
    const Workload workload = MakeWorkload(static_cast<size_t>(state.range(0)));
    Allocator allocator;
    if (!allocator.Ready()) {
        state.SkipWithError("no engine heap could be reserved");
        return;
    }
    std::vector<void*> live;
    for (const uint32_t size : workload.initialSizes) {
        live.push_back(allocator.Alloc(size));
    }
    for (auto _ : state) {
        for (size_t i = 0; i < kOperations; ++i) {
            void*& block = live[workload.slots[i]];
            allocator.Free(block);
            block = allocator.Alloc(workload.sizes[i]);
            benchmark::DoNotOptimize(block);
        }
    }
    for (void* block : live) {
        allocator.Free(block);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kOperations));
    state.SetLabel("free + alloc per item");
}

BENCHMARK_TEMPLATE(MixedWorkload, EngineHeapAllocator)->Arg(100)->Arg(1000)->Arg(10000)->Arg(100000);
BENCHMARK_TEMPLATE(MixedWorkload, RuntimeHeapAllocator)->Arg(100)->Arg(1000)->Arg(10000)->Arg(100000);

}  // namespace
