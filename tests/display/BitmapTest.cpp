#include "display/Bitmap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/EngineAllocation.h"
#include "display/ImageStatus.h"
#include "tests/support/ScopedEngineHeap.h"

namespace {

void ExpectNoBlocks(const Bitmap& bitmap) {
    EXPECT_EQ(bitmap.ownedPixels, nullptr);
    EXPECT_EQ(bitmap.ownedPalette, nullptr);
    EXPECT_EQ(bitmap.pixels, nullptr);
    EXPECT_EQ(bitmap.palette, nullptr);
}

// Writes every byte the block should have: the sanitizer catches a short one.
void ExpectZeroedBlockOf(uint8_t* block, uint64_t bytes) {
    ASSERT_NE(block, nullptr);
    for (uint64_t i = 0; i < bytes; ++i) {
        ASSERT_EQ(block[i], 0) << i;
    }
    std::memset(block, 0xA5, bytes);
}

}  // namespace

TEST(Bitmap, BlockSizesFollowTheDepth) {
    EXPECT_EQ(Bitmap::PixelBlockSize(9, 3, Bitmap::kDepth1Bit), 6u);
    EXPECT_EQ(Bitmap::PixelBlockSize(8, 3, Bitmap::kDepth1Bit), 3u);
    EXPECT_EQ(Bitmap::PixelBlockSize(1, 1, Bitmap::kDepth1Bit), 1u);
    EXPECT_EQ(Bitmap::PixelBlockSize(9, 3, Bitmap::kDepth8Bit), 27u);
    EXPECT_EQ(Bitmap::PixelBlockSize(9, 3, Bitmap::kDepth16Bit), 54u);
    EXPECT_EQ(Bitmap::PixelBlockSize(9, 3, Bitmap::kDepth24Bit), 81u);
    EXPECT_EQ(Bitmap::PixelBlockSize(9, 3, Bitmap::kDepth32Bit), 108u);
    EXPECT_EQ(Bitmap::RowBytes(9, Bitmap::kDepth1Bit), 2u);
    EXPECT_EQ(Bitmap::RowBytes(9, Bitmap::kDepth24Bit), 27u);
}

TEST(Bitmap, BlockSizesDoNotWrapIn32Bits) {
    EXPECT_EQ(Bitmap::PixelBlockSize(32768, 32768, Bitmap::kDepth32Bit), uint64_t(1) << 32);
    EXPECT_EQ(Bitmap::PixelBlockSize(65535, 65535, Bitmap::kDepth32Bit), uint64_t(65535) * 65535 * 4);
    EXPECT_EQ(Bitmap::PixelBlockSize(65535, 65535, Bitmap::kDepth1Bit), uint64_t(8192) * 65535);
}

TEST(Bitmap, CreateAllocatesAndViewsAClearedBlockOfEveryDepth) {
    for (uint8_t depth = Bitmap::kDepth1Bit; depth <= Bitmap::kMaxDepth; ++depth) {
        SCOPED_TRACE(int(depth));
        Bitmap bitmap;
        ASSERT_EQ(bitmap.Create(9, 5, depth, true), kStatusOk);
        EXPECT_EQ(bitmap.width, 9);
        EXPECT_EQ(bitmap.height, 5);
        EXPECT_EQ(bitmap.bytesPerPixel, depth);
        EXPECT_EQ(bitmap.pixels, bitmap.ownedPixels);
        ExpectZeroedBlockOf(bitmap.ownedPixels, Bitmap::PixelBlockSize(9, 5, depth));
        if (depth == Bitmap::kDepth8Bit) {
            EXPECT_EQ(bitmap.palette, bitmap.ownedPalette);
            EXPECT_EQ(bitmap.lastPaletteIndex, 255);
            ExpectZeroedBlockOf(bitmap.ownedPalette, Bitmap::kPaletteBytes);
        } else {
            EXPECT_EQ(bitmap.ownedPalette, nullptr);
            EXPECT_EQ(bitmap.palette, nullptr);
            EXPECT_EQ(bitmap.lastPaletteIndex, 0);
        }
    }
}

