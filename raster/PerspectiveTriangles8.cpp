#include "raster/PerspectiveTriangles8.h"

#include "raster/TriangleRows8.h"

namespace {

// A weight at or below 0 puts a vertex at or behind the eye, where the
// weighted middle of a row means nothing.
bool InFrontOfEye(const FixedVertex* v) {
    return v != nullptr && v[0].invZ > 0 && v[1].invZ > 0 && v[2].invZ > 0;
}

// kSquare lets an unkeyed 128 x 128 or 256 x 256 image take the loops with
// fixed shifts, which draw texel 255 too.
template <uint32_t kFlags, bool kSquare>
void DrawPerspective(Canvas* target, const FixedVertex* v, const SoftTexture* texture, uint32_t level) {
    constexpr uint32_t kRows = kFlags | kRows8Textured | kRows8Perspective;
    TexelShape8 shape;
    TriangleDraw8 draw;
    if (!InFrontOfEye(v) || !MakeTexelShape8(texture, &shape) ||
        !PrepareTriangle8(target, v, TriangleSides8::kMeasuringRow, (kFlags & kRows8Depth) != 0, &draw)) {
        return;
    }
    draw.level = level;
    if constexpr (kSquare) {
        switch (SquareUnkeyedLog2(texture)) {
        case 7:
            DrawTriangleRows8<kRows>(draw, SquareTexelShape8<7>{shape.texels});
            return;
        case 8:
            DrawTriangleRows8<kRows>(draw, SquareTexelShape8<8>{shape.texels});
            return;
        default:
            break;
        }
    }
    DrawTriangleRows8<kRows | kRows8Keyed>(draw, shape);
}

template <uint32_t kFlags, bool kSquare>
void DrawPerspectiveAlpha(Canvas* target, const FixedVertex* v, const SoftTexture* texture, uint32_t level) {
    if (level < kAlphaInvisibleBelow8) {
        return;
    }
    if (level >= kAlphaOpaqueFrom8) {
        DrawPerspective<kFlags, kSquare>(target, v, texture, 0);
    }
    DrawPerspective<kFlags | kRows8Stipple, false>(target, v, texture, level);
}

}  // namespace

void TriangleTexturedPerspective8(Canvas* target, const FixedVertex* v, const SoftTexture* texture) {
    DrawPerspective<0, false>(target, v, texture, 0);
}

void TriangleTexturedPerspectiveDepth8(Canvas* target, const FixedVertex* v, const SoftTexture* texture) {
    DrawPerspective<kRows8Depth, false>(target, v, texture, 0);
}

void TriangleTexturedPerspectiveAlpha8(Canvas* target, const FixedVertex* v, const SoftTexture* texture,
                                       uint32_t level) {
    DrawPerspectiveAlpha<0, false>(target, v, texture, level);
}

void TriangleTexturedPerspectiveAlphaDepth8(Canvas* target, const FixedVertex* v, const SoftTexture* texture,
                                            uint32_t level) {
    DrawPerspectiveAlpha<kRows8Depth, false>(target, v, texture, level);
}

void TriangleTexturedGouraudPerspective8(Canvas* target, const FixedVertex* v, const SoftTexture* texture) {
    DrawPerspective<kRows8Gouraud, true>(target, v, texture, 0);
}

void TriangleTexturedGouraudPerspectiveDepth8(Canvas* target, const FixedVertex* v,
                                              const SoftTexture* texture) {
    DrawPerspective<kRows8Gouraud | kRows8Depth, true>(target, v, texture, 0);
}

void TriangleTexturedGouraudPerspectiveAlpha8(Canvas* target, const FixedVertex* v, const SoftTexture* texture,
                                              uint32_t level) {
    DrawPerspectiveAlpha<kRows8Gouraud, true>(target, v, texture, level);
}

void TriangleTexturedGouraudPerspectiveAlphaDepth8(Canvas* target, const FixedVertex* v,
                                                   const SoftTexture* texture, uint32_t level) {
    DrawPerspectiveAlpha<kRows8Gouraud | kRows8Depth, true>(target, v, texture, level);
}
