#include "canvas/SoftCanvas8.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "display/Palette.h"
#include "display/SoftTexture.h"
#include "engine/EngineHeap.h"
#include "display/KeyedSprite.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/OwnedImage.h"
#include "tests/support/ScopedEngineHeap.h"
#include "tests/support/Vertices.h"

namespace {

constexpr uint8_t kBackground = 255;       // no shade entry is 255
constexpr uint32_t kPivot = 128;           // shade level 16 shows the colour itself
constexpr uint32_t kFarthest = 0xFFFFFFFF;

// An 8-bit palette whose lookups can be told apart: colour i is
// ((i & 31) << 3, (i >> 5) << 5, 64), so every colour but 255 is its own
// closest match, and shade entry (c, level) is (c x 32 + level) % 255.
class TestPalette {
public:
    // plainShades: every level of a colour is the colour itself, so
    // pictures show texels and colours unshaded.
    explicit TestPalette(bool plainShades = false) : palette_(std::make_unique<PaletteIndexed8>()) {
        std::array<PaletteColor, Palette::kColorCount> colours;
        for (int i = 0; i < Palette::kColorCount; ++i) {
            colours[size_t(i)] = PaletteColor{uint8_t((i & 31) << 3), uint8_t((i >> 5) << 5), 64, 0};
        }
        for (uint32_t entry = 0; entry < Palette::kShadeEntries; ++entry) {
            shades_[entry] = plainShades ? uint8_t(entry >> Palette::kShadeShift) : uint8_t(entry % 255);
        }
        table_.rows = shades_.data();
        table_.shift = Palette::kShadeShift;
        table_.levels = Palette::kShadeLevels;
        table_.pivot = kPivot;
        palette_->SetTables(InverseColorTable::kFlagBuild, colours.data(), &table_);
    }

    static uint8_t Entry(uint32_t colour, uint32_t level) { return uint8_t((colour * 32 + level) % 255); }
    static std::array<uint8_t, 3> Rgb(uint32_t index) {
        return {uint8_t((index & 31) << 3), uint8_t((index >> 5) << 5), 64};
    }
    Palette* Get() { return palette_.get(); }

private:
    std::array<uint8_t, Palette::kShadeEntries> shades_{};
    ShadeTable table_;
    std::unique_ptr<Palette> palette_;
};

// A canvas of its own size over the test palette, cleared to kBackground.
struct Canvas8 {
    explicit Canvas8(int32_t w, int32_t h, uint32_t flags = 0) {
        const CanvasRect rect{0, 0, w, h};
        canvas = std::make_unique<SoftCanvas8>(&rect, palette.Get(), flags);
        canvas->Clear(kBackground, kFarthest);
    }
    uint8_t At(int32_t x, int32_t y) const { return canvas->Row(y)[x]; }
    uint16_t DepthAt(int32_t x, int32_t y) const { return canvas->DepthRow(y)[x]; }
    std::vector<uint8_t> Pixels() const {
        std::vector<uint8_t> all;
        for (int32_t y = 0; y < canvas->height; ++y) {
            all.insert(all.end(), canvas->Row(y), canvas->Row(y) + canvas->width);
        }
        return all;
    }
    int32_t Drawn() const {
        int32_t n = 0;
        for (uint8_t p : Pixels()) n += p != kBackground ? 1 : 0;
        return n;
    }

    TestPalette palette;
    std::unique_ptr<SoftCanvas8> canvas;
};

// Colour 3 unshaded, a quarter of the way into the depth range, unless told otherwise.
ViewVertex Point(int32_t x, int32_t y, uint32_t colour = 3, int32_t intensity = int32_t(kPivot),
                 uint32_t depth = 0x40000000) {
    return ViewPoint(x, y, colour, intensity, depth);
}

ScreenVertex Corner(float x, float y, float u = 0.0f, float v = 0.0f, float intensity = 128.0f,
                    uint32_t colour = 3, float invZ = 0.0f) {
    ScreenVertex s;
    s.x = x;
    s.y = y;
    s.depth = 0.25f;
    s.colour = colour;
    s.intensity = intensity;
    s.u = u;
    s.v = v;
    s.invZ = invZ;
    return s;
}

// An 8-bit image of the given texels, or of texel (x * 3 + y * 5) % 200 + 1.
void Make8(OwnedImage& image, int16_t w, int16_t h, const std::vector<uint8_t>& texels = {}) {
    ASSERT_EQ(image.Create(w, h, 8, false), kStatusOk);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            const size_t i = size_t(y) * size_t(w) + size_t(x);
            image.pixels[i] = texels.empty() ? uint8_t((x * 3 + y * 5) % 200 + 1) : texels[i];
        }
    }
}

// --- Set-up and ownership ------------------------------------------------

TEST(SoftCanvas8, SetUpAllocatesOwnBuffersTurnsDepthTestOnAndClears) {
    TestPalette palette;
    const CanvasRect rect{5, 7, 10, 6};
    SoftCanvas8 canvas(&rect, palette.Get(), Canvas::kFlagHasDepth);
    ASSERT_EQ(canvas.setupResult, kStatusOk);
    EXPECT_EQ(canvas.flags, Canvas::kFlagSetUp | Canvas::kFlagHasDepth | Canvas::kFlagDepthTest |
                                Canvas::kFlagOwnsDepth | Canvas::kFlagOwnsPixels);
    EXPECT_EQ(canvas.width, 10);
    EXPECT_EQ(canvas.height, 6);
    EXPECT_EQ(canvas.pitch, 10);
    EXPECT_EQ(canvas.depthPitch, 20);
    EXPECT_EQ(canvas.bufferSize, 60u);
    EXPECT_EQ(canvas.depthBits, 16);
    EXPECT_EQ(canvas.subdivideLength, 2049.0f);
    EXPECT_EQ(canvas.palette, palette.Get());
    ASSERT_NE(canvas.spanBufferA, nullptr);
    ASSERT_NE(canvas.spanBufferB, nullptr);
    for (int32_t y = 0; y < 6; ++y) {
        EXPECT_EQ(canvas.rowOffsets[y], uint32_t(10 * y));
        EXPECT_EQ(canvas.depthRowOffsets[y], uint32_t(20 * y));
        for (int32_t x = 0; x < 10; ++x) {
            EXPECT_EQ(canvas.Row(y)[x], 0);
            EXPECT_EQ(canvas.DepthRow(y)[x], 0xFFFF);
        }
    }
    EXPECT_EQ(canvas.locked, 0);
}

