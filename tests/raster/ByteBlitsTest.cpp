#include "raster/ByteBlits.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "display/Palette.h"
#include "display/PixelImage.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Depths = std::vector<uint16_t>;

constexpr uint8_t kUntouched = 0xEE;

// A heap copy of exactly the given bytes, so the sanitizers see any access
// outside them.
template <typename T>
std::unique_ptr<T[]> ExactCopy(const std::vector<T>& values) {
    std::unique_ptr<T[]> block(new T[values.size()]);
    std::copy(values.begin(), values.end(), block.get());
    return block;
}

// An 8-bit target whose blocks end exactly at its last addressable pixel
// (and depth entry). Pixels start kUntouched, depths 0xFFFF.
class Surface {
public:
    Surface(int32_t width, int32_t height, int32_t pitch = 0, int32_t originX = 0)
        : pitch_(pitch != 0 ? pitch : width + originX), originX_(originX),
          pixelBytes_(size_t((height - 1) * pitch_ + originX + width)), pixels_(new uint8_t[pixelBytes_]),
          rowOffsets_(new uint32_t[size_t(height)]) {
        std::memset(pixels_.get(), kUntouched, pixelBytes_);
        for (int32_t y = 0; y < height; ++y) rowOffsets_[size_t(y)] = uint32_t(y * pitch_);
        target_.pixels = pixels_.get();
        target_.rowOffsets = rowOffsets_.get();
        target_.originX = originX;
        target_.pitch = pitch_;
        target_.width = width;
        target_.height = height;
    }

    void AddDepth() {
        const size_t entries = size_t(target_.width) * size_t(target_.height);
        depth_.reset(new uint16_t[entries]);
        std::fill_n(depth_.get(), entries, uint16_t(0xFFFF));
        depthRowOffsets_.reset(new uint32_t[size_t(target_.height)]);
        for (int32_t y = 0; y < target_.height; ++y) depthRowOffsets_[size_t(y)] = uint32_t(y * 2 * target_.width);
        target_.depth = depth_.get();
        target_.depthRowOffsets = depthRowOffsets_.get();
        target_.depthPitch = 2 * target_.width;
    }
    void SetShades(const ShadeTable* shades) { target_.shades = shades; }

    const ByteTarget* Target() const { return &target_; }
    uint8_t& At(int32_t x, int32_t y) { return pixels_[size_t(y * pitch_ + originX_ + x)]; }
    uint16_t& DepthAt(int32_t x, int32_t y) { return depth_[size_t(y * target_.width + x)]; }

    Bytes Row(int32_t y) { return Pixels(0, y, target_.width, 1); }
    Bytes Pixels(int32_t x, int32_t y, int32_t width, int32_t height) {
        Bytes out;
        for (int32_t r = y; r < y + height; ++r) {
            for (int32_t c = x; c < x + width; ++c) out.push_back(At(c, r));
        }
        return out;
    }
    Depths DepthValues(int32_t x, int32_t y, int32_t width, int32_t height) {
        Depths out;
        for (int32_t r = y; r < y + height; ++r) {
            for (int32_t c = x; c < x + width; ++c) out.push_back(DepthAt(c, r));
        }
        return out;
    }
    Bytes All() { return Pixels(0, 0, target_.width, target_.height); }

private:
    const int32_t pitch_;
    const int32_t originX_;
    const size_t pixelBytes_;
    std::unique_ptr<uint8_t[]> pixels_;
    std::unique_ptr<uint32_t[]> rowOffsets_;
    std::unique_ptr<uint16_t[]> depth_;
    std::unique_ptr<uint32_t[]> depthRowOffsets_;
    ByteTarget target_;
};

// A plain 8-bit image over a block of exactly width x height bytes.
class Image8 {
public:
    Image8(int16_t width, int16_t height, const Bytes& texels) : block_(ExactCopy(texels)) {
        image_.width = width;
        image_.height = height;
        image_.flags = PixelImage::kFormat8Bit;
        image_.pixels = block_.get();
    }
    // Texel (x, y) = (7x + 13y) mod 250: every neighbour differs.
    static Image8 Pattern(int16_t width, int16_t height) {
        Bytes texels;
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) texels.push_back(uint8_t((7 * x + 13 * y) % 250));
        }
        return Image8(width, height, texels);
    }
    PixelImage* Get() { return &image_; }

