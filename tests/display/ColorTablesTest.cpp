#include "display/ColorTables.h"

#include <gtest/gtest.h>

namespace {

TEST(ColorTables, GammaOfOneLeavesEveryLevelAsItIs) {
    ColorTables tables;
    tables.SetGamma(1.0f);
    EXPECT_EQ(tables.gamma, 1.0f);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(tables.gammaCurve[i], i) << i;
}

TEST(ColorTables, GammaAboveOneBrightensAndKeepsTheEnds) {
    ColorTables tables;
    tables.SetGamma(2.0f);
    EXPECT_EQ(tables.gamma, 2.0f);
    // 255 x sqrt(64 / 255) = 127.75, truncated.
    EXPECT_EQ(tables.gammaCurve[64], 127);
    EXPECT_EQ(tables.gammaCurve[0], 0);
    EXPECT_EQ(tables.gammaCurve[255], 255);
    for (int i = 1; i < 256; ++i) {
        EXPECT_GE(tables.gammaCurve[i], tables.gammaCurve[i - 1]) << i;
        EXPECT_GE(tables.gammaCurve[i], i) << i;
    }
}

TEST(ColorTables, GammaBelowOneDarkensMonotonically) {
    ColorTables tables;
    tables.SetGamma(0.5f);
    // 255 x (128 / 255)^2 = 64.25.
    EXPECT_EQ(tables.gammaCurve[128], 64);
    EXPECT_EQ(tables.gammaCurve[255], 255);
    for (int i = 1; i < 256; ++i) {
        EXPECT_GE(tables.gammaCurve[i], tables.gammaCurve[i - 1]) << i;
        EXPECT_LE(tables.gammaCurve[i], i) << i;
    }
}

TEST(ColorTables, GammaOfZeroStaysWithinTheByteRange) {
    ColorTables tables;
    tables.SetGamma(0.0f);
    EXPECT_EQ(tables.gammaCurve[0], 0);
    EXPECT_EQ(tables.gammaCurve[128], 0);
}

TEST(ColorTables, ShadeTableScalesAFiveBitChannelByLevelOver256) {
    ColorTables tables;
    tables.BuildShadeTable();
    for (int c = 0; c < 32; ++c) EXPECT_EQ(tables.shadeTable[0][c], 0) << c;
    EXPECT_EQ(tables.shadeTable[255][31], 30);
    EXPECT_EQ(tables.shadeTable[128][31], 15);
    EXPECT_EQ(tables.shadeTable[8][31], 0);    // 248 / 256
    EXPECT_EQ(tables.shadeTable[9][31], 1);    // 279 / 256
    for (int level = 0; level < 256; ++level) {
        for (int c = 0; c < 32; ++c) ASSERT_EQ(tables.shadeTable[level][c], c * level / 256) << level << " " << c;
    }
}

}  // namespace