TEST(SoftCanvas8, WithoutDepthFlagHasNoDepthBufferAndNoFog) {
    Canvas8 c(8, 4);
    EXPECT_EQ(c.canvas->depth, nullptr);
    EXPECT_EQ(c.canvas->depthRowOffsets, nullptr);
    EXPECT_EQ(c.canvas->flags, Canvas::kFlagSetUp | Canvas::kFlagOwnsPixels);
    c.canvas->EnableDepthTest();
    c.canvas->EnableFog();
    const FogParams fog{10, 20, 30, 0, 0.0f};
    ASSERT_EQ(c.canvas->SetFog(&fog), kStatusOk);
    EXPECT_EQ(c.canvas->ApplyFog(), kStatusNothingToDo);
    EXPECT_EQ(c.Drawn(), 0);
}

TEST(SoftCanvas8, DestructorGivesBackEveryBlockItMade) {
    TestPalette palette;
    ScopedEngineHeap heap(1 << 20);
    ASSERT_EQ(EngineHeap::BytesInUse(), 0u);
    {
        const CanvasRect rect{0, 0, 40, 30};
        SoftCanvas8 canvas(&rect, palette.Get(), Canvas::kFlagHasDepth);
        ASSERT_EQ(canvas.setupResult, kStatusOk);
        const FogParams fog{0, 0, 0, 0, 0.5f};
        ASSERT_EQ(canvas.SetFog(&fog), kStatusOk);
        EXPECT_GT(EngineHeap::BytesInUse(), 40u * 30u * 3u);
    }
    EXPECT_EQ(EngineHeap::BytesInUse(), 0u);
}

TEST(SoftCanvas8, FailedSetUpGivesBackEverythingItTook) {
    TestPalette palette;
    ScopedEngineHeap heap(64 * 1024);
    // Colour and depth buffers, row tables and the first span buffer fit;
    // the second span buffer does not.
    const CanvasRect rect{0, 0, 160, 120};
    auto canvas = std::make_unique<SoftCanvas8>(&rect, palette.Get(), Canvas::kFlagHasDepth);
    EXPECT_EQ(canvas->setupResult, kStatusOutOfMemory);
    EXPECT_EQ(canvas->pixels, nullptr);
    EXPECT_EQ(canvas->depth, nullptr);
    EXPECT_EQ(canvas->rowOffsets, nullptr);
    EXPECT_EQ(canvas->depthRowOffsets, nullptr);
    EXPECT_EQ(canvas->spanBufferA, nullptr);
    EXPECT_EQ(canvas->spanBufferB, nullptr);
    EXPECT_EQ(EngineHeap::BytesInUse(), 0u);
    canvas.reset();
    EXPECT_EQ(EngineHeap::BytesInUse(), 0u);
}

TEST(SoftCanvas8, DrawingOnACanvasWhoseSetUpFailedReturns8) {
    TestPalette palette;
    OwnedImage image;
    Make8(image, 16, 16);
    OwnedImage mono;
    ASSERT_EQ(mono.Create(8, 1, 1, false), kStatusOk);
    std::unique_ptr<SoftCanvas8> canvas;
    {
        ScopedEngineHeap full(ScopedEngineHeap::kFull);
        const CanvasRect rect{0, 0, 16, 16};
        canvas = std::make_unique<SoftCanvas8>(&rect, palette.Get(), Canvas::kFlagHasDepth);
    }
    ASSERT_EQ(canvas->setupResult, kStatusOutOfMemory);
    EXPECT_EQ(canvas->pixels, nullptr);

    const CanvasRect rect{0, 0, 4, 4};
    const uint8_t rgb[4] = {1, 2, 3, 0};
    const ViewVertex a = Point(1, 1), b = Point(5, 3);
    const std::array<ScreenVertex, 3> tri{Corner(1, 1), Corner(9, 1), Corner(1, 9)};
    const std::array<ViewVertex, 3> triInt{Point(1, 1), Point(9, 1), Point(1, 9)};
    const FogParams fog{};
    ViewVertex out;
    EXPECT_EQ(canvas->Clear(0, kFarthest), kStatusPlatformFailed);
    EXPECT_EQ(canvas->FillRect(&rect, 1), kStatusPlatformFailed);
    EXPECT_EQ(canvas->FillRectRgb(&rect, rgb), kStatusPlatformFailed);
    EXPECT_EQ(canvas->FillRectRgbClipped(&rect, rgb, nullptr), kStatusPlatformFailed);
    EXPECT_EQ(canvas->PlotPixelInt(&a, nullptr), kStatusPlatformFailed);
    EXPECT_EQ(canvas->ReadPixel(1, 1, &out), int32_t(kStatusPlatformFailed));
    EXPECT_EQ(canvas->BlitImage(&rect, &image, 0), kStatusPlatformFailed);
    EXPECT_EQ(canvas->DrawMonoImage(&rect, &mono, 1, 2), kStatusPlatformFailed);
    EXPECT_EQ(canvas->DrawLineInt(&a, &b, nullptr), kStatusPlatformFailed);
    EXPECT_EQ(canvas->DrawLineShadedInt(&a, &b), kStatusPlatformFailed);
    EXPECT_EQ(canvas->FillPolygonFlat(3, tri.data()), kStatusPlatformFailed);
    EXPECT_EQ(canvas->FillPolygonShadedInt(3, triInt.data()), kStatusPlatformFailed);
    EXPECT_EQ(canvas->FillPolygonTexturedPersp(3, tri.data(), &image), kStatusPlatformFailed);
    EXPECT_EQ(canvas->FillPolygonTexturedAlphaInt(3, triInt.data(), &image, 128), kStatusPlatformFailed);
    EXPECT_EQ(canvas->FillPolygonRgb(3, tri.data()), kStatusPlatformFailed);
    EXPECT_EQ(canvas->SetFog(&fog), kStatusPlatformFailed);
    EXPECT_EQ(canvas->ApplyFog(), kStatusPlatformFailed);
    // Failing before any texture was looked for leaves the image unchained.
    EXPECT_EQ(image.copies, nullptr);
}

// --- Rectangles and pixels -----------------------------------------------

TEST(SoftCanvas8, FillRectWritesTheLowByteAndRgbFormsMatchThePalette) {
    Canvas8 c(12, 5);
    const CanvasRect rect{1, 1, 9, 2};
    ASSERT_EQ(c.canvas->FillRect(&rect, 0x12345607), kStatusOk);
    EXPECT_EQ(c.At(1, 1), 7);
    EXPECT_EQ(c.At(9, 2), 7);
    EXPECT_EQ(c.At(10, 1), kBackground);
    EXPECT_EQ(c.At(1, 3), kBackground);
    EXPECT_EQ(c.Drawn(), 18);

    const auto rgb = TestPalette::Rgb(77);
    const CanvasRect one{0, 0, 1, 1};
    ASSERT_EQ(c.canvas->FillRectRgb(&one, rgb.data()), kStatusOk);
    EXPECT_EQ(c.At(0, 0), 77);

    const CanvasRect clip{10, 3, 5, 5};
    const CanvasRect wide{-4, -4, 40, 40};
    ASSERT_EQ(c.canvas->FillRectRgbClipped(&wide, rgb.data(), &clip), kStatusOk);
    EXPECT_EQ(c.At(10, 3), 77);
    EXPECT_EQ(c.At(11, 4), 77);
    EXPECT_EQ(c.At(9, 3), kBackground);
}

