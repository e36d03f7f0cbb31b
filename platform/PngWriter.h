#pragma once
#include <cstdint>

namespace platform {

// Writes `height` rows of `width` pixels of 8-bit red, green, blue, rows
// packed one after another, as a PNG file: each row filtered (none, Sub or
// Up, whichever leaves the smallest differences) and the whole deflated.
// False when the file cannot be written.
bool WriteRgbPng(const char* path, int32_t width, int32_t height, const uint8_t* rgb);

}  // namespace platform
