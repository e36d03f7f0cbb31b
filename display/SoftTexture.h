#pragma once
#include <cstdint>

#include "display/Texture.h"

// An image readied for the software span fillers. It holds no pixels of its
// own: the span routines read the texels straight from the image, and this
// record gives them the image's shape as shift counts, plus the size class
// that picks the row of the span dispatch table. Only power-of-two sides from
// 16 to 256 are drawn; other sizes leave the texture unusable and unchained.
class SoftTexture final : public Texture {
public:
    static constexpr int32_t kUnsupportedSize = 6;   // a side is not 16, 32, 64, 128 or 256
    static constexpr int32_t kMinLog2Side = 4;
    static constexpr int32_t kMaxLog2Side = 8;
    static constexpr int32_t kSizeClassCount = 25;

    // Runs Create and keeps its result in status. Allocate with new (engine
    // heap, null when memory runs out); the image's chain deletes it.
    SoftTexture(PixelImage* image, Palette* palette);
    ~SoftTexture() override;

    // 0 and the texture at the head of the image's chain, or
    // kUnsupportedSize, the texture unchained (the width fields are written
    // already when only the height is refused). The image must outlive the
    // texture while it is chained.
    int32_t Create(PixelImage* image, Palette* palette) override;
    // Release, then Create; the result is also kept in status.
    int32_t Recreate(PixelImage* image, Palette* palette) override;
    // Unlinks from the image's chain and forgets the image and the palette.
    void Release() override;
    SoftTexture* AsSoft() override { return this; }

    // The image's software texture: the first in its chain, else a new one
    // made with the palette. Null when none can be made (a refused size, no
    // image, or no memory); a refused new texture is deleted at once. The
    // texture stays chained, so the image's ReleaseCopies deletes it.
    static SoftTexture* FindOrCreate(PixelImage* image, Palette* palette);

    // 5 x (log2 width - 4) + (log2 height - 4): 0 for 16 x 16, 24 for 256 x 256.
    static constexpr int32_t SizeClass(int32_t log2Width, int32_t log2Height) {
        return 5 * (log2Width - kMinLog2Side) + (log2Height - kMinLog2Side);
    }

    // Valid only while status is 0. A span routine turns a 16.16 texel
    // coordinate c into c << (16 - log2) and takes the texel index back as
    // the top log2 bits, >> (32 - log2), so coordinates wrap at the edges.
    int32_t log2Width = 0;      // 4..8
    int32_t log2Height = 0;     // 4..8
    int32_t uScaleShift = 0;    // 16 - log2Width
    int32_t vScaleShift = 0;    // 16 - log2Height
    int32_t uTexelShift = 0;    // 32 - log2Width
    int32_t vTexelShift = 0;    // 32 - log2Height
    int32_t sizeClass = 0;      // 0..24, the row of the span dispatch table
};
