#include "raster/UntexturedTriangles8.h"

#include <array>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "raster/Span.h"
#include "tests/raster/Canvas8Fixture.h"

namespace {

using Triangle = std::array<FixedVertex, 3>;

std::vector<Kind8> UntexturedKinds(uint32_t level) {
    return {
        {"TriangleFlat8", false, [](Canvas* c, const FixedVertex* v, int p) { TriangleFlat8(c, v, uint32_t(p)); }},
        {"TriangleFlatDepth8", true,
         [](Canvas* c, const FixedVertex* v, int p) { TriangleFlatDepth8(c, v, uint32_t(p)); }},
        {"TriangleGouraud8", false,
         [](Canvas* c, const FixedVertex* v, int p) { TriangleGouraud8(c, v, uint32_t(p)); }},
        {"TriangleGouraudDepth8", true,
         [](Canvas* c, const FixedVertex* v, int p) { TriangleGouraudDepth8(c, v, uint32_t(p)); }},
        {"TriangleGouraudAlpha8", false,
         [level](Canvas* c, const FixedVertex* v, int p) { TriangleGouraudAlpha8(c, v, uint32_t(p), level); }},
        {"TriangleGouraudAlphaDepth8", true,
         [level](Canvas* c, const FixedVertex* v, int p) { TriangleGouraudAlphaDepth8(c, v, uint32_t(p), level); }},
    };
}

}  // namespace

TEST(TriangleFlat8, DrawsFromTheRoundedTopRowToTheRoundedBottomRowInclusive) {
    Canvas8Fixture canvas(40, 20);
    const Triangle t{Fixed(5.0, 10.4), Fixed(25.0, 12.6), Fixed(2.0, 12.6)};
    TriangleFlat8(canvas.Target(), t.data(), 1);
    std::set<int32_t> rows;
    for (const auto& p : canvas.Drawn()) rows.insert(p.second);
    EXPECT_EQ(rows, (std::set<int32_t>{10, 11, 12, 13}));
}

TEST(TriangleFlat8, FillsEachRowFromTheLeftToTheRightColumnInclusive) {
    Canvas8Fixture canvas(20, 12);
    const Triangle t{Fixed(2.0, 3.0), Fixed(14.0, 3.0), Fixed(2.0, 9.0)};
    TriangleFlat8(canvas.Target(), t.data(), 1);
    std::set<std::pair<int32_t, int32_t>> expected;
    for (int32_t y = 3; y <= 9; ++y) {
        for (int32_t x = 2; x <= 14 - 2 * (y - 3); ++x) expected.insert({x, y});
    }
    EXPECT_EQ(canvas.Drawn(), expected);
}

TEST(TriangleFlat8, ShadesTheColourIndexByTheFirstVertexIntensity) {
    Canvas8Fixture canvas(20, 12);
    // Vertex 0 is the bottom one; the top vertex's intensity must not count.
    const Triangle t{Fixed(4.0, 10.0, 100.0), Fixed(2.0, 1.0, 250.0), Fixed(15.0, 5.0, 250.0)};
    TriangleFlat8(canvas.Target(), t.data(), Canvas::kColorDirect | 3);
    const auto drawn = canvas.Drawn();
    ASSERT_FALSE(drawn.empty());
    for (const auto& p : drawn) EXPECT_EQ(canvas.Pixel(p.first, p.second), Canvas8Fixture::Entry(3, 12));
}

TEST(TriangleFlat8, TakesAnIntensityOutsideItsRangeAtTheNearestEnd) {
    Canvas8Fixture canvas(20, 12);
    Triangle t{Fixed(4.0, 10.0, -5.0), Fixed(2.0, 1.0), Fixed(15.0, 5.0)};
    TriangleFlat8(canvas.Target(), t.data(), 2);
    EXPECT_EQ(canvas.Pixel(6, 6), Canvas8Fixture::Entry(2, 0));
    t[0] = Fixed(4.0, 10.0, 300.0);
    TriangleFlat8(canvas.Target(), t.data(), 2);
    EXPECT_EQ(canvas.Pixel(6, 6), Canvas8Fixture::Entry(2, 31));
}

