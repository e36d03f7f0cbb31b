#pragma once
#include <cstdint>

// The pixel format the display runs in, and so the kind of every palette
// and canvas made for it. The start-up's display initialisation and the
// configuration file set it; palettes already made keep their kind.
inline constexpr int32_t kPixelFormatIndexed8 = 0;
inline constexpr int32_t kPixelFormatRgb555 = 1;
inline constexpr int32_t kPixelFormatRgb565 = 2;

extern int32_t g_pixelFormat;