private:
    std::unique_ptr<uint8_t[]> block_;
    PixelImage image_;
};

// ---------------------------------------------------------------- spans

TEST(CopySpan8, CopiesAnOddCountUpToTheLastByte) {
    const auto source = ExactCopy(Bytes{1, 2, 3, 4, 5});
    const auto destination = ExactCopy(Bytes(5, kUntouched));
    CopySpan8(destination.get(), source.get(), 5, 0);
    EXPECT_EQ(Bytes(destination.get(), destination.get() + 5), (Bytes{1, 2, 3, 4, 5}));
}

TEST(CopySpan8, Bit31LeavesTransparentSourcesOutAndOtherTopBitsDoNot) {
    const auto source = ExactCopy(Bytes{1, 255, 3, 255, 5});
    const auto keyed = ExactCopy(Bytes(5, kUntouched));
    CopySpan8(keyed.get(), source.get(), 5, kSpanKeyed);
    EXPECT_EQ(Bytes(keyed.get(), keyed.get() + 5), (Bytes{1, kUntouched, 3, kUntouched, 5}));

    const auto plain = ExactCopy(Bytes(5, kUntouched));
    CopySpan8(plain.get(), source.get(), 5, 0x7F000000);
    EXPECT_EQ(Bytes(plain.get(), plain.get() + 5), (Bytes{1, 255, 3, 255, 5}));
}

TEST(CopySpan8, CountsOfZeroOrLessWriteNothing) {
    const auto source = ExactCopy(Bytes{1});
    const auto destination = ExactCopy(Bytes{kUntouched});
    CopySpan8(destination.get(), source.get(), 0, 0);
    CopySpan8(destination.get(), source.get(), -3, kSpanKeyed);
    EXPECT_EQ(destination[0], kUntouched);
}

TEST(CopySpan8, ExFormIgnoresItsExtraWord) {
    const auto source = ExactCopy(Bytes{9, 255, 7});
    const auto destination = ExactCopy(Bytes(3, kUntouched));
    CopySpan8Ex(destination.get(), source.get(), 3, 0xFFFFFFFF, kSpanKeyed);
    EXPECT_EQ(Bytes(destination.get(), destination.get() + 3), (Bytes{9, kUntouched, 7}));
}

TEST(CopySpan8Depth, WritesOnlyWhereTheStoredDepthIsFartherAndNeverWritesDepth) {
    const auto source = ExactCopy(Bytes{1, 2, 3, 4});
    const auto depthRow = ExactCopy(Depths{199, 200, 201, 0xFFFF});
    const auto destination = ExactCopy(Bytes(4, kUntouched));
    CopySpan8Depth(destination.get(), depthRow.get(), source.get(), 4, 0x00C8FFFF, 0);
    EXPECT_EQ(Bytes(destination.get(), destination.get() + 4), (Bytes{kUntouched, kUntouched, 3, 4}));
    EXPECT_EQ(Depths(depthRow.get(), depthRow.get() + 4), (Depths{199, 200, 201, 0xFFFF}));
}

TEST(CopySpan8Depth, KeyedSpanSkipsTransparentSourcesThatPassTheDepthTest) {
    const auto source = ExactCopy(Bytes{255, 2, 255});
    const auto depthRow = ExactCopy(Depths{0xFFFF, 0xFFFF, 0xFFFF});
    const auto destination = ExactCopy(Bytes(3, kUntouched));
    CopySpan8Depth(destination.get(), depthRow.get(), source.get(), 3, 0, kSpanKeyed);
    EXPECT_EQ(Bytes(destination.get(), destination.get() + 3), (Bytes{kUntouched, 2, kUntouched}));
}

// ---------------------------------------------------------------- masks

