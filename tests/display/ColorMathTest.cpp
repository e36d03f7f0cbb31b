#include "display/ColorMath.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include <gtest/gtest.h>

namespace {

constexpr int32_t kOne = 0x10000;

int32_t Degrees(int32_t d) { return d * kOne; }

uint32_t Pack(int red, int green, int blue) { return uint32_t(red) | uint32_t(green) << 8 | uint32_t(blue) << 16; }

TEST(FixedDivSat, DividesWhatFits) {
    EXPECT_EQ(FixedDivSat(-3 * kOne, kOne), -3 * kOne);
    EXPECT_EQ(FixedDivSat(15 * kOne / 2, 5 * kOne / 2), 3 * kOne);
    EXPECT_EQ(FixedDivSat(kOne, 3 * kOne), 0x5555);
    EXPECT_EQ(FixedDivSat(-kOne, 4 * kOne), -kOne / 4);
    EXPECT_EQ(FixedDivSat(0, -7), 0);
    int32_t out = 0;
    FixedDivSat(&out, 12 * kOne, -4 * kOne);
    EXPECT_EQ(out, -3 * kOne);
}

TEST(FixedDivSat, SaturatesByTheSignsOfTheOperands) {
    // 30000 / 0.5 is far beyond 16.16.
    EXPECT_EQ(FixedDivSat(30000 * kOne, kOne / 2), INT32_MAX);
    EXPECT_EQ(FixedDivSat(-30000 * kOne, kOne / 2), INT32_MIN);
    EXPECT_EQ(FixedDivSat(30000 * kOne, -kOne / 2), INT32_MIN);
    EXPECT_EQ(FixedDivSat(-30000 * kOne, -kOne / 2), INT32_MAX);
    // The test is on the whole part against half the divisor: 2.0 / 4
    // (raw 4 = 1/16384) would be 32768.0 and does not fit.
    EXPECT_EQ(FixedDivSat(2 * kOne, 4), INT32_MAX);
}

TEST(FixedDivSat, SaturatesTheExtremesWithoutOverflowing) {
    EXPECT_EQ(FixedDivSat(INT32_MIN, -1), INT32_MAX);
    EXPECT_EQ(FixedDivSat(INT32_MIN, INT32_MIN), kOne);
    EXPECT_EQ(FixedDivSat(INT32_MAX, INT32_MIN), -kOne + 1);
    EXPECT_EQ(FixedDivSat(INT32_MIN, kOne), INT32_MIN);
    EXPECT_EQ(FixedDivSat(INT32_MAX, 1), INT32_MAX);
}

TEST(FixedDivSat, DivisionByZeroSaturatesBySignOfTheDividend) {
    EXPECT_EQ(FixedDivSat(kOne, 0), INT32_MAX);
    EXPECT_EQ(FixedDivSat(-kOne, 0), INT32_MIN);
    EXPECT_EQ(FixedDivSat(0, 0), INT32_MAX);
    // -0.5 has a whole part of -1.
    EXPECT_EQ(FixedDivSat(-kOne / 2, 0), INT32_MIN);
}

TEST(RgbToHsl, WhiteIsFullLightnessWithoutSaturation) {
    const Hsl white = RgbToHsl(255, 255, 255);
    EXPECT_EQ(white.lightness, kOne);
    EXPECT_EQ(white.saturation, 0);
    EXPECT_EQ(white.hue, 0);
    EXPECT_EQ(white.spare, 0);
    const Hsl black = RgbToHsl(0, 0, 0);
    EXPECT_EQ(black.lightness, 0);
    EXPECT_EQ(black.saturation, 0);
}

TEST(RgbToHsl, PrimaryAndSecondaryColoursHaveTheirHues) {
    EXPECT_EQ(RgbToHsl(255, 0, 0).hue, 0);
    EXPECT_EQ(RgbToHsl(0, 255, 0).hue, Degrees(120));
    EXPECT_EQ(RgbToHsl(0, 0, 255).hue, Degrees(240));
    // Two channels at the maximum: the later test wins, same hue either way.
    EXPECT_EQ(RgbToHsl(255, 255, 0).hue, Degrees(60));
    EXPECT_EQ(RgbToHsl(0, 255, 255).hue, Degrees(180));
    EXPECT_EQ(RgbToHsl(255, 0, 255).hue, Degrees(300));
    const Hsl red = RgbToHsl(255, 0, 0);
    EXPECT_EQ(red.lightness, kOne / 2);
    EXPECT_EQ(red.saturation, kOne);
}

TEST(RgbToHsl, NegativeHueIsBroughtIntoTheTurn) {
    // Red maximum with blue above green: (g - b) / d < 0, about -30 degrees.
    const Hsl h = RgbToHsl(255, 0, 128);
    EXPECT_GT(h.hue, Degrees(329));
    EXPECT_LT(h.hue, Degrees(330));
}

TEST(RgbToHsl, LightColoursUseTheUpperSaturationFormula) {
    // max 1.0, min 0.5 (128/255): lightness above 0.5, s = d / (2 - max - min)
    // = 0.498 / 0.498 = 1.0 whereas d / (max + min) would be about 0.33.
    const Hsl h = RgbToHsl(255, 128, 128);
    EXPECT_GT(h.lightness, kOne / 2);
    EXPECT_NEAR(h.saturation, kOne, 4);
}

TEST(RgbToHslColor, ReadsRedFromTheLowByte) {
    int32_t hue = -1, lightness = -1, saturation = -1;
    RgbToHslColor(Pack(0, 0, 255), &hue, &lightness, &saturation);
    EXPECT_EQ(hue, Degrees(240));
    EXPECT_EQ(lightness, kOne / 2);
    EXPECT_EQ(saturation, kOne);
}

TEST(HslToRgb, GivesPureColoursForFullSaturation) {
    EXPECT_EQ(HslToRgb({0, kOne / 2, kOne, 0}), Pack(255, 0, 0));
    EXPECT_EQ(HslToRgb({Degrees(120), kOne / 2, kOne, 0}), Pack(0, 255, 0));
    EXPECT_EQ(HslToRgb({Degrees(240), kOne / 2, kOne, 0}), Pack(0, 0, 255));
}

TEST(HslToRgb, GreyIsTheTruncatedLightness) {
    EXPECT_EQ(HslToRgb({Degrees(200), kOne / 2, 0, 0}), Pack(127, 127, 127));
    EXPECT_EQ(HslToRgb({0, kOne, 0, 0}), Pack(255, 255, 255));
    EXPECT_EQ(HslToRgb({0, 0, 0, 0}), Pack(0, 0, 0));
}

TEST(HslToRgbBytes, BringsHuesOutsideTheTurnBackIntoIt) {
    uint8_t rgb[3] = {};
    HslToRgbBytes(Degrees(480), kOne / 2, kOne, 0, rgb);
    EXPECT_EQ(rgb[0], 0);
    EXPECT_EQ(rgb[1], 255);
    EXPECT_EQ(rgb[2], 0);
    HslToRgbBytes(Degrees(-240), kOne / 2, kOne, 0, rgb);
    EXPECT_EQ(rgb[0], 0);
    EXPECT_EQ(rgb[1], 255);
    EXPECT_EQ(rgb[2], 0);
    HslToRgbBytes(INT32_MAX, kOne / 2, kOne, 0, rgb);   // must not overflow
}

TEST(HslToRgbBytes, TakesLightnessAndSaturationBeyondTheRangeAsTheirEnds) {
    uint8_t rgb[3] = {};
    HslToRgbBytes(0, 2 * kOne, kOne, 0, rgb);
    EXPECT_EQ(rgb[0], 255);
    EXPECT_EQ(rgb[1], 255);
    EXPECT_EQ(rgb[2], 255);
    HslToRgbBytes(0, kOne / 2, 3 * kOne, 0, rgb);
    EXPECT_EQ(rgb[0], 255);
    EXPECT_EQ(rgb[1], 0);
    EXPECT_EQ(rgb[2], 0);
    HslToRgbBytes(0, -kOne, kOne, 0, rgb);
    EXPECT_EQ(rgb[0], 0);
    EXPECT_EQ(rgb[1], 0);
    EXPECT_EQ(rgb[2], 0);
}

TEST(HslToRgb, RoundTripsEveryColourWithinOneStep) {
    std::vector<int> levels;
    for (int v = 0; v < 256; v += 5) levels.push_back(v);
    for (int v : {1, 2, 127, 128, 129, 254, 255}) levels.push_back(v);
    for (int r : levels) {
        for (int g : levels) {
            for (int b : levels) {
                const uint32_t back = HslToRgb(RgbToHsl(uint8_t(r), uint8_t(g), uint8_t(b)));
                const int dr = std::abs(int(back & 0xff) - r);
                const int dg = std::abs(int((back >> 8) & 0xff) - g);
                const int db = std::abs(int((back >> 16) & 0xff) - b);
                ASSERT_LE(std::max({dr, dg, db}), 1) << r << ", " << g << ", " << b;
                ASSERT_EQ(back >> 24, 0u);
            }
        }
    }
}

TEST(BuildReciprocalTable, HoldsTwoToThe30thOverNRoundedHalfUp) {
    const uint32_t* table = BuildReciprocalTable();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table[0], 1u);
    EXPECT_EQ(table[1], 0x40000000u);
    EXPECT_EQ(table[2], 0x20000000u);
    EXPECT_EQ(table[3], 357913941u);   // 357913941.33
    EXPECT_EQ(table[7], 153391689u);   // 153391689.14
    EXPECT_EQ(table[2047], 524544u);   // 524544.25
    for (int n = 1; n < kReciprocalEntries; ++n) {
        ASSERT_EQ(table[n], uint32_t(std::floor(1073741824.0 / n + 0.5))) << n;
    }
}

TEST(BuildReciprocalTable, IsBuiltOnceAndSharedAfterwards) {
    const uint32_t* first = BuildReciprocalTable();
    EXPECT_EQ(BuildReciprocalTable(), first);
    EXPECT_EQ(first[5], 214748365u);   // 214748364.8
}

}  // namespace
