#include "tests/support/BitmapBlocks.h"

bool HoldsNoBlocks(const Bitmap& bitmap) {
    return bitmap.ownedPixels == nullptr && bitmap.ownedPalette == nullptr && bitmap.pixels == nullptr &&
           bitmap.palette == nullptr;
}
