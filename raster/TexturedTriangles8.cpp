#include "raster/TexturedTriangles8.h"

#include "raster/TriangleRows8.h"

namespace {

template <uint32_t kFlags>
void DrawTextured(Canvas* target, const FixedVertex* v, const SoftTexture* texture, uint32_t level) {
    TexelShape8 shape;
    TriangleDraw8 draw;
    if (!MakeTexelShape8(texture, &shape) ||
        !PrepareTriangle8(target, v, TriangleSides8::kMeasuringRow, (kFlags & kRows8Depth) != 0, &draw)) {
        return;
    }
    draw.level = level;
    DrawTriangleRows8<kFlags | kRows8Textured | kRows8Keyed>(draw, shape);
}

template <uint32_t kFlags>
void DrawTexturedAlpha(Canvas* target, const FixedVertex* v, const SoftTexture* texture, uint32_t level) {
    if (level < kAlphaInvisibleBelow8) {
        return;
    }
    if (level >= kAlphaOpaqueFrom8) {
        DrawTextured<kFlags>(target, v, texture, 0);
    }
    DrawTextured<kFlags | kRows8Stipple>(target, v, texture, level);
}

}  // namespace

void TriangleTextured8(Canvas* target, const FixedVertex* v, const SoftTexture* texture) {
    DrawTextured<0>(target, v, texture, 0);
}

void TriangleTexturedDepth8(Canvas* target, const FixedVertex* v, const SoftTexture* texture) {
    DrawTextured<kRows8Depth>(target, v, texture, 0);
}

void TriangleTexturedAlpha8(Canvas* target, const FixedVertex* v, const SoftTexture* texture, uint32_t level) {
    DrawTexturedAlpha<0>(target, v, texture, level);
}

void TriangleTexturedAlphaDepth8(Canvas* target, const FixedVertex* v, const SoftTexture* texture,
                                 uint32_t level) {
    DrawTexturedAlpha<kRows8Depth>(target, v, texture, level);
}

void TriangleTexturedGouraud8(Canvas* target, const FixedVertex* v, const SoftTexture* texture) {
    DrawTextured<kRows8Gouraud>(target, v, texture, 0);
}

void TriangleTexturedGouraudDepth8(Canvas* target, const FixedVertex* v, const SoftTexture* texture) {
    DrawTextured<kRows8Gouraud | kRows8Depth>(target, v, texture, 0);
}

void TriangleTexturedGouraudAlpha8(Canvas* target, const FixedVertex* v, const SoftTexture* texture,
                                   uint32_t level) {
    DrawTexturedAlpha<kRows8Gouraud>(target, v, texture, level);
}

void TriangleTexturedGouraudAlphaDepth8(Canvas* target, const FixedVertex* v, const SoftTexture* texture,
                                        uint32_t level) {
    DrawTexturedAlpha<kRows8Gouraud | kRows8Depth>(target, v, texture, level);
}
