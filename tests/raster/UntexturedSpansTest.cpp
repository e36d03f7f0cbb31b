#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "raster/Span.h"
#include "raster/UntexturedSpans.h"
#include "tests/support/SpanTarget.h"

namespace {

constexpr int32_t kOne = 0x10000;

// The level a Gouraud pixel should get, worked out in real numbers.
uint32_t ExpectedLevel(double shade, int32_t dither) {
    const double level = std::floor((shade + double(dither) / kOne) / 8.0);
    return uint32_t(std::clamp(level, 0.0, 31.0));
}

TEST(SpanRoutines, TriangleWithoutRowsTouchesNothing) {
    const SpanSetup empty;   // lastRow -1, every pointer null
    for (int32_t sizeClass = 0; sizeClass < kSpanSizeClasses; ++sizeClass) {
        for (int32_t mode = 0; mode < kSpanModes; ++mode) {
            if (g_spanDispatch[sizeClass][mode] != nullptr) {
                g_spanDispatch[sizeClass][mode](&empty);
            }
        }
    }
}

TEST(SpanFlat, RowOfWidthOneWritesExactlyOnePixel) {
    SpanTarget target(1, 1);   // a row of exactly one pixel
    target.SetRow(0, 0, 1);
    target.Left(0).shade = 100 * kOne;
    SpanSetup setup = target.Setup();
    setup.color = 7;
    SpanFlat(&setup);
    EXPECT_EQ(target.Pixel(0, 0), SpanTarget::Entry(7, 12));
}

TEST(SpanFlat, OddWidthWritesPairsThenOnePixelAndStopsAtTheRightEdge) {
    SpanTarget target(3, 2);
    target.SetRow(0, 0, 3);
    target.SetRow(1, 1, 2);
    SpanSetup setup = target.Setup();
    setup.color = 1;
    SpanFlat(&setup);
    const uint16_t colour = SpanTarget::Entry(1, 0);
    EXPECT_EQ(target.Pixels(), (std::vector<uint16_t>{colour, colour, colour,
                                                      SpanTarget::kUntouched, colour, SpanTarget::kUntouched}));
}

TEST(SpanFlat, EmptyAndBackwardRowsDrawNothing) {
    SpanTarget target(4, 2);
    target.SetRow(0, 2, 2);
    target.SetRow(1, 3, 1);
    SpanSetup setup = target.Setup();
    for (const uint32_t mode : {0x00u, 0x01u, 0x02u, 0x03u, 0x10u, 0x13u}) {
        g_spanDispatch[0][mode](&setup);
    }
    EXPECT_EQ(target.Pixels(), std::vector<uint16_t>(8, SpanTarget::kUntouched));
    EXPECT_EQ(target.Depths(), std::vector<uint16_t>(8, 0xFFFF));
}

TEST(SpanFlat, EveryRowTakesTheLevelOfTheTopRowsLeftEdge) {
    SpanTarget target(2, 3);
    for (int32_t row = 0; row < 3; ++row) {
        target.SetRow(row, 0, 2);
        target.Left(row).shade = (200 - 80 * row) * kOne;
    }
    SpanSetup setup = target.Setup();
    setup.color = 2;
    setup.shadeStep = -20 * kOne;
    for (const SpanFiller flat : {&SpanFlat, &SpanFlatDepth}) {
        target.FillDepths(0xFFFF);
        flat(&setup);
        EXPECT_EQ(target.Pixels(), std::vector<uint16_t>(6, SpanTarget::Entry(2, 25)));
    }
}

TEST(SpanFlat, FlagBitsAboveTheColourIndexAreIgnored) {
    SpanTarget target(2, 1);
    target.SetRow(0, 0, 2);
    SpanSetup setup = target.Setup();
    setup.color = 0x10000005;
    SpanFlat(&setup);
    SpanGouraud(&setup);
    EXPECT_EQ(target.Pixel(1, 0), SpanTarget::Entry(5, 0));
}

TEST(SpanGouraud, DitherFollowsTheCanvasRowAndTheAbsoluteColumn) {
    SpanTarget target(8, 4);
    for (int32_t row = 0; row < 4; ++row) {
        target.SetRow(row, 2, 8);
        target.Left(row).shade = 128 * kOne;   // on the edge between levels 15 and 16
    }
    const int32_t topY = 5;
    SpanSetup setup = target.Setup(topY);
    setup.color = 3;
    SpanGouraud(&setup);
    for (int32_t row = 0; row < 4; ++row) {
        for (int32_t x = 2; x < 8; ++x) {
            const int32_t dither = g_ditherOffsets[(topY + row) & 3][x & 3];
            EXPECT_EQ(target.Pixel(x, row), SpanTarget::Entry(3, dither < 0 ? 15 : 16)) << x << "," << row;
        }
    }
}

TEST(SpanGouraud, LevelsClampAtZeroAndThirtyOne) {
    SpanTarget target(1, 1);
    target.SetRow(0, 0, 1);
    target.Left(0).shade = 0;
    SpanSetup setup = target.Setup(0);   // column 0 of row 0: D = -3.5
    setup.color = 9;
    SpanGouraud(&setup);
    EXPECT_EQ(target.Pixel(0, 0), SpanTarget::Entry(9, 0));

    target.Left(0).shade = 256 * kOne - 1;   // 255.99
    setup = target.Setup(3);                 // column 0 of row 3: D = +4.0
    setup.color = 9;
    SpanGouraud(&setup);
    EXPECT_EQ(target.Pixel(0, 0), SpanTarget::Entry(9, 31));
}

TEST(SpanGouraud, ShadeStepsAlongTheRowFromTheLeftEdge) {
    SpanTarget target(12, 1);
    target.SetRow(0, 1, 12);
    target.Left(0).shade = 40 * kOne + kOne / 4;
    SpanSetup setup = target.Setup(2);
    setup.color = 4;
    setup.shadeStep = 19 * kOne;
    SpanGouraud(&setup);
    EXPECT_EQ(target.Pixel(0, 0), SpanTarget::kUntouched);
    for (int32_t x = 1; x < 12; ++x) {
        const double shade = 40.25 + 19.0 * (x - 1);
        EXPECT_EQ(target.Pixel(x, 0), SpanTarget::Entry(4, ExpectedLevel(shade, g_ditherOffsets[2][x & 3]))) << x;
    }
}

TEST(SpanRoutines, UntexturedModesWithTheDitherBitDrawAsWithout) {
    for (uint32_t mode = 0; mode < 4; ++mode) {
        for (const uint32_t translucent : {0u, kSpanModeTranslucent}) {
            std::vector<uint16_t> drawn[2];
            for (const uint32_t dither : {0u, kSpanModeDither}) {
                SpanTarget target(9, 2);
                for (int32_t row = 0; row < 2; ++row) {
                    target.SetRow(row, row, 9 - row);
                    target.Left(row).shade = (30 + 50 * row) * kOne;
                    target.Left(row).z = uint32_t(1000 + row) << 15;
                }
                SpanSetup setup = target.Setup(1);
                setup.color = 6;
                setup.shadeStep = 13 * kOne;
                setup.depthStep = 3 << 15;
                setup.level = 100;
                g_spanDispatch[0][mode | translucent | dither](&setup);
                drawn[dither != 0] = target.Pixels();
            }
            EXPECT_EQ(drawn[0], drawn[1]) << mode << " " << translucent;
        }
    }
}

TEST(SpanDepth, PassesOnlyWhenStrictlyNearer) {
    SpanTarget target(4, 1);
    target.SetRow(0, 0, 4);
    target.Left(0).z = 100u << 15;
    const std::vector<uint16_t> stored = {100, 99, 101, 0xFFFF};
    for (const uint32_t mode : {0x01u, 0x03u, 0x11u, 0x13u}) {
        for (int32_t x = 0; x < 4; ++x) {
            target.Depth(x, 0) = stored[size_t(x)];
        }
        target.FillPixels(SpanTarget::kUntouched);
        SpanSetup setup = target.Setup();
        setup.level = 255;
        g_spanDispatch[0][mode](&setup);
        EXPECT_EQ(target.Depths(), (std::vector<uint16_t>{100, 99, 100, 100})) << mode;
        EXPECT_EQ(target.Pixel(0, 0), SpanTarget::kUntouched) << mode;
        EXPECT_EQ(target.Pixel(1, 0), SpanTarget::kUntouched) << mode;
        EXPECT_NE(target.Pixel(2, 0), SpanTarget::kUntouched) << mode;
        EXPECT_NE(target.Pixel(3, 0), SpanTarget::kUntouched) << mode;
    }
}

TEST(SpanDepth, ClearedBufferRejectsOnlyTheFarthestValue) {
    SpanTarget target(2, 2);
    target.SetRow(0, 0, 2);
    target.SetRow(1, 0, 2);
    target.Left(0).z = 0xFFFFu << 15;
    target.Left(1).z = 0xFFFEu << 15;
    SpanSetup setup = target.Setup();
    SpanFlatDepth(&setup);
    EXPECT_EQ(target.Pixel(1, 0), SpanTarget::kUntouched);
    EXPECT_EQ(target.Pixel(1, 1), SpanTarget::Entry(0, 0));
    EXPECT_EQ(target.Depth(1, 1), 0xFFFE);
}

TEST(SpanGouraudDepth, ShadeAndDepthAdvanceOverRejectedPixels) {
    SpanTarget target(6, 1);
    target.SetRow(0, 0, 6);
    target.Left(0).shade = 3 * kOne + kOne * 3 / 4;   // + 8 per pixel: level x, whatever the dither
    target.Left(0).z = 500u << 15;
    for (int32_t x = 0; x < 3; ++x) {
        target.Depth(x, 0) = 0;
    }
    SpanSetup setup = target.Setup();
    setup.color = 8;
    setup.shadeStep = 8 * kOne;
    setup.depthStep = -(10 << 15);
    SpanGouraudDepth(&setup);
    for (int32_t x = 3; x < 6; ++x) {
        EXPECT_EQ(target.Pixel(x, 0), SpanTarget::Entry(8, uint32_t(x))) << x;
        EXPECT_EQ(target.Depth(x, 0), 500 - 10 * x) << x;
    }
    EXPECT_EQ(target.Pixel(2, 0), SpanTarget::kUntouched);
}

}  // namespace
