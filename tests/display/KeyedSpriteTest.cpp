#include "display/KeyedSprite.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/EngineHeap.h"
#include "display/ImageStatus.h"
#include "display/PixelImage.h"
#include "tests/support/OwnedImage.h"
#include "tests/support/ScopedEngineHeap.h"

namespace {

void Fill8(OwnedImage& image, int16_t width, int16_t height, const std::vector<uint8_t>& values) {
    ASSERT_EQ(image.Create(width, height, 8, true), kStatusOk);
    ASSERT_EQ(values.size(), size_t(width) * height);
    std::memcpy(image.pixels, values.data(), values.size());
}

void Fill16(OwnedImage& image, int16_t width, int16_t height, int32_t depth, const std::vector<uint16_t>& values) {
    ASSERT_EQ(image.Create(width, height, depth, true), kStatusOk);
    ASSERT_EQ(values.size(), size_t(width) * height);
    std::memcpy(image.pixels, values.data(), 2 * values.size());
}

// The run data as the u16 words and bytes a reader walks.
class RunReader {
public:
    RunReader(const KeyedSprite& sprite, uint32_t row) : at_(sprite.runData + sprite.RowOffset(row)) {}
    uint16_t Word() {
        uint16_t value;
        std::memcpy(&value, at_, 2);
        at_ += 2;
        return value;
    }
    uint8_t Byte() { return *at_++; }

private:
    const uint8_t* at_;
};

// A deterministic picture with runs of the key of every length up to a row.
template <typename Unit>
std::vector<Unit> Speckled(int width, int height, Unit key, uint32_t seed) {
    std::vector<Unit> values(size_t(width) * height);
    for (Unit& v : values) {
        seed = seed * 1103515245u + 12345u;
        const uint32_t roll = (seed >> 16) & 0xFF;
        v = roll < 100 ? key : Unit(roll * 0x0101u);
    }
    // One row entirely key and one entirely opaque.
    for (int x = 0; x < width; ++x) {
        values[x] = key;
        values[size_t(width) * (height - 1) + x] = Unit(key ^ 1);
    }
    return values;
}

}  // namespace

TEST(KeyedSprite, EncodesIndexedRowsAsOpaqueAndSkipRuns) {
    OwnedImage image;
    Fill8(image, 5, 3, {1, 255, 255, 2, 3,
                        255, 255, 255, 255, 255,
                        255, 4, 5, 6, 7});
    KeyedSprite sprite(&image);
    ASSERT_NE(sprite.runData, nullptr);
    EXPECT_EQ(sprite.width, 5);
    EXPECT_EQ(sprite.height, 3);

    EXPECT_EQ(sprite.RowOffset(0), 0u);
    RunReader first(sprite, 0);
    EXPECT_EQ(first.Word(), 1);
    EXPECT_EQ(first.Byte(), 1);
    EXPECT_EQ(first.Word(), 2);
    EXPECT_EQ(first.Word(), 2);
    EXPECT_EQ(first.Byte(), 2);
    EXPECT_EQ(first.Byte(), 3);
    EXPECT_EQ(first.Word(), 0) << "a row ending opaque still ends with a skip count";

    EXPECT_EQ(sprite.RowOffset(1), 11u);
    RunReader allKey(sprite, 1);
    EXPECT_EQ(allKey.Word(), 0);
    EXPECT_EQ(allKey.Word(), 5);

    EXPECT_EQ(sprite.RowOffset(2), 15u);
    RunReader last(sprite, 2);
    EXPECT_EQ(last.Word(), 0);
    EXPECT_EQ(last.Word(), 1);
    EXPECT_EQ(last.Word(), 4);
    EXPECT_EQ(last.Byte(), 4);
    EXPECT_EQ(last.Byte(), 5);
    EXPECT_EQ(last.Byte(), 6);
    EXPECT_EQ(last.Byte(), 7);
    EXPECT_EQ(last.Word(), 0);
    EXPECT_EQ(sprite.RowOffset(3), 27u) << "the end of the data follows the last row";
}

