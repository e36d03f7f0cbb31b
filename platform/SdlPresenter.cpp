#include "platform/SdlPresenter.h"

#include "platform/PngWriter.h"
#include "platform/SdlVideo.h"

namespace platform {
namespace {

constexpr uint32_t kOpaque = 0xFF000000u;

int LowestBit(uint32_t mask) {
    int shift = 0;
    for (; mask != 0 && (mask & 1) == 0; mask >>= 1) ++shift;
    return shift;
}

int BitCount(uint32_t mask) {
    int bits = 0;
    for (; mask != 0; mask >>= 1) bits += int(mask & 1);
    return bits;
}

// One channel of `pixel` widened to 8 bits by repeating its high bits, so
// that full intensity stays full.
uint32_t Channel(uint32_t pixel, uint32_t mask) {
    const int bits = BitCount(mask);
    if (bits == 0) return 0;
    uint32_t value = (pixel & mask) >> LowestBit(mask);
    if (bits >= 8) return value >> (bits - 8);
    uint32_t wide = 0;
    for (int filled = 0; filled < 8; filled += bits) wide = wide << bits | value;
    return wide >> ((8 + bits - 1) / bits * bits - 8);
}

}  // namespace

SdlPresenter::~SdlPresenter() {
    if (holdsWindow_) SdlVideo::ReleaseWindow();
}

void SdlPresenter::Present(const uint8_t* pixels, int32_t width, int32_t height, int32_t pitch,
                           const PixelLayout& format, const DisplayPalette* palette) {
    if (palette != nullptr) palette_ = *palette;
    if (pixels == nullptr || width <= 0 || height <= 0 || !SdlVideo::Started()) return;
    if (!format.IsIndexed() && format.bitsPerPixel != 16) return;
    if (!holdsWindow_) holdsWindow_ = SdlVideo::HoldWindow(nullptr, width, height, false, nullptr);
    if (!holdsWindow_) return;
    frame_.resize(size_t(width) * size_t(height));
    if (format.IsIndexed()) {
        ConvertIndexed(pixels, width, height, pitch);
    } else {
        ConvertDirect16(pixels, width, height, pitch, format);
    }
    if (SdlVideo::ShowFrame(frame_.data(), width, height)) ++frameCount_;
}

void SdlPresenter::ConvertIndexed(const uint8_t* pixels, int32_t width, int32_t height, int32_t pitch) {
    uint32_t colors[DisplayPalette::kEntryCount];
    for (int i = 0; i < DisplayPalette::kEntryCount; ++i) {
        const DisplayPalette::Entry& entry = palette_.entries[i];
        colors[i] = kOpaque | uint32_t(entry.red) << 16 | uint32_t(entry.green) << 8 | entry.blue;
    }
    uint32_t* out = frame_.data();
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* row = pixels + std::ptrdiff_t(pitch) * y;
        for (int32_t x = 0; x < width; ++x) *out++ = colors[row[x]];
    }
}

void SdlPresenter::ConvertDirect16(const uint8_t* pixels, int32_t width, int32_t height, int32_t pitch,
                                   const PixelLayout& format) {
    if (directColors_.empty() || !(directLayout_ == format)) {
        directColors_.resize(0x10000);
        for (uint32_t value = 0; value < 0x10000; ++value) {
            directColors_[value] = kOpaque | Channel(value, format.redMask) << 16 |
                                   Channel(value, format.greenMask) << 8 | Channel(value, format.blueMask);
        }
        directLayout_ = format;
    }
    uint32_t* out = frame_.data();
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* row = pixels + std::ptrdiff_t(pitch) * y;
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t value = uint32_t(row[2 * x]) | uint32_t(row[2 * x + 1]) << 8;   // little-endian words
            *out++ = directColors_[value];
        }
    }
}

bool SdlPresenter::Capture(std::vector<uint32_t>* rgb, int32_t* width, int32_t* height) const {
    return SdlVideo::Capture(rgb, width, height);
}

bool SdlPresenter::WriteImage(const std::string& path) const {
    std::vector<uint32_t> colors;
    int32_t width = 0;
    int32_t height = 0;
    if (!Capture(&colors, &width, &height)) return false;
    std::vector<uint8_t> bytes;
    bytes.reserve(colors.size() * 3);
    for (const uint32_t color : colors) {
        bytes.push_back(uint8_t(color >> 16));
        bytes.push_back(uint8_t(color >> 8));
        bytes.push_back(uint8_t(color));
    }
    return WriteRgbPng(path.c_str(), width, height, bytes.data());
}

}  // namespace platform