Bytes Expand(const Bytes& mask, int32_t count, int32_t firstBit, uint32_t fg, uint32_t bg) {
    const auto maskBlock = ExactCopy(mask);
    const auto destination = ExactCopy(Bytes(size_t(count), kUntouched));
    ExpandMask8(destination.get(), maskBlock.get(), count, firstBit, fg, bg);
    return Bytes(destination.get(), destination.get() + count);
}

TEST(ExpandMask8, TransparentBackgroundWritesOnlyTheSetBits) {
    const uint8_t u = kUntouched;
    EXPECT_EQ(Expand({0xA0}, 8, 0, 5, kMaskTransparent), (Bytes{5, u, 5, u, u, u, u, u}));
    EXPECT_EQ(Expand({0xA0}, 8, 0, 5, kMaskTransparentIndex), (Bytes{5, u, 5, u, u, u, u, u}));
}

TEST(ExpandMask8, TransparentForegroundWritesOnlyTheClearBits) {
    const uint8_t u = kUntouched;
    EXPECT_EQ(Expand({0xA0}, 8, 0, kMaskTransparent, 3), (Bytes{u, 3, u, 3, 3, 3, 3, 3}));
    EXPECT_EQ(Expand({0x0F}, 8, 0, kMaskTransparentIndex, 3), (Bytes{3, 3, 3, 3, u, u, u, u}));
}

TEST(ExpandMask8, OpaqueColoursWriteTheirLowBytes) {
    EXPECT_EQ(Expand({0xC1}, 8, 0, 0x10000007, 0x20000102), (Bytes{7, 7, 2, 2, 2, 2, 2, 7}));
}

TEST(ExpandMask8, BothColoursTransparentWriteNothing) {
    EXPECT_EQ(Expand({0xA5}, 8, 0, kMaskTransparent, kMaskTransparentIndex), Bytes(8, kUntouched));
}

TEST(ExpandMask8, ZeroCountReadsAndWritesNothing) {
    const auto destination = ExactCopy(Bytes{kUntouched});
    ExpandMask8(destination.get(), nullptr, 0, 0, 1, 2);
    const uint8_t mask = 0xFF;
    ExpandMask8(destination.get(), &mask, 0, 3, 1, 2);
    EXPECT_EQ(destination[0], kUntouched);
}

// Every bit offset, every count that the mask can supply: pixel i is bit
// (k + i) of the mask stream, most significant bit first, written from the
// destination itself, and no mask byte past the last needed one is read
// (the mask block ends there).
TEST(ExpandMask8, ExpandsFromEveryBitOffsetReadingOnlyTheBytesItNeeds) {
    const Bytes stream = {0xB4, 0x5A, 0xC3, 0x96};
    const auto bitAt = [&](int32_t n) { return (stream[size_t(n / 8)] >> (7 - n % 8)) & 1; };
    for (int32_t k = 0; k < 8; ++k) {
        for (int32_t count = 1; k + count <= 32; ++count) {
            const Bytes mask(stream.begin(), stream.begin() + (k + count + 7) / 8);
            Bytes opaque, keyed;
            for (int32_t i = 0; i < count; ++i) {
                opaque.push_back(bitAt(k + i) ? 1 : 2);
                keyed.push_back(bitAt(k + i) ? 1 : kUntouched);
            }
            EXPECT_EQ(Expand(mask, count, k, 1, 2), opaque) << "offset " << k << " count " << count;
            EXPECT_EQ(Expand(mask, count, k, 1, kMaskTransparent), keyed) << "offset " << k << " count " << count;
        }
    }
}

TEST(ExpandMask8, TakesTheFirstBitModuloEight) {
    EXPECT_EQ(Expand({0x35}, 5, 11, 1, 2), Expand({0x35}, 5, 3, 1, 2));
    EXPECT_EQ(Expand({0x35}, 5, 3, 1, 2), (Bytes{1, 2, 1, 2, 1}));
}

// ---------------------------------------------------------------- rectangles

