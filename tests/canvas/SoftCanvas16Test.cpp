#include "canvas/SoftCanvas16.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "raster/ByteBlits.h"
#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "engine/EngineHeap.h"
#include "display/KeyedSprite.h"
#include "display/PixelImage.h"
#include "tests/support/ScopedEngineHeap.h"
#include "tests/support/Vertices.h"

namespace {

constexpr uint32_t kDepthFlags = Canvas::kFlagHasDepth;

// A 16-bit palette whose shade entry (colour, level) is colour x 32 + level,
// so a pixel tells which entry was looked up, and whose colour i is
// (i, 3 i, 7 i) modulo 256, colour 0 black. The pivot is level 16.
class TestPalette {
public:
    static constexpr uint32_t kPivotLevel = 16;

    explicit TestPalette(int32_t format) : palette_(Palette::Create(format)), rows_(Palette::kShadeEntries) {
        for (size_t i = 0; i < rows_.size(); ++i) rows_[i] = uint16_t(i);
        shades_ = ShadeTable{rows_.data(), Palette::kShadeShift, Palette::kShadeLevels, kPivotLevel << 3, nullptr};
        displaced_ = palette_->SwapShades(&shades_);
        PaletteColor colours[Palette::kColorCount];
        for (int i = 0; i < Palette::kColorCount; ++i) {
            colours[i] = PaletteColor{uint8_t(i), uint8_t(3 * i), uint8_t(7 * i), 0};
        }
        palette_->SetColors(colours, Palette::kColorCount);
    }
    ~TestPalette() { palette_->SwapShades(displaced_); }

    static uint16_t Entry(uint32_t colour, uint32_t level) { return uint16_t(colour * 32 + level); }
    void SetEntry(uint32_t colour, uint32_t level, uint16_t pixel) { rows_[colour * 32 + level] = pixel; }
    Palette* Get() const { return palette_.get(); }

private:
    std::unique_ptr<Palette> palette_;
    std::vector<uint16_t> rows_;
    ShadeTable shades_{};
    ShadeTable* displaced_ = nullptr;
};

struct Canvas16 {
    Canvas16(int32_t format, int32_t w, int32_t h, uint32_t flags = kDepthFlags)
        : palette(format), rect{0, 0, w, h}, canvas(&rect, palette.Get(), flags) {}
    uint16_t& At(int32_t x, int32_t y) { return reinterpret_cast<uint16_t*>(canvas.Row(y))[x]; }
    uint16_t& DepthAt(int32_t x, int32_t y) { return canvas.DepthRow(y)[x]; }
    void Fill(uint16_t value) {
        for (int32_t y = 0; y < canvas.height; ++y) {
            for (int32_t x = 0; x < canvas.width; ++x) At(x, y) = value;
        }
    }
    int32_t CountOtherThan(uint16_t value) {
        int32_t n = 0;
        for (int32_t y = 0; y < canvas.height; ++y) {
            for (int32_t x = 0; x < canvas.width; ++x) n += At(x, y) != value;
        }
        return n;
    }

