#pragma once
#include <cstdint>
#include <memory>

#include "display/Palette.h"

// A palette of the given pixel format whose colour i is (i, 255 - i, i / 2):
// all 256 colours differ, and none is black or white.
std::unique_ptr<Palette> MakeDistinctPalette(int32_t pixelFormat);