TEST(BlitRect8, CopiesTheImageAtTheRectangleCornerThroughPitchAndOrigin) {
    Surface surface(6, 4, 10, 3);
    Image8 image(3, 2, {1, 2, 3, 4, 5, 6});
    const CanvasRect rect{2, 1, 3, 2};
    BlitRect8(surface.Target(), &rect, image.Get(), 0);
    const uint8_t u = kUntouched;
    EXPECT_EQ(surface.All(), (Bytes{u, u, u, u, u, u,  //
                                    u, u, 1, 2, 3, u,  //
                                    u, u, 4, 5, 6, u,  //
                                    u, u, u, u, u, u}));
}

TEST(BlitRect8, LargerRectangleCopiesOnlyTheImageAndSmallerOneItsTopLeftPart) {
    const uint8_t u = kUntouched;
    Image8 image(3, 2, {1, 2, 3, 4, 5, 6});
    Surface wide(5, 3);
    const CanvasRect large{0, 0, 5, 3};
    BlitRect8(wide.Target(), &large, image.Get(), 0);
    EXPECT_EQ(wide.All(), (Bytes{1, 2, 3, u, u, 4, 5, 6, u, u, u, u, u, u, u}));

    Surface small(3, 2);
    const CanvasRect part{0, 0, 2, 1};
    BlitRect8(small.Target(), &part, image.Get(), 0);
    EXPECT_EQ(small.All(), (Bytes{1, 2, u, u, u, u}));
}

TEST(BlitRect8, AnyTopByteBitLeavesTransparentSourcesOut) {
    const uint8_t u = kUntouched;
    Image8 image(2, 2, {255, 2, 3, 255});
    const CanvasRect rect{0, 0, 2, 2};
    Surface keyed(2, 2);
    BlitRect8(keyed.Target(), &rect, image.Get(), 0x01000000);
    EXPECT_EQ(keyed.All(), (Bytes{u, 2, 3, u}));
    Surface plain(2, 2);
    BlitRect8(plain.Target(), &rect, image.Get(), 0x00FFFFFF);
    EXPECT_EQ(plain.All(), (Bytes{255, 2, 3, 255}));
}

TEST(BlitRect8, DrawsNothingForImagesThatAreNotPlainEightBit) {
    Image8 image(2, 1, {1, 2});
    const CanvasRect rect{0, 0, 2, 1};
    Surface surface(2, 1);
    image.Get()->flags = PixelImage::kFormat555;
    BlitRect8(surface.Target(), &rect, image.Get(), 0);
    image.Get()->flags = PixelImage::kFormat8Bit | PixelImage::kFlagRunEncoded;
    BlitRect8(surface.Target(), &rect, image.Get(), 0);
    EXPECT_EQ(surface.All(), Bytes(2, kUntouched));
}

// Windows of a 20 x 12 surface that cut a rectangle at (3, 2) of 13 x 7 at
// its left, top, right and bottom edges, at all four, and off entirely.
struct WindowCase {
    const char* name;
    CanvasRect window;
};
constexpr CanvasRect kPlaced{3, 2, 13, 7};
const WindowCase kWindows[] = {
    {"left", {6, 0, 14, 12}},   {"top", {0, 4, 20, 8}},  {"right", {0, 0, 10, 12}},
    {"bottom", {0, 0, 20, 6}}, {"all", {5, 3, 8, 4}},   {"one pixel", {9, 5, 1, 1}},
    {"corner", {15, 8, 5, 4}}, {"outside", {17, 0, 3, 12}},
};

