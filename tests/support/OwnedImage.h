#pragma once
#include "engine/EngineAllocation.h"
#include "display/PixelImage.h"

// A pixel image that frees the pixel block it ends with, as its owners do:
// PixelImage itself leaves the block to whoever made it.
struct OwnedImage : PixelImage {
    ~OwnedImage() { EngineRelease(pixels); }
};
