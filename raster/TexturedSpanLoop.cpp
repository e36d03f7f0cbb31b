#include "raster/TexturedSpanLoop.h"

#include "display/SoftTexture.h"

TexelShape MakeTexelShape(const SpanSetup* setup) {
    const SoftTexture& texture = *setup->texture;
    TexelShape shape;
    shape.texels = SpanTexels(setup);
    shape.uScale = uint32_t(texture.uScaleShift);
    shape.vScale = uint32_t(texture.vScaleShift);
    shape.columnShift = uint32_t(texture.uTexelShift);
    shape.rowShift = uint32_t(texture.vTexelShift - texture.log2Width);
    shape.rowMask = 0u - (1u << texture.log2Width);
    // An eighth of a texel is 2^(32 - log2 side - 3) in the scaled
    // coordinate, and D holds 2^16 per unit.
    shape.uDither = uint32_t(texture.uScaleShift - 3);
    shape.vDither = uint32_t(texture.vScaleShift - 3);
    return shape;
}
