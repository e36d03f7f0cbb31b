#include "raster/PerspectiveTriangles8.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "raster/TexturedTriangles8.h"
#include "tests/raster/Canvas8Fixture.h"
#include "tests/support/SpanTarget.h"

namespace {

using Triangle = std::array<FixedVertex, 3>;
using Draw = std::function<void(Canvas*, const FixedVertex*, const SoftTexture*)>;

// One texel per pixel from (2, 2), each pixel on a texel's middle, with the
// weights given: pixel (x, y) shows texel (x - 2, y - 2) when they are equal.
Triangle UnitMapped(double w0 = 1.0, double w1 = 1.0, double w2 = 1.0, double intensity = 128.0) {
    return {Fixed(2.0, 2.0, intensity, 0.5, 0.5, w0), Fixed(18.0, 2.0, intensity, 16.5, 0.5, w1),
            Fixed(2.0, 18.0, intensity, 0.5, 16.5, w2)};
}

struct NamedDraw {
    const char* name;
    bool depth;
    Draw draw;
};

// The translucent kinds at the level given.
std::vector<NamedDraw> AllKinds(uint32_t level) {
    const auto at = [level](auto alpha) {
        return [level, alpha](Canvas* c, const FixedVertex* v, const SoftTexture* t) { alpha(c, v, t, level); };
    };
    return {
        {"TriangleTexturedPerspective8", false, TriangleTexturedPerspective8},
        {"TriangleTexturedPerspectiveDepth8", true, TriangleTexturedPerspectiveDepth8},
        {"TriangleTexturedPerspectiveAlpha8", false, at(TriangleTexturedPerspectiveAlpha8)},
        {"TriangleTexturedPerspectiveAlphaDepth8", true, at(TriangleTexturedPerspectiveAlphaDepth8)},
        {"TriangleTexturedGouraudPerspective8", false, TriangleTexturedGouraudPerspective8},
        {"TriangleTexturedGouraudPerspectiveDepth8", true, TriangleTexturedGouraudPerspectiveDepth8},
        {"TriangleTexturedGouraudPerspectiveAlpha8", false, at(TriangleTexturedGouraudPerspectiveAlpha8)},
        {"TriangleTexturedGouraudPerspectiveAlphaDepth8", true, at(TriangleTexturedGouraudPerspectiveAlphaDepth8)},
    };
}

// The kinds over textures that hold nothing but the texel paint.
class PaintedKinds {
public:
    PaintedKinds() {
        paints_[1].Fill(1);
        paints_[2].Fill(2);
    }

    std::vector<Kind8> Kinds(uint32_t level) {
        std::vector<Kind8> kinds;
        for (const NamedDraw& kind : AllKinds(level)) {
            kinds.push_back({kind.name, kind.depth, [this, draw = kind.draw](Canvas* c, const FixedVertex* v, int p) {
                                 draw(c, v, paints_[p].Texture());
                             }});
        }
        return kinds;
    }

private:
    SpanTexture paints_[3] = {SpanTexture(4, 4), SpanTexture(4, 4), SpanTexture(4, 4)};
};

}  // namespace

TEST(PerspectiveTriangles8, DrawNothingForAVertexAtOrBehindTheEye) {
    SpanTexture texture(4, 4);
    texture.FillPattern();
    for (const auto& [name, depth, draw] : AllKinds(255)) {
        SCOPED_TRACE(name);
        Canvas8Fixture canvas(24, 24, true);
        for (const double w : {0.0, -0.5}) {
            draw(canvas.Target(), UnitMapped(1.0, w, 1.0).data(), texture.Texture());
            draw(canvas.Target(), UnitMapped(w, 1.0, 1.0).data(), texture.Texture());
        }
        EXPECT_EQ(canvas.DrawnCount(), 0);
        draw(canvas.Target(), UnitMapped().data(), texture.Texture());
        EXPECT_GT(canvas.DrawnCount(), 0);
    }
}

TEST(PerspectiveTriangles8, DrawTheAffineTexelsWhenTheWeightsAreEqual) {
    SpanTexture texture(4, 4);
    texture.FillPattern();
    Canvas8Fixture affine(24, 24);
    TriangleTextured8(affine.Target(), UnitMapped().data(), texture.Texture());
    Canvas8Fixture canvas(24, 24);
    TriangleTexturedPerspective8(canvas.Target(), UnitMapped(0.3, 0.3, 0.3).data(), texture.Texture());
    EXPECT_EQ(canvas.Target()->PixelValues(), affine.Target()->PixelValues());
}

