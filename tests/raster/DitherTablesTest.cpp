#include <gtest/gtest.h>

#include <set>

#include "raster/Span.h"

namespace {

constexpr int32_t kOne = 0x10000;

TEST(DitherTables, OffsetsAreTheBayerMatrixHalvedLessThreeAndAHalf) {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(g_ditherOffsets[r][c], g_bayerMatrix[r][c] / 2 - 7 * kOne / 2) << r << "," << c;
        }
    }
}

TEST(DitherTables, BayerMatrixHoldsEachOfSixteenLevelsOnce) {
    std::set<int32_t> seen;
    for (const auto& row : g_bayerMatrix) {
        for (const int32_t value : row) {
            EXPECT_EQ(value % kOne, 0);
            seen.insert(value / kOne);
        }
    }
    EXPECT_EQ(seen.size(), 16u);
    EXPECT_EQ(*seen.begin(), 0);
    EXPECT_EQ(*seen.rbegin(), 15);
    EXPECT_EQ(g_bayerMatrix[1][0], 12 * kOne);   // the one that makes D = -3.5 at [0][0], +4 at [3][0]
}

TEST(DitherTables, TurnedMatricesAreAQuarterAndAHalfTurnOfTheBayerMatrix) {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(g_bayerMatrixRot90[r][c], g_bayerMatrix[c][3 - r]) << r << "," << c;
            EXPECT_EQ(g_bayerMatrixRot180[r][c], g_bayerMatrix[3 - r][3 - c]) << r << "," << c;
        }
    }
}

TEST(DitherTables, StippleIsTheBayerMatrixTimesSixteenAsPlainIntegers) {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(g_bayerStipple[r][c], g_bayerMatrix[r][c] / kOne * 16) << r << "," << c;
        }
    }
    EXPECT_EQ(g_bayerStipple[3][0], 240);
}

}  // namespace