    TestPalette palette;
    CanvasRect rect;
    SoftCanvas16 canvas;
};

ScreenVertex Corner(float x, float y, uint32_t colour, float intensity, float u = 0, float v = 0,
                    float depth = 0.25f) {
    ScreenVertex s;
    s.x = x;
    s.y = y;
    s.depth = depth;
    s.colour = colour;
    s.intensity = intensity;
    s.u = u;
    s.v = v;
    s.invZ = 1.0f;
    return s;
}

// The square x0..x1, y0..y1 with u and v running 0..1 across it.
std::vector<ScreenVertex> Square(float x0, float y0, float x1, float y1, uint32_t colour, float intensity,
                                 float depth = 0.25f) {
    return {Corner(x0, y0, colour, intensity, 0, 0, depth), Corner(x1, y0, colour, intensity, 1, 0, depth),
            Corner(x1, y1, colour, intensity, 1, 1, depth), Corner(x0, y1, colour, intensity, 0, 1, depth)};
}

// An image over pixels of its own.
template <typename Pixel>
struct TestImage {
    TestImage(int16_t w, int16_t h, uint32_t format, Pixel fill = 0) : pixels(size_t(w) * size_t(h), fill) {
        image.width = w;
        image.height = h;
        image.flags = format;
        image.pixels = reinterpret_cast<uint8_t*>(pixels.data());
    }
    Pixel& At(int32_t x, int32_t y) { return pixels[size_t(y) * size_t(image.width) + size_t(x)]; }
    std::vector<Pixel> pixels;
    PixelImage image;
};

// A 1-bit image of the given rows, each a string of '#' (set) and '.'.
struct MonoImage {
    explicit MonoImage(const std::vector<const char*>& rows) {
        const int32_t w = int32_t(std::strlen(rows[0]));
        rowBytes = (w + 7) / 8;
        bits.assign(size_t(rowBytes) * rows.size(), 0);
        for (size_t y = 0; y < rows.size(); ++y) {
            for (int32_t x = 0; x < w; ++x) {
                if (rows[y][x] == '#') bits[y * size_t(rowBytes) + size_t(x / 8)] |= uint8_t(0x80 >> (x % 8));
            }
        }
        image.width = int16_t(w);
        image.height = int16_t(rows.size());
        image.flags = PixelImage::kFormat1Bit;
        image.pixels = bits.data();
    }
    int32_t rowBytes = 0;
    std::vector<uint8_t> bits;
    PixelImage image;
};

// Set-up.

TEST(SoftCanvas16Setup, FillsTheFieldsOfA16BitCanvasWithDepthBuffer) {
    Canvas16 c(kPixelFormatRgb565, 640, 4);
    const SoftCanvas16& canvas = c.canvas;
    EXPECT_EQ(canvas.setupResult, kStatusOk);
    EXPECT_EQ(canvas.flags & 0xFFF, Canvas::kFlagSetUp | Canvas::kFlagHasDepth | Canvas::kFlagDepthTest |
                                         Canvas::kFlagOwnsDepth | Canvas::kFlagOwnsPixels | Canvas::kFlag16Bit);
    EXPECT_EQ(canvas.bufferSize, 2u * 640 * 4);
    EXPECT_EQ(canvas.pitch, 1280);
    EXPECT_EQ(canvas.depthPitch, 1280);
    EXPECT_EQ(canvas.depthBits, 16);
    EXPECT_EQ(canvas.rowOffsets[3], 3u * 1280);
    EXPECT_EQ(canvas.depthRowOffsets[3], 3u * 1280);
    EXPECT_EQ(canvas.palette, c.palette.Get());
    EXPECT_FLOAT_EQ(canvas.subdivideLength, 44.8f);
    EXPECT_FLOAT_EQ(canvas.subdivideLongLength, 179.2f);
    // Cleared to 0, every depth the farthest.
    EXPECT_EQ(c.CountOtherThan(0), 0);
    EXPECT_EQ(c.DepthAt(639, 3), 0xFFFF);
}

TEST(SoftCanvas16Setup, WithoutDepthFlagHasNoDepthBufferAndNoDepthTest) {
    Canvas16 c(kPixelFormatRgb555, 16, 8, 0);
    EXPECT_EQ(c.canvas.depth, nullptr);
    EXPECT_EQ(c.canvas.depthRowOffsets, nullptr);
    EXPECT_EQ(c.canvas.depthBits, 0);
    c.canvas.EnableDepthTest();
    EXPECT_EQ(c.canvas.flags & Canvas::kFlagDepthTest, 0u);
    EXPECT_EQ(c.canvas.ApplyFog(), kStatusNothingToDo);
    MonoMaskRecord record;
    record.image.flags = PixelImage::kFormat1Bit;
    EXPECT_EQ(c.canvas.DrawMonoImageRaw(&c.rect, &record, 0, 0), kStatusNothingToDo);
}

TEST(SoftCanvas16Setup, NoClearFlagStillSetsTheSubdivideLengths) {
    Canvas16 c(kPixelFormatRgb565, 100, 2, Canvas::kFlagNoClear);
    EXPECT_FLOAT_EQ(c.canvas.subdivideLength, 7.0f);
    EXPECT_FLOAT_EQ(c.canvas.subdivideLongLength, 28.0f);
}

TEST(SoftCanvas16Setup, FailedAllocationGives2AndDrawingThenGives8) {
    TestPalette palette(kPixelFormatRgb565);
    const CanvasRect rect{0, 0, 32, 32};
    ScopedEngineHeap full(ScopedEngineHeap::kFull);
    SoftCanvas16 canvas(&rect, palette.Get(), kDepthFlags);
    EXPECT_EQ(canvas.setupResult, kStatusOutOfMemory);
    EXPECT_EQ(canvas.pixels, nullptr);
    EXPECT_EQ(canvas.rowOffsets, nullptr);
    EXPECT_EQ(canvas.FillRect(&rect, 3), kStatusPlatformFailed);
    const ViewVertex p = ViewPoint(1, 1);
    EXPECT_EQ(canvas.PlotPixelInt(&p, nullptr), kStatusPlatformFailed);
    EXPECT_EQ(canvas.Clear(0, 0), kStatusPlatformFailed);
}

TEST(SoftCanvas16Setup, DestructorReturnsEveryBlockItAllocated) {
    const ScopedEngineHeap heap(4 << 20);
    const uint64_t before = EngineHeap::BytesInUse();
    {
        TestPalette palette(kPixelFormatRgb565);
        const CanvasRect rect{0, 0, 64, 48};
        SoftCanvas16 canvas(&rect, palette.Get(), kDepthFlags);
        ASSERT_EQ(canvas.setupResult, kStatusOk);
        EXPECT_TRUE(EngineHeap::Contains(canvas.pixels));
        EXPECT_TRUE(EngineHeap::Contains(canvas.depth));
        const FogParams fog{10, 20, 30, 0, 0.5f};
        canvas.SetFog(&fog);
        EXPECT_GT(EngineHeap::BytesInUse(), before);
    }
    EXPECT_EQ(EngineHeap::BytesInUse(), before);
}

// Rectangles and pixels.

TEST(SoftCanvas16Fill, RgbIsPackedInTheCanvasFormatAndNullIsZero) {
    const uint8_t rgb[4] = {0xFF, 0x84, 0x0F, 0xEE};
    Canvas16 c565(kPixelFormatRgb565, 8, 4);
    Canvas16 c555(kPixelFormatRgb555, 8, 4);
    const CanvasRect r{2, 1, 3, 2};
    c565.Fill(0x1111);
    c555.Fill(0x1111);
    EXPECT_EQ(c565.canvas.FillRectRgb(&r, rgb), kStatusOk);
    EXPECT_EQ(c555.canvas.FillRectRgb(&r, rgb), kStatusOk);
    EXPECT_EQ(c565.At(2, 1), 0xFC21);
    EXPECT_EQ(c565.At(4, 2), 0xFC21);
    EXPECT_EQ(c555.At(4, 2), Canvas::Pack555(0xFF, 0x84, 0x0F));
    // Exactly the rectangle.
    EXPECT_EQ(c565.CountOtherThan(0x1111), 6);
    EXPECT_EQ(c565.At(5, 1), 0x1111);
    EXPECT_EQ(c565.At(2, 3), 0x1111);

    c565.canvas.FillRectRgb(&r, nullptr);
    EXPECT_EQ(c565.At(3, 2), 0);
}

TEST(SoftCanvas16Fill, RawWordsAreWrittenAsGivenAndIndicesThroughThePaletteColours) {
    Canvas16 c(kPixelFormatRgb555, 8, 4);
    const CanvasRect r{0, 0, 2, 2};
    // A raw 5-6-5 word on a 5-5-5 canvas goes in unchanged...
    EXPECT_EQ(c.canvas.FillRect(&r, Canvas::kColorRaw565 | 0xF81F), kStatusOk);
    EXPECT_EQ(c.At(1, 1), 0xF81F);
    EXPECT_EQ(c.canvas.FillRect(&r, Canvas::kColorRaw555 | 0x1234), kStatusOk);
    EXPECT_EQ(c.At(0, 0), 0x1234);
    // ... while the mono image refuses it.
    MonoImage glyph({"#."});
    EXPECT_EQ(c.canvas.DrawMonoImage(&r, &glyph.image, Canvas::kColorRaw565 | 0xF81F, 0), kStatusPlatformFailed);
    EXPECT_EQ(c.At(0, 0), 0x1234);

    c.canvas.FillRect(&r, 40);   // colour 40 is (40, 120, 24)
    EXPECT_EQ(c.At(1, 0), Canvas::Pack555(40, 120, 24));
}

TEST(SoftCanvas16Fill, ClearFillsColourAndDepthHighHalf) {
    Canvas16 c(kPixelFormatRgb565, 8, 4);
    EXPECT_EQ(c.canvas.Clear(Canvas::kColorRaw565 | 0xABCD, 0x12345678), kStatusOk);
    EXPECT_EQ(c.CountOtherThan(0xABCD), 0);
    EXPECT_EQ(c.DepthAt(7, 3), 0x1234);
}

TEST(SoftCanvas16Pixel, WritesTheShadeEntryOrThePackedRgb) {
    Canvas16 c(kPixelFormatRgb565, 8, 4, 0);
    const ViewVertex p = ViewPoint(3, 2, 7, 100);
    EXPECT_EQ(c.canvas.PlotPixelInt(&p, nullptr), kStatusOk);
    EXPECT_EQ(c.At(3, 2), TestPalette::Entry(7, 12));
    const uint8_t rgb[3] = {0xFF, 0xFF, 0xFF};
    c.canvas.PlotPixelInt(&p, rgb);
    EXPECT_EQ(c.At(3, 2), 0xFFFF);
    // Off the canvas nothing is written.
    const ViewVertex off = ViewPoint(8, 0, 7, 100);
    EXPECT_EQ(c.canvas.PlotPixelInt(&off, nullptr), kStatusOk);
    EXPECT_EQ(c.CountOtherThan(0), 1);
}

TEST(SoftCanvas16Pixel, DepthTestRefusesEqualDepthAndDrawsOnlyNearer) {
    Canvas16 c(kPixelFormatRgb565, 8, 4);
    c.DepthAt(1, 1) = 0x4000;
    const ViewVertex equal = ViewPoint(1, 1, 2, 0, 0x4000FFFF);
    c.canvas.PlotPixelInt(&equal, nullptr);
    EXPECT_EQ(c.At(1, 1), 0);
    EXPECT_EQ(c.DepthAt(1, 1), 0x4000);

    const ViewVertex nearer = ViewPoint(1, 1, 2, 0, 0x3FFF0000);
    c.canvas.PlotPixelInt(&nearer, nullptr);
    EXPECT_EQ(c.At(1, 1), TestPalette::Entry(2, 0));
    EXPECT_EQ(c.DepthAt(1, 1), 0x3FFF);

    // With the test off any depth draws and nothing is stored.
    c.canvas.DisableDepthTest();
    const ViewVertex farther = ViewPoint(1, 1, 3, 0, 0x7FFF0000);
    c.canvas.PlotPixelInt(&farther, nullptr);
    EXPECT_EQ(c.At(1, 1), TestPalette::Entry(3, 0));
    EXPECT_EQ(c.DepthAt(1, 1), 0x3FFF);
}

TEST(SoftCanvas16Pixel, ReadPixelReturns1AndLeavesTheRecordAlone) {
    Canvas16 c(kPixelFormatRgb565, 8, 4);
    ViewVertex out = ViewPoint(9, 9, 9, 9, 9);
    EXPECT_EQ(c.canvas.ReadPixel(1, 1, &out), 1);
    EXPECT_EQ(out.screenX, 9);
    EXPECT_EQ(out.colour, 9u);
    EXPECT_EQ(out.depth, 9u);
}

// Lines.

TEST(SoftCanvas16Line, FlatLineLeavesOutItsEndPointsOnThe16BitCanvas) {
    Canvas16 c(kPixelFormatRgb565, 10, 4, 0);
    const ViewVertex a = ViewPoint(2, 1, 5, 64), b = ViewPoint(6, 1, 9, 255);
    EXPECT_EQ(c.canvas.DrawLineInt(&a, &b, nullptr), kStatusOk);
    for (int32_t x = 2; x <= 5; ++x) EXPECT_EQ(c.At(x, 1), TestPalette::Entry(5, 8)) << x;
    EXPECT_EQ(c.At(6, 1), 0);
    EXPECT_EQ(c.CountOtherThan(0), 4);
}

TEST(SoftCanvas16Line, ShadedLineStepsTheIntensity) {
    Canvas16 c(kPixelFormatRgb565, 10, 4, 0);
    const ViewVertex a = ViewPoint(0, 2, 5, 0), b = ViewPoint(8, 2, 5, 255);
    EXPECT_EQ(c.canvas.DrawLineShadedInt(&a, &b), kStatusOk);
    EXPECT_LE(c.At(0, 2), TestPalette::Entry(5, 4));
    EXPECT_GE(c.At(0, 2), TestPalette::Entry(5, 0));
    EXPECT_GT(c.At(7, 2), TestPalette::Entry(5, 24));
    EXPECT_LE(c.At(7, 2), TestPalette::Entry(5, 31));
    for (int32_t x = 1; x < 8; ++x) EXPECT_GE(c.At(x, 2), c.At(x - 1, 2)) << x;
}

TEST(SoftCanvas16Line, ClippedLineStaysOnTheCanvas) {
    Canvas16 c(kPixelFormatRgb565, 10, 4, 0);
    const ScreenVertex a = Corner(-20, 1, 5, 0), b = Corner(30, 1, 5, 0);
    EXPECT_EQ(c.canvas.DrawLineClipped(&a, &b, nullptr, nullptr), kStatusOk);
    // Only row 1 is touched, and the clipped lines never reach the last column.
    int32_t drawn = 0;
    for (int32_t x = 0; x < 10; ++x) drawn += c.At(x, 1) == TestPalette::Entry(5, 0);
    EXPECT_GE(drawn, 7);
    EXPECT_EQ(c.At(9, 1), 0);
    EXPECT_EQ(c.CountOtherThan(0), drawn);
}

// Polygons.

TEST(SoftCanvas16Polygon, FlatSquareTakesTheFirstVertexShadeEntry) {
    Canvas16 c(kPixelFormatRgb565, 32, 32);
    const std::vector<ScreenVertex> square = Square(4, 4, 20, 20, 6, 200);
    EXPECT_EQ(c.canvas.FillPolygonFlat(4, square.data()), kStatusOk);
    EXPECT_EQ(c.At(12, 12), TestPalette::Entry(6, 25));
    EXPECT_EQ(c.At(4, 4), TestPalette::Entry(6, 25));
    EXPECT_EQ(c.At(2, 12), 0);
    EXPECT_EQ(c.At(22, 12), 0);
    EXPECT_EQ(c.DepthAt(12, 12), 0x4000);
}

TEST(SoftCanvas16Polygon, DepthTestKeepsANearerSurface) {
    Canvas16 c(kPixelFormatRgb565, 32, 32);
    const std::vector<ScreenVertex> near = Square(0, 0, 32, 32, 1, 0, 0.25f);
    const std::vector<ScreenVertex> far = Square(0, 0, 32, 32, 2, 0, 0.5f);
    c.canvas.FillPolygonFlat(4, near.data());
    c.canvas.FillPolygonShaded(4, far.data());
    EXPECT_EQ(c.At(16, 16), TestPalette::Entry(1, 0));
    c.canvas.DisableDepthTest();
    c.canvas.FillPolygonShaded(4, far.data());
    EXPECT_EQ(c.At(16, 16), TestPalette::Entry(2, 0));
}

TEST(SoftCanvas16Polygon, IntFormDrawsAsTheFloatForm) {
    Canvas16 a(kPixelFormatRgb565, 32, 32), b(kPixelFormatRgb565, 32, 32);
    const std::vector<ScreenVertex> square = Square(3, 5, 27, 22, 9, 128, 0.5f);
    ViewVertex records[4];
    for (int i = 0; i < 4; ++i) {
        records[i] = ViewPoint(int32_t(square[i].x), int32_t(square[i].y), 9, 128, 0x80000000u);
    }
    a.canvas.FillPolygonShaded(4, square.data());
    b.canvas.FillPolygonShadedInt(4, records);
    for (int32_t y = 0; y < 32; ++y) {
        for (int32_t x = 0; x < 32; ++x) ASSERT_EQ(a.At(x, y), b.At(x, y)) << x << ", " << y;
    }
}

TEST(SoftCanvas16Polygon, MoreThanTwelveVerticesDrawNothing) {
    Canvas16 c(kPixelFormatRgb565, 32, 32);
    std::vector<ScreenVertex> many(13, Corner(10, 10, 1, 0));
    many[1] = Corner(30, 10, 1, 0);
    many[2] = Corner(30, 30, 1, 0);
    EXPECT_EQ(c.canvas.FillPolygonFlat(13, many.data()), kStatusOk);
    EXPECT_EQ(c.CountOtherThan(0), 0);
    EXPECT_EQ(c.canvas.FillPolygonRgb(13, many.data()), kStatusOk);
    EXPECT_EQ(c.CountOtherThan(0), 0);
}

// A 16 x 16 texture of 4 x 4 blocks in colours 3 and 9.
struct CheckerTexture : TestImage<uint8_t> {
    CheckerTexture() : TestImage<uint8_t>(16, 16, PixelImage::kFormat8Bit) {
        for (int32_t y = 0; y < 16; ++y) {
            for (int32_t x = 0; x < 16; ++x) At(x, y) = ((x / 4 + y / 4) % 2) != 0 ? 9 : 3;
        }
    }
    static uint8_t BlockColour(int32_t bx, int32_t by) { return ((bx + by) % 2) != 0 ? 9 : 3; }
};

TEST(SoftCanvas16Polygon, TexturedSquareShowsTheTexelsAtTheFirstVertexLevel) {
    Canvas16 c(kPixelFormatRgb565, 64, 64);
    CheckerTexture texture;
    const std::vector<ScreenVertex> square = Square(0, 0, 64, 64, 0, 128);
    EXPECT_EQ(c.canvas.FillPolygonTextured(4, square.data(), &texture.image), kStatusOk);
    for (int32_t by = 0; by < 4; ++by) {
        for (int32_t bx = 0; bx < 4; ++bx) {
            EXPECT_EQ(c.At(16 * bx + 8, 16 * by + 8), TestPalette::Entry(CheckerTexture::BlockColour(bx, by), 16))
                << bx << ", " << by;
        }
    }
    // The texture was made once and stays with the image.
    EXPECT_NE(texture.image.copies, nullptr);
}

TEST(SoftCanvas16Polygon, PerspectiveWithEqualWeightsDrawsAsTheAffineFill) {
    // 640 wide: no edge here is long enough to be split whatever its weights.
    Canvas16 affine(kPixelFormatRgb565, 640, 64), persp(kPixelFormatRgb565, 640, 64);
    CheckerTexture texture;
    const std::vector<ScreenVertex> square = Square(2, 3, 61, 58, 0, 200);
    affine.canvas.FillPolygonTexturedShaded(4, square.data(), &texture.image);
    persp.canvas.FillPolygonTexturedShadedPersp(4, square.data(), &texture.image);
    int32_t differing = 0;
    for (int32_t y = 0; y < 64; ++y) {
        for (int32_t x = 0; x < 640; ++x) differing += affine.At(x, y) != persp.At(x, y);
    }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(affine.CountOtherThan(0), 3000);
}

TEST(SoftCanvas16Polygon, TextureOfUnsupportedSizeDrawsNothingAndReturns0) {
    Canvas16 c(kPixelFormatRgb565, 64, 64);
    TestImage<uint8_t> odd(100, 64, PixelImage::kFormat8Bit, 5);
    const std::vector<ScreenVertex> square = Square(0, 0, 64, 64, 0, 128);
    EXPECT_EQ(c.canvas.FillPolygonTextured(4, square.data(), &odd.image), kStatusOk);
    EXPECT_EQ(c.canvas.FillPolygonTexturedAlpha(4, square.data(), &odd.image, 128), kStatusOk);
    EXPECT_EQ(c.CountOtherThan(0), 0);
    EXPECT_EQ(odd.image.copies, nullptr);
}

// Both used to read past a block: a 1-bit image holds an eighth of what the
// spans read, and an 8-bit palette's shade table half of what a 16-bit one
// holds. The blocks are exact so the sanitizers see any over-read.
TEST(SoftCanvas16Polygon, TexturesTheSpansCannotReadAreRefusedOrNotLent) {
    const std::vector<ScreenVertex> square = Square(0, 0, 64, 64, 0, 128);
    Canvas16 c(kPixelFormatRgb565, 64, 64);
    // 64 x 64 bits: 512 bytes.
    TestImage<uint8_t> mono(8, 64, PixelImage::kFormat1Bit, 0xFF);
    mono.image.width = 64;
    EXPECT_EQ(c.canvas.FillPolygonTextured(4, square.data(), &mono.image), kStatusOk);
    EXPECT_EQ(c.canvas.FillPolygonTexturedShadedPersp(4, square.data(), &mono.image), kStatusOk);
    EXPECT_EQ(c.CountOtherThan(0), 0);

    CheckerTexture texture;
    const std::unique_ptr<Palette> indexed(Palette::Create(kPixelFormatIndexed8));
    texture.image.palette = indexed.get();
    EXPECT_EQ(c.canvas.FillPolygonTextured(4, square.data(), &texture.image), kStatusOk);
    // The canvas's own 16-bit shades are used.
    EXPECT_EQ(c.At(8, 8), TestPalette::Entry(3, 16));
    EXPECT_EQ(c.canvas.palette, c.palette.Get());
}

TEST(SoftCanvas16Polygon, DirectColoursAreKept) {
    Canvas16 c(kPixelFormatRgb565, 32, 32);
    std::vector<ScreenVertex> square = Square(0, 0, 32, 32, Canvas::MakeDirectColor(0xFF, 0xFF, 0xFF), 0);
    EXPECT_EQ(c.canvas.FillPolygonRgb(4, square.data()), kStatusOk);
    EXPECT_EQ(c.At(16, 16), 0xFFFF);
}

TEST(SoftCanvas16Polygon, IndexColoursOnA555CanvasAreReadAs555ShadeEntries) {
    // Colour 4 at level 16 holds 5-5-5 white; read as 5-6-5 it would be a
    // grey-green of red 0x78 and blue 0xF8.
    for (const bool intForm : {false, true}) {
        Canvas16 c(kPixelFormatRgb555, 32, 32);
        c.palette.SetEntry(4, 16, 0x7FFF);
        const std::vector<ScreenVertex> square = Square(0, 0, 32, 32, 4, 128);
        if (intForm) {
            ViewVertex records[4];
            for (int i = 0; i < 4; ++i) {
                records[i] = ViewPoint(int32_t(square[i].x), int32_t(square[i].y), 4, 128, 0x40000000);
            }
            EXPECT_EQ(c.canvas.FillPolygonRgbInt(4, records), kStatusOk);
        } else {
            EXPECT_EQ(c.canvas.FillPolygonRgb(4, square.data()), kStatusOk);
        }
        EXPECT_EQ(c.canvas.ShadeToDirect(4, 128), 0x10F8F8F8u);
        for (int32_t y = 4; y < 8; ++y) {
            for (int32_t x = 4; x < 8; ++x) EXPECT_EQ(c.At(x, y), 0x7FFF) << x << ", " << y << " int " << intForm;
        }
    }
}

TEST(SoftCanvas16Polygon, IndexColoursOnA565CanvasAreReadAs565ShadeEntries) {
    Canvas16 c(kPixelFormatRgb565, 8, 8);
    c.palette.SetEntry(4, 16, 0xF81F);
    EXPECT_EQ(c.canvas.ShadeToDirect(4, 128), 0x10F800F8u);
}

// Images.

TEST(SoftCanvas16Blit, CopiesAtMostTheRectangleAndCutsAtTheCanvasEdges) {
    Canvas16 c(kPixelFormatRgb565, 8, 6, 0);
    TestImage<uint16_t> image(4, 3, PixelImage::kFormat565);
    for (int32_t y = 0; y < 3; ++y) {
        for (int32_t x = 0; x < 4; ++x) image.At(x, y) = uint16_t(0x100 * (y + 1) + x);
    }
    // The rectangle limits the copy to 3 x 2.
    CanvasRect r{1, 1, 3, 2};
    EXPECT_EQ(c.canvas.BlitImage(&r, &image.image, 0), kStatusOk);
    EXPECT_EQ(c.At(1, 1), 0x100);
    EXPECT_EQ(c.At(3, 2), 0x202);
    EXPECT_EQ(c.CountOtherThan(0), 6);

    // Cut on the left and at the bottom: the copy is a window of the uncut one.
    c.Fill(0);
    r = CanvasRect{-2, 4, 10, 10};
    EXPECT_EQ(c.canvas.BlitImage(&r, &image.image, 0), kStatusOk);
    EXPECT_EQ(c.At(0, 4), 0x102);
    EXPECT_EQ(c.At(1, 5), 0x203);
    EXPECT_EQ(c.CountOtherThan(0), 4);

    // Wholly outside: nothing.
    c.Fill(0);
    r = CanvasRect{8, 0, 4, 3};
    EXPECT_EQ(c.canvas.BlitImage(&r, &image.image, 0), kStatusOk);
    EXPECT_EQ(c.CountOtherThan(0), 0);
}

TEST(SoftCanvas16Blit, KeyPixelsAreLeftOutOnlyWithBit31) {
    Canvas16 c565(kPixelFormatRgb565, 4, 1, 0);
    Canvas16 c555(kPixelFormatRgb555, 4, 1, 0);
    TestImage<uint16_t> image565(4, 1, PixelImage::kFormat565, 0x0101);
    TestImage<uint16_t> image555(4, 1, PixelImage::kFormat555, 0x0101);
    image565.At(1, 0) = PixelImage::kKey565;
    image555.At(2, 0) = PixelImage::kKey555;
    CanvasRect r{0, 0, 4, 1};
    c565.canvas.BlitImage(&r, &image565.image, kSpanKeyed);
    c555.canvas.BlitImage(&r, &image555.image, kSpanKeyed);
    EXPECT_EQ(c565.At(1, 0), 0);
    EXPECT_EQ(c565.At(2, 0), 0x0101);
    EXPECT_EQ(c555.At(2, 0), 0);
    EXPECT_EQ(c555.At(1, 0), 0x0101);
    c565.canvas.BlitImage(&r, &image565.image, 0);
    EXPECT_EQ(c565.At(1, 0), PixelImage::kKey565);
}

TEST(SoftCanvas16Blit, OtherPackingIsRefusedAndScaledCopyIsNotSupported) {
    Canvas16 c565(kPixelFormatRgb565, 4, 4, 0);
    Canvas16 c555(kPixelFormatRgb555, 4, 4, 0);
    TestImage<uint16_t> image555(2, 2, PixelImage::kFormat555, 0x1234);
    TestImage<uint16_t> image565(2, 2, PixelImage::kFormat565, 0x1234);
    CanvasRect r{0, 0, 4, 4};
    EXPECT_EQ(c565.canvas.BlitImage(&r, &image555.image, 0), kStatusCannotDrawFormat);
    EXPECT_EQ(c555.canvas.BlitImage(&r, &image565.image, 0), kStatusCannotDrawFormat);
    EXPECT_EQ(c565.canvas.BlitImage(&r, &image565.image, 0x100), kStatusNothingToDo);
    EXPECT_EQ(c565.CountOtherThan(0), 0);
    EXPECT_EQ(c555.CountOtherThan(0), 0);
}

TEST(SoftCanvas16Blit, EightBitImageTakesThePivotColumnOfThePaletteInUse) {
    Canvas16 c(kPixelFormatRgb565, 4, 2, 0);
    TestImage<uint8_t> image(3, 1, PixelImage::kFormat8Bit);
    image.At(0, 0) = 7;
    image.At(1, 0) = 255;
    image.At(2, 0) = 200;
    CanvasRect r{0, 0, 3, 1};
    EXPECT_EQ(c.canvas.BlitImage(&r, &image.image, kSpanKeyed), kStatusOk);
    EXPECT_EQ(c.At(0, 0), TestPalette::Entry(7, TestPalette::kPivotLevel));
    EXPECT_EQ(c.At(1, 0), 0);
    EXPECT_EQ(c.At(2, 0), TestPalette::Entry(200, TestPalette::kPivotLevel));

    // An image with a palette of its own draws through it, and the canvas
    // has its own palette back afterwards.
    TestPalette lent(kPixelFormatRgb565);
    lent.SetEntry(7, TestPalette::kPivotLevel, 0x7777);
    image.image.palette = lent.Get();
    r.y = 1;
    EXPECT_EQ(c.canvas.BlitImage(&r, &image.image, 0), kStatusOk);
    EXPECT_EQ(c.At(0, 1), 0x7777);
    EXPECT_EQ(c.At(1, 1), TestPalette::Entry(255, TestPalette::kPivotLevel));
    EXPECT_EQ(c.canvas.palette, c.palette.Get());
}

// A 4 x 2 5-6-5 sprite whose key pixels are at (1, 0) and (3, 1).
struct Sprite565 {
    Sprite565() : source(4, 2, PixelImage::kFormat565) {
        for (int32_t y = 0; y < 2; ++y) {
            for (int32_t x = 0; x < 4; ++x) source.At(x, y) = uint16_t(0x1000 + 0x10 * y + x);
        }
        source.At(1, 0) = PixelImage::kKey565;
        source.At(3, 1) = PixelImage::kKey565;
        EXPECT_EQ(sprite.Build(&source.image), kStatusOk);
    }
    PixelImage* AsImage() { return reinterpret_cast<PixelImage*>(&sprite); }
    TestImage<uint16_t> source;
    KeyedSprite sprite;
};

TEST(SoftCanvas16Blit, SpriteWhollyInsideCopiesItsRunsAndSkipsTheKey) {
    Canvas16 c(kPixelFormatRgb565, 6, 4, 0);
    c.Fill(0x5555);
    Sprite565 s;
    // The rectangle's size does not cut a sprite.
    CanvasRect r{2, 2, 1, 1};
    EXPECT_EQ(c.canvas.BlitImage(&r, s.AsImage(), 0), kStatusOk);
    EXPECT_EQ(c.At(2, 2), 0x1000);
    EXPECT_EQ(c.At(3, 2), 0x5555);
    EXPECT_EQ(c.At(5, 2), 0x1003);
    EXPECT_EQ(c.At(4, 3), 0x1012);
    EXPECT_EQ(c.At(5, 3), 0x5555);
    EXPECT_EQ(c.CountOtherThan(0x5555), 6);
}

TEST(SoftCanvas16Blit, SpriteStraddlingAnEdgeIsRefusedAndDrawsNothing) {
    Canvas16 c(kPixelFormatRgb565, 6, 4, 0);
    Sprite565 s;
    for (const CanvasRect r : {CanvasRect{-1, 0, 4, 2}, CanvasRect{3, 0, 4, 2}, CanvasRect{0, 3, 4, 2}}) {
        EXPECT_EQ(c.canvas.BlitImage(&r, s.AsImage(), 0), kStatusCannotDrawFormat) << r.x << ", " << r.y;
    }
    EXPECT_EQ(c.CountOtherThan(0), 0);
    // Touching the right and bottom edges is still wholly inside.
    const CanvasRect corner{2, 2, 4, 2};
    EXPECT_EQ(c.canvas.BlitImage(&corner, s.AsImage(), 0), kStatusOk);
    EXPECT_EQ(c.At(5, 3), 0);
    EXPECT_EQ(c.At(4, 3), 0x1012);
}

TEST(SoftCanvas16Blit, EightBitSpriteAndOtherPackingAreRefused) {
    Canvas16 c(kPixelFormatRgb565, 6, 4, 0);
    TestImage<uint8_t> source8(2, 2, PixelImage::kFormat8Bit, 3);
    KeyedSprite sprite8(&source8.image);
    TestImage<uint16_t> source555(2, 2, PixelImage::kFormat555, 0x1234);
    KeyedSprite sprite555(&source555.image);
    const CanvasRect r{0, 0, 2, 2};
    EXPECT_EQ(c.canvas.BlitImage(&r, reinterpret_cast<PixelImage*>(&sprite8), 0), kStatusCannotDrawFormat);
    EXPECT_EQ(c.canvas.BlitImage(&r, reinterpret_cast<PixelImage*>(&sprite555), 0), kStatusCannotDrawFormat);
    EXPECT_EQ(c.CountOtherThan(0), 0);
}

// Mono images.

TEST(SoftCanvas16Mono, SetBitsTakeForegroundAndClearBitsBackground) {
    Canvas16 c(kPixelFormatRgb565, 8, 2, 0);
    c.Fill(0x5555);
    MonoImage glyph({"#..#", ".##."});
    const CanvasRect r{1, 0, 8, 8};
    EXPECT_EQ(c.canvas.DrawMonoImage(&r, &glyph.image, Canvas::kColorRaw565 | 0xAAAA, 40), kStatusOk);
    const uint16_t bg = Canvas::Pack565(40, 120, 24);
    EXPECT_EQ(c.At(1, 0), 0xAAAA);
    EXPECT_EQ(c.At(2, 0), bg);
    EXPECT_EQ(c.At(4, 0), 0xAAAA);
    EXPECT_EQ(c.At(2, 1), 0xAAAA);
    EXPECT_EQ(c.At(1, 1), bg);
    EXPECT_EQ(c.At(0, 0), 0x5555);
    EXPECT_EQ(c.At(5, 0), 0x5555);
}

TEST(SoftCanvas16Mono, TransparentForegroundLeavesTheGlyphPixels) {
    Canvas16 c(kPixelFormatRgb565, 4, 1, 0);
    MonoImage glyph({"#.#."});
    const CanvasRect r{0, 0, 4, 1};
    for (const uint32_t clear : {Canvas::kColorTransparent, Canvas::kColorTransparentIndex}) {
        c.Fill(0x5555);
        EXPECT_EQ(c.canvas.DrawMonoImage(&r, &glyph.image, clear, Canvas::kColorRaw565 | 3), kStatusOk);
        EXPECT_EQ(c.At(0, 0), 0x5555);
        EXPECT_EQ(c.At(1, 0), 3);
        EXPECT_EQ(c.At(2, 0), 0x5555);
        EXPECT_EQ(c.At(3, 0), 3);

        c.Fill(0x5555);
        EXPECT_EQ(c.canvas.DrawMonoImage(&r, &glyph.image, Canvas::kColorRaw565 | 3, clear), kStatusOk);
        EXPECT_EQ(c.At(0, 0), 3);
        EXPECT_EQ(c.At(1, 0), 0x5555);
    }
}

TEST(SoftCanvas16Mono, CutAtTheLeftEdgeStartsInsideTheFirstByte) {
    Canvas16 c(kPixelFormatRgb555, 12, 1, 0);
    MonoImage glyph({"##.#.....#.#"});
    const CanvasRect r{-3, 0, 12, 1};
    EXPECT_EQ(c.canvas.DrawMonoImage(&r, &glyph.image, Canvas::kColorRaw555 | 1, Canvas::kColorRaw555 | 2),
              kStatusOk);
    const uint16_t expected[9] = {1, 2, 2, 2, 2, 2, 1, 2, 1};
    for (int32_t x = 0; x < 9; ++x) EXPECT_EQ(c.At(x, 0), expected[x]) << x;
    EXPECT_EQ(c.At(9, 0), 0);
}

TEST(SoftCanvas16Mono, BadColoursAreCheckedBeforeTheImageFormat) {
    Canvas16 c(kPixelFormatRgb565, 4, 1, 0);
    TestImage<uint8_t> notMono(4, 1, PixelImage::kFormat8Bit);
    MonoImage glyph({"####"});
    const CanvasRect r{0, 0, 4, 1};
    EXPECT_EQ(c.canvas.DrawMonoImage(&r, &notMono.image, 1, 2), kStatusCannotDrawFormat);
    EXPECT_EQ(c.canvas.DrawMonoImage(&r, &notMono.image, Canvas::kColorRaw555 | 1, 2), kStatusPlatformFailed);
    EXPECT_EQ(c.canvas.DrawMonoImage(&r, &glyph.image, Canvas::MakeDirectColor(1, 2, 3), 2),
              kStatusPlatformFailed);
    EXPECT_EQ(c.CountOtherThan(0), 0);
}

TEST(SoftCanvas16Mono, RawMaskGoesIntoTheDepthBuffer) {
    Canvas16 c(kPixelFormatRgb565, 4, 2);
    MonoMaskRecord record;
    MonoImage glyph({"#.#.", ".#.."});
    record.image.width = glyph.image.width;
    record.image.height = glyph.image.height;
    record.image.flags = PixelImage::kFormat1Bit;
    record.image.pixels = glyph.bits.data();
    const CanvasRect r{0, 0, 4, 2};
    EXPECT_EQ(c.canvas.DrawMonoImageRaw(&r, &record, 0x1111, 0x2222), kStatusOk);
    EXPECT_EQ(c.DepthAt(0, 0), 0x1111);
    EXPECT_EQ(c.DepthAt(1, 0), 0x2222);
    EXPECT_EQ(c.DepthAt(1, 1), 0x1111);
    EXPECT_EQ(c.CountOtherThan(0), 0);
    record.image.flags = PixelImage::kFormat8Bit;
    EXPECT_EQ(c.canvas.DrawMonoImageRaw(&r, &record, 0, 0), kStatusCannotDrawFormat);
}

// Fog.

TEST(SoftCanvas16Fog, FadesFoggedPixelsPerChannelByDepthLevel) {
    Canvas16 c(kPixelFormatRgb565, 4, 1);
    const FogParams black{0, 0, 0, 0, 0.0f};
    EXPECT_EQ(c.canvas.SetFog(&black), kStatusOk);
    c.canvas.EnableFog();
    c.Fill(0xFFFF);
    c.DepthAt(0, 0) = 0xFFFE;   // level 255: 31 becomes 31 - 31 x 255 / 256 = 1
    c.DepthAt(1, 0) = 0x7FFF;   // level 127: 31 - 31 x 127 / 256 = 16
    c.DepthAt(2, 0) = 0xFFFF;   // background
    c.DepthAt(3, 0) = 0x00FF;   // level 0: unchanged channels, but green loses its lowest bit
    EXPECT_EQ(c.canvas.ApplyFog(), kStatusOk);
    EXPECT_EQ(c.At(0, 0), 1 << 11 | 2 << 5 | 1);
    EXPECT_EQ(c.At(1, 0), 16 << 11 | 32 << 5 | 16);
    EXPECT_EQ(c.At(2, 0), 0xFFFF);
    EXPECT_EQ(c.At(3, 0), 0xFFDF);
}

TEST(SoftCanvas16Fog, On555AllFiveBitsOfGreenAreKept) {
    Canvas16 c(kPixelFormatRgb555, 3, 1);
    const FogParams black{0, 0, 0, 0, 0.0f};
    c.canvas.SetFog(&black);
    c.canvas.EnableFog();
    c.Fill(0x7FFF);
    c.DepthAt(0, 0) = 0xFFFE;
    c.DepthAt(1, 0) = 0x0010;
    // The unused top bit of a 5-5-5 pixel is not taken for red: at the
    // last level it would index past the end of the fog table.
    c.At(2, 0) = 0xFFFF;
    c.DepthAt(2, 0) = 0xFFFE;
    EXPECT_EQ(c.canvas.ApplyFog(), kStatusOk);
    EXPECT_EQ(c.At(0, 0), 1 << 10 | 1 << 5 | 1);
    EXPECT_EQ(c.At(1, 0), 0x7FFF);
    EXPECT_EQ(c.At(2, 0), 1 << 10 | 1 << 5 | 1);
}

TEST(SoftCanvas16Fog, PixelsNearerThanTheStartAndFogWithoutDepthTestAreLeftAlone) {
    Canvas16 c(kPixelFormatRgb565, 2, 1);
    const FogParams fog{255, 255, 255, 0, 0.5f};
    c.canvas.SetFog(&fog);
    c.canvas.EnableFog();
    c.DepthAt(0, 0) = 0x7FFE;   // just nearer than the start 0x7FFF
    c.DepthAt(1, 0) = 0xFFFE;
    c.canvas.DisableDepthTest();
    EXPECT_EQ(c.canvas.ApplyFog(), kStatusNothingToDo);
    EXPECT_EQ(c.CountOtherThan(0), 0);
    c.canvas.EnableDepthTest();
    EXPECT_EQ(c.canvas.ApplyFog(), kStatusOk);
    EXPECT_EQ(c.At(0, 0), 0);
    EXPECT_NE(c.At(1, 0), 0);
}

// Span routines.

TEST(SoftCanvas16Spans, CopiesWriteExactlyCountPixels) {
    const uint16_t source[5] = {1, PixelImage::kKey555, PixelImage::kKey565, 4, 5};
    uint16_t out[6] = {9, 9, 9, 9, 9, 9};
    CopySpan16(out, source, 5);
    EXPECT_EQ(std::vector<uint16_t>(out, out + 6), (std::vector<uint16_t>{1, 0x7C1F, 0xF81F, 4, 5, 9}));
    uint16_t keyed[5] = {9, 9, 9, 9, 9};
    CopySpan16Key555(keyed, source, 5, kSpanKeyed);
    EXPECT_EQ(std::vector<uint16_t>(keyed, keyed + 5), (std::vector<uint16_t>{1, 9, 0xF81F, 4, 5}));
    CopySpan16Key565(keyed, source, 0, kSpanKeyed);
    EXPECT_EQ(keyed[1], 9);
    uint16_t keyed565[5] = {9, 9, 9, 9, 9};
    CopySpan16Key565(keyed565, source, 5, kSpanKeyed);
    EXPECT_EQ(std::vector<uint16_t>(keyed565, keyed565 + 5), (std::vector<uint16_t>{1, 0x7C1F, 9, 4, 5}));
    // Without the key flag nothing is left out.
    CopySpan16Key565(keyed565, source, 5, 0);
    EXPECT_EQ(keyed565[2], 0xF81F);
}

}  // namespace
