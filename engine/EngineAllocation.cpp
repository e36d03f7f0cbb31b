#include "engine/EngineAllocation.h"

#include <cstdlib>

#include "engine/EngineHeap.h"

void* EngineAllocate(size_t bytes) noexcept {
    if (EngineHeap::IsReserved()) {
        return EngineHeap::Alloc(bytes);
    }
    // Every request, even for nothing, gets a block of its own.
    return std::malloc(bytes != 0 ? bytes : 1);
}

void EngineRelease(void* block) noexcept {
    if (block == nullptr) {
        return;
    }
    // The address decides: a block outlives a heap's coming or going.
    if (EngineHeap::Contains(block)) {
        EngineHeap::Free(&block);
    } else {
        std::free(block);
    }
}
