#include "display/PixelImage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "display/ColorTables.h"
#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "engine/ByteOrder.h"
#include "engine/EngineHeap.h"
#include "display/Bitmap.h"
#include "display/ImageStatus.h"
#include "tests/support/OwnedImage.h"
#include "tests/support/RecordingTexture.h"
#include "tests/support/ScopedColorTables.h"
#include "tests/support/ScopedEngineHeap.h"

namespace {

uint16_t Pixel16(const PixelImage& image, int i) {
    uint16_t value;
    std::memcpy(&value, image.pixels + 2 * i, 2);
    return value;
}

void SetColour(Bitmap& bitmap, int index, uint8_t red, uint8_t green, uint8_t blue) {
    uint8_t* const entry = bitmap.palette + 4 * index;
    entry[0] = red;
    entry[1] = green;
    entry[2] = blue;
    entry[3] = 0;
}

// An 8-bit bitmap, one row of the given indices, with a palette whose
// entries 0..3 and 255 are the colours below and the rest black.
void MakeIndexedRow(Bitmap& bitmap, const std::vector<uint8_t>& indices, bool magentaAt255) {
    ASSERT_EQ(bitmap.Create(uint16_t(indices.size()), 1, Bitmap::kDepth8Bit, true), kStatusOk);
    std::memcpy(bitmap.pixels, indices.data(), indices.size());
    SetColour(bitmap, 0, 0, 0, 8);
    SetColour(bitmap, 1, 120, 0, 0);
    SetColour(bitmap, 2, 255, 0, 255);
    SetColour(bitmap, 3, 0x12, 0x34, 0x56);
    if (magentaAt255) {
        SetColour(bitmap, 255, 255, 0, 255);
    } else {
        SetColour(bitmap, 255, 0, 250, 0);
    }
}

void MakeRow16(Bitmap& bitmap, const std::vector<uint16_t>& values) {
    ASSERT_EQ(bitmap.Create(uint16_t(values.size()), 1, Bitmap::kDepth16Bit, true), kStatusOk);
    for (size_t i = 0; i < values.size(); ++i) {
        StoreLe16(bitmap.pixels + 2 * i, values[i]);
    }
}

void MakeRow24(Bitmap& bitmap, const std::vector<uint8_t>& bytes) {
    ASSERT_EQ(bitmap.Create(uint16_t(bytes.size() / 3), 1, Bitmap::kDepth24Bit, true), kStatusOk);
    std::memcpy(bitmap.pixels, bytes.data(), bytes.size());
}

// Colour tables with a gamma for the life of a test, and a palette to match
// into: 0 black, 1 dark red (128, 0, 0), 2 red (180, 0, 0), 3 blue, 4 magenta,
// 5 green, the rest white.
class PixelImageConvert : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        target_ = new PaletteIndexed8();
        PaletteColor colours[256];
        for (PaletteColor& c : colours) c = {255, 255, 255, 0};
        colours[0] = {0, 0, 0, 0};
        colours[1] = {128, 0, 0, 0};
        colours[2] = {180, 0, 0, 0};
        colours[3] = {0, 0, 255, 0};
        colours[4] = {255, 0, 255, 0};
        colours[5] = {0, 255, 0, 0};
        target_->SetColors(colours, 256);
        target_->Conversion().Init(reinterpret_cast<const uint8_t*>(target_->Colors()), InverseColorTable::kFlagBuild);
    }
    static void TearDownTestSuite() {
        delete target_;
        target_ = nullptr;
    }

    void SetGamma(float gamma) { tables_.SetGamma(gamma); }

    // An image of the bitmap's size in the given depth; Create leaves an
    // earlier block to its owner, so it is freed here.
    void Prepare(OwnedImage& image, const Bitmap& source, int32_t depth, bool keyed) {
        EngineRelease(image.pixels);
        image.pixels = nullptr;
        ASSERT_EQ(image.Create(int16_t(source.width), int16_t(source.height), depth, keyed), kStatusOk);
    }

    static Palette* target_;
    ScopedColorTables tables_;
};

Palette* PixelImageConvert::target_ = nullptr;

}  // namespace

