#pragma once
#include <cstddef>
#include <cstdint>

#include "engine/EngineAllocation.h"

// A scratch block from the engine's allocation functions, freed on every way
// out of the scope that made it. Get() is null when the allocation failed;
// callers test it before use, as with EngineAllocate itself.
class ScopedEngineBlock {
public:
    explicit ScopedEngineBlock(size_t bytes) : block_(static_cast<uint8_t*>(EngineAllocate(bytes))) {}
    ~ScopedEngineBlock() { EngineRelease(block_); }

    ScopedEngineBlock(const ScopedEngineBlock&) = delete;
    ScopedEngineBlock& operator=(const ScopedEngineBlock&) = delete;

    uint8_t* Get() const { return block_; }

    // Frees the block before the scope ends; Get() is null from then on.
    void Release() {
        EngineRelease(block_);
        block_ = nullptr;
    }

private:
    uint8_t* block_;
};
