#pragma once
#include "display/Bitmap.h"

// Whether a bitmap owns no pixel or palette block and views none: what a
// failed load or a free leaves behind.
bool HoldsNoBlocks(const Bitmap& bitmap);
