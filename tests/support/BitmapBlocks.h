#pragma once
#include <cstdint>
#include <memory>

#include "display/Bitmap.h"

// Whether a bitmap owns no pixel or palette block and views none: what a
// failed load or a free leaves behind.
bool HoldsNoBlocks(const Bitmap& bitmap);

// An 8-bit cel of one palette index at screen position (x, y), its views
// unlocked as the controls keep their cels.
std::unique_ptr<Bitmap> MakeCel(uint16_t width, uint16_t height, uint8_t index, int16_t x = 0, int16_t y = 0);
