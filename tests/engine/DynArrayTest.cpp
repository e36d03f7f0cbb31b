#include "engine/DynArray.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "tests/support/ScopedEngineHeap.h"

namespace {

std::vector<int32_t> Elements(const DynArray<int32_t>& array) {
    return std::vector<int32_t>(array.begin(), array.end());
}

void AppendAll(DynArray<int32_t>& array, std::initializer_list<int32_t> values) {
    for (const int32_t value : values) {
        ASSERT_TRUE(array.Append(value));
    }
}

}  // namespace

TEST(DynArrayGrowth, GrowsByShortfallOrStepWhicheverIsLarger) {
    EXPECT_EQ(DynArrayGrownCapacity(-1, 0, 4), 3);
    EXPECT_EQ(DynArrayGrownCapacity(-1, 9, 4), 9);
    EXPECT_EQ(DynArrayGrownCapacity(9, 10, 4), 13);
    EXPECT_EQ(DynArrayGrownCapacity(9, 14, 4), 14);
    EXPECT_EQ(DynArrayGrownCapacity(3, 4, 0), 4);
    EXPECT_EQ(DynArrayGrownCapacity(3, 4, -8), 4);
}

TEST(DynArrayGrowth, StopsAStepThatWouldPassTheLargestIndex) {
    EXPECT_EQ(DynArrayGrownCapacity(100, 101, INT32_MAX), kDynArrayMaxIndex);
    EXPECT_EQ(DynArrayGrownCapacity(kDynArrayMaxIndex - 2, kDynArrayMaxIndex - 1, 4), kDynArrayMaxIndex);
}

TEST(DynArray, StartsEmptyWithoutBlock) {
    const DynArray<int32_t> array;
    EXPECT_EQ(array.Count(), 0);
    EXPECT_EQ(array.LastIndex(), -1);
    EXPECT_EQ(array.Capacity(), 0);
    EXPECT_EQ(array.Data(), nullptr);
    EXPECT_EQ(array.GrowStep(), 4);
    EXPECT_EQ(DynArray<int32_t>(9).GrowStep(), 9);
}

TEST(DynArray, AppendGrowsByTheGrowStepAndKeepsElements) {
    DynArray<int32_t> array;
    ASSERT_TRUE(array.Append(10));
    EXPECT_EQ(array.Capacity(), 4);
    AppendAll(array, {11, 12, 13});
    EXPECT_EQ(array.Capacity(), 4);
    ASSERT_TRUE(array.Append(14));
    EXPECT_EQ(array.Capacity(), 8);
    EXPECT_EQ(array.Count(), 5);
    EXPECT_EQ(Elements(array), (std::vector<int32_t>{10, 11, 12, 13, 14}));
}

TEST(DynArray, EnsureIndexGrowsByTheShortfallWhenItExceedsTheStep) {
    DynArray<int32_t> array;
    ASSERT_TRUE(array.EnsureIndex(9));
    EXPECT_EQ(array.Capacity(), 10);
    EXPECT_EQ(array.LastIndex(), 9);
    ASSERT_TRUE(array.EnsureIndex(10));
    EXPECT_EQ(array.Capacity(), 14);
    ASSERT_TRUE(array.EnsureIndex(20));
    EXPECT_EQ(array.Capacity(), 21);
}

TEST(DynArray, EnsureIndexBelowTheLastIndexKeepsIt) {
    DynArray<int32_t> array;
    ASSERT_TRUE(array.EnsureIndex(5));
    ASSERT_TRUE(array.EnsureIndex(2));
    EXPECT_EQ(array.LastIndex(), 5);
    EXPECT_EQ(array.Capacity(), 6);
}

TEST(DynArray, NegativeIndexCountsAsZero) {
    DynArray<int32_t> array;
    int32_t* const element = array.At(-3);
    ASSERT_NE(element, nullptr);
    EXPECT_EQ(element, array.Data());
    EXPECT_EQ(array.Count(), 1);

    DynArray<int32_t> other;
    ASSERT_TRUE(other.EnsureIndex(-1));
    EXPECT_EQ(other.LastIndex(), 0);
}

TEST(DynArray, AtPastTheLastIndexRaisesItAndReturnsTheElement) {
    DynArray<int32_t> array;
    AppendAll(array, {1, 2});
    int32_t* const element = array.At(6);
    ASSERT_NE(element, nullptr);
    *element = 77;
    EXPECT_EQ(array.LastIndex(), 6);
    EXPECT_EQ(array[6], 77);
    EXPECT_EQ(array[0], 1);
    EXPECT_EQ(array[1], 2);
    EXPECT_EQ(array.At(1), array.Data() + 1);
    EXPECT_EQ(array.LastIndex(), 6);
}

