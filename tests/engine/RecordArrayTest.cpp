#include "engine/RecordArray.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "tests/support/ScopedEngineHeap.h"

namespace {

Record36 Numbered(uint32_t first) {
    Record36 record;
    for (uint32_t i = 0; i < 9; ++i) {
        record.words[i] = first + i;
    }
    return record;
}

void ExpectNumbered(const Record36& record, uint32_t first) {
    for (uint32_t i = 0; i < 9; ++i) {
        EXPECT_EQ(record.words[i], first + i) << "word " << i;
    }
}

void ExpectZero(const Record36& record) {
    for (uint32_t i = 0; i < 9; ++i) {
        EXPECT_EQ(record.words[i], 0u) << "word " << i;
    }
}

}  // namespace

TEST(DynArray36, StartsEmptyWithoutBlock) {
    const DynArray36 array;
    EXPECT_EQ(array.Count(), 0);
    EXPECT_EQ(array.LastIndex(), -1);
    EXPECT_EQ(array.Capacity(), 0);
    EXPECT_EQ(array.Data(), nullptr);
    EXPECT_EQ(array.GrowStep(), 4);
}

TEST(DynArray36, NewRecordsReadAsZero) {
    DynArray36 array;
    ASSERT_NE(array.At(1), nullptr);
    EXPECT_EQ(array.Capacity(), 4);
    for (int32_t i = 0; i < array.Capacity(); ++i) {
        ExpectZero(array.Data()[i]);
    }
}

TEST(DynArray36, GrowingKeepsOldRecordsAndZeroesTheNewOnes) {
    DynArray36 array;
    ASSERT_TRUE(array.Add(Numbered(100)));
    ASSERT_TRUE(array.Add(Numbered(200)));
    ASSERT_TRUE(array.EnsureIndex(9));
    EXPECT_EQ(array.LastIndex(), 9);
    EXPECT_EQ(array.Capacity(), 10);
    ExpectNumbered(array[0], 100);
    ExpectNumbered(array[1], 200);
    for (int32_t i = 4; i < array.Capacity(); ++i) {
        ExpectZero(array[i]);
    }
}

TEST(DynArray36, GrowsByShortfallOrStepWhicheverIsLarger) {
    DynArray36 array(3);
    ASSERT_TRUE(array.EnsureIndex(0));
    EXPECT_EQ(array.Capacity(), 3);
    ASSERT_TRUE(array.EnsureIndex(3));
    EXPECT_EQ(array.Capacity(), 6);
    ASSERT_TRUE(array.EnsureIndex(12));
    EXPECT_EQ(array.Capacity(), 13);
}

TEST(DynArray36, AddStoresTheNineWordsAfterTheLastRecord) {
    DynArray36 array;
    for (uint32_t i = 0; i < 5; ++i) {
        ASSERT_TRUE(array.Add(Numbered(i * 10)));
    }
    EXPECT_EQ(array.Count(), 5);
    EXPECT_EQ(array.Capacity(), 8);
    for (uint32_t i = 0; i < 5; ++i) {
        ExpectNumbered(array[static_cast<int32_t>(i)], i * 10);
    }
}

TEST(DynArray36, AddOfOwnRecordSurvivesTheGrowth) {
    DynArray36 array;
    for (uint32_t i = 0; i < 4; ++i) {
        ASSERT_TRUE(array.Add(Numbered(i * 10)));
    }
    ASSERT_TRUE(array.Add(array[1]));
    EXPECT_EQ(array.Capacity(), 8);
    ExpectNumbered(array[4], 10);
}

TEST(DynArray36, AtTakesNegativeIndexAsZeroAndRaisesTheLastIndex) {
    DynArray36 array;
    Record36* const first = array.At(-5);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, array.Data());
    EXPECT_EQ(array.LastIndex(), 0);

    Record36* const sixth = array.At(5);
    ASSERT_NE(sixth, nullptr);
    EXPECT_EQ(sixth, array.Data() + 5);
    EXPECT_EQ(array.LastIndex(), 5);
    EXPECT_EQ(array.At(2), array.Data() + 2);
    EXPECT_EQ(array.LastIndex(), 5);
}

TEST(DynArray36, EnsureIndexOfNegativeIndexEnsuresNothing) {
    DynArray36 array;
    EXPECT_TRUE(array.EnsureIndex(-1));
    EXPECT_EQ(array.LastIndex(), -1);
    EXPECT_EQ(array.Data(), nullptr);
}

TEST(DynArray36, IndexThatWouldOverflowTheCountFailsAndChangesNothing) {
    DynArray36 array;
    ASSERT_TRUE(array.Add(Numbered(1)));
    const Record36* const block = array.Data();
    EXPECT_FALSE(array.EnsureIndex(INT32_MAX));
    EXPECT_EQ(array.At(INT32_MAX), nullptr);
    EXPECT_EQ(array.LastIndex(), 0);
    EXPECT_EQ(array.Capacity(), 4);
    EXPECT_EQ(array.Data(), block);
}

TEST(DynArray36, ClearFreesTheBlockAndKeepsTheGrowStep) {
    DynArray36 array(6);
    ASSERT_TRUE(array.Add(Numbered(1)));
    array.Clear();
    EXPECT_EQ(array.LastIndex(), -1);
    EXPECT_EQ(array.Capacity(), 0);
    EXPECT_EQ(array.Data(), nullptr);
    EXPECT_EQ(array.GrowStep(), 6);
    ASSERT_TRUE(array.Add(Numbered(2)));
    EXPECT_EQ(array.Capacity(), 6);
    array.FreeData();
    EXPECT_EQ(array.Data(), nullptr);
    EXPECT_EQ(array.GrowStep(), 6);
}

TEST(DynArray36OutOfMemory, GrowthFailsAndLeavesEverythingAsItWas) {
    DynArray36 array;
    for (uint32_t i = 0; i < 4; ++i) {
        ASSERT_TRUE(array.Add(Numbered(i * 10)));
    }
    const Record36* const block = array.Data();
    const ScopedEngineHeap fullHeap(ScopedEngineHeap::kFull);

    EXPECT_FALSE(array.Add(Numbered(99)));
    EXPECT_FALSE(array.EnsureIndex(4));
    EXPECT_EQ(array.At(7), nullptr);
    EXPECT_NE(array.At(-1), nullptr);

    EXPECT_EQ(array.LastIndex(), 3);
    EXPECT_EQ(array.Capacity(), 4);
    EXPECT_EQ(array.Data(), block);
    for (uint32_t i = 0; i < 4; ++i) {
        ExpectNumbered(array[static_cast<int32_t>(i)], i * 10);
    }
}
