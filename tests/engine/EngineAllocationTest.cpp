#include "engine/EngineAllocation.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "engine/EngineHeap.h"

namespace {

class EngineAllocationTest : public ::testing::Test {
protected:
    void TearDown() override { EngineHeap::Release(); }
};

TEST_F(EngineAllocationTest, WithoutAHeapBlocksComeFromTheRuntimeHeap) {
    void* const block = EngineAllocate(64);
    ASSERT_NE(block, nullptr);
    EXPECT_FALSE(EngineHeap::Contains(block));
    std::memset(block, 1, 64);
    EngineRelease(block);
    EngineRelease(nullptr);
}

TEST_F(EngineAllocationTest, ZeroBytesStillGiveDistinctBlocks) {
    void* const first = EngineAllocate(0);
    void* const second = EngineAllocate(0);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EngineRelease(first);
    EngineRelease(second);

    EngineHeap::Reserve(64 * 1024, EngineHeap::kModeExact);
    void* const third = EngineAllocate(0);
    void* const fourth = EngineAllocate(0);
    EXPECT_TRUE(EngineHeap::Contains(third));
    EXPECT_NE(third, fourth);
}

TEST_F(EngineAllocationTest, WithAHeapBlocksComeFromItAndGoBackToIt) {
    EngineHeap::Reserve(64 * 1024, EngineHeap::kModeExact);
    void* const block = EngineAllocate(100);
    EXPECT_TRUE(EngineHeap::Contains(block));
    EXPECT_EQ(EngineHeap::AllocationCount(), 1u);
    EngineRelease(block);
    EXPECT_EQ(EngineHeap::FreeCount(), 1u);
    EXPECT_EQ(EngineHeap::BytesInUse(), 0u);
}

TEST_F(EngineAllocationTest, ABlockMadeBeforeTheHeapGoesBackToTheRuntimeHeap) {
    void* const early = EngineAllocate(48);
    EngineHeap::Reserve(64 * 1024, EngineHeap::kModeExact);
    ASSERT_TRUE(EngineHeap::IsReserved());
    EngineRelease(early);  // the sanitizer reports a free into the wrong heap
    EXPECT_EQ(EngineHeap::FreeCount(), 0u);
}

TEST_F(EngineAllocationTest, ABlockMadeBeforeTheHeapMayOutliveIt) {
    void* const early = EngineAllocate(48);
    EngineHeap::Reserve(64 * 1024, EngineHeap::kModeExact);
    void* const inHeap = EngineAllocate(48);
    EngineRelease(inHeap);
    EngineHeap::Release();
    EngineRelease(early);
    EXPECT_FALSE(EngineHeap::IsReserved());

    void* const late = EngineAllocate(48);  // after release: the runtime heap again
    EXPECT_NE(late, nullptr);
    EngineRelease(late);
}

struct Widget : EngineObject {
    static inline int constructed = 0;
    static inline int destroyed = 0;
    Widget() { ++constructed; }
    ~Widget() { ++destroyed; }
    uint8_t payload[1000];
};

struct Huge : EngineObject {
    static inline int constructed = 0;
    Huge() { ++constructed; }
    uint8_t payload[128 * 1024];
};

TEST_F(EngineAllocationTest, EngineObjectsLiveInTheEngineHeap) {
    EngineHeap::Reserve(64 * 1024, EngineHeap::kModeExact);
    Widget::constructed = Widget::destroyed = 0;
    Widget* const widget = new Widget;
    ASSERT_NE(widget, nullptr);
    EXPECT_TRUE(EngineHeap::Contains(widget));
    delete widget;
    EXPECT_EQ(Widget::destroyed, 1);
    EXPECT_EQ(EngineHeap::FreeCount(), 1u);

    Widget* const row = new Widget[3];
    ASSERT_NE(row, nullptr);
    EXPECT_TRUE(EngineHeap::Contains(row));
    delete[] row;
    EXPECT_EQ(Widget::constructed, 4);
    EXPECT_EQ(Widget::destroyed, 4);
    EXPECT_EQ(EngineHeap::BytesInUse(), 0u);
}

TEST_F(EngineAllocationTest, NewYieldsNullWithoutConstructingWhenTheHeapIsExhausted) {
    EngineHeap::Reserve(64 * 1024, EngineHeap::kModeExact);
    Huge::constructed = 0;
    Huge* const huge = new Huge;
    EXPECT_EQ(huge, nullptr);
    EXPECT_EQ(Huge::constructed, 0);
    Huge* const hugeRow = new Huge[2];
    EXPECT_EQ(hugeRow, nullptr);
    EXPECT_EQ(Huge::constructed, 0);
    EXPECT_EQ(EngineHeap::AllocationCount(), 0u);
}

TEST_F(EngineAllocationTest, ObjectsMadeBeforeTheHeapAreDeletedIntoTheRuntimeHeap) {
    Widget* const early = new Widget;
    ASSERT_NE(early, nullptr);
    EngineHeap::Reserve(64 * 1024, EngineHeap::kModeExact);
    delete early;
    EXPECT_EQ(EngineHeap::FreeCount(), 0u);
}

}  // namespace
