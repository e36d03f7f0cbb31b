#pragma once
#include <cstdint>

#include "display/ScreenVertex.h"
#include "display/ViewVertex.h"

// A view vertex on pixel (x, y) with the words the pixel and line routines
// read; every other field zero.
ViewVertex ViewPoint(int32_t x, int32_t y, uint32_t colour = 0, int32_t intensity = 0, uint32_t depth = 0);

// A screen vertex at (x, y), every other field zero.
ScreenVertex ScreenPoint(float x, float y);
