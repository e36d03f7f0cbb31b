#include "raster/PolygonChoosers8.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "raster/UntexturedTriangles8.h"
#include "tests/raster/Canvas8Fixture.h"
#include "tests/support/SpanTarget.h"

namespace {

using Chooser = std::function<void(Canvas*, int32_t, const FixedVertex*)>;

struct NamedChooser {
    std::string name;
    Chooser draw;
};

// Every chooser, the textured ones over a 32 x 32 texture of texel 3 and the
// translucent ones at the given level.
std::vector<NamedChooser> AllChoosers(const SoftTexture* texture, uint32_t level) {
    return {
        {"Flat", FillPolygonFlat8},
        {"Gouraud", FillPolygonGouraud8},
        {"Textured", [=](Canvas* c, int32_t n, const FixedVertex* v) { FillPolygonTextured8(c, n, v, texture); }},
        {"TexturedPerspective",
         [=](Canvas* c, int32_t n, const FixedVertex* v) { FillPolygonTexturedPerspective8(c, n, v, texture); }},
        {"TexturedGouraud",
         [=](Canvas* c, int32_t n, const FixedVertex* v) { FillPolygonTexturedGouraud8(c, n, v, texture); }},
        {"TexturedGouraudPerspective",
         [=](Canvas* c, int32_t n, const FixedVertex* v) {
             FillPolygonTexturedGouraudPerspective8(c, n, v, texture);
         }},
        {"Rgb", FillPolygonRgb8},
        {"FlatAlpha", [=](Canvas* c, int32_t n, const FixedVertex* v) { FillPolygonFlatAlpha8(c, n, v, level); }},
        {"GouraudAlpha",
         [=](Canvas* c, int32_t n, const FixedVertex* v) { FillPolygonGouraudAlpha8(c, n, v, level); }},
        {"TexturedAlpha",
         [=](Canvas* c, int32_t n, const FixedVertex* v) { FillPolygonTexturedAlpha8(c, n, v, texture, level); }},
        {"TexturedPerspectiveAlpha",
         [=](Canvas* c, int32_t n, const FixedVertex* v) {
             FillPolygonTexturedPerspectiveAlpha8(c, n, v, texture, level);
         }},
        {"TexturedGouraudAlpha",
         [=](Canvas* c, int32_t n, const FixedVertex* v) {
             FillPolygonTexturedGouraudAlpha8(c, n, v, texture, level);
         }},
        {"TexturedGouraudPerspectiveAlpha",
         [=](Canvas* c, int32_t n, const FixedVertex* v) {
             FillPolygonTexturedGouraudPerspectiveAlpha8(c, n, v, texture, level);
         }},
    };
}

FixedVertex Coloured(double x, double y, uint32_t colour, double intensity = 128.0) {
    FixedVertex v = Fixed(x, y, intensity, x / 4.0, y / 4.0);
    v.colour = colour;
    return v;
}

// A dart: the fan from vertex 0 leaves the notch below vertex 2 empty,
// where the fan from vertex 1 would fill it.
const std::vector<FixedVertex> kDart = {Coloured(20, 2, 1), Coloured(36, 36, 2, 200), Coloured(20, 20, 3, 40),
                                        Coloured(4, 36, 4, 90)};
// A convex pentagon.
const std::vector<FixedVertex> kPentagon = {Coloured(20, 2, 1), Coloured(37, 14, 2, 220), Coloured(30, 36, 3, 30),
                                            Coloured(9, 35, 4, 160), Coloured(3, 13, 5, 70)};

std::vector<uint16_t> Draw(const Chooser& chooser, const std::vector<FixedVertex>& polygon) {
    Canvas8Fixture canvas(40, 40);
    chooser(canvas.Target(), int32_t(polygon.size()), polygon.data());
    return canvas.Target()->PixelValues();
}

// The triangles given, each drawn on its own through the chooser, one after
// another on one canvas.
std::vector<uint16_t> DrawEach(const Chooser& chooser, const std::vector<FixedVertex>& polygon,
                               const std::vector<std::array<int, 3>>& triangles) {
    Canvas8Fixture canvas(40, 40);
    for (const auto& t : triangles) {
        const FixedVertex corners[3] = {polygon[size_t(t[0])], polygon[size_t(t[1])], polygon[size_t(t[2])]};
        chooser(canvas.Target(), 3, corners);
    }
    return canvas.Target()->PixelValues();
}

class PolygonChoosers8 : public ::testing::Test {
protected:
    PolygonChoosers8() : texture_(5, 5) { texture_.Fill(3); }