TEST(SoftCanvas8, PlotPixelWritesTheShadeEntryOrTheMatchedColourAtThePivot) {
    Canvas8 c(6, 6);
    const ViewVertex v = Point(2, 3, 5, 100);
    ASSERT_EQ(c.canvas->PlotPixelInt(&v, nullptr), kStatusOk);
    EXPECT_EQ(c.At(2, 3), TestPalette::Entry(5, 100 / 8));

    const auto rgb = TestPalette::Rgb(40);
    const ViewVertex w = Point(4, 1, 5, 0);
    ASSERT_EQ(c.canvas->PlotPixelInt(&w, rgb.data()), kStatusOk);
    EXPECT_EQ(c.At(4, 1), TestPalette::Entry(40, kPivot / 8));
    EXPECT_EQ(c.Drawn(), 2);
}

TEST(SoftCanvas8, DepthTestedPixelDrawsAtEqualDepthButNotFarther) {
    Canvas8 c(6, 6, Canvas::kFlagHasDepth);
    const ViewVertex first = Point(1, 1, 2, 128, 0x50000000);
    ASSERT_EQ(c.canvas->PlotPixelInt(&first, nullptr), kStatusOk);
    EXPECT_EQ(c.At(1, 1), TestPalette::Entry(2, 16));
    EXPECT_EQ(c.DepthAt(1, 1), 0x5000);

    // The same high half with other low bits counts as equal, and draws.
    const ViewVertex equal = Point(1, 1, 3, 128, 0x5000FFFF);
    c.canvas->PlotPixelInt(&equal, nullptr);
    EXPECT_EQ(c.At(1, 1), TestPalette::Entry(3, 16));

    const ViewVertex farther = Point(1, 1, 4, 128, 0x50010000);
    c.canvas->PlotPixelInt(&farther, nullptr);
    EXPECT_EQ(c.At(1, 1), TestPalette::Entry(3, 16));
    EXPECT_EQ(c.DepthAt(1, 1), 0x5000);

    // With the test off the depth is neither tested nor written.
    c.canvas->DisableDepthTest();
    c.canvas->PlotPixelInt(&farther, nullptr);
    EXPECT_EQ(c.At(1, 1), TestPalette::Entry(4, 16));
    EXPECT_EQ(c.DepthAt(1, 1), 0x5000);
}

TEST(SoftCanvas8, ReadPixelGivesTheIndexThePivotAndWithTheDepthTestTheDepth) {
    Canvas8 c(6, 6, Canvas::kFlagHasDepth);
    c.canvas->Row(2)[3] = 42;
    c.canvas->DepthRow(2)[3] = 0x1234;
    ViewVertex out;
    out.depth = 0xDEADBEEF;
    EXPECT_EQ(c.canvas->ReadPixel(3, 2, &out), 42);
    EXPECT_EQ(out.screenX, 3);
    EXPECT_EQ(out.screenY, 2);
    EXPECT_EQ(out.colour, 42u);
    EXPECT_EQ(out.intensity, int32_t(kPivot));
    EXPECT_EQ(out.depth, 0x1234u);

    c.canvas->DisableDepthTest();
    out.depth = 0xDEADBEEF;
    const ViewVertex at = Point(3, 2);
    EXPECT_EQ(c.canvas->ReadPixelAt(&at, &out), 42);
    EXPECT_EQ(out.depth, 0xDEADBEEFu);

    // Off the canvas: 0, the record untouched.
    for (const auto& [x, y] : {std::pair{-1, 0}, {6, 0}, {0, -1}, {0, 6}, {INT32_MIN, INT32_MAX}}) {
        out.colour = 99;
        EXPECT_EQ(c.canvas->ReadPixel(x, y, &out), 0) << x << "," << y;
        EXPECT_EQ(out.colour, 99u);
    }
}

// --- Lines -----------------------------------------------------------------

TEST(SoftCanvas8, FlatLineTakesTheStartColourOrTheMatchedRgb) {
    Canvas8 c(10, 4);
    const ViewVertex a = Point(1, 1, 2, 64), b = Point(6, 1, 9, 200);
    ASSERT_EQ(c.canvas->DrawLineInt(&a, &b, nullptr), kStatusOk);
    for (int32_t x = 1; x <= 6; ++x) EXPECT_EQ(c.At(x, 1), TestPalette::Entry(2, 8)) << x;
    EXPECT_EQ(c.Drawn(), 6);

    const auto rgb = TestPalette::Rgb(33);
    const ViewVertex d = Point(0, 3), e = Point(3, 3);
    ASSERT_EQ(c.canvas->DrawLineInt(&d, &e, rgb.data()), kStatusOk);
    EXPECT_EQ(c.At(0, 3), TestPalette::Entry(33, 16));
    EXPECT_EQ(c.At(3, 3), TestPalette::Entry(33, 16));
}

TEST(SoftCanvas8, ShadedLineStepsTheIntensityFromEndToEnd) {
    Canvas8 c(40, 2);
    const ViewVertex a = Point(0, 0, 4, 0), b = Point(31, 0, 4, 248);
    ASSERT_EQ(c.canvas->DrawLineShadedInt(&a, &b), kStatusOk);
    // Entry (4, level) is 128 + level.
    EXPECT_EQ(c.At(0, 0), TestPalette::Entry(4, 0));
    EXPECT_EQ(c.At(31, 0), TestPalette::Entry(4, 31));
    for (int32_t x = 1; x < 32; ++x) {
        EXPECT_GE(c.At(x, 0), c.At(x - 1, 0)) << x;
        EXPECT_LE(c.At(x, 0) - c.At(x - 1, 0), 2) << x;
    }
    EXPECT_EQ(c.At(32, 0), kBackground);
}

// --- Polygons --------------------------------------------------------------

TEST(SoftCanvas8, FlatAndShadedPolygonsReachTheCanvasFromEitherRecord) {
    Canvas8 flat(16, 12);
    const std::array<ScreenVertex, 4> quad{Corner(2, 2, 0, 0, 64, 3), Corner(12, 2), Corner(12, 9), Corner(2, 9)};
    ASSERT_EQ(flat.canvas->FillPolygonFlat(4, quad.data()), kStatusOk);
    EXPECT_EQ(flat.At(7, 5), TestPalette::Entry(3, 8));
    EXPECT_EQ(flat.At(0, 0), kBackground);
    EXPECT_EQ(flat.At(14, 10), kBackground);

    Canvas8 flatInt(16, 12);
    const std::array<ViewVertex, 4> quadInt{Point(2, 2, 3, 64), Point(12, 2), Point(12, 9), Point(2, 9)};
    ASSERT_EQ(flatInt.canvas->FillPolygonFlatInt(4, quadInt.data()), kStatusOk);
    EXPECT_EQ(flatInt.Pixels(), flat.Pixels());

    Canvas8 shaded(16, 12);
    ASSERT_EQ(shaded.canvas->FillPolygonShadedAlt(4, quad.data()), kStatusOk);
    EXPECT_GT(shaded.Drawn(), 40);
    Canvas8 shadedInt(16, 12);
    ASSERT_EQ(shadedInt.canvas->FillPolygonShadedAltInt(4, quadInt.data()), kStatusOk);
    EXPECT_EQ(shadedInt.Pixels(), shaded.Pixels());
}