TEST(Bitmap, CreateRefusesABadSizeOrDepthAndKeepsNoBlock) {
    Bitmap bitmap;
    ASSERT_EQ(bitmap.Create(4, 4, Bitmap::kDepth8Bit, false), kStatusOk);
    EXPECT_EQ(bitmap.Create(4, 4, 5, true), kStatusImageBadFormat);
    ExpectNoBlocks(bitmap);
    EXPECT_EQ(bitmap.Create(4, 0, Bitmap::kDepth8Bit, true), kStatusImageBadFormat);
    ExpectNoBlocks(bitmap);
    EXPECT_EQ(bitmap.Create(0, 4, Bitmap::kDepth16Bit, true), kStatusImageBadFormat);
    ExpectNoBlocks(bitmap);
}

TEST(Bitmap, CreateRefusesABlockBeyond31BitsAndFreesThePalette) {
    Bitmap bitmap;
    // 2^32 bytes: a 32-bit product would have asked for an empty block.
    EXPECT_EQ(bitmap.Create(32768, 32768, Bitmap::kDepth32Bit, false), kStatusPlatformFailed);
    ExpectNoBlocks(bitmap);
    // The palette is allocated first and must not survive the pixels' failure.
    EXPECT_EQ(bitmap.Create(65535, 65535, Bitmap::kDepth8Bit, false), kStatusPlatformFailed);
    ExpectNoBlocks(bitmap);
}

TEST(Bitmap, CreateFreesTheEarlierImage) {
    Bitmap bitmap;
    ASSERT_EQ(bitmap.Create(4, 4, Bitmap::kDepth8Bit, true), kStatusOk);
    ASSERT_EQ(bitmap.Create(3, 2, Bitmap::kDepth24Bit, true), kStatusOk);
    EXPECT_EQ(bitmap.ownedPalette, nullptr);
    EXPECT_EQ(bitmap.palette, nullptr);
    ExpectZeroedBlockOf(bitmap.pixels, 18);
}

TEST(Bitmap, AllocateReplacesTheOwnedBlockAndViewsIt) {
    Bitmap bitmap;
    bitmap.width = 3;
    bitmap.height = 3;
    bitmap.bytesPerPixel = Bitmap::kDepth16Bit;
    ASSERT_EQ(bitmap.AllocatePixels(true), kStatusOk);
    ASSERT_EQ(bitmap.AllocatePalette(), kStatusOk);
    ExpectZeroedBlockOf(bitmap.pixels, 18);
    ExpectZeroedBlockOf(bitmap.palette, Bitmap::kPaletteBytes);
    // A palette allocated again is a cleared one, whatever the old one held.
    bitmap.palette[7] = 0x55;
    ASSERT_EQ(bitmap.AllocatePalette(), kStatusOk);
    EXPECT_EQ(bitmap.palette, bitmap.ownedPalette);
    ExpectZeroedBlockOf(bitmap.palette, Bitmap::kPaletteBytes);
    bitmap.width = 5;
    ASSERT_EQ(bitmap.AllocatePixels(true), kStatusOk);
    EXPECT_EQ(bitmap.pixels, bitmap.ownedPixels);
    ExpectZeroedBlockOf(bitmap.pixels, 30);
    bitmap.width = 0;
    EXPECT_EQ(bitmap.AllocatePixels(false), kStatusPlatformFailed);
    EXPECT_EQ(bitmap.ownedPixels, nullptr);
    EXPECT_EQ(bitmap.pixels, nullptr);
}

TEST(Bitmap, UnlockAndLockMoveOnlyTheViewsOfOwnedBlocks) {
    Bitmap bitmap;
    ASSERT_EQ(bitmap.Create(2, 2, Bitmap::kDepth8Bit, true), kStatusOk);
    uint8_t* const pixels = bitmap.ownedPixels;
    uint8_t* const palette = bitmap.ownedPalette;

    EXPECT_EQ(bitmap.Unlock(), kStatusOk);
    EXPECT_EQ(bitmap.pixels, nullptr);
    EXPECT_EQ(bitmap.palette, nullptr);
    EXPECT_EQ(bitmap.ownedPixels, pixels);
    EXPECT_EQ(bitmap.ownedPalette, palette);

    EXPECT_EQ(bitmap.Lock(), kStatusOk);
    EXPECT_EQ(bitmap.pixels, pixels);
    EXPECT_EQ(bitmap.palette, palette);
}