TEST(PixelImage, CreateAllocatesAClearedBlockOfTheDepthsRowSize) {
    struct Case {
        int32_t depth;
        uint32_t format;
        int32_t rowBytes;
    };
    for (const Case& c : {Case{1, PixelImage::kFormat1Bit, 2}, Case{8, PixelImage::kFormat8Bit, 9},
                          Case{15, PixelImage::kFormat555, 18}, Case{16, PixelImage::kFormat565, 18}}) {
        SCOPED_TRACE(c.depth);
        OwnedImage image;
        image.flags = 0x40000 | PixelImage::kFormat8Bit | PixelImage::kFlagKeyed;
        ASSERT_EQ(image.Create(9, 3, c.depth, false), kStatusOk);
        EXPECT_EQ(image.width, 9);
        EXPECT_EQ(image.height, 3);
        EXPECT_EQ(image.flags, 0x40000 | c.format) << "the user's bits stay, the old format and key go";
        EXPECT_EQ(image.RowBytes(), c.rowBytes);
        for (int i = 0; i < c.rowBytes * 3; ++i) ASSERT_EQ(image.pixels[i], 0) << i;
    }
}

TEST(PixelImage, CreateMarksAKeyedImage) {
    OwnedImage image;
    ASSERT_EQ(image.Create(2, 2, 16, true), kStatusOk);
    EXPECT_EQ(image.flags, PixelImage::kFormat565 | PixelImage::kFlagKeyed);
    EXPECT_TRUE(image.IsKeyed());
}

TEST(PixelImage, CreateRefusesABadSizeOrDepthWithoutAllocating) {
    PixelImage image;
    EXPECT_EQ(image.Create(0, 4, 8, false), kStatusImageBadArgument);
    EXPECT_EQ(image.Create(4, -1, 8, false), kStatusImageBadArgument);
    EXPECT_EQ(image.Create(4, 4, 24, false), kStatusImageBadArgument);
    EXPECT_EQ(image.Create(4, 4, 0, false), kStatusImageBadArgument);
    EXPECT_EQ(image.pixels, nullptr);
    EXPECT_EQ(image.Format(), 0u);
}

TEST(PixelImage, CreateReportsAFullEngineHeap) {
    PixelImage image;
    const ScopedEngineHeap full(ScopedEngineHeap::kFull);
    EXPECT_EQ(image.Create(16, 16, 8, false), kStatusOutOfMemory);
    EXPECT_EQ(image.pixels, nullptr);
}

TEST(PixelImage, CurrentDepthFollowsThePixelFormat) {
    const int32_t saved = g_pixelFormat;
    g_pixelFormat = kPixelFormatIndexed8;
    EXPECT_EQ(PixelImage::CurrentDepth(), 8);
    g_pixelFormat = kPixelFormatRgb555;
    EXPECT_EQ(PixelImage::CurrentDepth(), 15);
    g_pixelFormat = kPixelFormatRgb565;
    EXPECT_EQ(PixelImage::CurrentDepth(), 16);
    g_pixelFormat = saved;
}

TEST(PixelImageCopies, ReleaseDeletesTheWholeChain) {
    std::vector<int> deleted;
    PixelImage image;
    new RecordingTexture(&image, &deleted, 1);
    new RecordingTexture(&image, &deleted, 2);
    new RecordingTexture(&image, &deleted, 3);
    image.ReleaseCopies();
    EXPECT_EQ(deleted, (std::vector<int>{3, 2, 1})) << "from the head, the newest first";
    EXPECT_EQ(image.copies, nullptr);
}

TEST(PixelImageCopies, ReleaseCopesWithTexturesThatUnlinkThemselves) {
    std::vector<int> deleted;
    PixelImage image;
    new RecordingTexture(&image, &deleted, 1, true);
    new RecordingTexture(&image, &deleted, 2, true);
    image.ReleaseCopies();
    EXPECT_EQ(deleted, (std::vector<int>{2, 1}));
    EXPECT_EQ(image.copies, nullptr);
}

TEST(PixelImageCopies, DestructorAndCreateReleaseTheChain) {
    std::vector<int> deleted;
    {
        PixelImage image;
        new RecordingTexture(&image, &deleted, 1);
    }
    EXPECT_EQ(deleted, std::vector<int>{1});

    OwnedImage image;
    new RecordingTexture(&image, &deleted, 2);
    ASSERT_EQ(image.Create(4, 4, 8, false), kStatusOk);
    EXPECT_EQ(deleted, (std::vector<int>{1, 2}));
}