TEST(SoftCanvas8, PolygonsOfMoreThanTwelveVerticesDrawNothing) {
    Canvas8 c(16, 16);
    std::vector<ScreenVertex> many(13, Corner(8, 8));
    many[1] = Corner(15, 8);
    many[2] = Corner(8, 15);
    EXPECT_EQ(c.canvas->FillPolygonFlat(13, many.data()), kStatusOk);
    EXPECT_EQ(c.Drawn(), 0);
    EXPECT_EQ(c.canvas->FillPolygonFlat(12, many.data()), kStatusOk);
    EXPECT_GT(c.Drawn(), 0);
}

TEST(SoftCanvas8, DepthTestedPolygonHidesBehindANearerOne) {
    Canvas8 c(16, 16, Canvas::kFlagHasDepth);
    std::array<ScreenVertex, 4> near{Corner(0, 0, 0, 0, 128, 2), Corner(15, 0), Corner(15, 15), Corner(0, 15)};
    for (ScreenVertex& v : near) v.depth = 0.25f;
    std::array<ScreenVertex, 4> far = near;
    for (ScreenVertex& v : far) {
        v.depth = 0.5f;
        v.colour = 6;
    }
    ASSERT_EQ(c.canvas->FillPolygonFlat(4, near.data()), kStatusOk);
    ASSERT_EQ(c.canvas->FillPolygonFlat(4, far.data()), kStatusOk);
    EXPECT_EQ(c.At(7, 7), TestPalette::Entry(2, 16));
    EXPECT_EQ(c.DepthAt(7, 7), 0x4000);
}

TEST(SoftCanvas8, DirectColourPolygonTurnsIndicesIntoTheirShadesColour) {
    // Index 40 at intensity 128 is shade entry 21; drawing its colour
    // directly must give the same pixels.
    Canvas8 indexed(16, 16);
    Canvas8 direct(16, 16);
    const uint8_t shade = TestPalette::Entry(40, 16);
    const auto rgb = TestPalette::Rgb(shade);
    const uint32_t colour = Canvas::MakeDirectColor(rgb[0], rgb[1], rgb[2]);
    std::array<ScreenVertex, 3> tri{Corner(1, 1, 0, 0, 128, 40), Corner(14, 2, 0, 0, 128, 40),
                                    Corner(3, 14, 0, 0, 128, 40)};
    ASSERT_EQ(indexed.canvas->FillPolygonRgb(3, tri.data()), kStatusOk);
    for (ScreenVertex& v : tri) v.colour = colour;
    ASSERT_EQ(direct.canvas->FillPolygonRgb(3, tri.data()), kStatusOk);
    EXPECT_GT(direct.Drawn(), 50);
    EXPECT_EQ(indexed.Pixels(), direct.Pixels());

    Canvas8 fromInt(16, 16);
    const std::array<ViewVertex, 3> triInt{Point(1, 1, 40, 128), Point(14, 2, 40, 128), Point(3, 14, 40, 128)};
    ASSERT_EQ(fromInt.canvas->FillPolygonRgbInt(3, triInt.data()), kStatusOk);
    EXPECT_EQ(fromInt.Pixels(), direct.Pixels());
}

// A textured square over a 16 x 16 image, drawn by `fill` on a fresh
// 24 x 24 canvas; the canvas's pixels. Corners lie on whole pixels and u, v
// put every pixel on a texel's middle (pixel (x, y) shows texel (x - 2,
// y - 2)), so no rounding of the rasterizer tells one stepping from another.
using FloatFill = std::function<Status(SoftCanvas8&, const ScreenVertex*, PixelImage*)>;
using IntFill = std::function<Status(SoftCanvas8&, const ViewVertex*, PixelImage*)>;

constexpr float kNear = 0.5f / 16.0f;
constexpr float kFar = 16.5f / 16.0f;

std::vector<uint8_t> DrawQuad(const FloatFill& fill, PixelImage* image, float invZ) {
    Canvas8 c(24, 24);
    const std::array<ScreenVertex, 4> quad{
        Corner(2, 2, kNear, kNear, 40, 3, invZ), Corner(18, 2, kFar, kNear, 250, 3, invZ),
        Corner(18, 18, kFar, kFar, 160, 3, invZ), Corner(2, 18, kNear, kFar, 90, 3, invZ)};
    EXPECT_EQ(fill(*c.canvas, quad.data(), image), kStatusOk);
    return c.Pixels();
}

std::vector<uint8_t> DrawQuadInt(const IntFill& fill, PixelImage* image, int32_t invZ) {
    Canvas8 c(24, 24);
    std::array<ViewVertex, 4> quad{Point(2, 2, 3, 40), Point(18, 2, 3, 250), Point(18, 18, 3, 160),
                                   Point(2, 18, 3, 90)};
    const float uv[4][2] = {{kNear, kNear}, {kFar, kNear}, {kFar, kFar}, {kNear, kFar}};
    for (size_t i = 0; i < quad.size(); ++i) {
        quad[i].u = int32_t(uv[i][0] * 65536.0f);
        quad[i].v = int32_t(uv[i][1] * 65536.0f);
        quad[i].invZ = invZ;
    }
    EXPECT_EQ(fill(*c.canvas, quad.data(), image), kStatusOk);
    return c.Pixels();
}

struct PerspPair {
    std::string name;
    FloatFill affine;
    FloatFill perspective;
    IntFill affineInt;
    IntFill perspectiveInt;
};