TEST(Bitmap, CallerViewsSurviveLockUnlockAndFree) {
    uint8_t pixels[16] = {};
    uint8_t palette[Bitmap::kPaletteBytes] = {};
    Bitmap bitmap;
    bitmap.width = 4;
    bitmap.height = 4;
    bitmap.bytesPerPixel = Bitmap::kDepth8Bit;
    bitmap.pixels = pixels;
    bitmap.palette = palette;

    EXPECT_EQ(bitmap.Lock(), kStatusOk);
    EXPECT_EQ(bitmap.pixels, pixels);
    EXPECT_EQ(bitmap.palette, palette);
    EXPECT_EQ(bitmap.Unlock(), kStatusOk);
    EXPECT_EQ(bitmap.pixels, pixels);
    EXPECT_EQ(bitmap.palette, palette);
    bitmap.Free();
    EXPECT_EQ(bitmap.pixels, pixels);
    EXPECT_EQ(bitmap.palette, palette);
    bitmap.pixels = nullptr;   // the destructor must not touch the stack block either way
    bitmap.palette = nullptr;
}

TEST(Bitmap, LockKeepsACallerViewEvenOverAnOwnedBlock) {
    uint8_t elsewhere[4] = {};
    Bitmap bitmap;
    ASSERT_EQ(bitmap.Create(2, 2, Bitmap::kDepth8Bit, true), kStatusOk);
    bitmap.pixels = elsewhere;
    bitmap.Lock();
    EXPECT_EQ(bitmap.pixels, elsewhere);
    EXPECT_EQ(bitmap.palette, bitmap.ownedPalette);
    // Unlock clears it, since an owned block exists behind it.
    bitmap.Unlock();
    EXPECT_EQ(bitmap.pixels, nullptr);
}

TEST(BitmapMask, SetsABitForEveryPixelOtherThanTheKeyRowsOnByteBoundaries) {
    Bitmap bitmap;
    ASSERT_EQ(bitmap.Create(10, 2, Bitmap::kDepth8Bit, true), kStatusOk);
    const uint8_t rows[20] = {7, 0, 0, 7, 7, 7, 7, 7, 0, 7,
                              0, 0, 0, 0, 0, 0, 0, 0, 7, 0};
    std::memcpy(bitmap.pixels, rows, sizeof rows);
    uint8_t* const mask = bitmap.MakeMask(0);
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(mask[0], 0b10011111);
    EXPECT_EQ(mask[1], 0b01000000);
    EXPECT_EQ(mask[2], 0b00000000);
    EXPECT_EQ(mask[3], 0b10000000);
    EngineRelease(mask);
}

TEST(BitmapMask, LocksAnUnlockedBitmapOnlyForThePass) {
    Bitmap bitmap;
    ASSERT_EQ(bitmap.Create(3, 1, Bitmap::kDepth8Bit, true), kStatusOk);
    bitmap.ownedPixels[1] = 9;
    bitmap.Unlock();
    uint8_t* const mask = bitmap.MakeMask(9);
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(mask[0], 0b10100000);
    EXPECT_EQ(bitmap.pixels, nullptr);
    EngineRelease(mask);

    // A locked bitmap stays locked.
    bitmap.Lock();
    uint8_t* const again = bitmap.MakeMask(9);
    EXPECT_EQ(bitmap.pixels, bitmap.ownedPixels);
    EngineRelease(again);
}

TEST(BitmapMask, RefusesOtherDepthsEmptyBitmapsAndAFullHeap) {
    Bitmap bitmap;
    ASSERT_EQ(bitmap.Create(3, 3, Bitmap::kDepth16Bit, true), kStatusOk);
    EXPECT_EQ(bitmap.MakeMask(0), nullptr);

    Bitmap noPixels;
    noPixels.width = 3;
    noPixels.height = 3;
    noPixels.bytesPerPixel = Bitmap::kDepth8Bit;
    EXPECT_EQ(noPixels.MakeMask(0), nullptr);

    ASSERT_EQ(bitmap.Create(3, 3, Bitmap::kDepth8Bit, true), kStatusOk);
    const ScopedEngineHeap full(ScopedEngineHeap::kFull);
    EXPECT_EQ(bitmap.MakeMask(0), nullptr);
}