TEST(TriangleGouraud8, DithersTheLevelByTheOffsetTableAtCanvasRowAndColumn) {
    for (const double shift : {0.0, 1.0, 2.0}) {
        SCOPED_TRACE(shift);
        Canvas8Fixture canvas(24, 24);
        const Triangle t{Fixed(0.0 + shift, 0.0 + shift, 102.0), Fixed(22.0, 0.0 + shift, 102.0),
                         Fixed(0.0 + shift, 22.0, 102.0)};
        TriangleGouraud8(canvas.Target(), t.data(), 4);
        for (int32_t y = 4; y < 12; ++y) {
            for (int32_t x = 4; x < 12; ++x) {
                EXPECT_EQ(canvas.Pixel(x, y), Canvas8Fixture::Entry(4, kDitheredLevels[y & 3][x & 3]))
                    << x << ", " << y;
            }
        }
    }
}

TEST(TriangleGouraud8, StepsTheIntensityAcrossTheRowAsMeasuredOnTheMiddleRow) {
    Canvas8Fixture canvas(40, 24);
    // On row 10 the intensity runs from 0 at column 0 to 248 at column 31:
    // 8 per column, one level, before the offset moves it down by up to half.
    const Triangle t{Fixed(0.0, 0.0, 0.0), Fixed(31.0, 10.0, 248.0), Fixed(0.0, 20.0, 0.0)};
    TriangleGouraud8(canvas.Target(), t.data(), 1);
    for (int32_t x = 0; x <= 31; ++x) {
        const int32_t offset = g_ditherOffsets[10 & 3][x & 3];
        const uint32_t level = offset < 0 && x > 0 ? uint32_t(x - 1) : uint32_t(x);
        EXPECT_EQ(canvas.Pixel(x, 10), Canvas8Fixture::Entry(1, level)) << x;
    }
}

TEST(TriangleGouraudAlpha8, DrawsNothingBelowLevel15) {
    Canvas8Fixture canvas(24, 24);
    const Triangle t{Fixed(0.0, 0.0), Fixed(22.0, 0.0), Fixed(0.0, 22.0)};
    TriangleGouraudAlpha8(canvas.Target(), t.data(), 1, 14);
    EXPECT_EQ(canvas.DrawnCount(), 0);
}

TEST(TriangleGouraudAlpha8, DrawsTheStippledPixelsExactlyAsTheOpaqueTriangle) {
    const Triangle t{Fixed(0.0, 0.0, 102.0), Fixed(22.0, 0.0, 102.0), Fixed(0.0, 22.0, 102.0)};
    Canvas8Fixture opaque(24, 24);
    TriangleGouraud8(opaque.Target(), t.data(), 2);
    for (const uint32_t level : {15u, 128u, 239u}) {
        SCOPED_TRACE(level);
        Canvas8Fixture canvas(24, 24);
        TriangleGouraudAlpha8(canvas.Target(), t.data(), 2, level);
        for (const auto& p : opaque.Drawn()) {
            const auto [x, y] = p;
            if (uint32_t(g_bayerStipple[y & 3][x & 3]) + level >= 255) {
                EXPECT_EQ(canvas.Pixel(x, y), opaque.Pixel(x, y)) << x << ", " << y;
            } else {
                EXPECT_EQ(canvas.Pixel(x, y), Canvas8Fixture::kBackground) << x << ", " << y;
            }
        }
    }
}

TEST(TriangleGouraudAlpha8, CoversOnePixelOfEveryBlockAtLevel15AndHalfAt128) {
    const Triangle t{Fixed(-1.0, -1.0), Fixed(30.0, -1.0), Fixed(-1.0, 30.0)};
    Canvas8Fixture canvas(8, 8);
    TriangleGouraudAlpha8(canvas.Target(), t.data(), 1, 15);
    EXPECT_EQ(canvas.DrawnCount(), 4);
    EXPECT_NE(canvas.Pixel(0, 3), Canvas8Fixture::kBackground);   // the stipple's 240
    canvas.Clear();
    TriangleGouraudAlpha8(canvas.Target(), t.data(), 1, 128);
    EXPECT_EQ(canvas.DrawnCount(), 32);
}

