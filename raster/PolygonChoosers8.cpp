#include "raster/PolygonChoosers8.h"

#include "display/Canvas.h"
#include "raster/PerspectiveTriangles8.h"
#include "raster/RgbTriangles.h"
#include "raster/TexturedTriangles8.h"
#include "raster/TriangleFan.h"
#include "raster/UntexturedTriangles8.h"

namespace {

bool DepthTested(const Canvas* canvas) { return (canvas->flags & Canvas::kFlagDepthTest) != 0; }

// The fan of a colour-indexed mode: every triangle in vertex 0's colour.
template <void (*kPlain)(Canvas*, const FixedVertex*, uint32_t), void (*kDepth)(Canvas*, const FixedVertex*, uint32_t)>
void ColourFan(Canvas* canvas, int32_t count, const FixedVertex* vertices) {
    if (count < 3) {
        return;
    }
    const uint32_t colour = vertices[0].colour;
    const auto draw = DepthTested(canvas) ? kDepth : kPlain;
    DrawTriangleFan(count, vertices, [&](const FixedVertex* triangle) { draw(canvas, triangle, colour); });
}

template <void (*kPlain)(Canvas*, const FixedVertex*, uint32_t, uint32_t),
          void (*kDepth)(Canvas*, const FixedVertex*, uint32_t, uint32_t)>
void ColourAlphaFan(Canvas* canvas, int32_t count, const FixedVertex* vertices, uint32_t level) {
    if (count < 3) {
        return;
    }
    const uint32_t colour = vertices[0].colour;
    const auto draw = DepthTested(canvas) ? kDepth : kPlain;
    DrawTriangleFan(count, vertices, [&](const FixedVertex* triangle) { draw(canvas, triangle, colour, level); });
}

template <void (*kPlain)(Canvas*, const FixedVertex*, const SoftTexture*),
          void (*kDepth)(Canvas*, const FixedVertex*, const SoftTexture*)>
void TexturedFan(Canvas* canvas, int32_t count, const FixedVertex* vertices, const SoftTexture* texture) {
    const auto draw = DepthTested(canvas) ? kDepth : kPlain;
    DrawTriangleFan(count, vertices, [&](const FixedVertex* triangle) { draw(canvas, triangle, texture); });
}

template <void (*kPlain)(Canvas*, const FixedVertex*, const SoftTexture*, uint32_t),
          void (*kDepth)(Canvas*, const FixedVertex*, const SoftTexture*, uint32_t)>
void TexturedAlphaFan(Canvas* canvas, int32_t count, const FixedVertex* vertices, const SoftTexture* texture,
                      uint32_t level) {
    const auto draw = DepthTested(canvas) ? kDepth : kPlain;
    DrawTriangleFan(count, vertices, [&](const FixedVertex* triangle) { draw(canvas, triangle, texture, level); });
}

}  // namespace

void FillPolygonFlat8(Canvas* canvas, int32_t count, const FixedVertex* vertices) {
    ColourFan<TriangleFlat8, TriangleFlatDepth8>(canvas, count, vertices);
}

void FillPolygonGouraud8(Canvas* canvas, int32_t count, const FixedVertex* vertices) {
    ColourFan<TriangleGouraud8, TriangleGouraudDepth8>(canvas, count, vertices);
}

void FillPolygonTextured8(Canvas* canvas, int32_t count, const FixedVertex* vertices, const SoftTexture* texture) {
    TexturedFan<TriangleTextured8, TriangleTexturedDepth8>(canvas, count, vertices, texture);
}

void FillPolygonTexturedPerspective8(Canvas* canvas, int32_t count, const FixedVertex* vertices,
                                     const SoftTexture* texture) {
    TexturedFan<TriangleTexturedPerspective8, TriangleTexturedPerspectiveDepth8>(canvas, count, vertices, texture);
}

void FillPolygonTexturedGouraud8(Canvas* canvas, int32_t count, const FixedVertex* vertices,
                                 const SoftTexture* texture) {
    TexturedFan<TriangleTexturedGouraud8, TriangleTexturedGouraudDepth8>(canvas, count, vertices, texture);
}

void FillPolygonTexturedGouraudPerspective8(Canvas* canvas, int32_t count, const FixedVertex* vertices,
                                            const SoftTexture* texture) {
    TexturedFan<TriangleTexturedGouraudPerspective8, TriangleTexturedGouraudPerspectiveDepth8>(canvas, count,
                                                                                               vertices, texture);
}

void FillPolygonRgb8(Canvas* canvas, int32_t count, const FixedVertex* vertices) {
    const auto draw = DepthTested(canvas) ? TriangleRgbDepth8 : TriangleRgb8;
    DrawTriangleFan(count, vertices, [&](const FixedVertex* triangle) { draw(canvas, triangle); });
}

void FillPolygonFlatAlpha8(Canvas* canvas, int32_t count, const FixedVertex* vertices, uint32_t level) {
    ColourAlphaFan<TriangleGouraudAlpha8, TriangleGouraudAlphaDepth8>(canvas, count, vertices, level);
}

void FillPolygonGouraudAlpha8(Canvas* canvas, int32_t count, const FixedVertex* vertices, uint32_t level) {
    ColourAlphaFan<TriangleGouraudAlpha8, TriangleGouraudAlphaDepth8>(canvas, count, vertices, level);
}

void FillPolygonTexturedAlpha8(Canvas* canvas, int32_t count, const FixedVertex* vertices,
                               const SoftTexture* texture, uint32_t level) {
    TexturedAlphaFan<TriangleTexturedAlpha8, TriangleTexturedAlphaDepth8>(canvas, count, vertices, texture, level);
}

void FillPolygonTexturedPerspectiveAlpha8(Canvas* canvas, int32_t count, const FixedVertex* vertices,
                                          const SoftTexture* texture, uint32_t level) {
    TexturedAlphaFan<TriangleTexturedPerspectiveAlpha8, TriangleTexturedPerspectiveAlphaDepth8>(
        canvas, count, vertices, texture, level);
}

void FillPolygonTexturedGouraudAlpha8(Canvas* canvas, int32_t count, const FixedVertex* vertices,
                                      const SoftTexture* texture, uint32_t level) {
    TexturedAlphaFan<TriangleTexturedGouraudAlpha8, TriangleTexturedGouraudAlphaDepth8>(canvas, count, vertices,
                                                                                        texture, level);
}

void FillPolygonTexturedGouraudPerspectiveAlpha8(Canvas* canvas, int32_t count, const FixedVertex* vertices,
                                                 const SoftTexture* texture, uint32_t level) {
    TexturedAlphaFan<TriangleTexturedGouraudPerspectiveAlpha8, TriangleTexturedGouraudPerspectiveAlphaDepth8>(
        canvas, count, vertices, texture, level);
}
