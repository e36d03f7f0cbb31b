#include "raster/TexturedTriangles8.h"

#include <array>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "raster/Span.h"
#include "tests/raster/Canvas8Fixture.h"
#include "tests/support/SpanTarget.h"

namespace {

using Triangle = std::array<FixedVertex, 3>;

// One texel per pixel from (2, 2): pixel (x, y) shows texel (x - 2, y - 2),
// the far corners wrapping round to texel 0.
Triangle UnitMapped(double intensity = 128.0, double size = 16.0) {
    return {Fixed(2.0, 2.0, intensity, 0.0, 0.0), Fixed(2.0 + size, 2.0, intensity, size, 0.0),
            Fixed(2.0, 2.0 + size, intensity, 0.0, size)};
}

// The kinds under test, over textures that hold nothing but the texel paint.
class TexturedKinds {
public:
    TexturedKinds() {
        paints_[1].Fill(1);
        paints_[2].Fill(2);
    }

    std::vector<Kind8> Kinds(uint32_t level) {
        const auto texture = [this](int p) { return paints_[p].Texture(); };
        return {
            {"TriangleTextured8", false,
             [=](Canvas* c, const FixedVertex* v, int p) { TriangleTextured8(c, v, texture(p)); }},
            {"TriangleTexturedDepth8", true,
             [=](Canvas* c, const FixedVertex* v, int p) { TriangleTexturedDepth8(c, v, texture(p)); }},
            {"TriangleTexturedAlpha8", false,
             [=](Canvas* c, const FixedVertex* v, int p) { TriangleTexturedAlpha8(c, v, texture(p), level); }},
            {"TriangleTexturedAlphaDepth8", true,
             [=](Canvas* c, const FixedVertex* v, int p) { TriangleTexturedAlphaDepth8(c, v, texture(p), level); }},
            {"TriangleTexturedGouraud8", false,
             [=](Canvas* c, const FixedVertex* v, int p) { TriangleTexturedGouraud8(c, v, texture(p)); }},
            {"TriangleTexturedGouraudDepth8", true,
             [=](Canvas* c, const FixedVertex* v, int p) { TriangleTexturedGouraudDepth8(c, v, texture(p)); }},
            {"TriangleTexturedGouraudAlpha8", false,
             [=](Canvas* c, const FixedVertex* v, int p) {
                 TriangleTexturedGouraudAlpha8(c, v, texture(p), level);
             }},
            {"TriangleTexturedGouraudAlphaDepth8", true,
             [=](Canvas* c, const FixedVertex* v, int p) {
                 TriangleTexturedGouraudAlphaDepth8(c, v, texture(p), level);
             }},
        };
    }

private:
    SpanTexture paints_[3] = {SpanTexture(4, 4), SpanTexture(4, 4), SpanTexture(4, 4)};
};

}  // namespace

TEST(TriangleTextured8, MapsTexelsAlongRowsAndColumns) {
    SpanTexture texture(4, 4);
    texture.FillPattern();
    Canvas8Fixture canvas(24, 24);
    const Triangle t = UnitMapped();
    TriangleTextured8(canvas.Target(), t.data(), texture.Texture());
    const auto drawn = canvas.Drawn();
    ASSERT_FALSE(drawn.empty());
    for (const auto& [x, y] : drawn) {
        EXPECT_EQ(canvas.Pixel(x, y), Canvas8Fixture::Entry(SpanTexture::Pattern((x - 2) & 15, (y - 2) & 15), 16))
            << x << ", " << y;
    }
}

TEST(TriangleTextured8, RepeatsTheTextureBothWays) {
    SpanTexture texture(4, 4);
    texture.FillPattern();
    Canvas8Fixture canvas(48, 48);
    const Triangle t = UnitMapped(128.0, 40.0);
    TriangleTextured8(canvas.Target(), t.data(), texture.Texture());
    EXPECT_EQ(canvas.Pixel(2 + 17, 2 + 3), Canvas8Fixture::Entry(SpanTexture::Pattern(1, 3), 16));
    EXPECT_EQ(canvas.Pixel(2 + 5, 2 + 33), Canvas8Fixture::Entry(SpanTexture::Pattern(5, 1), 16));
}

TEST(TriangleTextured8, ShadesEveryTexelAtVertexZerosLevel) {
    SpanTexture texture(4, 4);
    texture.Fill(3);
    Canvas8Fixture canvas(24, 24);
    Triangle t = UnitMapped(250.0);
    t[0].intensity = 40 << 16;   // level 5
    TriangleTextured8(canvas.Target(), t.data(), texture.Texture());
    for (const auto& [x, y] : canvas.Drawn()) EXPECT_EQ(canvas.Pixel(x, y), Canvas8Fixture::Entry(3, 5));
}

TEST(TriangleTexturedGouraud8, DithersTheLevelOfEveryTexel) {
    SpanTexture texture(4, 4);
    texture.Fill(3);
    Canvas8Fixture canvas(24, 24);
    const Triangle t = UnitMapped(102.0);
    TriangleTexturedGouraud8(canvas.Target(), t.data(), texture.Texture());
    for (int32_t y = 4; y < 10; ++y) {
        for (int32_t x = 4; x < 10; ++x) {
            EXPECT_EQ(canvas.Pixel(x, y), Canvas8Fixture::Entry(3, kDitheredLevels[y & 3][x & 3])) << x << ", " << y;
        }
    }
}