std::vector<PerspPair> PerspectivePairs() {
    using S = SoftCanvas8;
    using SV = const ScreenVertex*;
    using VV = const ViewVertex*;
    return {
        {"Textured", [](S& c, SV v, PixelImage* i) { return c.FillPolygonTextured(4, v, i); },
         [](S& c, SV v, PixelImage* i) { return c.FillPolygonTexturedPersp(4, v, i); },
         [](S& c, VV v, PixelImage* i) { return c.FillPolygonTexturedInt(4, v, i); },
         [](S& c, VV v, PixelImage* i) { return c.FillPolygonTexturedPerspInt(4, v, i); }},
        {"TexturedShaded", [](S& c, SV v, PixelImage* i) { return c.FillPolygonTexturedShaded(4, v, i); },
         [](S& c, SV v, PixelImage* i) { return c.FillPolygonTexturedShadedPersp(4, v, i); },
         [](S& c, VV v, PixelImage* i) { return c.FillPolygonTexturedShadedInt(4, v, i); },
         [](S& c, VV v, PixelImage* i) { return c.FillPolygonTexturedShadedPerspInt(4, v, i); }},
        {"TexturedAlpha", [](S& c, SV v, PixelImage* i) { return c.FillPolygonTexturedAlpha(4, v, i, 128); },
         [](S& c, SV v, PixelImage* i) { return c.FillPolygonTexturedPerspAlpha(4, v, i, 128); },
         [](S& c, VV v, PixelImage* i) { return c.FillPolygonTexturedAlphaInt(4, v, i, 128); },
         [](S& c, VV v, PixelImage* i) { return c.FillPolygonTexturedPerspAlphaInt(4, v, i, 128); }},
        {"TexturedShadedAlpha",
         [](S& c, SV v, PixelImage* i) { return c.FillPolygonTexturedShadedAlpha(4, v, i, 128); },
         [](S& c, SV v, PixelImage* i) { return c.FillPolygonTexturedShadedPerspAlpha(4, v, i, 128); },
         [](S& c, VV v, PixelImage* i) { return c.FillPolygonTexturedShadedAlphaInt(4, v, i, 128); },
         [](S& c, VV v, PixelImage* i) { return c.FillPolygonTexturedShadedPerspAlphaInt(4, v, i, 128); }},
    };
}

TEST(SoftCanvas8, PerspectiveFillWithEqualWeightsDrawsTheAffinePixels) {
    OwnedImage image;
    Make8(image, 16, 16);
    for (const PerspPair& pair : PerspectivePairs()) {
        SCOPED_TRACE(pair.name);
        const std::vector<uint8_t> affine = DrawQuad(pair.affine, &image, 0.0f);
        const std::vector<uint8_t> perspective = DrawQuad(pair.perspective, &image, 0.5f);
        EXPECT_GT(std::count_if(affine.begin(), affine.end(), [](uint8_t p) { return p != kBackground; }), 100);
        EXPECT_EQ(perspective, affine);

        // From ViewVertex records the weight is the record's 2.30 value.
        const std::vector<uint8_t> affineInt = DrawQuadInt(pair.affineInt, &image, 0);
        const std::vector<uint8_t> perspectiveInt = DrawQuadInt(pair.perspectiveInt, &image, 1 << 29);
        EXPECT_EQ(perspectiveInt, affineInt);
    }
}

TEST(SoftCanvas8, PerspectiveFillWithoutAWeightDrawsNothing) {
    // The weight is filled from the record: 1/z of 0 lies at the eye.
    OwnedImage image;
    Make8(image, 16, 16);
    for (const PerspPair& pair : PerspectivePairs()) {
        SCOPED_TRACE(pair.name);
        const std::vector<uint8_t> none = DrawQuad(pair.perspective, &image, 0.0f);
        EXPECT_TRUE(std::all_of(none.begin(), none.end(), [](uint8_t p) { return p == kBackground; }));
    }
}

TEST(SoftCanvas8, TexturedPolygonScalesTexelCoordinatesByTheTextureSides) {
    // A 32 x 16 texture of columns 1..32 (texel = column + 1): u runs over
    // the whole width, so the left pixels show low texels and the right
    // ones high texels; Int and float records agree.
    std::vector<uint8_t> texels(32 * 16);
    for (size_t i = 0; i < texels.size(); ++i) texels[i] = uint8_t(i % 32 + 1);
    OwnedImage image;
    Make8(image, 32, 16, texels);
    const FloatFill fill = [](SoftCanvas8& canvas, const ScreenVertex* v, PixelImage* i) {
        return canvas.FillPolygonTextured(4, v, i);
    };
    const IntFill fillInt = [](SoftCanvas8& canvas, const ViewVertex* v, PixelImage* i) {
        return canvas.FillPolygonTexturedInt(4, v, i);
    };
    Canvas8 c(32, 24);
    const std::array<ScreenVertex, 4> quad{Corner(0, 0, 0, 0), Corner(31, 0, 1, 0), Corner(31, 15, 1, 1),
                                           Corner(0, 15, 0, 1)};
    ASSERT_EQ(fill(*c.canvas, quad.data(), &image), kStatusOk);
    // Unscaled coordinates would keep every pixel on the first columns.
    const auto showsColumn = [&c](int32_t x, int32_t y, std::initializer_list<uint32_t> columns) {
        for (uint32_t column : columns) {
            if (c.At(x, y) == TestPalette::Entry(column + 1, 16)) return true;
        }
        return false;
    };
    EXPECT_TRUE(showsColumn(1, 7, {0, 1}));
    EXPECT_TRUE(showsColumn(16, 7, {15, 16, 17}));
    EXPECT_TRUE(showsColumn(30, 7, {30, 31}));

    Canvas8 fromInt(32, 24);
    std::array<ViewVertex, 4> quadInt{Point(0, 0), Point(31, 0), Point(31, 15), Point(0, 15)};
    quadInt[1].u = quadInt[2].u = 1 << 16;
    quadInt[2].v = quadInt[3].v = 1 << 16;
    ASSERT_EQ(fillInt(*fromInt.canvas, quadInt.data(), &image), kStatusOk);
    EXPECT_EQ(fromInt.Pixels(), c.Pixels());
}

TEST(SoftCanvas8, TexturedPolygonFindsTheImagesSoftTextureAndKeepsIt) {
    Canvas8 c(16, 16);
    OwnedImage image;
    Make8(image, 16, 16);
    const std::array<ScreenVertex, 3> tri{Corner(1, 1, 0, 0), Corner(14, 1, 1, 0), Corner(1, 14, 0, 1)};
    ASSERT_EQ(c.canvas->FillPolygonTextured(3, tri.data(), &image), kStatusOk);
    ASSERT_NE(image.copies, nullptr);
    Texture* const made = image.copies;
    EXPECT_EQ(made->textureKind, Texture::kKindSoft);
    EXPECT_EQ(made->palette, nullptr);
    ASSERT_EQ(c.canvas->FillPolygonTexturedShaded(3, tri.data(), &image), kStatusOk);
    EXPECT_EQ(image.copies, made);
    EXPECT_EQ(made->nextOfImage, nullptr);
    EXPECT_GT(c.Drawn(), 50);
}