TEST(PixelImageCopies, ReleaseReturnsEveryTextureToTheEngineHeap) {
    const ScopedEngineHeap heap(1 << 16);
    {
        PixelImage image;
        for (int i = 0; i < 4; ++i) ASSERT_NE(new RecordingTexture(&image, nullptr, i), nullptr);
        EXPECT_GT(EngineHeap::BytesInUse(), 0u);
        image.ReleaseCopies();
        EXPECT_EQ(EngineHeap::BytesInUse(), 0u);
    }
}

TEST(PixelImageCopies, FreePixelsReturnsTheBlockAndTheTextures) {
    const ScopedEngineHeap heap(1 << 16);
    {
        std::vector<int> deleted;
        PixelImage image;
        ASSERT_EQ(image.Create(16, 16, 16, false), kStatusOk);
        new RecordingTexture(&image, &deleted, 1);
        image.FreePixels();
        EXPECT_EQ(image.pixels, nullptr);
        EXPECT_EQ(image.copies, nullptr);
        EXPECT_EQ(deleted, std::vector<int>{1});
        EXPECT_EQ(EngineHeap::BytesInUse(), 0u);
    }
}

TEST(PixelImageCopies, FlagChangedMarksEveryTexture) {
    PixelImage image;
    auto* const first = new RecordingTexture(&image, nullptr, 1);
    auto* const second = new RecordingTexture(&image, nullptr, 2);
    first->dirtyFlags = 0x10;
    image.FlagCopiesChanged();
    EXPECT_EQ(first->dirtyFlags, 0x11u);
    EXPECT_EQ(second->dirtyFlags, Texture::kDirtyPixels);
}

TEST(PixelImageCopies, UnlinkTakesATextureFromAnywhereInTheChain) {
    PixelImage image;
    auto* const first = new RecordingTexture(&image, nullptr, 1);
    auto* const second = new RecordingTexture(&image, nullptr, 2);
    auto* const third = new RecordingTexture(&image, nullptr, 3);
    ASSERT_EQ(image.copies, third);
    second->UnlinkFromImage();
    EXPECT_EQ(third->nextOfImage, first);
    second->UnlinkFromImage();   // no longer there: nothing happens
    EXPECT_EQ(image.copies, third);
    third->UnlinkFromImage();
    EXPECT_EQ(image.copies, first);
    delete second;
    delete third;
}

TEST_F(PixelImageConvert, RefusesAMissingOrMismatchedSource) {
    OwnedImage image;
    ASSERT_EQ(image.Create(3, 1, 8, false), kStatusOk);
    EXPECT_EQ(image.Convert(nullptr, nullptr), kStatusImageBadArgument);
    Bitmap wide;
    ASSERT_EQ(wide.Create(4, 1, Bitmap::kDepth8Bit, true), kStatusOk);
    EXPECT_EQ(image.Convert(&wide, nullptr), kStatusImageBadArgument);
    Bitmap tall;
    ASSERT_EQ(tall.Create(3, 2, Bitmap::kDepth8Bit, true), kStatusOk);
    EXPECT_EQ(image.Convert(&tall, nullptr), kStatusImageBadArgument);
}

TEST_F(PixelImageConvert, ReleasesTheTexturesFirst) {
    std::vector<int> deleted;
    OwnedImage image;
    ASSERT_EQ(image.Create(3, 1, 8, false), kStatusOk);
    new RecordingTexture(&image, &deleted, 1);
    EXPECT_EQ(image.Convert(nullptr, nullptr), kStatusImageBadArgument);
    EXPECT_EQ(deleted, std::vector<int>{1});
}

TEST_F(PixelImageConvert, NeedsPixelsOnBothSidesAndLeavesTheSourceLocked) {
    Bitmap source;
    ASSERT_EQ(source.Create(2, 2, Bitmap::kDepth8Bit, true), kStatusOk);
    source.Unlock();
    PixelImage noPixels;
    noPixels.width = 2;
    noPixels.height = 2;
    noPixels.flags = PixelImage::kFormat8Bit;
    EXPECT_EQ(noPixels.Convert(&source, nullptr), kStatusImageNoPixels);
    EXPECT_EQ(source.pixels, source.ownedPixels) << "locked by the conversion and left so";

    Bitmap empty;
    empty.width = 2;
    empty.height = 2;
    empty.bytesPerPixel = Bitmap::kDepth8Bit;
    OwnedImage image;
    ASSERT_EQ(image.Create(2, 2, 8, false), kStatusOk);
    EXPECT_EQ(image.Convert(&empty, nullptr), kStatusImageNoPixels);
}

