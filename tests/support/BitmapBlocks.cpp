#include "tests/support/BitmapBlocks.h"

#include <cstring>

bool HoldsNoBlocks(const Bitmap& bitmap) {
    return bitmap.ownedPixels == nullptr && bitmap.ownedPalette == nullptr && bitmap.pixels == nullptr &&
           bitmap.palette == nullptr;
}

std::unique_ptr<Bitmap> MakeCel(uint16_t width, uint16_t height, uint8_t index, int16_t x, int16_t y) {
    auto cel = std::make_unique<Bitmap>();
    if (cel->Create(width, height, Bitmap::kDepth8Bit, false) != kStatusOk) return nullptr;
    std::memset(cel->ownedPixels, index, size_t(cel->PixelBlockSize()));
    cel->Unlock();
    cel->x = x;
    cel->y = y;
    return cel;
}