TEST(TriangleGouraudAlpha8, DrawsEveryPixelFromLevel240) {
    const Triangle t{Fixed(0.0, 0.0, 102.0), Fixed(22.0, 0.0, 102.0), Fixed(0.0, 22.0, 102.0)};
    Canvas8Fixture opaque(24, 24);
    TriangleGouraud8(opaque.Target(), t.data(), 2);
    for (const uint32_t level : {240u, 255u}) {
        Canvas8Fixture canvas(24, 24);
        TriangleGouraudAlpha8(canvas.Target(), t.data(), 2, level);
        EXPECT_EQ(canvas.Target()->PixelValues(), opaque.Target()->PixelValues()) << level;
    }
}

TEST(TriangleFlatDepth8, DrawsOnlyWhereStrictlyNearerAndKeepsTheNewDepth) {
    const Triangle t{Fixed(0.0, 0.0), Fixed(10.0, 0.0), Fixed(0.0, 10.0)};   // depth 0.25: 0x4000
    Canvas8Fixture canvas(12, 12, true);
    for (const uint16_t stored : {uint16_t(0x3FFF), uint16_t(0x4000)}) {
        canvas.Clear();
        canvas.Target()->FillDepth(stored);
        TriangleFlatDepth8(canvas.Target(), t.data(), 1);
        EXPECT_EQ(canvas.DrawnCount(), 0) << stored;
        EXPECT_EQ(canvas.Depth(2, 2), stored);
    }
    canvas.Target()->FillDepth(0x4001);
    TriangleFlatDepth8(canvas.Target(), t.data(), 1);
    EXPECT_NE(canvas.Pixel(2, 2), Canvas8Fixture::kBackground);
    EXPECT_EQ(canvas.Depth(2, 2), 0x4000);
    EXPECT_EQ(canvas.Depth(11, 11), 0x4001);
}

TEST(TriangleGouraudDepth8, LetsTheNearerTriangleWinWhicheverComesFirst) {
    const Triangle nearer{Fixed(0.0, 0.0, 128.0, 0.0, 0.0, 1.0, 0.2), Fixed(15.0, 0.0, 128.0, 0.0, 0.0, 1.0, 0.2),
                          Fixed(0.0, 15.0, 128.0, 0.0, 0.0, 1.0, 0.2)};
    const Triangle farther{Fixed(0.0, 0.0, 128.0, 0.0, 0.0, 1.0, 0.6), Fixed(15.0, 0.0, 128.0, 0.0, 0.0, 1.0, 0.6),
                           Fixed(0.0, 15.0, 128.0, 0.0, 0.0, 1.0, 0.6)};
    for (const bool nearFirst : {true, false}) {
        Canvas8Fixture canvas(16, 16, true);
        if (nearFirst) {
            TriangleGouraudDepth8(canvas.Target(), nearer.data(), 1);
            TriangleGouraudDepth8(canvas.Target(), farther.data(), 2);
        } else {
            TriangleGouraudDepth8(canvas.Target(), farther.data(), 2);
            TriangleGouraudDepth8(canvas.Target(), nearer.data(), 1);
        }
        for (const auto& p : canvas.Drawn()) EXPECT_EQ(PaintOf(canvas.Pixel(p.first, p.second)), 1);
    }
}

TEST(TriangleGouraudDepth8, StepsDepthAcrossTheRow) {
    // Depth 0 on the left edge, 0.5 at column 16 of row 8: depth / 2^16 grows
    // by 0x800 a column.
    const Triangle t{Fixed(0.0, 0.0, 128.0, 0.0, 0.0, 1.0, 0.0), Fixed(16.0, 8.0, 128.0, 0.0, 0.0, 1.0, 0.5),
                     Fixed(0.0, 16.0, 128.0, 0.0, 0.0, 1.0, 0.0)};
    Canvas8Fixture canvas(20, 20, true);
    TriangleGouraudDepth8(canvas.Target(), t.data(), 1);
    for (int32_t x = 0; x <= 16; ++x) {
        EXPECT_NEAR(canvas.Depth(x, 8), 0x800 * x, 1) << x;
    }
}

