#include "raster/PolygonEntry.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <random>
#include <vector>

#include "display/NearShapes.h"
#include "display/Palette.h"
#include "display/SoftTexture.h"
#include "display/PixelImage.h"
#include "raster/FillTriangle16.h"
#include "raster/PerspectiveSubdivision.h"
#include "raster/RgbTriangles.h"
#include "tests/support/MemoryCanvas.h"
#include "tests/support/RecordingCanvas.h"
#include "tests/support/RecordingTriangles.h"
#include "tests/support/ScopedColorTables.h"

namespace {

constexpr uint32_t kFlat = 0x00;
constexpr uint32_t kTextured = Canvas::kModeTextured;
constexpr uint32_t kPerspective = Canvas::kModePerspective | Canvas::kModeTextured;

ScreenVertex Vertex(float x, float y, uint32_t colour = 0, float u = 0.0f, float v = 0.0f, float invZ = 1.0f) {
    ScreenVertex p;
    p.x = x;
    p.y = y;
    p.colour = colour;
    p.intensity = 128.0f;
    p.u = u;
    p.v = v;
    p.invZ = invZ;
    return p;
}

// A recording canvas with the software canvas's thresholds for its width of 640.
struct SetUpCanvas {
    SetUpCanvas() {
        canvas.subdivideLength = 0.07f * 640.0f;       // 44.8
        canvas.subdivideLongLength = 0.28f * 640.0f;   // 179.2
    }
    RecordingCanvas canvas;
};

// An 8-bit image over texels of its own, its textures released with it.
struct TextureImage {
    TextureImage(int16_t width, int16_t height) : texels(size_t(width * height), 7), image(PixelImage::kFormat8Bit) {
        image.width = width;
        image.height = height;
        image.pixels = texels.data();
    }
    std::vector<uint8_t> texels;
    PixelImage image;
};

// The colour words of a recorded triangle's corners: the tests below give
// every vertex its index as its colour.
std::vector<uint32_t> Corners(const RecordedTriangle& t) { return {t.a.colour, t.b.colour, t.c.colour}; }

TEST(FillPolygon16, FansFromVertexZero) {
    SetUpCanvas setUp;
    RecordingCanvas& canvas = setUp.canvas;
    const ScreenVertex v[] = {Vertex(0, 0, 0), Vertex(10, 0, 1), Vertex(12, 8, 2), Vertex(5, 12, 3), Vertex(-3, 6, 4)};
    {
        RecordingTriangles recorder;
        FillPolygon16(&canvas, 4, kFlat, v, nullptr, 255, RecordingTriangles::Fill);
        ASSERT_EQ(recorder.Count(), 2u);
        EXPECT_EQ(Corners(recorder.Triangles()[0]), (std::vector<uint32_t>{0, 1, 2}));
        EXPECT_EQ(Corners(recorder.Triangles()[1]), (std::vector<uint32_t>{0, 2, 3}));
    }
    RecordingTriangles recorder;
    FillPolygon16(&canvas, 5, kFlat | Canvas::kModeDepthTest, v, nullptr, 90, RecordingTriangles::Fill);
    ASSERT_EQ(recorder.Count(), 3u);
    EXPECT_EQ(Corners(recorder.Triangles()[2]), (std::vector<uint32_t>{0, 3, 4}));
    for (const RecordedTriangle& t : recorder.Triangles()) {
        EXPECT_EQ(t.mode, kFlat | Canvas::kModeDepthTest);
        EXPECT_EQ(t.level, 90u);
        EXPECT_EQ(t.texture, nullptr);
        EXPECT_EQ(t.canvas, &canvas);
        EXPECT_EQ(t.a.x, 0.0f);
        EXPECT_EQ(t.a.intensity, 128.0f);
    }
}

TEST(FillPolygon16, FewerThanThreeVerticesDrawNothing) {
    SetUpCanvas setUp;
    RecordingCanvas& canvas = setUp.canvas;
    const ScreenVertex v[] = {Vertex(0, 0), Vertex(300, 0), Vertex(0, 300)};
    RecordingTriangles recorder;
    for (int32_t count = -1; count < 3; ++count) {
        FillPolygon16(&canvas, count, kFlat, v, nullptr, 255, RecordingTriangles::Fill);
        FillPolygon16(&canvas, count, kPerspective, v, nullptr, 255, RecordingTriangles::Fill);
    }
    EXPECT_EQ(recorder.Count(), 0u);
}

TEST(FillPolygon16, PerspectiveNeedsBothThePerspectiveAndTheTexturedBit) {
    TextureImage texture(32, 32);
    SetUpCanvas setUp;
    RecordingCanvas& canvas = setUp.canvas;
    // A 300-pixel edge: split whenever the perspective path runs.
    const ScreenVertex v[] = {Vertex(0, 0, 0, 0.25f, 0.5f, 2.0f), Vertex(300, 0, 1, 1.0f, 0.5f, 2.0f),
                              Vertex(150, 20, 2, 0.5f, 1.0f, 2.0f)};
    for (const uint32_t mode : {uint32_t(Canvas::kModePerspective), kTextured, kTextured | Canvas::kModeGouraud}) {
        RecordingTriangles recorder;
        FillPolygon16(&canvas, 3, mode, v, &texture.image, 255, RecordingTriangles::Fill);
        ASSERT_EQ(recorder.Count(), 1u) << "mode " << mode;
        EXPECT_EQ(recorder.Triangles()[0].a.u, 0.25f);
        EXPECT_EQ(recorder.Triangles()[0].b.x, 300.0f);
    }
    RecordingTriangles recorder;
    FillPolygon16(&canvas, 3, kPerspective | Canvas::kModeDepthTest, v, &texture.image, 255,
                  RecordingTriangles::Fill);
    EXPECT_EQ(recorder.Count(), 2u);
}

TEST(FillPolygon16, PerspectiveTrianglesComeBackWithTheirOwnTextureCoordinates) {
    TextureImage texture(32, 32);
    SetUpCanvas setUp;
    RecordingCanvas& canvas = setUp.canvas;
    const ScreenVertex v[] = {Vertex(0, 0, 0, 0.25f, 0.75f, 4.0f), Vertex(10, 0, 1, 1.0f, 0.5f, 0.5f),
                              Vertex(5, 9, 2, 0.5f, 1.0f, 1.0f)};
    RecordingTriangles recorder;
    FillPolygon16(&canvas, 3, kPerspective, v, &texture.image, 255, RecordingTriangles::Fill);
    ASSERT_EQ(recorder.Count(), 1u);
    const RecordedTriangle& t = recorder.Triangles()[0];
    EXPECT_FLOAT_EQ(t.a.u, 0.25f);
    EXPECT_FLOAT_EQ(t.a.v, 0.75f);
    EXPECT_FLOAT_EQ(t.b.u, 1.0f);
    EXPECT_FLOAT_EQ(t.c.v, 1.0f);
    EXPECT_EQ(t.b.invZ, 0.5f);
}

TEST(FillPolygon16, PerspectiveSkipsTrianglesAtOrBehindTheEyeOrNotFinite) {
    TextureImage texture(32, 32);
    SetUpCanvas setUp;
    RecordingCanvas& canvas = setUp.canvas;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    std::vector<std::vector<ScreenVertex>> polygons = {
        {Vertex(0, 0, 0, 0, 0, 0.0f), Vertex(400, 0), Vertex(0, 400)},
        {Vertex(0, 0), Vertex(400, 0, 0, 0, 0, -1.0f), Vertex(0, 400)},
        {Vertex(0, 0), Vertex(400, 0), Vertex(infinity, 400)},
        {Vertex(0, 0), Vertex(400, nan), Vertex(0, 400)},
        {Vertex(0, 0), Vertex(400, 0, 0, nan), Vertex(0, 400)},
    };
    RecordingTriangles recorder;
    for (const auto& polygon : polygons) {
        FillPolygon16(&canvas, 3, kPerspective, polygon.data(), &texture.image, 255, RecordingTriangles::Fill);
    }
    EXPECT_EQ(recorder.Count(), 0u);

    // Only the fan triangle that touches the bad vertex is left out.
    const ScreenVertex quad[] = {Vertex(0, 0, 0), Vertex(10, 0, 1), Vertex(10, 10, 2),
                                 Vertex(0, 10, 3, 0, 0, -2.0f)};
    FillPolygon16(&canvas, 4, kPerspective, quad, &texture.image, 255, RecordingTriangles::Fill);
    ASSERT_EQ(recorder.Count(), 1u);
    EXPECT_EQ(Corners(recorder.Triangles()[0]), (std::vector<uint32_t>{0, 1, 2}));
}

// A triangle reaching 10^10 pixels past the canvas is cut to a band around
// it before it is subdivided: the pieces stay few and near the canvas, and
// keep the texture where it was (u weighted by 1/z is linear on the screen).
TEST(FillPolygon16, PerspectiveTrianglesFarPastTheCanvasAreCutBeforeSubdividing) {
    TextureImage texture(32, 32);
    SetUpCanvas setUp;
    RecordingCanvas& canvas = setUp.canvas;
    const ScreenVertex huge[] = {Vertex(-1e10f, -1e10f, 0, 0, 0, 0.1f), Vertex(1e10f, -1e10f, 0, 1, 0, 1.0f),
                                 Vertex(0, 1e10f, 0, 0, 1, 10.0f)};
    RecordingTriangles recorder;
    FillPolygon16(&canvas, 3, kPerspective, huge, &texture.image, 255, RecordingTriangles::Fill);
    ASSERT_GT(recorder.Count(), 0u);
    EXPECT_LT(recorder.Count(), 4096u);
    // The weighted u at a point, from the plane through the three corners.
    const auto weightedU = [&](float x, float y) {
        const double ax = huge[0].x, ay = huge[0].y, bx = huge[1].x, by = huge[1].y, cx = huge[2].x, cy = huge[2].y;
        const double area = (bx - ax) * (cy - ay) - (cx - ax) * (by - ay);
        const double wb = ((x - ax) * (cy - ay) - (cx - ax) * (y - ay)) / area;
        const double wc = ((bx - ax) * (y - ay) - (x - ax) * (by - ay)) / area;
        const double wa = 1.0 - wb - wc;
        return wa * huge[0].u * huge[0].invZ + wb * huge[1].u * huge[1].invZ + wc * huge[2].u * huge[2].invZ;
    };
    for (const RecordedTriangle& t : recorder.Triangles()) {
        for (const ScreenVertex* p : {&t.a, &t.b, &t.c}) {
            EXPECT_GE(p->x, -640.0f);
            EXPECT_LE(p->x, 1280.0f);
            EXPECT_GE(p->y, -480.0f);
            EXPECT_LE(p->y, 960.0f);
            EXPECT_NEAR(p->u * p->invZ, weightedU(p->x, p->y), 1e-3);
        }
    }
}

TEST(FillPolygon16, FindsOrMakesTheImagesSoftwareTextureAndKeepsIt) {
    TextureImage texture(64, 16);
    PaletteRgb565 canvasPalette;
    SetUpCanvas setUp;
    RecordingCanvas& canvas = setUp.canvas;
    canvas.palette = &canvasPalette;
    const ScreenVertex v[] = {Vertex(0, 0), Vertex(10, 0), Vertex(0, 10)};
    RecordingTriangles recorder;
    FillPolygon16(&canvas, 3, kTextured, v, &texture.image, 255, RecordingTriangles::Fill);
    ASSERT_EQ(recorder.Count(), 1u);
    const SoftTexture* const made = recorder.Triangles()[0].texture;
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(texture.image.copies, made);
    EXPECT_EQ(made->sizeClass, SoftTexture::SizeClass(6, 4));
    // A palette-less image is given the canvas's.
    EXPECT_EQ(texture.image.palette, &canvasPalette);

    FillPolygon16(&canvas, 3, kTextured, v, &texture.image, 255, RecordingTriangles::Fill);
    ASSERT_EQ(recorder.Count(), 2u);
    EXPECT_EQ(recorder.Triangles()[1].texture, made);
    EXPECT_EQ(made->nextOfImage, nullptr);
}

TEST(FillPolygon16, ImageWithASideTheSpansCannotAddressDrawsNothing) {
    for (const auto& [width, height] : std::vector<std::pair<int16_t, int16_t>>{{20, 16}, {16, 512}, {8, 8}}) {
        TextureImage texture(width, height);
        SetUpCanvas setUp;
    RecordingCanvas& canvas = setUp.canvas;
        const ScreenVertex v[] = {Vertex(0, 0), Vertex(10, 0), Vertex(0, 10)};
        RecordingTriangles recorder;
        FillPolygon16(&canvas, 3, kTextured, v, &texture.image, 255, RecordingTriangles::Fill);
        EXPECT_EQ(recorder.Count(), 0u) << width << " x " << height;
        EXPECT_EQ(texture.image.copies, nullptr);
    }
}

TEST(FillPolygon16, ImagePaletteStandsInForTheCanvasPaletteDuringTheCall) {
    TextureImage texture(32, 32);
    PaletteRgb565 imagePalette;
    PaletteRgb565 canvasPalette;
    texture.image.palette = &imagePalette;
    SetUpCanvas setUp;
    RecordingCanvas& canvas = setUp.canvas;
    canvas.palette = &canvasPalette;
    const ScreenVertex v[] = {Vertex(0, 0), Vertex(10, 0), Vertex(0, 10)};
    RecordingTriangles recorder;
    FillPolygon16(&canvas, 3, kTextured, v, &texture.image, 255, RecordingTriangles::Fill);
    FillPolygon16(&canvas, 3, kFlat, v, nullptr, 255, RecordingTriangles::Fill);
    ASSERT_EQ(recorder.Count(), 2u);
    EXPECT_EQ(recorder.Triangles()[0].palette, &imagePalette);
    EXPECT_EQ(recorder.Triangles()[0].texture->palette, &imagePalette);
    EXPECT_EQ(recorder.Triangles()[1].palette, &canvasPalette);
    EXPECT_EQ(canvas.palette, &canvasPalette);
}

TEST(FillPolygon16, ResetsTheSubdivisionDepthForEachPolygon) {
    TextureImage texture(32, 32);
    SetUpCanvas setUp;
    RecordingCanvas& canvas = setUp.canvas;
    const ScreenVertex v[] = {Vertex(0, 0), Vertex(300, 0), Vertex(0, 300)};
    g_subdivisionDepth = 5;
    RecordingTriangles recorder;
    FillPolygon16(&canvas, 3, kPerspective, v, &texture.image, 255, RecordingTriangles::Fill);
    EXPECT_GT(recorder.Count(), 1u);
    EXPECT_EQ(g_subdivisionDepth, 0);
}

// A 5-6-5 palette whose shade entry i is the pixel i + 1.
struct ShadedPalette {
    ShadedPalette() : shades(Palette::kShadeEntries) {
        for (size_t i = 0; i < shades.size(); ++i) shades[i] = uint16_t(i + 1);
        table.rows = shades.data();
        table.shift = Palette::kShadeShift;
        table.levels = Palette::kShadeLevels;
        palette.SetTables(0, nullptr, &table);
    }
    std::vector<uint16_t> shades;
    ShadeTable table;
    PaletteRgb565 palette;
};

// Through the real set-up: a dart-shaped quad whose fan from vertex 0 leaves
// the notch between vertices 1 and 3 empty, where a fan from vertex 1 would
// fill it.
TEST(FillPolygon16, DrawsTheFanThroughTheTriangleSetUp) {
    ShadedPalette shaded;
    Palette& palette = shaded.palette;
    MemoryCanvas canvas(40, 40, 2, false, &palette);
    const ScreenVertex dart[] = {Vertex(20, 2, 5), Vertex(36, 36, 6), Vertex(20, 20, 7), Vertex(4, 36, 8)};
    FillPolygon16(&canvas, 4, kFlat, dart, nullptr, 255);
    const uint16_t colour5 = uint16_t(5 * 32 + 16 + 1);   // colour 5 at intensity 128
    EXPECT_EQ(canvas.Pixel16(20, 10), colour5);   // inside both triangles' spine
    EXPECT_EQ(canvas.Pixel16(30, 28), colour5);   // right wing
    EXPECT_EQ(canvas.Pixel16(10, 28), colour5);   // left wing
    EXPECT_EQ(canvas.Pixel16(20, 30), 0);         // the notch
    EXPECT_EQ(canvas.Pixel16(2, 2), 0);
}

// What the entry calls empty stays empty in every mode, through the fan,
// the perspective split and the set-up: small polygons about the pixel grid,
// on whole, half and other places, over the canvas's edges, with and without
// perspective splits of their sides.
TEST(FillPolygon16, APolygonCalledEmptyDrawsNoPixelInAnyMode) {
    ScopedColorTables colorTables;
    g_colorTables->BuildShadeTable();
    ShadedPalette shaded;
    Palette& palette = shaded.palette;
    TextureImage texture(32, 32);
    constexpr uint16_t kClear = 0xBEEF;
    const uint32_t modes[] = {kFlat, Canvas::kModeGouraud, kTextured, kPerspective,
                              Canvas::kModeTranslucent | Canvas::kModeGouraud,
                              kPerspective | Canvas::kModeTranslucent | Canvas::kModeDepthTest};
    std::mt19937 random(85);
    const auto place = [&](float centre) {
        const float spread = float(random() % 13) / 4.0f;   // up to 3 pixels
        const float offset = (float(random() % 1001) / 1000.0f - 0.5f) * spread;
        switch (random() % 3) {
            case 0: return std::round(centre + offset);
            case 1: return std::round((centre + offset) * 2.0f) / 2.0f;
            default: return centre + offset;
        }
    };
    int32_t empty = 0, emptyAcrossLines = 0;
    for (int32_t i = 0; i < 4000; ++i) {
        MemoryCanvas canvas(24, 16, 2, true, &palette);
        canvas.FillPixels(kClear);
        canvas.subdivideLength = i % 2 == 0 ? Canvas::kDefaultSubdivideLength : 1.5f;
        const float cx = float(random() % 28) - 2.0f, cy = float(random() % 20) - 2.0f;
        const int32_t count = 3 + int32_t(random() % 3);
        ScreenVertex v[5];
        for (int32_t k = 0; k < count; ++k) v[k] = Vertex(place(cx), place(cy), uint32_t(k + 1), 0.5f, 0.5f);
        if (!PolygonFillsNoPixel16(canvas, count, v)) continue;
        ++empty;
        if (!OnOneRowOrColumn16(count, v)) ++emptyAcrossLines;
        for (const uint32_t mode : modes) {
            FillPolygon16(&canvas, count, mode, v, (mode & kTextured) != 0 ? &texture.image : nullptr, 128);
        }
        ASSERT_EQ(canvas.CountPixelsOtherThan(kClear), 0)
            << "polygon " << i << ": (" << v[0].x << ", " << v[0].y << ") (" << v[1].x << ", " << v[1].y << ") ("
            << v[2].x << ", " << v[2].y << ")";
    }
    // Both rules are at work.
    EXPECT_GT(empty, 1500);
    EXPECT_GT(emptyAcrossLines, 700);
}

// Corners on whole pixels, as the scene places every unclipped face, are
// judged exactly: called empty when the fill draws nothing, and only then.
TEST(FillPolygon16, ATriangleOnWholePixelsIsCalledEmptyExactlyWhenItDrawsNothing) {
    ShadedPalette shaded;
    constexpr uint16_t kClear = 0xBEEF;
    std::mt19937 random(8585);
    int32_t empty = 0, drawn = 0;
    for (int32_t i = 0; i < 3000; ++i) {
        MemoryCanvas canvas(24, 16, 2, true, &shaded.palette);
        canvas.FillPixels(kClear);
        const float cx = float(random() % 28) - 2.0f, cy = float(random() % 20) - 2.0f;
        const int32_t reach = 1 + int32_t(random() % 6);
        const auto near = [&](float centre) { return centre + float(int32_t(random() % (2 * reach + 1)) - reach); };
        const ScreenVertex a = Vertex(near(cx), near(cy), 1, 0.5f, 0.5f), b = Vertex(near(cx), near(cy), 2, 0.5f, 0.5f),
                           c = Vertex(near(cx), near(cy), 3, 0.5f, 0.5f);
        const bool calledEmpty = TriangleFillsNoPixel16(canvas, a, b, c);
        const ScreenVertex v[3] = {a, b, c};
        FillPolygon16(&canvas, 3, kFlat, v, nullptr, 128);
        ASSERT_EQ(calledEmpty, canvas.CountPixelsOtherThan(kClear) == 0)
            << "(" << a.x << ", " << a.y << ") (" << b.x << ", " << b.y << ") (" << c.x << ", " << c.y << ")";
        ++(calledEmpty ? empty : drawn);
    }
    EXPECT_GT(empty, 300);
    EXPECT_GT(drawn, 300);
}

// The table of near shapes judges every shape as the walk judges its
// triangle, wherever on the canvas that lies; a subdivision shorter than
// the shapes' sides leaves it no say.
TEST(FillPolygon16, TheNearShapesAreJudgedAsTheWalkJudgesThemWhereverTheyLie) {
    ShadedPalette shaded;
    MemoryCanvas canvas(24, 16, 2, true, &shaded.palette);
    const NearShapes* const shapes = NearShapesFillingNothing16(canvas);
    ASSERT_NE(shapes, nullptr);
    const int32_t places[][2] = {{4, 4}, {0, 0}, {24, 16}, {0, 16}, {24, 0}, {11, 7}};
    int32_t empty = 0, judged = 0;
    for (const auto& at : places) {
        for (int32_t shape = 0; shape < NearShapes::kCount; ++shape) {
            int32_t x[3], y[3];
            NearShapes::CornersOf(shape, x, y);
            bool inside = true;
            for (int32_t i = 0; i < 3; ++i) {
                x[i] += at[0] - NearShapes::kReach;
                y[i] += at[1] - NearShapes::kReach;
                inside = inside && x[i] >= 0 && x[i] <= 24 && y[i] >= 0 && y[i] <= 16;
            }
            if (!inside) continue;
            ASSERT_EQ(NearShapes::ShapeOf(x, y), shape);
            ++judged;
            const bool walked = TriangleFillsNoPixel16(canvas, Vertex(float(x[0]), float(y[0]), 1, 0.5f, 0.5f),
                                                       Vertex(float(x[1]), float(y[1]), 2, 0.5f, 0.5f),
                                                       Vertex(float(x[2]), float(y[2]), 3, 0.5f, 0.5f));
            ASSERT_EQ(shapes->Empty(shape), walked) << "shape " << shape << " at " << at[0] << ", " << at[1];
            empty += walked ? 1 : 0;
        }
    }
    EXPECT_GT(empty, judged / 10);
    EXPECT_LT(empty, judged * 9 / 10);
    canvas.subdivideLength = 1.5f;
    EXPECT_EQ(NearShapesFillingNothing16(canvas), nullptr);
}

FixedVertex Direct(double x, double y, uint32_t colour) {
    FixedVertex v;
    v.x = int32_t(x * 65536.0);
    v.y = int32_t(y * 65536.0);
    v.depth = 0x40000000;
    v.colour = colour;
    return v;
}

// A dart whose fan from vertex 0 leaves the notch below vertex 2 empty.
const FixedVertex kRgbDart[] = {Direct(20, 2, 0x10FF0000), Direct(36, 36, 0x1000FF00), Direct(20, 20, 0x100000FF),
                                Direct(4, 36, 0x10808080)};

class FillPolygonRgb16Test : public ::testing::Test {
protected:
    std::vector<uint16_t> Fan(int32_t count, uint32_t flags = 0) {
        MemoryCanvas canvas(40, 40, 2, true, &palette_);
        canvas.flags |= flags;
        FillPolygonRgb16(&canvas, count, kRgbDart);
        return canvas.PixelValues();
    }
    std::vector<uint16_t> Each(const std::vector<std::array<int, 3>>& triangles) {
        MemoryCanvas canvas(40, 40, 2, true, &palette_);
        for (const auto& t : triangles) {
            const FixedVertex corners[3] = {kRgbDart[t[0]], kRgbDart[t[1]], kRgbDart[t[2]]};
            TriangleRgb16(&canvas, corners);
        }
        return canvas.PixelValues();
    }

