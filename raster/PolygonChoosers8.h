#pragma once
#include <cstdint>

#include "raster/FixedVertex.h"

class Canvas;
class SoftTexture;

// The polygon entry points of the 8-bit software canvas, one per drawing
// mode. Each cuts a convex polygon into the fan (0, 1, 2), (0, 2, 3) ...
// (0, n - 2, n - 1) and draws every triangle through its mode's triangle
// routine, the depth-tested one while the canvas's depth test (flag 0x4) is
// on. Fewer than 3 vertices draw nothing. Every triangle gets the colour word
// of vertex 0 (which heads each triangle of the fan); the translucent forms
// pass their level (0..255) to each triangle unchanged. Vertices are in the
// canvas's fixed-point form; the textured ones carry texel u and v already
// shifted by the texture's log2 sides.

void FillPolygonFlat8(Canvas* canvas, int32_t count, const FixedVertex* vertices);
void FillPolygonGouraud8(Canvas* canvas, int32_t count, const FixedVertex* vertices);
void FillPolygonTextured8(Canvas* canvas, int32_t count, const FixedVertex* vertices, const SoftTexture* texture);
void FillPolygonTexturedPerspective8(Canvas* canvas, int32_t count, const FixedVertex* vertices,
                                     const SoftTexture* texture);
void FillPolygonTexturedGouraud8(Canvas* canvas, int32_t count, const FixedVertex* vertices,
                                 const SoftTexture* texture);
void FillPolygonTexturedGouraudPerspective8(Canvas* canvas, int32_t count, const FixedVertex* vertices,
                                            const SoftTexture* texture);
// Colour words are 0x10RRGGBB, drawn through the palette's inverse colour table.
void FillPolygonRgb8(Canvas* canvas, int32_t count, const FixedVertex* vertices);

// Translucent forms. The flat one draws through the translucent Gouraud
// triangles, so its intensity is stepped like theirs.
void FillPolygonFlatAlpha8(Canvas* canvas, int32_t count, const FixedVertex* vertices, uint32_t level);
void FillPolygonGouraudAlpha8(Canvas* canvas, int32_t count, const FixedVertex* vertices, uint32_t level);
void FillPolygonTexturedAlpha8(Canvas* canvas, int32_t count, const FixedVertex* vertices,
                               const SoftTexture* texture, uint32_t level);
void FillPolygonTexturedPerspectiveAlpha8(Canvas* canvas, int32_t count, const FixedVertex* vertices,
                                          const SoftTexture* texture, uint32_t level);
void FillPolygonTexturedGouraudAlpha8(Canvas* canvas, int32_t count, const FixedVertex* vertices,
                                      const SoftTexture* texture, uint32_t level);
void FillPolygonTexturedGouraudPerspectiveAlpha8(Canvas* canvas, int32_t count, const FixedVertex* vertices,
                                                 const SoftTexture* texture, uint32_t level);