TEST(TriangleGouraudAlphaDepth8, WritesDepthOnlyUnderTheStipple) {
    const Triangle t{Fixed(-1.0, -1.0), Fixed(30.0, -1.0), Fixed(-1.0, 30.0)};
    Canvas8Fixture canvas(8, 8, true);
    TriangleGouraudAlphaDepth8(canvas.Target(), t.data(), 1, 15);
    int32_t written = 0;
    for (int32_t y = 0; y < 8; ++y) {
        for (int32_t x = 0; x < 8; ++x) written += canvas.Depth(x, y) != Canvas8Fixture::kFarthest ? 1 : 0;
    }
    EXPECT_EQ(written, 4);
}

TEST(UntexturedTriangles8, DepthKindsWithoutADepthBufferDrawNothing) {
    Canvas8Fixture canvas(12, 12, false);
    const Triangle t{Fixed(0.0, 0.0), Fixed(10.0, 0.0), Fixed(0.0, 10.0)};
    TriangleFlatDepth8(canvas.Target(), t.data(), 1);
    TriangleGouraudDepth8(canvas.Target(), t.data(), 1);
    TriangleGouraudAlphaDepth8(canvas.Target(), t.data(), 1, 255);
    EXPECT_EQ(canvas.DrawnCount(), 0);
}

TEST(UntexturedTriangles8, DrawNothingWithoutAShadeTable) {
    Canvas8Fixture canvas(12, 12, false);
    const Triangle t{Fixed(0.0, 0.0), Fixed(10.0, 0.0), Fixed(0.0, 10.0)};
    canvas.Target()->palette = nullptr;
    TriangleFlat8(canvas.Target(), t.data(), 1);
    TriangleGouraud8(canvas.Target(), t.data(), 1);
    EXPECT_EQ(canvas.DrawnCount(), 0);
}

TEST(UntexturedTriangles8, TileASharedEdgeWithoutGapOrDoubleCover) {
    for (const Kind8& kind : UntexturedKinds(255)) ExpectSharedEdgeTiling(kind);
}

TEST(UntexturedTriangles8, NeverWriteOutsideTheCanvas) {
    for (const Kind8& kind : UntexturedKinds(255)) ExpectStaysInsideCanvas(kind);
    for (const Kind8& kind : UntexturedKinds(100)) ExpectStaysInsideCanvas(kind, !IsTranslucent(kind));
}

TEST(UntexturedTriangles8, CutAtTheCanvasEdgesWithoutChangingTheRest) {
    const Triangle t{Fixed(5.3, 3.7, 20.0, 0.0, 0.0, 1.0, 0.1), Fixed(60.2, 20.4, 250.0, 0.0, 0.0, 1.0, 0.9),
                     Fixed(14.6, 45.1, 120.0, 0.0, 0.0, 1.0, 0.4)};
    ExpectCutAtLeftAndTopKeepsPixels([](Canvas* c, const FixedVertex* v) { TriangleFlat8(c, v, 3); }, t, false,
                                     false);
    ExpectCutAtLeftAndTopKeepsPixels([](Canvas* c, const FixedVertex* v) { TriangleGouraudDepth8(c, v, 3); }, t,
                                     true, false);
    ExpectCutAtLeftAndTopKeepsPixels(
        [](Canvas* c, const FixedVertex* v) { TriangleGouraudAlphaDepth8(c, v, 3, 200); }, t, true, false);
}

namespace {

TEST(TriangleGouraud8, AShadeTableNarrowerThanTheLevelsIsNotReadPastItsEnd) {
    // A 16-column sky ramp stands in for the shade table; its block holds
    // exactly its rows, so a read of level 16 and up in the last colour's
    // row leaves it.
    Canvas8Fixture canvas(24, 24);
    std::vector<uint8_t> narrow(256 * 16, 7);
    ShadeTable ramp;
    ramp.rows = narrow.data();
    ramp.buffer = nullptr;
    ramp.shift = 4;
    ramp.levels = 16;
    ShadeTable* const own = canvas.Target()->palette->SwapShades(&ramp);
    const Triangle t{Fixed(0.0, 0.0, 255.0), Fixed(22.0, 0.0, 255.0), Fixed(0.0, 22.0, 255.0)};
    TriangleGouraud8(canvas.Target(), t.data(), 255);
    TriangleFlat8(canvas.Target(), t.data(), 255);
    canvas.Target()->palette->SwapShades(own);
    // Nothing can be drawn through such a table.
    EXPECT_EQ(canvas.DrawnCount(), 0);
}

}  // namespace