TEST(DynArray, InsertAtMovesLaterElementsUp) {
    DynArray<int32_t> array;
    AppendAll(array, {1, 2, 3});
    ASSERT_TRUE(array.InsertAt(9, 1));
    EXPECT_EQ(Elements(array), (std::vector<int32_t>{1, 9, 2, 3}));
    ASSERT_TRUE(array.InsertAt(8, 0));
    EXPECT_EQ(Elements(array), (std::vector<int32_t>{8, 1, 9, 2, 3}));
    EXPECT_EQ(array.Capacity(), 8);
}

TEST(DynArray, InsertAtTheLastIndexGoesBeforeTheLastElement) {
    DynArray<int32_t> array;
    AppendAll(array, {1, 2, 3});
    ASSERT_TRUE(array.InsertAt(9, 2));
    EXPECT_EQ(Elements(array), (std::vector<int32_t>{1, 2, 9, 3}));
}

TEST(DynArray, InsertAtPastTheEndAppendsWithoutGap) {
    DynArray<int32_t> array;
    AppendAll(array, {1, 2, 3});
    ASSERT_TRUE(array.InsertAt(9, 7));
    EXPECT_EQ(Elements(array), (std::vector<int32_t>{1, 2, 3, 9}));

    DynArray<int32_t> empty;
    ASSERT_TRUE(empty.InsertAt(5, 3));
    EXPECT_EQ(Elements(empty), (std::vector<int32_t>{5}));
}

TEST(DynArray, InsertAtNegativeIndexInsertsFirst) {
    DynArray<int32_t> array;
    AppendAll(array, {1, 2});
    ASSERT_TRUE(array.InsertAt(9, -4));
    EXPECT_EQ(Elements(array), (std::vector<int32_t>{9, 1, 2}));
}

TEST(DynArray, RemoveAtMovesLaterElementsDownAndKeepsCapacity) {
    DynArray<int32_t> array;
    AppendAll(array, {1, 2, 3, 4, 5});
    array.RemoveAt(1);
    EXPECT_EQ(Elements(array), (std::vector<int32_t>{1, 3, 4, 5}));
    array.RemoveAt(3);
    EXPECT_EQ(Elements(array), (std::vector<int32_t>{1, 3, 4}));
    EXPECT_EQ(array.Capacity(), 8);
}

TEST(DynArray, RemoveAtOutOfRangeDoesNothing) {
    DynArray<int32_t> array;
    AppendAll(array, {1, 2, 3});
    array.RemoveAt(-1);
    array.RemoveAt(3);
    array.RemoveAt(INT32_MAX);
    EXPECT_EQ(Elements(array), (std::vector<int32_t>{1, 2, 3}));

    DynArray<int32_t> empty;
    empty.RemoveAt(0);
    EXPECT_EQ(empty.LastIndex(), -1);
}

TEST(DynArray, AppendRangeGrowsToExactlyTheNeededCapacity) {
    DynArray<int32_t> array;
    AppendAll(array, {1, 2, 3});
    const int32_t words[] = {4, 5};
    ASSERT_TRUE(array.AppendRange(words, 2));
    EXPECT_EQ(array.Capacity(), 5);
    EXPECT_EQ(Elements(array), (std::vector<int32_t>{1, 2, 3, 4, 5}));
}

TEST(DynArray, AppendRangeWithinCapacityKeepsTheBlock) {
    DynArray<int32_t> array;
    AppendAll(array, {1});
    const int32_t* const block = array.Data();
    const int32_t words[] = {2, 3, 4};
    ASSERT_TRUE(array.AppendRange(words, 3));
    EXPECT_EQ(array.Data(), block);
    EXPECT_EQ(Elements(array), (std::vector<int32_t>{1, 2, 3, 4}));
}

TEST(DynArray, AppendRangeOfNoOrNegativeCountDoesNothing) {
    DynArray<int32_t> array;
    const int32_t words[] = {1};
    EXPECT_TRUE(array.AppendRange(words, 0));
    EXPECT_FALSE(array.AppendRange(words, -1));
    EXPECT_EQ(array.LastIndex(), -1);
    EXPECT_EQ(array.Data(), nullptr);
}

TEST(DynArray, AppendRangeCopiesAnotherArray) {
    DynArray<int32_t> source;
    AppendAll(source, {7, 8, 9});
    DynArray<int32_t> array;
    ASSERT_TRUE(array.AppendRange(source));
    EXPECT_EQ(Elements(array), (std::vector<int32_t>{7, 8, 9}));
    EXPECT_EQ(array.Capacity(), 3);
    EXPECT_EQ(Elements(source), (std::vector<int32_t>{7, 8, 9}));
}