// Draws once onto the whole surface and once onto each window (a surface of
// its own) with the rectangle moved by the window's corner; every window must
// show exactly its part of the whole, depths too.
template <typename Draw>
void ExpectWindowsMatchWhole(const CanvasRect& rect, Draw draw, bool withDepth = false) {
    const auto depthPattern = [](int32_t x, int32_t y) { return uint16_t(1000 + 37 * x + 101 * y); };
    Surface whole(20, 12);
    if (withDepth) {
        whole.AddDepth();
        for (int32_t y = 0; y < 12; ++y) {
            for (int32_t x = 0; x < 20; ++x) whole.DepthAt(x, y) = depthPattern(x, y);
        }
    }
    draw(whole.Target(), rect);
    for (const WindowCase& c : kWindows) {
        const CanvasRect& w = c.window;
        Surface part(w.width, w.height, w.width + 3, 1);
        if (withDepth) {
            part.AddDepth();
            for (int32_t y = 0; y < w.height; ++y) {
                for (int32_t x = 0; x < w.width; ++x) part.DepthAt(x, y) = depthPattern(w.x + x, w.y + y);
            }
        }
        draw(part.Target(), CanvasRect{rect.x - w.x, rect.y - w.y, rect.width, rect.height});
        EXPECT_EQ(part.All(), whole.Pixels(w.x, w.y, w.width, w.height)) << c.name;
        if (withDepth) {
            EXPECT_EQ(part.DepthValues(0, 0, w.width, w.height), whole.DepthValues(w.x, w.y, w.width, w.height))
                << c.name;
        }
    }
}

TEST(BlitRect8, ClippedAtEveryEdgeDrawsTheMatchingWindowOfTheWholeCopy) {
    Image8 image = Image8::Pattern(13, 9);
    image.Get()->pixels[14] = 255;
    ExpectWindowsMatchWhole(kPlaced, [&](const ByteTarget* target, CanvasRect rect) {
        BlitRect8(target, &rect, image.Get(), kBlitKeyedMask);
    });
    // A rectangle narrower than the image cuts the image first.
    ExpectWindowsMatchWhole(CanvasRect{4, 3, 11, 5}, [&](const ByteTarget* target, CanvasRect rect) {
        BlitRect8(target, &rect, image.Get(), 0);
    });
}

// Entry (colour, level) = (32 colour + level) mod 251: neighbouring levels
// and colours differ.
class ShadeRows {
public:
    ShadeRows() : block_(new uint8_t[Palette::kShadeEntries]) {
        for (uint32_t i = 0; i < Palette::kShadeEntries; ++i) block_[i] = uint8_t(i % 251);
        table_.rows = block_.get();
        table_.shift = Palette::kShadeShift;
        table_.levels = Palette::kShadeLevels;
    }
    const ShadeTable* Get() const { return &table_; }

private:
    std::unique_ptr<uint8_t[]> block_;
    ShadeTable table_;
};

TEST(BlitRectShaded8, WritesEachColoursShadeAtTheLevelsColumn) {
    ShadeRows shades;
    Image8 image(2, 2, {1, 2, 255, 200});
    const CanvasRect rect{0, 0, 2, 2};
    Surface surface(2, 2);
    surface.SetShades(shades.Get());
    // Level 100 is column 12.
    BlitRectShaded8(surface.Target(), &rect, image.Get(), 100, kBlitKeyedMask);
    EXPECT_EQ(surface.All(), (Bytes{44, 76, kUntouched, (200 * 32 + 12) % 251}));
    BlitRectShaded8(surface.Target(), &rect, image.Get(), 255, 0);
    EXPECT_EQ(surface.All(), (Bytes{63, 95, (255 * 32 + 31) % 251, (200 * 32 + 31) % 251}));
}

TEST(BlitRectShaded8, LevelsAbove255TakeTheLastColumnAndNoShadesDrawNothing) {
    ShadeRows shades;
    Image8 image(1, 1, {1});
    const CanvasRect rect{0, 0, 1, 1};
    Surface bare(1, 1);
    BlitRectShaded8(bare.Target(), &rect, image.Get(), 100, 0);
    EXPECT_EQ(bare.All(), Bytes{kUntouched});
    Surface surface(1, 1);
    surface.SetShades(shades.Get());
    BlitRectShaded8(surface.Target(), &rect, image.Get(), 100000, 0);
    EXPECT_EQ(surface.All(), Bytes{63});
}

TEST(BlitRectShaded8, ClippedAtEveryEdgeDrawsTheMatchingWindowOfTheWholeCopy) {
    ShadeRows shades;
    Image8 image = Image8::Pattern(13, 7);
    ExpectWindowsMatchWhole(kPlaced, [&](const ByteTarget* target, CanvasRect rect) {
        ByteTarget shaded = *target;
        shaded.shades = shades.Get();
        BlitRectShaded8(&shaded, &rect, image.Get(), 77, 0);
    });
}

