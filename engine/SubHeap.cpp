#include "engine/SubHeap.h"

#include <cassert>
#include <cstdint>
#include <cstring>
#include <new>

namespace {

// No counters, no paging, and the top must stay strictly above the control
// block.
constexpr BlockHeap::Rules kSubHeapRules{
    /*keepCounters=*/false, /*commitPages=*/false, /*floorOffset=*/BlockHeap::kControlBytes + 1};

}  // namespace

SubHeap* SubHeap::Init(void* block, size_t n) {
    assert(reinterpret_cast<uintptr_t>(block) % kHeaderBytes == 0);
    SubHeap* const heap = ::new (block) SubHeap;
    heap->Format(n);
    return heap;
}

void* SubHeap::Alloc(size_t n) { return BlockHeap::Alloc(n, kSubHeapRules); }

void* SubHeap::AllocZeroed(size_t n) {
    void* const block = Alloc(n);
    if (block != nullptr) {
        std::memset(block, 0, n);
    }
    return block;
}

void SubHeap::Free(void** pp) { BlockHeap::Free(pp, kSubHeapRules); }

void SubHeap::Release() { Retire(this); }

void* SubHeap::AllocFor(size_t n) { return Alloc(n); }