TEST(SoftCanvas8, TexturedPolygonOfAnUnusableImageReturns6AndTriesAgainNextTime) {
    Canvas8 c(16, 16);
    const std::array<ScreenVertex, 3> tri{Corner(1, 1, 0, 0), Corner(14, 1, 1, 0), Corner(1, 14, 0, 1)};
    OwnedImage odd;
    Make8(odd, 100, 64);
    EXPECT_EQ(c.canvas->FillPolygonTextured(3, tri.data(), &odd), kStatusCannotDrawFormat);
    EXPECT_EQ(odd.copies, nullptr);
    EXPECT_EQ(c.canvas->FillPolygonTexturedPerspAlpha(3, tri.data(), &odd, 200), kStatusCannotDrawFormat);
    EXPECT_EQ(odd.copies, nullptr);

    OwnedImage wide;
    ASSERT_EQ(wide.Create(16, 16, 15, false), kStatusOk);
    EXPECT_EQ(c.canvas->FillPolygonTexturedShaded(3, tri.data(), &wide), kStatusCannotDrawFormat);
    EXPECT_EQ(c.canvas->FillPolygonTextured(3, tri.data(), nullptr), kStatusCannotDrawFormat);
    EXPECT_EQ(c.Drawn(), 0);
}

TEST(SoftCanvas8, TranslucentFlatPolygonCoversOnlyPartOfItsArea) {
    Canvas8 opaque(16, 16);
    Canvas8 half(16, 16);
    const std::array<ScreenVertex, 4> quad{Corner(0, 0), Corner(15, 0), Corner(15, 15), Corner(0, 15)};
    ASSERT_EQ(opaque.canvas->FillPolygonFlat(4, quad.data()), kStatusOk);
    ASSERT_EQ(half.canvas->FillPolygonFlatAlpha(4, quad.data(), 128), kStatusOk);
    EXPECT_GT(half.Drawn(), 0);
    EXPECT_LT(half.Drawn(), opaque.Drawn());
    Canvas8 shadedHalf(16, 16);
    ASSERT_EQ(shadedHalf.canvas->FillPolygonShadedAltAlpha(4, quad.data(), 128), kStatusOk);
    EXPECT_EQ(shadedHalf.Drawn(), half.Drawn());
}

// --- Images ----------------------------------------------------------------

TEST(SoftCanvas8, BlitCopiesAtMostTheRectangleAndLeavesKeyPixelsOutWhenAsked) {
    Canvas8 c(10, 8);
    OwnedImage image;
    Make8(image, 4, 3, {1, 2, 3, 4, 5, 255, 7, 8, 9, 10, 11, 12});
    const CanvasRect rect{2, 1, 3, 5};
    ASSERT_EQ(c.canvas->BlitImage(&rect, &image, 0), kStatusOk);
    EXPECT_EQ(c.At(2, 1), 1);
    EXPECT_EQ(c.At(4, 1), 3);
    EXPECT_EQ(c.At(5, 1), kBackground);   // beyond the rectangle's width
    EXPECT_EQ(c.At(3, 2), 255);           // unkeyed: index 255 is copied
    EXPECT_EQ(c.At(4, 3), 11);
    EXPECT_EQ(c.At(2, 4), kBackground);   // beyond the image's height

    c.canvas->Clear(0, kFarthest);
    ASSERT_EQ(c.canvas->BlitImage(&rect, &image, 0x80000000), kStatusOk);
    EXPECT_EQ(c.At(3, 2), 0);
    EXPECT_EQ(c.At(2, 2), 5);
}