TEST(TexturedTriangles8, LeaveTexel255AndItsDepthAloneWhateverTheImageFlag) {
    for (const bool keyed : {false, true}) {
        SpanTexture texture(4, 4, keyed);
        texture.FillPattern();
        texture.Texel(3, 4) = 255;
        texture.Texel(9, 1) = 255;
        const std::vector<std::pair<const char*, std::function<void(Canvas*, const FixedVertex*)>>> kinds = {
            {"plain", [&](Canvas* c, const FixedVertex* v) { TriangleTextured8(c, v, texture.Texture()); }},
            {"depth", [&](Canvas* c, const FixedVertex* v) { TriangleTexturedDepth8(c, v, texture.Texture()); }},
            {"alpha", [&](Canvas* c, const FixedVertex* v) { TriangleTexturedAlpha8(c, v, texture.Texture(), 255); }},
            {"alpha depth",
             [&](Canvas* c, const FixedVertex* v) { TriangleTexturedAlphaDepth8(c, v, texture.Texture(), 255); }},
            {"gouraud", [&](Canvas* c, const FixedVertex* v) { TriangleTexturedGouraud8(c, v, texture.Texture()); }},
            {"gouraud depth",
             [&](Canvas* c, const FixedVertex* v) { TriangleTexturedGouraudDepth8(c, v, texture.Texture()); }},
            {"gouraud alpha",
             [&](Canvas* c, const FixedVertex* v) { TriangleTexturedGouraudAlpha8(c, v, texture.Texture(), 255); }},
            {"gouraud alpha depth",
             [&](Canvas* c, const FixedVertex* v) {
                 TriangleTexturedGouraudAlphaDepth8(c, v, texture.Texture(), 255);
             }},
        };
        for (const auto& [name, draw] : kinds) {
            SCOPED_TRACE(name);
            Canvas8Fixture canvas(24, 24, true);
            const Triangle t = UnitMapped();
            draw(canvas.Target(), t.data());
            EXPECT_EQ(canvas.Pixel(2 + 3, 2 + 4), Canvas8Fixture::kBackground);
            EXPECT_EQ(canvas.Pixel(2 + 9, 2 + 1), Canvas8Fixture::kBackground);
            EXPECT_EQ(canvas.Depth(2 + 3, 2 + 4), Canvas8Fixture::kFarthest);
            EXPECT_EQ(canvas.Depth(2 + 9, 2 + 1), Canvas8Fixture::kFarthest);
            EXPECT_NE(canvas.Pixel(2 + 4, 2 + 4), Canvas8Fixture::kBackground);
        }
    }
}

TEST(TriangleTexturedAlpha8, DrawsTheStippledPixelsOnly) {
    SpanTexture texture(4, 4);
    texture.FillPattern();
    const Triangle t = UnitMapped();
    Canvas8Fixture opaque(24, 24);
    TriangleTextured8(opaque.Target(), t.data(), texture.Texture());
    Canvas8Fixture canvas(24, 24);
    TriangleTexturedAlpha8(canvas.Target(), t.data(), texture.Texture(), 14);
    EXPECT_EQ(canvas.DrawnCount(), 0);
    TriangleTexturedAlpha8(canvas.Target(), t.data(), texture.Texture(), 100);
    for (const auto& [x, y] : opaque.Drawn()) {
        const bool covered = g_bayerStipple[y & 3][x & 3] + 100 >= 255;
        EXPECT_EQ(canvas.Pixel(x, y), covered ? opaque.Pixel(x, y) : Canvas8Fixture::kBackground) << x << ", " << y;
    }
}

TEST(TexturedTriangles8, DrawNothingWithoutAUsableTexture) {
    Canvas8Fixture canvas(24, 24);
    const Triangle t = UnitMapped();
    TriangleTextured8(canvas.Target(), t.data(), nullptr);
    TriangleTexturedGouraud8(canvas.Target(), t.data(), nullptr);
    // An image that no longer has the texture's sides is not read.
    SpanTexture texture(5, 5);
    SoftTexture* const soft = const_cast<SoftTexture*>(texture.Texture());
    soft->image->height = 16;
    TriangleTextured8(canvas.Target(), t.data(), soft);
    soft->image->height = 32;
    EXPECT_EQ(canvas.DrawnCount(), 0);
}

TEST(TexturedTriangles8, TileASharedEdgeWithoutGapOrDoubleCover) {
    TexturedKinds kinds;
    for (const Kind8& kind : kinds.Kinds(255)) ExpectSharedEdgeTiling(kind);
}

TEST(TexturedTriangles8, NeverWriteOutsideTheCanvas) {
    TexturedKinds kinds;
    for (const Kind8& kind : kinds.Kinds(255)) ExpectStaysInsideCanvas(kind);
    for (const Kind8& kind : kinds.Kinds(60)) ExpectStaysInsideCanvas(kind, !IsTranslucent(kind));
}

TEST(TexturedTriangles8, CutAtTheCanvasEdgesWithoutChangingTheRest) {
    SpanTexture texture(5, 4);
    for (int32_t row = 0; row < 16; ++row) {
        for (int32_t column = 0; column < 32; ++column) texture.Texel(column, row) = uint8_t(column * 7 + row);
    }
    const Triangle t{Fixed(5.3, 3.7, 20.0, 3.0, 1.0, 1.0, 0.1), Fixed(60.2, 20.4, 250.0, 70.0, 9.0, 1.0, 0.9),
                     Fixed(14.6, 45.1, 120.0, 12.0, 40.0, 1.0, 0.4)};
    ExpectCutAtLeftAndTopKeepsPixels(
        [&](Canvas* c, const FixedVertex* v) { TriangleTexturedGouraud8(c, v, texture.Texture()); }, t, false, true);
    ExpectCutAtLeftAndTopKeepsPixels(
        [&](Canvas* c, const FixedVertex* v) { TriangleTexturedDepth8(c, v, texture.Texture()); }, t, true, true);
}