TEST_F(PixelImageConvert, CopiesOneBitRowsOnlyIntoAOneBitImage) {
    Bitmap source;
    ASSERT_EQ(source.Create(10, 2, Bitmap::kDepth1Bit, true), kStatusOk);
    const uint8_t rows[4] = {0xA5, 0xC0, 0x3C, 0x40};
    std::memcpy(source.pixels, rows, 4);
    OwnedImage image;
    ASSERT_EQ(image.Create(10, 2, 1, false), kStatusOk);
    ASSERT_EQ(image.Convert(&source, nullptr), kStatusOk);
    EXPECT_EQ(std::memcmp(image.pixels, rows, 4), 0);

    OwnedImage indexed;
    ASSERT_EQ(indexed.Create(10, 2, 8, false), kStatusOk);
    EXPECT_EQ(indexed.Convert(&source, nullptr), kStatusImageBadArgument);
}

TEST_F(PixelImageConvert, RefusesUnsupportedPairs) {
    Bitmap indexed;
    MakeIndexedRow(indexed, {0, 1}, false);
    OwnedImage oneBit;
    ASSERT_EQ(oneBit.Create(2, 1, 1, false), kStatusOk);
    EXPECT_EQ(oneBit.Convert(&indexed, target_), kStatusImageBadArgument);

    Bitmap deep;
    ASSERT_EQ(deep.Create(2, 1, Bitmap::kDepth32Bit, true), kStatusOk);
    OwnedImage image;
    ASSERT_EQ(image.Create(2, 1, 16, false), kStatusOk);
    EXPECT_EQ(image.Convert(&deep, nullptr), kStatusImageBadArgument);

    Bitmap direct;
    MakeRow16(direct, {0, 0});
    EXPECT_EQ(oneBit.Convert(&direct, target_), kStatusImageBadArgument);
}

TEST_F(PixelImageConvert, IndexedIntoIndexedWithoutAPaletteCopiesTheIndices) {
    Bitmap source;
    MakeIndexedRow(source, {0, 1, 2, 3, 255}, true);
    OwnedImage image;
    Prepare(image, source, 8, true);
    ASSERT_EQ(image.Convert(&source, nullptr), kStatusOk);
    EXPECT_EQ(std::memcmp(image.pixels, source.pixels, 5), 0);
    EXPECT_EQ(image.palette, nullptr);

    // Without a source palette the palette argument cannot be matched either.
    std::free(source.ownedPalette);
    source.ownedPalette = nullptr;
    source.palette = nullptr;
    ASSERT_EQ(image.Convert(&source, target_), kStatusOk);
    EXPECT_EQ(std::memcmp(image.pixels, source.pixels, 5), 0);
    EXPECT_EQ(image.palette, target_);
}

TEST_F(PixelImageConvert, IndexedIntoIndexedRemapsToTheClosestColours) {
    SetGamma(2.0f);   // not applied to indexed images
    Bitmap source;
    MakeIndexedRow(source, {0, 1, 2, 3, 255, 1}, false);
    SetColour(source, 3, 0, 0, 250);
    OwnedImage image;
    Prepare(image, source, 8, false);
    ASSERT_EQ(image.Convert(&source, target_), kStatusOk);
    const uint8_t expected[6] = {0, 1, 4, 3, 5, 1};
    EXPECT_EQ(std::memcmp(image.pixels, expected, 6), 0);
    EXPECT_EQ(image.palette, target_);
}

TEST_F(PixelImageConvert, KeyedIndexedImageSendsMagentaAndIndex255ToTheKey) {
    Bitmap source;
    MakeIndexedRow(source, {0, 1, 2, 3, 255}, false);
    SetColour(source, 3, 0, 0, 250);
    OwnedImage image;
    Prepare(image, source, 8, true);
    ASSERT_EQ(image.Convert(&source, target_), kStatusOk);
    const uint8_t expected[5] = {0, 1, 255, 3, 255};
    EXPECT_EQ(std::memcmp(image.pixels, expected, 5), 0);
}

