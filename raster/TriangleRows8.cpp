#include "raster/TriangleRows8.h"

#include "display/Palette.h"
#include "display/SoftTexture.h"
#include "display/PixelImage.h"

bool PrepareTriangle8(Canvas* target, const FixedVertex* v, TriangleSides8 sides, bool depth, TriangleDraw8* draw) {
    // Rows are read 32 levels wide: a narrower table (a sky ramp of fewer
    // columns swapped in) would be read past its end.
    if (target == nullptr || v == nullptr || target->palette == nullptr || target->palette->Shades() == nullptr ||
        target->palette->Shades()->rows == nullptr || target->palette->Shades()->shift < Palette::kShadeShift) {
        return false;
    }
    if (depth && (target->depth == nullptr || target->depthRowOffsets == nullptr)) {
        return false;
    }
    if (!SetUpTriangle8(target, v, sides, &draw->frame)) {
        return false;
    }
    draw->target = target;
    draw->shades = static_cast<const uint8_t*>(target->palette->Shades()->rows);
    // An intensity outside 0..255 must not reach past the colour's 32 levels.
    draw->flatLevel = static_cast<uint32_t>(std::clamp(v[0].intensity >> 19, 0, 31));
    return true;
}

bool MakeTexelShape8(const SoftTexture* texture, TexelShape8* shape) {
    if (texture == nullptr || texture->status != 0 || texture->image == nullptr ||
        texture->image->pixels == nullptr) {
        return false;
    }
    const int32_t log2Width = texture->log2Width;
    const int32_t log2Height = texture->log2Height;
    if (log2Width < SoftTexture::kMinLog2Side || log2Width > SoftTexture::kMaxLog2Side ||
        log2Height < SoftTexture::kMinLog2Side || log2Height > SoftTexture::kMaxLog2Side ||
        texture->image->width != (1 << log2Width) || texture->image->height != (1 << log2Height)) {
        return false;
    }
    shape->texels = texture->image->pixels;
    shape->uScale = static_cast<uint32_t>(16 - log2Width);
    shape->vScale = static_cast<uint32_t>(16 - log2Height);
    shape->columnShift = static_cast<uint32_t>(32 - log2Width);
    shape->rowShift = static_cast<uint32_t>(32 - log2Height);
    shape->log2Width = static_cast<uint32_t>(log2Width);
    return true;
}

uint32_t SquareUnkeyedLog2(const SoftTexture* texture) {
    if (texture->log2Width != texture->log2Height || texture->image->IsKeyed()) {
        return 0;
    }
    return texture->log2Width == 7 || texture->log2Width == 8 ? static_cast<uint32_t>(texture->log2Width) : 0;
}
