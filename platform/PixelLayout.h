#pragma once
#include <cstdint>

namespace platform {

// How a display or a surface stores one pixel: its size and, for direct
// colour, where red, green and blue sit in the pixel word. Palette-based
// layouts have no masks.
struct PixelLayout {
    int32_t bitsPerPixel = 0;
    uint32_t redMask = 0;
    uint32_t greenMask = 0;
    uint32_t blueMask = 0;

    constexpr int32_t BytesPerPixel() const { return bitsPerPixel / 8; }
    constexpr bool IsIndexed() const { return bitsPerPixel == 8; }
    constexpr bool operator==(const PixelLayout&) const = default;
};

// The three layouts the display can run in.
inline constexpr PixelLayout kLayoutIndexed8{8, 0, 0, 0};
inline constexpr PixelLayout kLayoutRgb555{16, 0x7C00, 0x03E0, 0x001F};
inline constexpr PixelLayout kLayoutRgb565{16, 0xF800, 0x07E0, 0x001F};

}  // namespace platform
