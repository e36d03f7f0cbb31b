#include "platform/HeadlessPresenter.h"

#include <cstring>

#include "platform/PngWriter.h"

namespace platform {
namespace {

// Widens a channel of `bits` bits to 8 by repeating its high bits, so that
// full intensity stays full; very narrow channels are scaled instead.
uint32_t Widen(uint32_t value, int bits) {
    if (bits < 4) return value * 255 / ((1u << bits) - 1);
    return (value << (8 - bits)) | (value >> (2 * bits - 8));
}

int MaskBits(uint32_t mask) {
    int bits = 0;
    for (; mask != 0; mask >>= 1) bits += int(mask & 1);
    return bits;
}

int MaskShift(uint32_t mask) {
    if (mask == 0) return 0;
    int shift = 0;
    for (; (mask & 1) == 0; mask >>= 1) ++shift;
    return shift;
}

uint32_t Channel(uint32_t pixel, uint32_t mask) {
    const int bits = MaskBits(mask);
    if (bits == 0) return 0;
    const uint32_t value = (pixel & mask) >> MaskShift(mask);
    return bits >= 8 ? value >> (bits - 8) : Widen(value, bits);
}

}  // namespace

void HeadlessPresenter::Present(const uint8_t* pixels, int32_t width, int32_t height, int32_t pitch,
                                const PixelLayout& format, const DisplayPalette* palette) {
    ++frameCount_;
    width_ = pixels != nullptr && width > 0 && height > 0 ? width : 0;
    height_ = width_ != 0 ? height : 0;
    format_ = format;
    palette_ = palette != nullptr ? *palette : DisplayPalette{};
    const size_t rowBytes = size_t(width_) * size_t(format.BytesPerPixel());
    pixels_.resize(rowBytes * size_t(height_));
    for (int32_t y = 0; y < height_; ++y) {
        std::memcpy(pixels_.data() + rowBytes * size_t(y), pixels + std::ptrdiff_t(pitch) * y, rowBytes);
    }
}

uint32_t HeadlessPresenter::RawPixel(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    const int32_t bytes = format_.BytesPerPixel();
    const uint8_t* const at = pixels_.data() + (size_t(y) * size_t(width_) + size_t(x)) * size_t(bytes);
    uint32_t value = 0;
    for (int32_t i = bytes - 1; i >= 0; --i) value = value << 8 | at[i];   // little-endian words
    return value;
}

uint32_t HeadlessPresenter::Rgb(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    const uint32_t pixel = RawPixel(x, y);
    if (format_.IsIndexed()) {
        const DisplayPalette::Entry& entry = palette_.entries[pixel & 0xFF];
        return uint32_t(entry.red) << 16 | uint32_t(entry.green) << 8 | entry.blue;
    }
    return Channel(pixel, format_.redMask) << 16 | Channel(pixel, format_.greenMask) << 8 |
           Channel(pixel, format_.blueMask);
}

bool HeadlessPresenter::WriteImage(const std::string& path) const {
    if (width_ == 0) return false;
    std::vector<uint8_t> rgb(size_t(width_) * size_t(height_) * 3);
    uint8_t* out = rgb.data();
    for (int32_t y = 0; y < height_; ++y) {
        for (int32_t x = 0; x < width_; ++x) {
            const uint32_t colour = Rgb(x, y);
            *out++ = uint8_t(colour >> 16);
            *out++ = uint8_t(colour >> 8);
            *out++ = uint8_t(colour);
        }
    }
    return WriteRgbPng(path.c_str(), width_, height_, rgb.data());
}

void HeadlessPresenter::Forget() {
    frameCount_ = 0;
    width_ = 0;
    height_ = 0;
    format_ = {};
    palette_ = {};
    pixels_.clear();
}

}  // namespace platform