TEST_F(PixelImageConvert, IndexedIntoDirectPacksThePaletteWithoutGamma) {
    SetGamma(2.0f);
    Bitmap source;
    MakeIndexedRow(source, {3, 1, 0}, false);
    OwnedImage rgb555;
    Prepare(rgb555, source, 15, false);
    ASSERT_EQ(rgb555.Convert(&source, nullptr), kStatusOk);
    EXPECT_EQ(Pixel16(rgb555, 0), 0x08CA);
    EXPECT_EQ(Pixel16(rgb555, 1), 0x3C00);   // 120 keeps its top five bits: 0x78
    EXPECT_EQ(Pixel16(rgb555, 2), 0x0001);

    OwnedImage rgb565;
    Prepare(rgb565, source, 16, false);
    ASSERT_EQ(rgb565.Convert(&source, nullptr), kStatusOk);
    EXPECT_EQ(Pixel16(rgb565, 0), 0x11AA);
    EXPECT_EQ(Pixel16(rgb565, 1), 0x7800);
    EXPECT_EQ(Pixel16(rgb565, 2), 0x0001);
    EXPECT_EQ(rgb565.palette, nullptr);
}

TEST_F(PixelImageConvert, MagentaAt255BecomesTheKeyKeyedOrNot) {
    Bitmap source;
    MakeIndexedRow(source, {255, 2}, true);
    for (const bool keyed : {false, true}) {
        SCOPED_TRACE(keyed);
        OwnedImage rgb565;
        Prepare(rgb565, source, 16, keyed);
        ASSERT_EQ(rgb565.Convert(&source, nullptr), kStatusOk);
        EXPECT_EQ(Pixel16(rgb565, 0), 0xF81F);
        EXPECT_EQ(Pixel16(rgb565, 1), 0xF81F);
        OwnedImage rgb555;
        Prepare(rgb555, source, 15, keyed);
        ASSERT_EQ(rgb555.Convert(&source, nullptr), kStatusOk);
        EXPECT_EQ(Pixel16(rgb555, 0), 0x7C1F);
    }
}

TEST_F(PixelImageConvert, Index255OfAnotherColourStaysThatColourInAKeyedImage) {
    Bitmap source;
    MakeIndexedRow(source, {255}, false);   // (0, 250, 0)
    OwnedImage image;
    Prepare(image, source, 16, true);
    ASSERT_EQ(image.Convert(&source, nullptr), kStatusOk);
    EXPECT_EQ(Pixel16(image, 0), 0x07C0);
}

TEST_F(PixelImageConvert, IndexedWithoutAPaletteTakesThePaletteArgument) {
    Bitmap source;
    ASSERT_EQ(source.Create(3, 1, Bitmap::kDepth8Bit, true), kStatusOk);
    std::free(source.ownedPalette);
    source.ownedPalette = nullptr;
    source.palette = nullptr;
    const uint8_t indices[3] = {1, 5, 255};
    std::memcpy(source.pixels, indices, 3);

    OwnedImage image;
    Prepare(image, source, 15, false);
    EXPECT_EQ(image.Convert(&source, nullptr), kStatusImageBadArgument);
    ASSERT_EQ(image.Convert(&source, target_), kStatusOk);
    EXPECT_EQ(Pixel16(image, 0), 0x4000);
    EXPECT_EQ(Pixel16(image, 1), 0x03E0);
    EXPECT_EQ(Pixel16(image, 2), 0x7FFF);   // white in the palette argument

    // Keyed: entry 255 of the palette argument is the key whatever its colour.
    OwnedImage keyed;
    Prepare(keyed, source, 15, true);
    ASSERT_EQ(keyed.Convert(&source, target_), kStatusOk);
    EXPECT_EQ(Pixel16(keyed, 2), 0x7C1F);
}

TEST_F(PixelImageConvert, DirectSourcesTakeTheGammaCurve) {
    SetGamma(2.0f);   // level = trunc(sqrt(255 x v))
    Bitmap from16;
    MakeRow16(from16, {0x4104});   // (0x80, 0x40, 0x20) -> (180, 127, 90)
    OwnedImage rgb555;
    Prepare(rgb555, from16, 15, false);
    ASSERT_EQ(rgb555.Convert(&from16, nullptr), kStatusOk);
    EXPECT_EQ(Pixel16(rgb555, 0), 0x59EB);
    OwnedImage rgb565;
    Prepare(rgb565, from16, 16, true);
    ASSERT_EQ(rgb565.Convert(&from16, nullptr), kStatusOk);
    EXPECT_EQ(Pixel16(rgb565, 0), 0xB3EB);

    Bitmap from24;
    MakeRow24(from24, {200, 100, 50});   // -> (225, 159, 112)
    Prepare(rgb555, from24, 15, false);
    ASSERT_EQ(rgb555.Convert(&from24, nullptr), kStatusOk);
    EXPECT_EQ(Pixel16(rgb555, 0), 0x726E);
    Prepare(rgb565, from24, 16, false);
    ASSERT_EQ(rgb565.Convert(&from24, nullptr), kStatusOk);
    EXPECT_EQ(Pixel16(rgb565, 0), 0xE4EE);
}

