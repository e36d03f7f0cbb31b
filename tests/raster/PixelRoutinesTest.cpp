#include "raster/PixelRoutines.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/raster/Canvas8Fixture.h"
#include "tests/support/MemoryCanvas.h"
#include "tests/support/Vertices.h"

namespace {

constexpr uint8_t kBackground = Canvas8Fixture::kBackground;

TEST(PlotShadedPixel8, WritesShadeEntryOfColourAndIntensityOverEight) {
    Canvas8Fixture target(8, 4, false);
    const ViewVertex point = ViewPoint(5, 2, 0x103, 47);   // only the colour's low byte counts
    PlotShadedPixel8(target.Target(), &point);
    EXPECT_EQ(target.Pixel(5, 2), Canvas8Fixture::Entry(3, 5));
    EXPECT_EQ(target.Target()->CountPixelsOtherThan(kBackground), 1);
}

TEST(PlotShadedPixel8, HoldsIntensityToTheShadeRow) {
    Canvas8Fixture target(8, 4, false);
    const ViewVertex bright = ViewPoint(1, 1, 3, 300);
    const ViewVertex dark = ViewPoint(2, 1, 3, -40);
    PlotShadedPixel8(target.Target(), &bright);
    PlotShadedPixel8(target.Target(), &dark);
    EXPECT_EQ(target.Pixel(1, 1), Canvas8Fixture::Entry(3, 31));
    EXPECT_EQ(target.Pixel(2, 1), Canvas8Fixture::Entry(3, 0));
}

TEST(PlotShadedPixel8, DropsPixelsOutsideTheCanvas) {
    Canvas8Fixture target(8, 4, true);
    for (const auto& [x, y] : std::vector<std::array<int32_t, 2>>{{-1, 0}, {8, 0}, {0, -1}, {0, 4}, {100000, 3}}) {
        const ViewVertex point = ViewPoint(x, y, 1, 100);
        PlotShadedPixel8(target.Target(), &point);
        PlotShadedPixel8Depth(target.Target(), &point);
    }
    EXPECT_EQ(target.Target()->CountPixelsOtherThan(kBackground), 0);
}

TEST(PlotShadedPixel8, DrawsNothingWithoutAShadeTable) {
    MemoryCanvas canvas(4, 4, 1, false);
    canvas.FillPixels(kBackground);
    const ViewVertex point = ViewPoint(1, 1, 1, 100);
    PlotShadedPixel8(&canvas, &point);
    EXPECT_EQ(canvas.CountPixelsOtherThan(kBackground), 0);
}

TEST(PlotShadedPixel8Depth, DrawsAtEqualOrNearerDepthAndStoresIt) {
    Canvas8Fixture target(8, 4, true);
    MemoryCanvas& canvas = *target.Target();
    canvas.DepthAt(1, 1) = 0x4000;
    canvas.DepthAt(2, 1) = 0x4000;
    canvas.DepthAt(3, 1) = 0x4000;
    const ViewVertex equal = ViewPoint(1, 1, 2, 0, 0x4000FFFF);   // only depth >> 16 is compared
    const ViewVertex nearer = ViewPoint(2, 1, 2, 8, 0x3FFF0000);
    const ViewVertex farther = ViewPoint(3, 1, 2, 16, 0x40010000);
    PlotShadedPixel8Depth(&canvas, &equal);
    PlotShadedPixel8Depth(&canvas, &nearer);
    PlotShadedPixel8Depth(&canvas, &farther);
    EXPECT_EQ(canvas.Pixel8(1, 1), Canvas8Fixture::Entry(2, 0));
    EXPECT_EQ(canvas.Pixel8(2, 1), Canvas8Fixture::Entry(2, 1));
    EXPECT_EQ(canvas.Pixel8(3, 1), kBackground);
    EXPECT_EQ(canvas.DepthAt(1, 1), 0x4000);
    EXPECT_EQ(canvas.DepthAt(2, 1), 0x3FFF);
    EXPECT_EQ(canvas.DepthAt(3, 1), 0x4000);
}

TEST(PlotShadedPixel8Depth, DrawsPlainlyOnACanvasWithoutDepth) {
    Canvas8Fixture target(4, 4, false);
    const ViewVertex point = ViewPoint(0, 3, 1, 255, 0xFFFFFFFF);
    PlotShadedPixel8Depth(target.Target(), &point);
    EXPECT_EQ(target.Pixel(0, 3), Canvas8Fixture::Entry(1, 31));
}

// The rows of a canvas as bytes, '.' for the background and '#' for index 9.
std::vector<std::string> Picture(const MemoryCanvas& canvas) {
    std::vector<std::string> rows;
    const std::vector<uint16_t> values = canvas.PixelValues();
    for (int32_t y = 0; y < canvas.height; ++y) {
        std::string row;
        for (int32_t x = 0; x < canvas.width; ++x) {
            const uint16_t value = values[size_t(y * canvas.width + x)];
            row += value == kBackground ? '.' : (value == 9 ? '#' : '?');
        }
        rows.push_back(row);
    }
    return rows;
}

TEST(FillRect8Solid, FillsEveryWidthWithWordsAndTrailingBytes) {
    // Widths 1 to 9 cover no words, whole words, and words with 1..3 bytes left.
    for (int32_t width = 1; width <= 9; ++width) {
        Canvas8Fixture target(12, 4, false);
        const CanvasRect rect{2, 1, width, 2};
        FillRect8Solid(target.Target(), &rect, 9);
        const std::vector<std::string> picture = Picture(*target.Target());
        const std::string row = ".." + std::string(size_t(width), '#') + std::string(size_t(10 - width), '.');
        EXPECT_EQ(picture, (std::vector<std::string>{std::string(12, '.'), row, row, std::string(12, '.')}))
            << "width " << width;
    }
}

TEST(FillRect8Solid, EmptyOrNegativeSizesDrawNothing) {
    Canvas8Fixture target(8, 4, false);
    for (const CanvasRect rect : {CanvasRect{1, 1, 0, 2}, CanvasRect{1, 1, 2, 0}, CanvasRect{1, 1, -3, 2},
                                  CanvasRect{1, 1, 2, -1}}) {
        FillRect8Solid(target.Target(), &rect, 9);
    }
    EXPECT_EQ(target.Target()->CountPixelsOtherThan(kBackground), 0);
}

TEST(FillRect8Solid, KeepsToTheCanvas) {
    Canvas8Fixture target(6, 3, false);
    const CanvasRect rect{-2, 1, 100, 100};
    FillRect8Solid(target.Target(), &rect, 9);
    EXPECT_EQ(Picture(*target.Target()), (std::vector<std::string>{"......", "######", "######"}));
    const CanvasRect outside{6, 0, 4, 4};
    FillRect8Solid(target.Target(), &outside, 1);
    EXPECT_EQ(target.Target()->CountPixelsOtherThan(kBackground), 12);
}

constexpr uint16_t kSet = 0xAAAA;
constexpr uint16_t kClear = 0x5555;
constexpr uint16_t kUnwritten = 0x1234;

// The bits a destination received, '1' and '0', with '-' for untouched values.
std::string Expanded(const std::vector<uint16_t>& values) {
    std::string bits;
    for (const uint16_t value : values) {
        bits += value == kSet ? '1' : (value == kClear ? '0' : '-');
    }
    return bits;
}

TEST(ExpandMaskRow16, TakesBitsMostSignificantFirstAcrossBytes) {
    const uint8_t mask[] = {0b10110001, 0b01000000};
    std::vector<uint16_t> row(12, kUnwritten);
    ExpandMaskRow16(row.data(), mask, 10, 0, kSet, kClear);
    EXPECT_EQ(Expanded(row), "1011000101--");
}

TEST(ExpandMaskRow16, FirstBitOffsetSkipsTheTopBitsOfTheFirstByteOnly) {
    const uint8_t mask[] = {0b10110001, 0b11001010};
    const std::string bits = "1011000111001010";
    for (int32_t offset = 0; offset < 8; ++offset) {
        std::vector<uint16_t> row(10, kUnwritten);
        ExpandMaskRow16(row.data(), mask, 9, offset, kSet, kClear);
        EXPECT_EQ(Expanded(row), bits.substr(size_t(offset), 9) + "-") << "offset " << offset;
    }
}

TEST(ExpandMaskRow16, OffsetThreeCountFiveUsesBitsFourToZero) {
    const uint8_t mask[] = {0b11101011, 0xFF};
    std::vector<uint16_t> row(6, kUnwritten);
    ExpandMaskRow16(row.data(), mask, 5, 3, kSet, kClear);
    EXPECT_EQ(Expanded(row), "01011-");
}

TEST(ExpandMaskRow16, ReadsNoByteBeyondTheBitsItNeeds) {
    // Exactly one heap byte: the sanitizer sees a read of a second one.
    const std::unique_ptr<uint8_t[]> mask(new uint8_t[1]{0b00000101});
    std::vector<uint16_t> row(3, kUnwritten);
    ExpandMaskRow16(row.data(), mask.get(), 3, 5, kSet, kClear);
    EXPECT_EQ(Expanded(row), "101");
}

TEST(ExpandMaskRow16, ZeroOrNegativeCountWritesNothing) {
    const uint8_t mask[] = {0xFF};
    std::vector<uint16_t> row(2, kUnwritten);
    ExpandMaskRow16(row.data(), mask, 0, 0, kSet, kClear);
    ExpandMaskRow16(row.data(), mask, -4, 0, kSet, kClear);
    EXPECT_EQ(Expanded(row), "--");
}

}  // namespace
