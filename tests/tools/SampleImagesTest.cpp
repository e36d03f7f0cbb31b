// Draws each sample picture, writes it as mkdata does and reads it back
// through the XFEB codec.
#include <cstdint>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "display/Bitmap.h"
#include "display/ImageStatus.h"
#include "display/XfebCodec.h"
#include "tests/support/TempDir.h"
#include "tools/mkdata/ImageData.h"

namespace {

constexpr int kGradient = 0;
constexpr int kChecker = 1;
constexpr int kArrow = 2;
constexpr int kSphere = 3;

struct LoadedImage {
    Bitmap drawn;
    Bitmap read;
    XfebCodec codec{&read};
};

// Draws `which`, writes it into `dir` and loads the file back.
void DrawWriteAndLoad(const TempDir& dir, int which, LoadedImage& image) {
    ASSERT_EQ(DrawSampleImage(which, image.drawn), kStatusOk);
    const std::string path = (dir.Path() / kSampleImageNames[which]).string();
    ASSERT_EQ(WriteSampleImage(which, path.c_str()), kStatusOk);
    ASSERT_EQ(image.codec.LoadFile(path.c_str()), kStatusOk);
}

uint8_t Pixel8(const Bitmap& bitmap, int x, int y) { return bitmap.pixels[y * bitmap.width + x]; }

uint16_t Pixel16(const Bitmap& bitmap, int x, int y) {
    const uint8_t* const p = bitmap.pixels + 2 * (y * bitmap.width + x);
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

TEST(ImageData, EveryPictureReadsBackAsDrawn) {
    TempDir dir;
    for (int which = 0; which < kSampleImageCount; ++which) {
        SCOPED_TRACE(kSampleImageNames[which]);
        LoadedImage image;
        DrawWriteAndLoad(dir, which, image);
        EXPECT_EQ(image.read.width, image.drawn.width);
        EXPECT_EQ(image.read.height, image.drawn.height);
        ASSERT_EQ(image.read.bytesPerPixel, image.drawn.bytesPerPixel);
        EXPECT_EQ(std::memcmp(image.read.pixels, image.drawn.pixels, image.drawn.PixelBlockSize()), 0);
        if (image.drawn.bytesPerPixel == Bitmap::kDepth8Bit) {
            EXPECT_EQ(image.read.lastPaletteIndex, 255);
            EXPECT_EQ(std::memcmp(image.read.palette, image.drawn.palette, Bitmap::kPaletteBytes), 0);
        } else {
            EXPECT_EQ(image.read.palette, nullptr);
        }
    }
}

TEST(ImageData, OutOfRangeIndexIsRefused) {
    Bitmap bitmap;
    EXPECT_EQ(DrawSampleImage(kSampleImageCount, bitmap), kStatusImageBadFormat);
    EXPECT_EQ(DrawSampleImage(-1, bitmap), kStatusImageBadFormat);
    EXPECT_EQ(bitmap.ownedPixels, nullptr);
}

TEST(ImageData, GradientRisesTowardBottomRightAndLeavesTransparentIndexUnused) {
    TempDir dir;
    LoadedImage image;
    DrawWriteAndLoad(dir, kGradient, image);
    const Bitmap& b = image.read;
    EXPECT_EQ(Pixel8(b, 0, 0), 0);
    EXPECT_EQ(Pixel8(b, b.width - 1, b.height - 1), 254);
    for (int y = 0; y < b.height; ++y) {
        for (int x = 1; x < b.width; ++x) {
            ASSERT_GE(Pixel8(b, x, y), Pixel8(b, x - 1, y));
            ASSERT_NE(Pixel8(b, x, y), 255);
        }
    }
    // Entry 255 keeps the transparent magenta.
    EXPECT_EQ(b.palette[4 * 255], 255);
    EXPECT_EQ(b.palette[4 * 255 + 1], 0);
    EXPECT_EQ(b.palette[4 * 255 + 2], 255);
}

TEST(ImageData, CheckerAlternatesEverySquare) {
    TempDir dir;
    LoadedImage image;
    DrawWriteAndLoad(dir, kChecker, image);
    const Bitmap& b = image.read;
    const uint8_t light = Pixel8(b, 0, 0);
    const uint8_t dark = Pixel8(b, kCheckerSquare, 0);
    ASSERT_NE(light, dark);
    EXPECT_GT(b.palette[4 * light], b.palette[4 * dark]);
    for (int y = 0; y < b.height; ++y) {
        for (int x = 0; x < b.width; ++x) {
            ASSERT_EQ(Pixel8(b, x, y), (x / kCheckerSquare + y / kCheckerSquare) % 2 == 0 ? light : dark);
        }
    }
}

TEST(ImageData, ArrowHasTransparentSurroundAndBlackRim) {
    TempDir dir;
    LoadedImage image;
    DrawWriteAndLoad(dir, kArrow, image);
    const Bitmap& b = image.read;
    int opaque = 0;
    for (int y = 0; y < b.height; ++y) {
        for (int x = 0; x < b.width; ++x) {
            const uint8_t p = Pixel8(b, x, y);
            if (p == 255) {
                continue;
            }
            ++opaque;
            const uint8_t* const colour = b.palette + 4 * p;
            // Only black and white inside, and every opaque pixel on the
            // picture's edge is rim.
            ASSERT_TRUE((colour[0] == 0 && colour[1] == 0 && colour[2] == 0) ||
                        (colour[0] == 255 && colour[1] == 255 && colour[2] == 255));
            if (x == 0 || y == 0 || x == b.width - 1 || y == b.height - 1) {
                EXPECT_EQ(colour[0], 0) << x << "," << y;
            }
        }
    }
    EXPECT_NE(Pixel8(b, 0, 0), 255);  // the tip is the hot spot
    EXPECT_EQ(Pixel8(b, b.width - 1, 0), 255);
    EXPECT_EQ(Pixel8(b, 0, b.height - 1), 255);
    EXPECT_GT(opaque, 60);
    EXPECT_LT(opaque, b.width * b.height / 2);
}

TEST(ImageData, SphereSitsOnTheColourKeyAndIsBrightestTowardTheLight) {
    TempDir dir;
    LoadedImage image;
    DrawWriteAndLoad(dir, kSphere, image);
    const Bitmap& b = image.read;
    EXPECT_EQ(Pixel16(b, 0, 0), 0x7C1F);
    EXPECT_EQ(Pixel16(b, b.width - 1, b.height - 1), 0x7C1F);
    const int centre = kSphereSize / 2;
    EXPECT_NE(Pixel16(b, centre, centre), 0x7C1F);
    const auto blue = [&](int x, int y) { return Pixel16(b, x, y) & 0x1F; };
    EXPECT_GT(blue(centre - 8, centre - 8), blue(centre + 8, centre + 8));
}

}  // namespace
