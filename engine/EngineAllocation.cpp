#include "engine/EngineAllocation.h"

#include <cstdlib>
#include <cstring>

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

char* EngineCopyText(const char* text, size_t limit) noexcept {
    const size_t length = text != nullptr ? strnlen(text, limit) : 0;
    auto* const copy = static_cast<char*>(EngineAllocate(length + 1));
    if (copy == nullptr) return nullptr;
    if (length > 0) std::memcpy(copy, text, length);
    copy[length] = 0;
    return copy;
}
