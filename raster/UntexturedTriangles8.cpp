#include "raster/UntexturedTriangles8.h"

#include "raster/TriangleRows8.h"

namespace {

template <uint32_t kFlags>
void DrawUntextured(Canvas* target, const FixedVertex* v, uint32_t colour, uint32_t level) {
    TriangleDraw8 draw;
    if (!PrepareTriangle8(target, v, TriangleSides8::kMiddleRow, (kFlags & kRows8Depth) != 0, &draw)) {
        return;
    }
    // Only the index counts: flag bits above it must not reach past the table.
    draw.ramp = draw.shades + ((colour & 0xFFu) << 5);
    draw.level = level;
    DrawTriangleRows8<kFlags>(draw, NoTexels8{});
}

template <uint32_t kFlags>
void DrawUntexturedAlpha(Canvas* target, const FixedVertex* v, uint32_t colour, uint32_t level) {
    if (level < kAlphaInvisibleBelow8) {
        return;
    }
    if (level >= kAlphaOpaqueFrom8) {
        DrawUntextured<kFlags>(target, v, colour, 0);
    }
    DrawUntextured<kFlags | kRows8Stipple>(target, v, colour, level);
}

}  // namespace

void TriangleFlat8(Canvas* target, const FixedVertex* v, uint32_t colour) {
    DrawUntextured<0>(target, v, colour, 0);
}

void TriangleFlatDepth8(Canvas* target, const FixedVertex* v, uint32_t colour) {
    DrawUntextured<kRows8Depth>(target, v, colour, 0);
}

void TriangleGouraud8(Canvas* target, const FixedVertex* v, uint32_t colour) {
    DrawUntextured<kRows8Gouraud>(target, v, colour, 0);
}

void TriangleGouraudDepth8(Canvas* target, const FixedVertex* v, uint32_t colour) {
    DrawUntextured<kRows8Gouraud | kRows8Depth>(target, v, colour, 0);
}

void TriangleGouraudAlpha8(Canvas* target, const FixedVertex* v, uint32_t colour, uint32_t level) {
    DrawUntexturedAlpha<kRows8Gouraud>(target, v, colour, level);
}

void TriangleGouraudAlphaDepth8(Canvas* target, const FixedVertex* v, uint32_t colour, uint32_t level) {
    DrawUntexturedAlpha<kRows8Gouraud | kRows8Depth>(target, v, colour, level);
}