TEST(DynArray, AppendRangeOfItselfReadsBeforeTheOldBlockGoes) {
    DynArray<int32_t> array;
    AppendAll(array, {1, 2, 3, 4});
    ASSERT_TRUE(array.AppendRange(array));
    EXPECT_EQ(Elements(array), (std::vector<int32_t>{1, 2, 3, 4, 1, 2, 3, 4}));
}

TEST(DynArray, IndexThatWouldOverflowTheCountFailsAndChangesNothing) {
    DynArray<int32_t> array;
    AppendAll(array, {1, 2});
    const int32_t* const block = array.Data();
    EXPECT_FALSE(array.EnsureIndex(INT32_MAX));
    EXPECT_EQ(array.At(INT32_MAX), nullptr);
    const int32_t words[] = {3};
    EXPECT_FALSE(array.AppendRange(words, INT32_MAX - 1));
    EXPECT_EQ(array.LastIndex(), 1);
    EXPECT_EQ(array.Capacity(), 4);
    EXPECT_EQ(array.Data(), block);
}

TEST(DynArray, ClearFreesTheBlockAndKeepsTheGrowStep) {
    DynArray<int32_t> array(7);
    AppendAll(array, {1, 2, 3});
    array.Clear();
    EXPECT_EQ(array.LastIndex(), -1);
    EXPECT_EQ(array.Capacity(), 0);
    EXPECT_EQ(array.Data(), nullptr);
    EXPECT_EQ(array.GrowStep(), 7);
    ASSERT_TRUE(array.Append(4));
    EXPECT_EQ(array.Capacity(), 7);

    array.FreeData();
    EXPECT_EQ(array.Count(), 0);
    EXPECT_EQ(array.Data(), nullptr);
    EXPECT_EQ(array.GrowStep(), 7);
}

TEST(DynArray, MoveTakesTheBlockAndLeavesTheSourceEmpty) {
    DynArray<int32_t> source(6);
    AppendAll(source, {1, 2});
    const int32_t* const block = source.Data();
    DynArray<int32_t> moved(std::move(source));
    EXPECT_EQ(moved.Data(), block);
    EXPECT_EQ(Elements(moved), (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(moved.GrowStep(), 6);
    EXPECT_EQ(source.Data(), nullptr);
    EXPECT_EQ(source.LastIndex(), -1);
    EXPECT_EQ(source.Capacity(), 0);

    DynArray<int32_t> assigned;
    AppendAll(assigned, {9});
    assigned = std::move(moved);
    EXPECT_EQ(assigned.Data(), block);
    EXPECT_EQ(moved.Data(), nullptr);
}

TEST(DynArrayOutOfMemory, GrowthFailsAndLeavesEverythingAsItWas) {
    DynArray<int32_t> array;
    AppendAll(array, {1, 2, 3, 4});
    const int32_t* const block = array.Data();
    const ScopedEngineHeap fullHeap(ScopedEngineHeap::kFull);

    const int32_t words[] = {5, 6};
    EXPECT_FALSE(array.Append(5));
    EXPECT_FALSE(array.EnsureIndex(4));
    EXPECT_EQ(array.At(9), nullptr);
    EXPECT_FALSE(array.InsertAt(0, 1));
    EXPECT_FALSE(array.AppendRange(words, 2));

    EXPECT_EQ(array.LastIndex(), 3);
    EXPECT_EQ(array.Capacity(), 4);
    EXPECT_EQ(array.Data(), block);
    EXPECT_EQ(Elements(array), (std::vector<int32_t>{1, 2, 3, 4}));
}

TEST(DynArrayOutOfMemory, EmptyArrayStaysWithoutBlock) {
    const ScopedEngineHeap fullHeap(ScopedEngineHeap::kFull);
    DynArray<int32_t> array;
    EXPECT_EQ(array.At(-1), nullptr);
    EXPECT_FALSE(array.Append(1));
    EXPECT_EQ(array.LastIndex(), -1);
    EXPECT_EQ(array.Capacity(), 0);
    EXPECT_EQ(array.Data(), nullptr);
}

TEST(DynArrayOutOfMemory, WorkWithinTheCapacityNeedsNoMemory) {
    DynArray<int32_t> array;
    AppendAll(array, {1, 2});
    const ScopedEngineHeap fullHeap(ScopedEngineHeap::kFull);
    const int32_t word = 4;
    EXPECT_TRUE(array.InsertAt(3, 0));
    EXPECT_TRUE(array.AppendRange(&word, 1));
    EXPECT_NE(array.At(3), nullptr);
    EXPECT_FALSE(array.Append(5));
    EXPECT_EQ(Elements(array), (std::vector<int32_t>{3, 1, 2, 4}));
}