// ---------------------------------------------------------------- scaled

Bytes Scaled(Image8& image, int32_t width, int32_t height, uint32_t flags = 0) {
    Surface surface(width, height);
    const CanvasRect rect{0, 0, width, height};
    ScaleBlit8(surface.Target(), &rect, image.Get(), flags);
    return surface.All();
}

TEST(ScaleBlit8, DoublingRepeatsEachTexelInATwoByTwoBlock) {
    Image8 image(2, 2, {1, 2, 3, 4});
    EXPECT_EQ(Scaled(image, 4, 4), (Bytes{1, 1, 2, 2,  //
                                          1, 1, 2, 2,  //
                                          3, 3, 4, 4,  //
                                          3, 3, 4, 4}));
}

TEST(ScaleBlit8, MagnifiesFromTheMiddleOfTheFirstPixelAndStaysInsideTheImage) {
    Image8 three(3, 1, {1, 2, 3});
    EXPECT_EQ(Scaled(three, 5, 1), (Bytes{1, 1, 2, 3, 3}));
    Image8 one(1, 1, {7});
    EXPECT_EQ(Scaled(one, 3, 3), Bytes(9, 7));
}

TEST(ScaleBlit8, ShrinksSamplingHalfATexelIn) {
    Image8 image(4, 4, {1, 2, 3, 4, 11, 12, 13, 14, 21, 22, 23, 24, 31, 32, 33, 34});
    EXPECT_EQ(Scaled(image, 2, 2), (Bytes{1, 3, 21, 23}));
    Image8 row(3, 1, {1, 2, 3});
    EXPECT_EQ(Scaled(row, 2, 1), (Bytes{1, 3}));
}

TEST(ScaleBlit8, SameSizeIsAPlainCopy) {
    Image8 image = Image8::Pattern(5, 3);
    Surface direct(5, 3);
    const CanvasRect rect{0, 0, 5, 3};
    BlitRect8(direct.Target(), &rect, image.Get(), 0);
    EXPECT_EQ(Scaled(image, 5, 3), direct.All());
}

TEST(ScaleBlit8, AnyTopByteBitLeavesTransparentTexelsOut) {
    Image8 image(2, 1, {255, 4});
    EXPECT_EQ(Scaled(image, 4, 1, 0x02000000), (Bytes{kUntouched, kUntouched, 4, 4}));
    EXPECT_EQ(Scaled(image, 4, 1, 0), (Bytes{255, 255, 4, 4}));
}

TEST(ScaleBlit8, EmptyOrOutsideRectanglesDrawNothing) {
    Image8 image(2, 2, {1, 2, 3, 4});
    Surface surface(4, 4);
    for (const CanvasRect rect : {CanvasRect{0, 0, 0, 4}, CanvasRect{0, 0, 4, -1}, CanvasRect{4, 0, 3, 3},
                                  CanvasRect{-3, 0, 3, 3}, CanvasRect{0, -20, 4, 20}}) {
        ScaleBlit8(surface.Target(), &rect, image.Get(), 0);
    }
    EXPECT_EQ(surface.All(), Bytes(16, kUntouched));
}

TEST(ScaleBlit8, ClippedAtEveryEdgeDrawsTheMatchingWindowOfTheWholeStretch) {
    Image8 small = Image8::Pattern(5, 3);
    Image8 large = Image8::Pattern(29, 22);
    for (Image8* image : {&small, &large}) {
        ExpectWindowsMatchWhole(kPlaced, [&](const ByteTarget* target, CanvasRect rect) {
            ScaleBlit8(target, &rect, image->Get(), 0);
        });
    }
}

TEST(ScaleBlit8, RectangleWiderThanASixteenBitSizeStillSamplesInsideTheImage) {
    Image8 image(2, 1, {1, 2});
    Surface surface(4, 1);
    // 70000 pixels over 2 texels: pixel i samples texel i / 65536 or so; the
    // window shows the stretch's last four pixels, all of texel 1.
    const CanvasRect rect{-69996, 0, 70000, 1};
    ScaleBlit8(surface.Target(), &rect, image.Get(), 0);
    EXPECT_EQ(surface.All(), (Bytes{2, 2, 2, 2}));
}