// Row 5 runs from (10, 5) to (50, 5), both vertices exactly, u from 0.5 to
// 63.5 texels with the left end twice as near as the right.
TEST(PerspectiveTriangles8, FollowTheExactPerspectiveAlongARow) {
    SpanTexture texture(6, 4);
    for (int32_t row = 0; row < 16; ++row) {
        for (int32_t column = 0; column < 64; ++column) texture.Texel(column, row) = uint8_t(column);
    }
    const Triangle t{Fixed(10.0, 5.0, 128.0, 0.5, 0.5, 1.0), Fixed(50.0, 5.0, 128.0, 63.5, 0.5, 0.5),
                     Fixed(30.0, 30.0, 128.0, 32.0, 0.5, 0.75)};
    for (const auto& [name, draw] :
         std::vector<std::pair<const char*, Draw>>{{"flat", TriangleTexturedPerspective8},
                                                   {"gouraud", TriangleTexturedGouraudPerspective8}}) {
        SCOPED_TRACE(name);
        Canvas8Fixture canvas(64, 32);
        canvas.ShowTexels();
        draw(canvas.Target(), t.data(), texture.Texture());
        EXPECT_EQ(canvas.Pixel(10, 5), 0);
        EXPECT_EQ(canvas.Pixel(50, 5), 63);
        double straightError = 0.0;
        double drawnError = 0.0;
        for (int32_t k = 0; k <= 40; ++k) {
            const double s = k / 40.0;
            const double exact = (0.5 * 1.0 * (1 - s) + 63.5 * 0.5 * s) / (1.0 * (1 - s) + 0.5 * s);
            const int32_t drawn = canvas.Pixel(10 + k, 5);
            EXPECT_LE(std::abs(drawn - int32_t(std::floor(exact))), 2) << k;
            drawnError += std::fabs(drawn + 0.5 - exact);
            straightError += std::fabs(0.5 + 63.0 * s - exact);
        }
        EXPECT_LT(drawnError * 4, straightError);
    }
}

TEST(TriangleTexturedGouraudPerspective8, DrawsTexel255OfUnkeyedSquare128And256Images) {
    for (const int32_t log2 : {7, 8}) {
        SCOPED_TRACE(log2);
        SpanTexture texture(log2, log2);
        texture.FillPattern();
        texture.Texel(3, 4) = 255;
        Canvas8Fixture canvas(24, 24, true);
        TriangleTexturedGouraudPerspective8(canvas.Target(), UnitMapped(1.0, 0.8, 0.9).data(), texture.Texture());
        EXPECT_LT(canvas.Pixel(2 + 3, 2 + 4), 32);   // row 255 of the shade table
        canvas.Clear();
        TriangleTexturedGouraudPerspectiveDepth8(canvas.Target(), UnitMapped().data(), texture.Texture());
        EXPECT_EQ(canvas.Pixel(2 + 3, 2 + 4), Canvas8Fixture::Entry(255, 16));
        EXPECT_NE(canvas.Depth(2 + 3, 2 + 4), Canvas8Fixture::kFarthest);
    }
}

TEST(PerspectiveTriangles8, SkipTexel255OfEveryOtherImageAndLoop) {
    struct Case {
        const char* name;
        int32_t log2Width;
        int32_t log2Height;
        bool keyed;
        Draw draw;
    };
    const std::vector<Case> cases = {
        {"keyed 128", 7, 7, true, TriangleTexturedGouraudPerspective8},
        {"keyed 256 depth", 8, 8, true, TriangleTexturedGouraudPerspectiveDepth8},
        {"unkeyed 64", 6, 6, false, TriangleTexturedGouraudPerspective8},
        {"unkeyed 128 x 64", 7, 6, false, TriangleTexturedGouraudPerspective8},
        {"one level, unkeyed 128", 7, 7, false, TriangleTexturedPerspective8},
        {"one level depth, unkeyed 256", 8, 8, false, TriangleTexturedPerspectiveDepth8},
        {"stipple pass, unkeyed 128",
         7, 7, false,
         [](Canvas* c, const FixedVertex* v, const SoftTexture* t) {
             TriangleTexturedGouraudPerspectiveAlpha8(c, v, t, 239);
         }},
        {"stipple pass depth, unkeyed 256",
         8, 8, false,
         [](Canvas* c, const FixedVertex* v, const SoftTexture* t) {
             TriangleTexturedGouraudPerspectiveAlphaDepth8(c, v, t, 239);
         }},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        SpanTexture texture(test.log2Width, test.log2Height, test.keyed);
        texture.Fill(1);
        for (int32_t row = 0; row < 32; ++row) {
            for (int32_t column = 0; column < 32; ++column) texture.Texel(column, row) = 255;
        }
        Canvas8Fixture canvas(24, 24, true);
        test.draw(canvas.Target(), UnitMapped(1.0, 0.8, 0.9).data(), texture.Texture());
        EXPECT_EQ(canvas.DrawnCount(), 0);
        EXPECT_EQ(canvas.Depth(6, 6), Canvas8Fixture::kFarthest);
    }
}

