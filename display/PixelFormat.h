#pragma once
#include <cstdint>

// The pixel format the display runs in, and so the kind of every palette
// and canvas made for it. The start-up's display initialisation and the
// configuration file set it; palettes already made keep their kind.
inline constexpr int32_t kPixelFormatIndexed8 = 0;
inline constexpr int32_t kPixelFormatRgb555 = 1;
inline constexpr int32_t kPixelFormatRgb565 = 2;

extern int32_t g_pixelFormat;

// A colour of 8-bit channels as a 16-bit pixel of each layout.
constexpr uint16_t PackPixel555(uint32_t red, uint32_t green, uint32_t blue) {
    return uint16_t((red >> 3) << 10 | (green >> 3) << 5 | (blue >> 3));
}
constexpr uint16_t PackPixel565(uint32_t red, uint32_t green, uint32_t blue) {
    return uint16_t((red >> 3) << 11 | (green >> 2) << 5 | (blue >> 3));
}

// A 16-bit pixel's channels as 8-bit values, the bits below each channel zero.
struct PixelChannels {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};
constexpr PixelChannels UnpackPixel555(uint16_t pixel) {
    return {uint8_t((pixel >> 7) & 0xF8), uint8_t((pixel >> 2) & 0xF8), uint8_t((pixel << 3) & 0xF8)};
}
constexpr PixelChannels UnpackPixel565(uint16_t pixel) {
    return {uint8_t((pixel >> 8) & 0xF8), uint8_t((pixel >> 3) & 0xFC), uint8_t((pixel << 3) & 0xF8)};
}