Surface DepthRow(const Depths& stored) {
    Surface surface(int32_t(stored.size()), 1);
    surface.AddDepth();
    for (size_t i = 0; i < stored.size(); ++i) surface.DepthAt(int32_t(i), 0) = stored[i];
    return surface;
}

TEST(ScaleBlit8Depth, FlagsChooseNotFartherNearerOrNoTest) {
    const uint8_t u = kUntouched;
    Image8 image(4, 1, {1, 2, 3, 4});
    const auto texelDepths = ExactCopy(Depths{100, 200, 300, 400});
    const CanvasRect rect{0, 0, 4, 1};
    struct Case {
        uint32_t flags;
        Bytes pixels;
        Depths depths;
    } const cases[] = {
        {kBlitDepthNotFarther, {1, 2, u, u}, {100, 200, 200, 200}},
        {kBlitDepthNotFarther | kBlitDepthNearer, {1, 2, u, u}, {100, 200, 200, 200}},
        {kBlitDepthNearer, {1, u, u, u}, {100, 200, 200, 200}},
        {0, {1, 2, 3, 4}, {100, 200, 300, 400}},
    };
    for (const Case& c : cases) {
        Surface surface = DepthRow({200, 200, 200, 200});
        ScaleBlit8Depth(surface.Target(), &rect, image.Get(), texelDepths.get(), c.flags);
        EXPECT_EQ(surface.All(), c.pixels) << std::hex << c.flags;
        EXPECT_EQ(surface.DepthValues(0, 0, 4, 1), c.depths) << std::hex << c.flags;
    }
}

TEST(ScaleBlit8Depth, TransparentTexelsWriteNeitherPixelNorDepth) {
    Image8 image(2, 1, {255, 5});
    const auto texelDepths = ExactCopy(Depths{10, 20});
    const CanvasRect rect{0, 0, 2, 1};
    Surface surface = DepthRow({500, 500});
    ScaleBlit8Depth(surface.Target(), &rect, image.Get(), texelDepths.get(), kBlitKeyedMask | kBlitDepthNearer);
    EXPECT_EQ(surface.All(), (Bytes{kUntouched, 5}));
    EXPECT_EQ(surface.DepthValues(0, 0, 2, 1), (Depths{500, 20}));
}

TEST(ScaleBlit8Depth, StretchedDepthsFollowTheirTexels) {
    Image8 image(2, 1, {1, 2});
    const auto texelDepths = ExactCopy(Depths{300, 100});
    const CanvasRect rect{0, 0, 4, 1};
    Surface surface = DepthRow({200, 200, 200, 200});
    ScaleBlit8Depth(surface.Target(), &rect, image.Get(), texelDepths.get(), kBlitDepthNotFarther);
    EXPECT_EQ(surface.All(), (Bytes{kUntouched, kUntouched, 2, 2}));
    EXPECT_EQ(surface.DepthValues(0, 0, 4, 1), (Depths{200, 200, 100, 100}));
}

TEST(ScaleBlit8Depth, ClippedAtEveryEdgeDrawsTheMatchingWindowOfTheWholeStretch) {
    Image8 image = Image8::Pattern(6, 9);
    image.Get()->pixels[8] = 255;
    Depths depths;
    for (int32_t i = 0; i < 6 * 9; ++i) depths.push_back(uint16_t(900 + 53 * i));
    const auto texelDepths = ExactCopy(depths);
    for (const uint32_t flags : {uint32_t(0), kBlitDepthNotFarther | kBlitKeyedMask, kBlitDepthNearer}) {
        ExpectWindowsMatchWhole(
            kPlaced,
            [&](const ByteTarget* target, CanvasRect rect) {
                ScaleBlit8Depth(target, &rect, image.Get(), texelDepths.get(), flags);
            },
            true);
    }
}

}  // namespace
