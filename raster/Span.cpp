#include "raster/Span.h"

#include "display/Palette.h"
#include "display/SoftTexture.h"
#include "display/Canvas.h"
#include "display/PixelImage.h"

const uint16_t* SpanShadeTable(const SpanSetup* setup) {
    return static_cast<const uint16_t*>(setup->target->palette->Shades()->rows);
}

bool SpanPixels555(const SpanSetup* setup) {
    return (setup->target->palette->Flags() & Palette::kFlagRgb555) != 0;
}

const uint8_t* SpanTexels(const SpanSetup* setup) {
    return setup->texture->image->pixels;
}

bool SpanTextureKeyed(const SoftTexture* texture) {
    return texture->image->IsKeyed();
}
