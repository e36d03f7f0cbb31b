#pragma once
#include <cstdint>

namespace platform {

// Writes `height` rows of `width` pixels of 8-bit red, green, blue, rows
// packed one after another, as a PNG file. The image data is stored
// uncompressed, which every reader accepts. False when the file cannot be
// written.
bool WriteRgbPng(const char* path, int32_t width, int32_t height, const uint8_t* rgb);

}  // namespace platform