TEST(SoftCanvas8, BlitStraddlingTheEdgesIsClippedToTheCanvas) {
    Canvas8 c(6, 5);
    OwnedImage image;
    Make8(image, 4, 4, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    const CanvasRect topLeft{-1, -2, 4, 4};
    ASSERT_EQ(c.canvas->BlitImage(&topLeft, &image, 0), kStatusOk);
    EXPECT_EQ(c.At(0, 0), 10);
    EXPECT_EQ(c.At(2, 1), 16);
    EXPECT_EQ(c.Drawn(), 6);

    const CanvasRect bottomRight{4, 3, 4, 4};
    ASSERT_EQ(c.canvas->BlitImage(&bottomRight, &image, 0), kStatusOk);
    EXPECT_EQ(c.At(4, 3), 1);
    EXPECT_EQ(c.At(5, 4), 6);
    EXPECT_EQ(c.Drawn(), 10);

    const CanvasRect outside{6, 0, 4, 4};
    EXPECT_EQ(c.canvas->BlitImage(&outside, &image, 0), kStatusOk);
    EXPECT_EQ(c.Drawn(), 10);
}

TEST(SoftCanvas8, BlitOfAnythingButAn8BitImageReturns6) {
    Canvas8 c(8, 8);
    OwnedImage wide;
    ASSERT_EQ(wide.Create(4, 4, 16, false), kStatusOk);
    const CanvasRect rect{0, 0, 4, 4};
    EXPECT_EQ(c.canvas->BlitImage(&rect, &wide, 0), kStatusCannotDrawFormat);
    EXPECT_EQ(c.canvas->BlitImage(&rect, &wide, 0x100), kStatusCannotDrawFormat);
    OwnedImage mono;
    ASSERT_EQ(mono.Create(4, 4, 1, false), kStatusOk);
    EXPECT_EQ(c.canvas->BlitImage(&rect, &mono, 0), kStatusCannotDrawFormat);
    EXPECT_EQ(c.Drawn(), 0);
}

TEST(SoftCanvas8, ScaledBlitStretchesOverTheRectangleAndAlwaysLeavesKeyPixelsOut) {
    Canvas8 c(8, 8);
    OwnedImage image;
    Make8(image, 2, 2, {1, 2, 255, 4});
    const CanvasRect rect{1, 2, 4, 4};
    ASSERT_EQ(c.canvas->BlitImage(&rect, &image, 0x100), kStatusOk);
    const uint8_t expected[4][4] = {{1, 1, 2, 2}, {1, 1, 2, 2}, {kBackground, kBackground, 4, 4},
                                    {kBackground, kBackground, 4, 4}};
    for (int32_t y = 0; y < 4; ++y) {
        for (int32_t x = 0; x < 4; ++x) EXPECT_EQ(c.At(1 + x, 2 + y), expected[y][x]) << x << ", " << y;
    }
    EXPECT_EQ(c.Drawn(), 12);

    // Cut at the canvas: the stretch is the same, only less of it shows.
    Canvas8 cut(8, 8);
    const CanvasRect off{-2, 0, 4, 4};
    ASSERT_EQ(cut.canvas->BlitImage(&off, &image, 0x100), kStatusOk);
    EXPECT_EQ(cut.At(0, 0), 2);
    EXPECT_EQ(cut.At(1, 1), 2);
    EXPECT_EQ(cut.At(0, 2), 4);
    EXPECT_EQ(cut.At(1, 3), 4);
    EXPECT_EQ(cut.Drawn(), 8);
}

TEST(SoftCanvas8, BlitLeavesTheCanvasPaletteAsItWas) {
    Canvas8 c(8, 8);
    TestPalette other;
    OwnedImage image;
    Make8(image, 4, 4);
    image.palette = other.Get();
    Palette* const own = c.canvas->palette;
    const CanvasRect rect{0, 0, 4, 4};
    ASSERT_EQ(c.canvas->BlitImage(&rect, &image, 0), kStatusOk);
    EXPECT_EQ(c.canvas->palette, own);
    ASSERT_EQ(c.canvas->BlitImage(&rect, &image, 0x100), kStatusOk);
    EXPECT_EQ(c.canvas->palette, own);
    // Pixels are indices as they are: no remapping through either palette.
    EXPECT_EQ(c.At(1, 1), image.pixels[5]);
}

TEST(SoftCanvas8, SpriteWhollyInsideDrawsItsOpaqueRuns) {
    Canvas8 c(8, 6);
    OwnedImage source;
    Make8(source, 5, 3, {1, 255, 255, 4, 5, 255, 255, 255, 255, 255, 11, 12, 13, 14, 255});
    KeyedSprite sprite(&source);
    ASSERT_NE(sprite.runData, nullptr);
    // Drawn whole, touching the right and bottom edges.
    const CanvasRect rect{3, 3, 5, 3};
    ASSERT_EQ(c.canvas->BlitImage(&rect, reinterpret_cast<PixelImage*>(&sprite), 0), kStatusOk);
    const uint8_t expected[3][5] = {{1, kBackground, kBackground, 4, 5},
                                    {kBackground, kBackground, kBackground, kBackground, kBackground},
                                    {11, 12, 13, 14, kBackground}};
    for (int32_t y = 0; y < 3; ++y) {
        for (int32_t x = 0; x < 5; ++x) EXPECT_EQ(c.At(3 + x, 3 + y), expected[y][x]) << x << ", " << y;
    }
    EXPECT_EQ(c.Drawn(), 7);
}

TEST(SoftCanvas8, SpriteStraddlingAnEdgeReturns6AndDrawsNothing) {
    Canvas8 c(8, 6);
    OwnedImage source;
    Make8(source, 4, 2, {1, 2, 3, 4, 5, 6, 7, 8});
    KeyedSprite sprite(&source);
    auto* const asImage = reinterpret_cast<PixelImage*>(&sprite);
    const CanvasRect cases[] = {{5, 0, 4, 2}, {-1, 0, 4, 2}, {0, 5, 4, 2}, {0, -1, 4, 2}};
    for (const CanvasRect& rect : cases) {
        EXPECT_EQ(c.canvas->BlitImage(&rect, asImage, 0), kStatusCannotDrawFormat) << rect.x << ", " << rect.y;
    }
    EXPECT_EQ(c.canvas->BlitImage(&cases[0], asImage, 0x100), kStatusCannotDrawFormat);
    EXPECT_EQ(c.Drawn(), 0);
}

// A 1-bit image of one row per entry, 10 pixels wide (two bytes a row).
void MakeMono(OwnedImage& image, const std::vector<uint16_t>& rows) {
    ASSERT_EQ(image.Create(10, int16_t(rows.size()), 1, false), kStatusOk);
    for (size_t r = 0; r < rows.size(); ++r) {
        image.pixels[2 * r] = uint8_t(rows[r] >> 8);
        image.pixels[2 * r + 1] = uint8_t(rows[r]);
    }
}

TEST(SoftCanvas8, MonoImageWritesSetBitsInForegroundAndClearBitsInBackground) {
    Canvas8 c(12, 3);
    OwnedImage mono;
    MakeMono(mono, {0b1010000011000000, 0b0111111110000000});
    const CanvasRect rect{1, 0, 10, 2};
    ASSERT_EQ(c.canvas->DrawMonoImage(&rect, &mono, 0x10000005, 0x20000009), kStatusOk);
    const uint8_t row0[10] = {5, 9, 5, 9, 9, 9, 9, 9, 5, 5};
    const uint8_t row1[10] = {9, 5, 5, 5, 5, 5, 5, 5, 5, 9};
    for (int32_t x = 0; x < 10; ++x) {
        EXPECT_EQ(c.At(1 + x, 0), row0[x]) << x;
        EXPECT_EQ(c.At(1 + x, 1), row1[x]) << x;
    }
    EXPECT_EQ(c.At(0, 0), kBackground);
    EXPECT_EQ(c.At(11, 0), kBackground);
    EXPECT_EQ(c.Drawn(), 20);
}

TEST(SoftCanvas8, MonoImageWithATransparentColourLeavesThosePixels) {
    Canvas8 c(12, 2);
    OwnedImage mono;
    MakeMono(mono, {0b1100000000000000});
    const CanvasRect rect{0, 0, 10, 1};
    ASSERT_EQ(c.canvas->DrawMonoImage(&rect, &mono, 0xFF000000, 3), kStatusOk);
    EXPECT_EQ(c.At(0, 0), kBackground);
    EXPECT_EQ(c.At(1, 0), kBackground);
    for (int32_t x = 2; x < 10; ++x) EXPECT_EQ(c.At(x, 0), 3) << x;

    ASSERT_EQ(c.canvas->DrawMonoImage(&rect, &mono, 7, 0xFF), kStatusOk);
    EXPECT_EQ(c.At(0, 0), 7);
    EXPECT_EQ(c.At(1, 0), 7);
    EXPECT_EQ(c.At(2, 0), 3);
}

TEST(SoftCanvas8, MonoImageIsCutToTheCanvasAndTheRectangle) {
    Canvas8 c(6, 2);
    OwnedImage mono;
    MakeMono(mono, {0b1011001110000000, 0b1111111111000000});
    // Three columns cut off at the left: the row starts at bit 3.
    const CanvasRect rect{-3, 0, 8, 1};
    ASSERT_EQ(c.canvas->DrawMonoImage(&rect, &mono, 1, 2), kStatusOk);
    const uint8_t row0[5] = {1, 2, 2, 1, 1};
    for (int32_t x = 0; x < 5; ++x) EXPECT_EQ(c.At(x, 0), row0[x]) << x;
    EXPECT_EQ(c.At(5, 0), kBackground);   // beyond the rectangle's width of 8
    EXPECT_EQ(c.At(0, 1), kBackground);   // beyond its height of 1

    OwnedImage eight;
    Make8(eight, 4, 4);
    EXPECT_EQ(c.canvas->DrawMonoImage(&rect, &eight, 1, 2), kStatusCannotDrawFormat);
}

TEST(SoftCanvas8, RawMonoImageWritesTheDepthBuffer) {
    Canvas8 c(12, 2, Canvas::kFlagHasDepth);
    uint8_t bits[2] = {0b10100000, 0b11000000};
    MonoMaskRecord record;
    record.image.width = 10;
    record.image.height = 1;
    record.image.flags = PixelImage::kFormat1Bit;
    record.image.pixels = bits;
    const CanvasRect rect{2, 1, 10, 1};
    ASSERT_EQ(c.canvas->DrawMonoImageRaw(&rect, &record, 0xABCD1111, 0x2222), kStatusOk);
    const uint16_t row[10] = {0x1111, 0x2222, 0x1111, 0x2222, 0x2222, 0x2222, 0x2222, 0x2222, 0x1111, 0x1111};
    for (int32_t x = 0; x < 10; ++x) EXPECT_EQ(c.DepthAt(2 + x, 1), row[x]) << x;
    EXPECT_EQ(c.DepthAt(1, 1), 0xFFFF);
    EXPECT_EQ(c.DepthAt(2, 0), 0xFFFF);
    EXPECT_EQ(c.Drawn(), 0);

    record.image.flags = PixelImage::kFormat8Bit;
    EXPECT_EQ(c.canvas->DrawMonoImageRaw(&rect, &record, 1, 2), kStatusCannotDrawFormat);
    record.image.flags = PixelImage::kFormat1Bit;
    Canvas8 flat(12, 2);
    EXPECT_EQ(flat.canvas->DrawMonoImageRaw(&rect, &record, 1, 2), kStatusNothingToDo);
}

// --- Fog -------------------------------------------------------------------

TEST(SoftCanvas8, FogPassLooksUpEachPixelAtItsDepthLevel) {
    Canvas8 c(6, 1, Canvas::kFlagHasDepth);
    const FogParams fog{200, 40, 16, 0, 0.5f};
    ASSERT_EQ(c.canvas->SetFog(&fog), kStatusOk);
    const auto& tables = c.canvas->fog.tables8;
    ASSERT_NE(tables.table, nullptr);
    ASSERT_EQ(tables.startDepth, 32767);

    const uint16_t depths[6] = {0xFFFF, 0x1000, 32766, 32767, 0x9000, 0xFFFE};
    const uint8_t colours[6] = {20, 21, 22, 23, 24, 25};
    for (int32_t x = 0; x < 6; ++x) {
        c.canvas->Row(0)[x] = colours[x];
        c.canvas->DepthRow(0)[x] = depths[x];
    }
    // Fog off: nothing to do.
    EXPECT_EQ(c.canvas->ApplyFog(), kStatusNothingToDo);
    EXPECT_EQ(c.At(5, 0), 25);

    c.canvas->EnableFog();
    ASSERT_EQ(c.canvas->ApplyFog(), kStatusOk);
    EXPECT_EQ(c.At(0, 0), 20);   // background
    EXPECT_EQ(c.At(1, 0), 21);   // nearer than the start
    EXPECT_EQ(c.At(2, 0), 22);
    EXPECT_EQ(c.At(3, 0), tables.table[32767 >> 9][23]);
    EXPECT_EQ(c.At(4, 0), tables.table[0x9000 >> 9][24]);
    EXPECT_EQ(c.At(5, 0), tables.table[127][25]);
    // The far end of the table has faded to the fog colour's closest index.
    EXPECT_NE(tables.table[127][25], 25);
    EXPECT_EQ(c.DepthAt(5, 0), 0xFFFE);
}

TEST(SoftCanvas8, FogPassNeedsTheDepthTest) {
    Canvas8 c(2, 1, Canvas::kFlagHasDepth);
    const FogParams fog{255, 255, 255, 0, 0.0f};
    ASSERT_EQ(c.canvas->SetFog(&fog), kStatusOk);
    c.canvas->EnableFog();
    c.canvas->DisableDepthTest();
    c.canvas->Row(0)[0] = 30;
    c.canvas->DepthRow(0)[0] = 0x8000;
    EXPECT_EQ(c.canvas->ApplyFog(), kStatusNothingToDo);
    EXPECT_EQ(c.At(0, 0), 30);
}

// --- One picture of it all ----------------------------------------------------

TEST(SoftCanvas8, PictureOfFillsLinesPolygonsAndImagesMatchesItsGolden) {
    // Colour i is ((i & 31) << 3, (i >> 5) << 5, 64): 0 navy, 31 red,
    // 224 green, 254 pale yellow, 100 purple-grey.
    TestPalette palette(true);
    const CanvasRect bounds{0, 0, 64, 48};
    SoftCanvas8 canvas(&bounds, palette.Get(), Canvas::kFlagHasDepth);
    ASSERT_EQ(canvas.setupResult, kStatusOk);
    canvas.Clear(0, kFarthest);

    const CanvasRect panel{2, 2, 26, 14};
    canvas.FillRect(&panel, 100);
    // Drawn first at the wall's depth, the line stays in front of it: the
    // wall's triangles draw only where they are nearer.
    const ViewVertex a = Point(0, 47, 254), b = Point(63, 20, 254);
    canvas.DrawLineInt(&a, &b, nullptr);

    // A checkered wall turned a little away to the left: its left side has
    // three quarters of the right side's weight, so the checks narrow toward
    // the left. (The rows follow the perspective; the edges step u and v
    // straight, so a stronger turn bends the checks along the diagonal.)
    // Coordinates stop short of 1.0, where the texture would start again.
    std::vector<uint8_t> checks(16 * 16);
    for (size_t i = 0; i < checks.size(); ++i) checks[i] = ((i % 16) / 4 + (i / 16) / 4) % 2 != 0 ? 31 : 224;
    OwnedImage texture;
    Make8(texture, 16, 16, checks);
    constexpr float kEnd = 15.5f / 16.0f;
    constexpr float kFarW = 0.75f;
    const std::array<ScreenVertex, 4> floor{
        Corner(34, 4, 0, 0, 128, 0, kFarW), Corner(62, 4, kEnd, 0, 128, 0, 1.0f),
        Corner(62, 30, kEnd, kEnd, 128, 0, 1.0f), Corner(34, 30, 0, kEnd, 128, 0, kFarW)};
    ASSERT_EQ(canvas.FillPolygonTexturedPersp(4, floor.data(), &texture), kStatusOk);

    OwnedImage source;
    Make8(source, 4, 4, {31, 31, 31, 31, 31, 255, 255, 31, 31, 255, 255, 31, 31, 31, 31, 31});
    KeyedSprite sprite(&source);
    const CanvasRect spriteAt{4, 20, 4, 4};
    ASSERT_EQ(canvas.BlitImage(&spriteAt, reinterpret_cast<PixelImage*>(&sprite), 0), kStatusOk);
    const CanvasRect stretched{10, 20, 12, 12};
    ASSERT_EQ(canvas.BlitImage(&stretched, &source, 0x100), kStatusOk);

    OwnedImage glyph;
    MakeMono(glyph, {0b0011110000000000, 0b0100001000000000, 0b0111111000000000, 0b0100001000000000,
                     0b0100001000000000});
    const CanvasRect glyphAt{4, 36, 8, 5};
    ASSERT_EQ(canvas.DrawMonoImage(&glyphAt, &glyph, 254, 0xFF000000), kStatusOk);

    EXPECT_TRUE(MatchesGolden(canvas, "soft_canvas8_picture"));
}

}  // namespace