TEST(KeyedSprite, KeysEach16BitFormatWithItsOwnMagenta) {
    const std::vector<uint16_t> row = {0x7C1F, 0xF81F, 0x1234};
    OwnedImage rgb555;
    Fill16(rgb555, 3, 1, 15, row);
    const KeyedSprite sprite555(&rgb555);
    RunReader in555(sprite555, 0);
    EXPECT_EQ(in555.Word(), 0);
    EXPECT_EQ(in555.Word(), 1);
    EXPECT_EQ(in555.Word(), 2);
    EXPECT_EQ(in555.Word(), 0xF81F);
    EXPECT_EQ(in555.Word(), 0x1234);
    EXPECT_EQ(in555.Word(), 0);
    EXPECT_EQ(sprite555.RowOffset(1), 12u);

    OwnedImage rgb565;
    Fill16(rgb565, 3, 1, 16, row);
    const KeyedSprite sprite565(&rgb565);
    RunReader in565(sprite565, 0);
    EXPECT_EQ(in565.Word(), 1);
    EXPECT_EQ(in565.Word(), 0x7C1F);
    EXPECT_EQ(in565.Word(), 1);
    EXPECT_EQ(in565.Word(), 1);
    EXPECT_EQ(in565.Word(), 0x1234);
    EXPECT_EQ(in565.Word(), 0);
}

TEST(KeyedSprite, TakesTheSourceFlagsAndMarksThemRunEncoded) {
    OwnedImage image;
    Fill8(image, 1, 1, {3});
    image.flags |= 0x400000;
    const KeyedSprite sprite(&image);
    EXPECT_EQ(sprite.flags, 0x400000 | PixelImage::kFlagKeyed | PixelImage::kFlagRunEncoded | PixelImage::kFormat8Bit);
    EXPECT_EQ(sprite.reserved[0], 0u);
    EXPECT_EQ(sprite.reserved[1], 0u);
}

TEST(KeyedSprite, ExpandsBackToItsSourceInEveryFormat) {
    constexpr int16_t kWidth = 37;
    constexpr int16_t kHeight = 11;
    {
        OwnedImage source;
        Fill8(source, kWidth, kHeight, Speckled<uint8_t>(kWidth, kHeight, 255, 3));
        const KeyedSprite sprite(&source);
        OwnedImage copy;
        ASSERT_EQ(copy.Create(kWidth, kHeight, 8, true), kStatusOk);
        ASSERT_EQ(sprite.Expand(&copy), kStatusOk);
        EXPECT_EQ(std::memcmp(copy.pixels, source.pixels, size_t(kWidth) * kHeight), 0);
    }
    for (const int32_t depth : {15, 16}) {
        SCOPED_TRACE(depth);
        const uint16_t key = depth == 15 ? PixelImage::kKey555 : PixelImage::kKey565;
        OwnedImage source;
        Fill16(source, kWidth, kHeight, depth, Speckled<uint16_t>(kWidth, kHeight, key, 5));
        const KeyedSprite sprite(&source);
        OwnedImage copy;
        ASSERT_EQ(copy.Create(kWidth, kHeight, depth, true), kStatusOk);
        ASSERT_EQ(sprite.Expand(&copy), kStatusOk);
        EXPECT_EQ(std::memcmp(copy.pixels, source.pixels, size_t(kWidth) * kHeight * 2), 0);
    }
}

TEST(KeyedSprite, DrawLeavesKeyPixelsAndClipsToTheTarget) {
    OwnedImage source;
    Fill8(source, 3, 2, {1, 255, 2,
                         255, 3, 4});
    const KeyedSprite sprite(&source);
    OwnedImage target;
    ASSERT_EQ(target.Create(4, 3, 8, false), kStatusOk);
    std::memset(target.pixels, 9, 12);

    ASSERT_EQ(sprite.Draw(&target, 2, -1), kStatusOk);
    const uint8_t clipped[12] = {9, 9, 9, 3,
                                 9, 9, 9, 9,
                                 9, 9, 9, 9};
    EXPECT_EQ(std::memcmp(target.pixels, clipped, 12), 0);

    ASSERT_EQ(sprite.Draw(&target, -1, 1), kStatusOk);
    const uint8_t both[12] = {9, 9, 9, 3,
                              9, 2, 9, 9,
                              3, 4, 9, 9};
    EXPECT_EQ(std::memcmp(target.pixels, both, 12), 0);

    ASSERT_EQ(sprite.Draw(&target, 10, 10), kStatusOk);   // wholly outside
    EXPECT_EQ(std::memcmp(target.pixels, both, 12), 0);
}