TEST(TriangleTexturedGouraudPerspectiveAlpha8, DrawsTexel255OfAnUnkeyed128ImageInItsOpaquePass) {
    SpanTexture texture(7, 7);
    texture.Fill(255);
    Canvas8Fixture canvas(24, 24);
    TriangleTexturedGouraudPerspectiveAlpha8(canvas.Target(), UnitMapped().data(), texture.Texture(), 240);
    EXPECT_GT(canvas.DrawnCount(), 100);
}

// The loops with fixed shifts differ from the general loop only in texel 255.
TEST(TriangleTexturedGouraudPerspective8, SquareLoopsDrawWhatTheGeneralLoopDraws) {
    for (const int32_t log2 : {7, 8}) {
        SCOPED_TRACE(log2);
        SpanTexture plain(log2, log2, false);
        SpanTexture keyed(log2, log2, true);
        for (int32_t row = 0; row < plain.Height(); ++row) {
            for (int32_t column = 0; column < plain.Width(); ++column) {
                plain.Texel(column, row) = keyed.Texel(column, row) = uint8_t((column * 7 + row * 3) % 200);
            }
        }
        const Triangle t{Fixed(3.0, 1.0, 30.0, 5.0, 200.0, 1.0, 0.1), Fixed(60.0, 20.0, 220.0, 250.0, 10.0, 0.2, 0.7),
                         Fixed(10.0, 45.0, 120.0, 40.0, 90.0, 0.6, 0.3)};
        Canvas8Fixture fixed(64, 48, true);
        Canvas8Fixture general(64, 48, true);
        fixed.ShowTexels();
        general.ShowTexels();
        TriangleTexturedGouraudPerspectiveDepth8(fixed.Target(), t.data(), plain.Texture());
        TriangleTexturedGouraudPerspectiveDepth8(general.Target(), t.data(), keyed.Texture());
        EXPECT_GT(fixed.DrawnCount(), 500);
        EXPECT_EQ(fixed.Target()->PixelValues(), general.Target()->PixelValues());
        EXPECT_EQ(fixed.Target()->DepthValues(), general.Target()->DepthValues());
    }
}

TEST(PerspectiveTriangles8, TileASharedEdgeWithoutGapOrDoubleCover) {
    PaintedKinds kinds;
    for (const Kind8& kind : kinds.Kinds(255)) ExpectSharedEdgeTiling(kind);
}

TEST(PerspectiveTriangles8, NeverWriteOutsideTheCanvas) {
    PaintedKinds kinds;
    for (const Kind8& kind : kinds.Kinds(255)) ExpectStaysInsideCanvas(kind);
    for (const Kind8& kind : kinds.Kinds(90)) ExpectStaysInsideCanvas(kind, !IsTranslucent(kind));
}

// The square loops reach far outside too.
TEST(TriangleTexturedGouraudPerspective8, SquareLoopsNeverWriteOutsideTheCanvas) {
    for (const int32_t log2 : {7, 8}) {
        SpanTexture texture(log2, log2);
        texture.Fill(3);
        for (const bool depth : {false, true}) {
            ExpectStaysInsideCanvas(Kind8{"square", depth, [&](Canvas* c, const FixedVertex* v, int) {
                                              if (depth) {
                                                  TriangleTexturedGouraudPerspectiveDepth8(c, v, texture.Texture());
                                              } else {
                                                  TriangleTexturedGouraudPerspective8(c, v, texture.Texture());
                                              }
                                          }});
        }
    }
}

TEST(PerspectiveTriangles8, CutAtTheCanvasEdgesWithoutChangingTheRest) {
    const Triangle t{Fixed(5.3, 3.7, 20.0, 3.0, 1.0, 1.0, 0.1), Fixed(60.2, 20.4, 250.0, 70.0, 9.0, 0.2, 0.9),
                     Fixed(14.6, 45.1, 120.0, 12.0, 40.0, 0.6, 0.4)};
    for (const int32_t log2 : {6, 7}) {
        SCOPED_TRACE(log2);
        SpanTexture texture(log2, log2);
        for (int32_t row = 0; row < texture.Height(); ++row) {
            for (int32_t column = 0; column < texture.Width(); ++column) {
                texture.Texel(column, row) = uint8_t(column * 7 + row);
            }
        }
        ExpectCutAtLeftAndTopKeepsPixels(
            [&](Canvas* c, const FixedVertex* v) { TriangleTexturedGouraudPerspectiveDepth8(c, v, texture.Texture()); },
            t, true, true);
        ExpectCutAtLeftAndTopKeepsPixels(
            [&](Canvas* c, const FixedVertex* v) { TriangleTexturedPerspective8(c, v, texture.Texture()); }, t, false,
            true);
    }
}
