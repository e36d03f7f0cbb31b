#include "tests/support/SpanTarget.h"

#include <algorithm>

SpanTarget::SpanTarget(int32_t width, int32_t rows, bool rgb555)
    : width_(width),
      rows_(rows),
      shades_(new uint16_t[Palette::kShadeEntries]),
      canvas_(width, rows),
      pixels_(new uint16_t[size_t(width * rows)]),
      depths_(new uint16_t[size_t(width * rows)]),
      left_(new SpanEdge[size_t(rows)]),
      right_(new SpanEdge[size_t(rows)]) {
    g_colorTables->BuildShadeTable();
    for (uint32_t entry = 0; entry < Palette::kShadeEntries; ++entry) {
        shades_[entry] = uint16_t(entry);
    }
    shadeTable_.rows = shades_.get();
    shadeTable_.shift = Palette::kShadeShift;
    shadeTable_.levels = Palette::kShadeLevels;
    if (rgb555) {
        palette_ = std::make_unique<PaletteRgb555>();
    } else {
        palette_ = std::make_unique<PaletteRgb565>();
    }
    palette_->SetTables(0, nullptr, &shadeTable_);
    canvas_.palette = palette_.get();
    FillPixels(kUntouched);
    FillDepths(0xFFFF);
}

void SpanTarget::SetRow(int32_t row, int32_t left, int32_t right) {
    left_[size_t(row)].x = left;
    right_[size_t(row)].x = right;
}

SpanSetup SpanTarget::Setup(int32_t topY) {
    SpanSetup setup;
    setup.destRow = pixels_.get();
    setup.depthRow = depths_.get();
    setup.target = &canvas_;
    setup.leftEdge = left_.get();
    setup.rightEdge = right_.get();
    setup.topY = topY;
    setup.lastRow = rows_ - 1;
    setup.destPitch = width_ * 2;
    setup.depthPitch = width_ * 2;
    return setup;
}

void SpanTarget::FillPixels(uint16_t value) { std::fill_n(pixels_.get(), width_ * rows_, value); }

void SpanTarget::FillDepths(uint16_t value) { std::fill_n(depths_.get(), width_ * rows_, value); }

std::vector<uint16_t> SpanTarget::Pixels() const { return {pixels_.get(), pixels_.get() + width_ * rows_}; }

std::vector<uint16_t> SpanTarget::Depths() const { return {depths_.get(), depths_.get() + width_ * rows_}; }

SpanTexture::SpanTexture(int32_t log2Width, int32_t log2Height, bool keyed)
    : texels_(new uint8_t[size_t(1) << (log2Width + log2Height)]),
      image_(PixelImage::kFormat8Bit | (keyed ? PixelImage::kFlagKeyed : 0)) {
    image_.width = int16_t(1 << log2Width);
    image_.height = int16_t(1 << log2Height);
    image_.pixels = texels_.get();
    texture_.reset(new SoftTexture(&image_, nullptr));
    Fill(0);
}

// The texture unchains itself before the image goes, and the texels are ours.
SpanTexture::~SpanTexture() {
    texture_.reset();
    image_.pixels = nullptr;
}

void SpanTexture::Fill(uint8_t texel) { std::fill_n(texels_.get(), image_.width * image_.height, texel); }

void SpanTexture::FillPattern() {
    for (int32_t row = 0; row < Height(); ++row) {
        for (int32_t column = 0; column < Width(); ++column) Texel(column, row) = Pattern(column, row);
    }
}
