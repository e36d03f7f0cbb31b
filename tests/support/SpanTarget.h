#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "display/Palette.h"
#include "display/SoftTexture.h"
#include "display/PixelImage.h"
#include "raster/Span.h"
#include "tests/support/RecordingCanvas.h"
#include "tests/support/ScopedColorTables.h"

// What a span routine draws into: a canvas whose 16-bit palette holds a shade
// table of distinct entries, the colour tables' scaling rows, a destination,
// a depth buffer and the two edge buffers. Every buffer is its own heap block
// of exactly its size, so the sanitizers see any access outside it; with one
// row, the destination and depth blocks are exactly that row.
class SpanTarget {
public:
    static constexpr uint16_t kUntouched = 0xBEEF;   // above every shade entry

    SpanTarget(int32_t width, int32_t rows, bool rgb555 = false);

    // The shade table entry of (colour, level) until SetShade changes it:
    // colour x 32 + level, so a pixel tells what was looked up.
    static uint16_t Entry(uint32_t colour, uint32_t level) { return uint16_t(colour * 32 + level); }
    void SetShade(uint32_t colour, uint32_t level, uint16_t pixel) { shades_[colour * 32 + level] = pixel; }

    // The left edge of a row carries every value; the right edge only x.
    SpanEdge& Left(int32_t row) { return left_[size_t(row)]; }
    void SetRow(int32_t row, int32_t left, int32_t right);

    // All rows of the target, top row at canvas row topY, nothing but the
    // buffers and the palette filled in.
    SpanSetup Setup(int32_t topY = 0);

    uint16_t& Pixel(int32_t x, int32_t row) { return pixels_[size_t(row * width_ + x)]; }
    uint16_t& Depth(int32_t x, int32_t row) { return depths_[size_t(row * width_ + x)]; }
    void FillPixels(uint16_t value);
    void FillDepths(uint16_t value);
    std::vector<uint16_t> Pixels() const;
    std::vector<uint16_t> Depths() const;

    int32_t Width() const { return width_; }

private:
    const int32_t width_;
    const int32_t rows_;
    ScopedColorTables colorTables_;
    std::unique_ptr<uint16_t[]> shades_;
    ShadeTable shadeTable_;
    std::unique_ptr<Palette> palette_;
    RecordingCanvas canvas_;
    std::unique_ptr<uint16_t[]> pixels_;
    std::unique_ptr<uint16_t[]> depths_;
    std::unique_ptr<SpanEdge[]> left_;
    std::unique_ptr<SpanEdge[]> right_;
};

// A texture of the given log2 sides over texels of its own, exactly
// width x height bytes.
class SpanTexture {
public:
    SpanTexture(int32_t log2Width, int32_t log2Height, bool keyed = false);
    ~SpanTexture();

    uint8_t& Texel(int32_t column, int32_t row) { return texels_[size_t(row * image_.width + column)]; }
    void Fill(uint8_t texel);
    // Texel (column, row) becomes Pattern(column, row).
    void FillPattern();
    // Texels 1 to 5, different along rows and columns.
    static uint8_t Pattern(int32_t column, int32_t row) { return uint8_t(1 + (column + 2 * row) % 5); }
    const SoftTexture* Texture() const { return texture_.get(); }
    int32_t Width() const { return image_.width; }
    int32_t Height() const { return image_.height; }

private:
    std::unique_ptr<uint8_t[]> texels_;
    PixelImage image_;
    std::unique_ptr<SoftTexture> texture_;
};