TEST_F(PixelImageConvert, DirectSourcesAtGammaOneArePackedAsTheyAre) {
    Bitmap from16;
    MakeRow16(from16, {0x4104, 0x7FFF});
    OwnedImage rgb565;
    Prepare(rgb565, from16, 16, false);
    ASSERT_EQ(rgb565.Convert(&from16, nullptr), kStatusOk);
    EXPECT_EQ(Pixel16(rgb565, 0), 0x8204);
    EXPECT_EQ(Pixel16(rgb565, 1), 0xFFDF);   // the source's five green bits leave the sixth clear

    g_colorTables = nullptr;   // no tables at all: no curve either
    OwnedImage rgb555;
    Prepare(rgb555, from16, 15, false);
    ASSERT_EQ(rgb555.Convert(&from16, nullptr), kStatusOk);
    EXPECT_EQ(Pixel16(rgb555, 0), 0x4104);
    EXPECT_EQ(Pixel16(rgb555, 1), 0x7FFF);
}

TEST_F(PixelImageConvert, MagentaFromA16BitSourceIsKeyedBeforeGamma) {
    SetGamma(0.1f);   // darkens 0xF8 to 193
    Bitmap source;
    MakeRow16(source, {0x7C1F});
    OwnedImage keyed555;
    Prepare(keyed555, source, 15, true);
    ASSERT_EQ(keyed555.Convert(&source, nullptr), kStatusOk);
    EXPECT_EQ(Pixel16(keyed555, 0), 0x7C1F);
    OwnedImage keyed565;
    Prepare(keyed565, source, 16, true);
    ASSERT_EQ(keyed565.Convert(&source, nullptr), kStatusOk);
    EXPECT_EQ(Pixel16(keyed565, 0), 0xF81F);

    OwnedImage plain;
    Prepare(plain, source, 15, false);
    ASSERT_EQ(plain.Convert(&source, nullptr), kStatusOk);
    EXPECT_EQ(Pixel16(plain, 0), 0x6018);
}

TEST_F(PixelImageConvert, OnlyExactMagentaIsKeyedFromA24BitSource) {
    SetGamma(0.1f);   // 254 becomes 245
    Bitmap source;
    MakeRow24(source, {255, 0, 255, 255, 0, 254});
    OwnedImage image;
    Prepare(image, source, 15, true);
    ASSERT_EQ(image.Convert(&source, nullptr), kStatusOk);
    EXPECT_EQ(Pixel16(image, 0), 0x7C1F);
    EXPECT_EQ(Pixel16(image, 1), 0x7C1E);
}

TEST_F(PixelImageConvert, DirectIntoIndexedMatchesWithoutGammaAndNeedsAPalette) {
    SetGamma(2.0f);   // would turn 0x80 red into 180 and match entry 2
    Bitmap from16;
    MakeRow16(from16, {0x4000, 0x7C1F, 0x0000});
    OwnedImage image;
    Prepare(image, from16, 8, false);
    EXPECT_EQ(image.Convert(&from16, nullptr), kStatusImageBadArgument);
    ASSERT_EQ(image.Convert(&from16, target_), kStatusOk);
    const uint8_t plain[3] = {1, 4, 0};
    EXPECT_EQ(std::memcmp(image.pixels, plain, 3), 0);
    EXPECT_EQ(image.palette, target_);

    OwnedImage keyed;
    Prepare(keyed, from16, 8, true);
    ASSERT_EQ(keyed.Convert(&from16, target_), kStatusOk);
    const uint8_t withKey[3] = {1, 255, 0};
    EXPECT_EQ(std::memcmp(keyed.pixels, withKey, 3), 0);

    Bitmap from24;
    MakeRow24(from24, {180, 0, 0, 255, 0, 255});
    Prepare(keyed, from24, 8, true);
    ASSERT_EQ(keyed.Convert(&from24, target_), kStatusOk);
    EXPECT_EQ(keyed.pixels[0], 2);
    EXPECT_EQ(keyed.pixels[1], 255);
}