TEST(KeyedSprite, DrawAndExpandNeedAMatchingTarget) {
    OwnedImage source;
    Fill16(source, 2, 1, 15, {1, 2});
    const KeyedSprite sprite(&source);
    OwnedImage other;
    ASSERT_EQ(other.Create(2, 1, 16, false), kStatusOk);
    EXPECT_EQ(sprite.Draw(&other, 0, 0), kStatusImageBadArgument);
    OwnedImage small;
    ASSERT_EQ(small.Create(1, 1, 15, false), kStatusOk);
    EXPECT_EQ(sprite.Expand(&small), kStatusImageBadArgument);
    EXPECT_EQ(sprite.Draw(nullptr, 0, 0), kStatusImageBadArgument);

    const KeyedSprite empty;
    OwnedImage target;
    ASSERT_EQ(target.Create(2, 1, 8, false), kStatusOk);
    EXPECT_EQ(empty.Draw(&target, 0, 0), kStatusImageBadArgument);
}

TEST(KeyedSprite, RefusesSourcesThatAreNeitherIndexedNorSixteenBit) {
    OwnedImage oneBit;
    ASSERT_EQ(oneBit.Create(8, 2, 1, false), kStatusOk);
    KeyedSprite sprite;
    EXPECT_EQ(sprite.Build(&oneBit), kStatusSpriteBadFormat);
    EXPECT_EQ(sprite.Build(nullptr), kStatusSpriteBadFormat);
    PixelImage noPixels(PixelImage::kFormat8Bit);
    noPixels.width = 2;
    noPixels.height = 2;
    EXPECT_EQ(sprite.Build(&noPixels), kStatusSpriteBadFormat);
    EXPECT_EQ(sprite.runData, nullptr);
    EXPECT_EQ(sprite.rowOffsets, nullptr);
}

TEST(KeyedSprite, RebuildingReplacesTheEarlierBlocks) {
    const ScopedEngineHeap heap(1 << 16);
    {
        OwnedImage first;
        Fill8(first, 4, 1, {1, 2, 3, 4});
        OwnedImage second;
        Fill8(second, 2, 2, {255, 5, 6, 255});
        const uint64_t imagesOnly = EngineHeap::BytesInUse();
        {
            KeyedSprite sprite(&first);
            ASSERT_EQ(sprite.Build(&second), kStatusOk);
            EXPECT_EQ(sprite.width, 2);
            EXPECT_EQ(sprite.height, 2);
            OwnedImage copy;
            ASSERT_EQ(copy.Create(2, 2, 8, true), kStatusOk);
            ASSERT_EQ(sprite.Expand(&copy), kStatusOk);
            EXPECT_EQ(std::memcmp(copy.pixels, second.pixels, 4), 0);
        }
        EXPECT_EQ(EngineHeap::BytesInUse(), imagesOnly) << "the first build's blocks were not freed";
    }
}

TEST(KeyedSprite, FullHeapFailsWithoutAllocating) {
    OwnedImage image;
    Fill8(image, 4, 4, std::vector<uint8_t>(16, 1));
    const ScopedEngineHeap full(ScopedEngineHeap::kFull);
    KeyedSprite sprite;
    EXPECT_EQ(sprite.Build(&image), kStatusSpriteOutOfMemory);
    EXPECT_EQ(sprite.rowOffsets, nullptr);
    EXPECT_EQ(sprite.runData, nullptr);
}

TEST(KeyedSprite, FailedRunDataKeepsTheRowTableUntilDestruction) {
    // The source lives in the C runtime heap; only the sprite's blocks land in
    // the small engine heap, and the run data (over 5000 bytes) cannot fit.
    OwnedImage image;
    Fill8(image, 5000, 1, std::vector<uint8_t>(5000, 1));
    const ScopedEngineHeap heap(EngineHeap::kSmallestReserve);
    ASSERT_LT(EngineHeap::UsableSize(), 5004u);
    {
        KeyedSprite sprite;
        EXPECT_EQ(sprite.Build(&image), kStatusSpriteOutOfMemory);
        EXPECT_NE(sprite.rowOffsets, nullptr);
        EXPECT_EQ(sprite.runData, nullptr);
        EXPECT_EQ(sprite.flags & PixelImage::kFlagRunEncoded, 0u);
        EXPECT_GT(EngineHeap::BytesInUse(), 0u);
    }
    EXPECT_EQ(EngineHeap::BytesInUse(), 0u);
}
