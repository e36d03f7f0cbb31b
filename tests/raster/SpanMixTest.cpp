#include <gtest/gtest.h>

#include <cmath>

#include "raster/GenericSpans.h"
#include "raster/Span.h"
#include "raster/UntexturedSpans.h"
#include "tests/support/SpanTarget.h"

namespace {

constexpr int32_t kOne = 0x10000;

int32_t Fixed(double value) { return int32_t(std::lround(value * kOne)); }

// Five-bit channels into the two layouts; 5-6-5 green as its top five bits.
uint16_t Pixel565(uint32_t red, uint32_t green, uint32_t blue) { return uint16_t(red << 11 | green << 6 | blue); }
uint16_t Pixel555(uint32_t red, uint32_t green, uint32_t blue) { return uint16_t(red << 10 | green << 5 | blue); }

// One pixel of colour 3 at level 0 drawn over `under` by a flat translucent
// routine at `level`, the colour's shade entry being `over`.
uint16_t MixOne(bool rgb555, uint16_t over, uint16_t under, uint32_t level) {
    SpanTarget target(1, 1, rgb555);
    target.SetShade(3, 0, over);
    target.SetRow(0, 0, 1);
    target.Pixel(0, 0) = under;
    SpanSetup setup = target.Setup();
    setup.color = 3;
    setup.level = level;
    SpanFlatAlpha(&setup);
    return target.Pixel(0, 0);
}

TEST(SpanMix, Level255KeepsTheNewColourScaledAndDropsTheOld) {
    EXPECT_EQ(MixOne(false, 0xFFFF, 0xFFFF, 255), Pixel565(30, 30, 30));
    EXPECT_EQ(MixOne(false, Pixel565(31, 16, 1), Pixel565(31, 31, 31), 255), Pixel565(30, 15, 0));
    EXPECT_EQ(MixOne(true, Pixel555(31, 31, 31), Pixel555(31, 31, 31), 255), Pixel555(30, 30, 30));
}

TEST(SpanMix, Level0KeepsTheOldColourScaledAndIgnoresTheNew) {
    EXPECT_EQ(MixOne(false, 0xFFFF, Pixel565(31, 8, 31), 0), Pixel565(30, 7, 30));
    EXPECT_EQ(MixOne(true, Pixel555(31, 31, 31), Pixel555(10, 20, 31), 0), Pixel555(9, 19, 30));
}

TEST(SpanMix, LevelsAbove255CountAs255) {
    EXPECT_EQ(MixOne(false, 0xFFFF, 0xFFFF, 300), MixOne(false, 0xFFFF, 0xFFFF, 255));
}

TEST(SpanMix, HalfAndHalfSplitsEachChannel) {
    // trunc(20 x 128 / 256) + trunc(10 x 127 / 256) = 10 + 4
    EXPECT_EQ(MixOne(false, Pixel565(20, 20, 20), Pixel565(10, 10, 10), 128), Pixel565(14, 14, 14));
    EXPECT_EQ(MixOne(true, Pixel555(20, 20, 20), Pixel555(10, 10, 10), 128), Pixel555(14, 14, 14));
}

TEST(SpanMix, Output565AlwaysHasTheLowestGreenBitClear) {
    for (const uint32_t level : {0u, 1u, 77u, 128u, 254u, 255u}) {
        EXPECT_EQ(MixOne(false, 0xFFFF, 0xFFFF, level) & 0x20, 0) << level;
    }
}

// A 5-5-5 pixel has no bit 15; one that carries it anyway must not push red
// past the 32 entries of a scaling row.
TEST(SpanMix, Channels555AreMaskedToFiveBits) {
    EXPECT_EQ(MixOne(true, Pixel555(31, 0, 0), 0x8000 | Pixel555(10, 20, 31), 0), Pixel555(9, 19, 30));
    EXPECT_EQ(MixOne(true, 0x8000 | Pixel555(31, 31, 31), 0, 255), Pixel555(30, 30, 30));
}

TEST(SpanMix, DrawingTheSameTriangleTwiceDarkensFurther) {
    SpanTarget target(3, 1);
    target.SetShade(3, 0, Pixel565(31, 31, 31));
    target.SetRow(0, 0, 3);
    target.FillPixels(Pixel565(31, 31, 31));
    SpanSetup setup = target.Setup();
    setup.color = 3;
    setup.level = 128;
    SpanFlatAlpha(&setup);
    EXPECT_EQ(target.Pixel(0, 0), Pixel565(30, 30, 30));   // 15 + 15
    SpanFlatAlpha(&setup);
    EXPECT_EQ(target.Pixel(0, 0), Pixel565(29, 29, 29));   // 15 + 14
}

// Every translucent depth routine, drawn twice at one depth into 5-6-5 and
// 5-5-5 targets: the first pass writes depth wherever it draws, the second
// is rejected, and the two formats end with the same depth buffer.
TEST(SpanMix, TranslucentDepthRoutinesWriteTheSameDepthsInBothFormats) {
    SpanTexture texture(4, 4, true);
    for (int32_t column = 0; column < 16; ++column) {
        for (int32_t row = 0; row < 16; ++row) {
            texture.Texel(column, row) = column == 2 ? 255 : 9;
        }
    }
    const uint32_t modes[] = {0x11, 0x13, 0x15, 0x17, 0x19, 0x1b, 0x1d, 0x1f};
    for (const uint32_t mode : modes) {
        std::vector<uint16_t> depths[2];
        for (const bool rgb555 : {false, true}) {
            SpanTarget target(5, 2, rgb555);
            target.FillPixels(0);
            for (int32_t row = 0; row < 2; ++row) {
                target.SetRow(row, 0, 5 - row);
                target.Left(row).z = uint32_t(40 + row) << 15;
                target.Left(row).shade = 200 * kOne;
                target.Left(row).u = Fixed(0.4375);   // the texel dither cannot move it to the next
            }
            target.Depth(3, 0) = 40;
            SpanSetup setup = target.Setup();
            setup.texture = texture.Texture();
            setup.color = 3;
            setup.level = 128;
            setup.depthStep = 1 << 15;
            setup.uStep = int32_t(uint32_t(kOne) << 12);
            const SpanFiller fill = g_spanDispatch[0][mode];
            fill(&setup);
            const std::vector<uint16_t> once = target.Pixels();
            fill(&setup);
            EXPECT_EQ(target.Pixels(), once) << mode;
            depths[rgb555] = target.Depths();
        }
        const bool keyed = (mode & kSpanModeTextured) != 0;
        EXPECT_EQ(depths[0], depths[1]) << mode;
        EXPECT_EQ(depths[0], (std::vector<uint16_t>{40, 41, uint16_t(keyed ? 0xFFFF : 42), 40, 44,
                                                    41, 42, uint16_t(keyed ? 0xFFFF : 43), 44, 0xFFFF}))
            << mode;
    }
}

}  // namespace
