#include "tests/support/ScopedEngineHeap.h"

#include <gtest/gtest.h>

#include "engine/EngineAllocation.h"
#include "engine/EngineHeap.h"

namespace {

// The smallest block is 16 bytes, so the smallest heap runs out long before.
constexpr int kBlockLimit = 1 << 16;

}  // namespace

ScopedEngineHeap::ScopedEngineHeap(size_t bytes) {
    EXPECT_FALSE(EngineHeap::IsReserved()) << "another engine heap is in use";
    EngineHeap::Reserve(bytes, EngineHeap::kModeExact);
    EXPECT_TRUE(EngineHeap::IsReserved());
}

ScopedEngineHeap::ScopedEngineHeap(Full) : ScopedEngineHeap(EngineHeap::kSmallestReserve) {
    for (int blocks = 0; blocks < kBlockLimit && EngineAllocate(0) != nullptr; ++blocks) {
    }
    EXPECT_EQ(EngineAllocate(0), nullptr) << "the engine heap did not fill";
}

ScopedEngineHeap::~ScopedEngineHeap() { EngineHeap::Release(); }
