#pragma once
#include <cstdint>

#include "raster/FixedVertex.h"

class Canvas;
class SoftTexture;

// The perspective textured triangles of the 8-bit software canvas: as the
// affine ones (raster/TexturedTriangles8.h), but the edges also step the
// vertices' invZ, and along each row u and v follow the parabola through
// the two ends and the perspective-weighted middle (QuadraticSpanCoefficients)
// instead of a straight line. A vertex whose invZ is 0 or less (at or behind
// the eye) makes the whole triangle draw nothing.

// One level for the whole triangle; texel 255 is never drawn.
void TriangleTexturedPerspective8(Canvas* target, const FixedVertex* v, const SoftTexture* texture);
void TriangleTexturedPerspectiveDepth8(Canvas* target, const FixedVertex* v, const SoftTexture* texture);
void TriangleTexturedPerspectiveAlpha8(Canvas* target, const FixedVertex* v, const SoftTexture* texture,
                                       uint32_t level);
void TriangleTexturedPerspectiveAlphaDepth8(Canvas* target, const FixedVertex* v, const SoftTexture* texture,
                                            uint32_t level);

// Dithered per-pixel level. The opaque forms draw a square 128 x 128 or
// 256 x 256 image whose colour-key flag is clear through loops of their own
// with fixed shifts, which draw texel 255 like any other; every other image,
// and the stipple pass of the translucent forms, skips texel 255.
void TriangleTexturedGouraudPerspective8(Canvas* target, const FixedVertex* v, const SoftTexture* texture);
void TriangleTexturedGouraudPerspectiveDepth8(Canvas* target, const FixedVertex* v,
                                              const SoftTexture* texture);
void TriangleTexturedGouraudPerspectiveAlpha8(Canvas* target, const FixedVertex* v, const SoftTexture* texture,
                                              uint32_t level);
void TriangleTexturedGouraudPerspectiveAlphaDepth8(Canvas* target, const FixedVertex* v,
                                                   const SoftTexture* texture, uint32_t level);
