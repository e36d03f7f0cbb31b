#pragma once
#include <cstdint>

#include "raster/FixedVertex.h"

class Canvas;
class SoftTexture;

// The affine textured triangles of the 8-bit software canvas. The vertices'
// u and v are texels in 16.16 (already shifted left by the texture's log2
// sides); the texture repeats both ways. Texel 255 is the colour key in
// every one of these, whatever the image's flag: it writes neither pixel nor
// depth. Other texels are drawn as shade table [texel x 32 + level].
//
// Rows, clipping, the Depth forms and the translucent rule are those of the
// untextured triangles (raster/UntexturedTriangles8.h). A null texture, or
// one whose image does not have the texture's sides, draws nothing.

// One level for the whole triangle, from vertex 0's intensity.
void TriangleTextured8(Canvas* target, const FixedVertex* v, const SoftTexture* texture);
void TriangleTexturedDepth8(Canvas* target, const FixedVertex* v, const SoftTexture* texture);
void TriangleTexturedAlpha8(Canvas* target, const FixedVertex* v, const SoftTexture* texture, uint32_t level);
void TriangleTexturedAlphaDepth8(Canvas* target, const FixedVertex* v, const SoftTexture* texture,
                                 uint32_t level);

// The level of each pixel from the stepped intensity, dithered.
void TriangleTexturedGouraud8(Canvas* target, const FixedVertex* v, const SoftTexture* texture);
void TriangleTexturedGouraudDepth8(Canvas* target, const FixedVertex* v, const SoftTexture* texture);
void TriangleTexturedGouraudAlpha8(Canvas* target, const FixedVertex* v, const SoftTexture* texture,
                                   uint32_t level);
void TriangleTexturedGouraudAlphaDepth8(Canvas* target, const FixedVertex* v, const SoftTexture* texture,
                                        uint32_t level);