    PaletteRgb565 palette_;
};

TEST_F(FillPolygonRgb16Test, FansFromVertexZero) {
    const std::vector<uint16_t> fan = Fan(4);
    EXPECT_EQ(fan, Each({{0, 1, 2}, {0, 2, 3}}));
    EXPECT_NE(fan, Each({{1, 2, 3}, {1, 3, 0}}));
    EXPECT_EQ(Fan(3), Each({{0, 1, 2}}));
}

TEST_F(FillPolygonRgb16Test, FewerThanThreeVerticesDrawNothing) {
    const std::vector<uint16_t> blank(40 * 40, 0);
    for (int32_t count = -1; count < 3; ++count) {
        EXPECT_EQ(Fan(count), blank) << "count " << count;
    }
}

TEST_F(FillPolygonRgb16Test, CanvasDepthTestPicksTheDepthTestedTriangle) {
    MemoryCanvas canvas(40, 40, 2, true, &palette_);
    canvas.flags |= Canvas::kFlagDepthTest;
    canvas.FillDepth(0);   // nothing is nearer
    FillPolygonRgb16(&canvas, 4, kRgbDart);
    EXPECT_EQ(canvas.CountPixelsOtherThan(0), 0);

    canvas.FillDepth(0xFFFF);
    FillPolygonRgb16(&canvas, 4, kRgbDart);
    EXPECT_GT(canvas.CountPixelsOtherThan(0), 0);
    EXPECT_EQ(canvas.DepthAt(20, 10), 0x40000000u >> 16);
}

}  // namespace