    SpanTexture texture_;
};

TEST_F(PolygonChoosers8, FourVerticesDrawTriangles012And023) {
    for (const NamedChooser& chooser : AllChoosers(texture_.Texture(), 255)) {
        const std::vector<uint16_t> fan = Draw(chooser.draw, kDart);
        EXPECT_EQ(fan, DrawEach(chooser.draw, kDart, {{0, 1, 2}, {0, 2, 3}})) << chooser.name;
        EXPECT_NE(fan, DrawEach(chooser.draw, kDart, {{1, 2, 3}, {1, 3, 0}})) << chooser.name;
    }
}

TEST_F(PolygonChoosers8, FiveVerticesDrawTriangles012And023And034) {
    for (const NamedChooser& chooser : AllChoosers(texture_.Texture(), 128)) {
        EXPECT_EQ(Draw(chooser.draw, kPentagon), DrawEach(chooser.draw, kPentagon, {{0, 1, 2}, {0, 2, 3}, {0, 3, 4}}))
            << chooser.name;
    }
}

TEST_F(PolygonChoosers8, FewerThanThreeVerticesDrawNothing) {
    for (const NamedChooser& chooser : AllChoosers(texture_.Texture(), 255)) {
        for (int32_t count = -1; count < 3; ++count) {
            Canvas8Fixture canvas(40, 40);
            chooser.draw(canvas.Target(), count, kDart.data());
            EXPECT_EQ(canvas.DrawnCount(), 0) << chooser.name << " count " << count;
        }
    }
}

TEST_F(PolygonChoosers8, FlatFanTakesVertexZerosColourForEveryTriangle) {
    Canvas8Fixture canvas(40, 40);
    // Every vertex at one intensity, so that only the colour could differ.
    std::vector<FixedVertex> dart = kDart;
    for (FixedVertex& v : dart) v.intensity = 128 << 16;
    FillPolygonFlat8(canvas.Target(), 4, dart.data());
    ASSERT_GT(canvas.DrawnCount(), 0);
    for (const auto& [x, y] : canvas.Drawn()) {
        EXPECT_EQ(canvas.Pixel(x, y), Canvas8Fixture::Entry(1, 16)) << x << ", " << y;
    }
}

TEST_F(PolygonChoosers8, ShadedFansStayInVertexZerosColourRow) {
    for (const auto& draw : std::vector<Chooser>{
             FillPolygonGouraud8,
             [](Canvas* c, int32_t n, const FixedVertex* v) { FillPolygonFlatAlpha8(c, n, v, 255); },
             [](Canvas* c, int32_t n, const FixedVertex* v) { FillPolygonGouraudAlpha8(c, n, v, 255); }}) {
        Canvas8Fixture canvas(40, 40);
        draw(canvas.Target(), 4, kDart.data());
        ASSERT_GT(canvas.DrawnCount(), 0);
        for (const auto& [x, y] : canvas.Drawn()) {
            // Colour 1's row: entries 32 .. 63.
            EXPECT_GE(canvas.Pixel(x, y), Canvas8Fixture::Entry(1, 0)) << x << ", " << y;
            EXPECT_LE(canvas.Pixel(x, y), Canvas8Fixture::Entry(1, 31)) << x << ", " << y;
        }
    }
}

TEST_F(PolygonChoosers8, CanvasDepthTestPicksTheDepthTestedTriangles) {
    for (const NamedChooser& chooser : AllChoosers(texture_.Texture(), 255)) {
        Canvas8Fixture canvas(40, 40, true);
        // Nothing is nearer than 0: a depth-tested triangle draws nothing.
        canvas.Target()->FillDepth(0);
        chooser.draw(canvas.Target(), 4, kDart.data());
        EXPECT_EQ(canvas.DrawnCount(), 0) << chooser.name;

        canvas.Target()->flags &= ~Canvas::kFlagDepthTest;
        chooser.draw(canvas.Target(), 4, kDart.data());
        EXPECT_GT(canvas.DrawnCount(), 0) << chooser.name;
        EXPECT_EQ(canvas.Depth(20, 10), 0) << chooser.name;
    }
}

TEST_F(PolygonChoosers8, TranslucentChoosersPassTheirLevelToEveryTriangle) {
    for (const uint32_t level : {14u, 100u, 200u, 255u}) {
        Canvas8Fixture chosen(40, 40);
        FillPolygonGouraudAlpha8(chosen.Target(), 4, kDart.data(), level);
        Canvas8Fixture direct(40, 40);
        const FixedVertex first[3] = {kDart[0], kDart[1], kDart[2]};
        const FixedVertex second[3] = {kDart[0], kDart[2], kDart[3]};
        TriangleGouraudAlpha8(direct.Target(), first, kDart[0].colour, level);
        TriangleGouraudAlpha8(direct.Target(), second, kDart[0].colour, level);
        EXPECT_EQ(chosen.Target()->PixelValues(), direct.Target()->PixelValues()) << "level " << level;
        if (level == 14) {
            EXPECT_EQ(chosen.DrawnCount(), 0);
        }
    }
}

TEST_F(PolygonChoosers8, TexturedChoosersDrawTheirTexture) {
    Canvas8Fixture canvas(40, 40);
    canvas.ShowTexels();
    FillPolygonTextured8(canvas.Target(), 4, kDart.data(), texture_.Texture());
    ASSERT_GT(canvas.DrawnCount(), 0);
    for (const auto& [x, y] : canvas.Drawn()) {
        EXPECT_EQ(canvas.Pixel(x, y), 3) << x << ", " << y;
    }
}

}  // namespace
