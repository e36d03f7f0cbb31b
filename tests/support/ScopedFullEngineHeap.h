#pragma once
#include <gtest/gtest.h>

#include "engine/EngineAllocation.h"
#include "engine/EngineHeap.h"

// Makes every engine allocation fail for the life of a scope: reserves the
// smallest engine heap there is and takes blocks from it until it refuses,
// then releases the heap afterwards. Blocks made before it stay in the C
// runtime heap and are freed there whether the engine heap exists or not.
class ScopedFullEngineHeap {
public:
    ScopedFullEngineHeap() {
        EXPECT_FALSE(EngineHeap::IsReserved()) << "another engine heap is in use";
        EngineHeap::Reserve(EngineHeap::kSmallestReserve, EngineHeap::kModeExact);
        EXPECT_TRUE(EngineHeap::IsReserved());
        // The smallest block is 16 bytes, so a page runs out long before this.
        for (int blocks = 0; blocks < kBlockLimit && EngineAllocate(0) != nullptr; ++blocks) {
        }
        EXPECT_EQ(EngineAllocate(0), nullptr) << "the engine heap did not fill";
    }
    ~ScopedFullEngineHeap() { EngineHeap::Release(); }

    ScopedFullEngineHeap(const ScopedFullEngineHeap&) = delete;
    ScopedFullEngineHeap& operator=(const ScopedFullEngineHeap&) = delete;

private:
    static constexpr int kBlockLimit = 1 << 16;
};
