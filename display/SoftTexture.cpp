#include "display/SoftTexture.h"

#include "display/PixelImage.h"

namespace {

// log2 of a side the span fillers can address, or -1: their shift counts
// assume a power of two, and the dispatch table has rows for 16 to 256 only.
int32_t Log2OfSide(int32_t side) {
    for (int32_t log2 = SoftTexture::kMinLog2Side; log2 <= SoftTexture::kMaxLog2Side; ++log2) {
        if (side == int32_t(1) << log2) {
            return log2;
        }
    }
    return -1;
}

}  // namespace

SoftTexture::SoftTexture(PixelImage* boundImage, Palette* boundPalette) : Texture(kKindSoft) {
    status = Create(boundImage, boundPalette);
}

SoftTexture::~SoftTexture() { Release(); }

int32_t SoftTexture::Create(PixelImage* boundImage, Palette* boundPalette) {
    // A second Create without Release would link this texture in twice and
    // close the chain into a loop.
    UnlinkFromImage();
    palette = boundPalette;
    image = boundImage;
    if (image == nullptr) {
        return kUnsupportedSize;
    }
    const int32_t widthLog2 = Log2OfSide(image->width);
    if (widthLog2 < 0) {
        return kUnsupportedSize;
    }
    log2Width = widthLog2;
    uScaleShift = 16 - widthLog2;
    const int32_t heightLog2 = Log2OfSide(image->height);
    if (heightLog2 < 0) {
        return kUnsupportedSize;
    }
    log2Height = heightLog2;
    vScaleShift = 16 - heightLog2;
    uTexelShift = 32 - widthLog2;
    vTexelShift = 32 - heightLog2;
    sizeClass = SizeClass(widthLog2, heightLog2);
    LinkToImage();
    return 0;
}

int32_t SoftTexture::Recreate(PixelImage* boundImage, Palette* boundPalette) {
    Release();
    status = Create(boundImage, boundPalette);
    return status;
}

void SoftTexture::Release() {
    palette = nullptr;
    UnlinkFromImage();
    image = nullptr;
}

SoftTexture* SoftTexture::FindOrCreate(PixelImage* target, Palette* texturePalette) {
    if (target == nullptr) {
        return nullptr;
    }
    for (Texture* texture = target->copies; texture != nullptr; texture = texture->nextOfImage) {
        if (texture->textureKind != kKindSoft) {
            continue;
        }
        // The kind word alone would do for the back ends, but a test double
        // may carry the software kind without being one.
        if (SoftTexture* const soft = texture->AsSoft()) {
            return soft;
        }
    }
    auto* const created = new SoftTexture(target, texturePalette);
    if (created == nullptr) {
        return nullptr;
    }
    if (created->status != 0) {
        delete created;
        return nullptr;
    }
    return created;
}
