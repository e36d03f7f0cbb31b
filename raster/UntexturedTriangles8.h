#pragma once
#include <cstdint>

#include "raster/FixedVertex.h"

class Canvas;

// The untextured triangles of the 8-bit software canvas. Each takes three
// FixedVertex records in consecutive memory and a colour: the palette index
// (low byte of the word) whose row of 32 levels in the canvas palette's
// shade table gives the pixels. The Depth forms step z as well and draw a
// pixel only where it is strictly nearer than the depth buffer, which they
// then update; the choosers pick them while the canvas's depth test is on.
//
// Rows are those of the rounded vertex rows, top and bottom row included;
// rows and columns outside the canvas are cut off, so no triangle writes
// outside the canvas, whatever its coordinates. A canvas without pixels,
// edge buffers or shade table (or, in the Depth forms, depth buffer) is
// left alone.

// One colour byte: shade table [colour x 32 + level of vertex 0's intensity].
void TriangleFlat8(Canvas* target, const FixedVertex* v, uint32_t colour);
void TriangleFlatDepth8(Canvas* target, const FixedVertex* v, uint32_t colour);

// Intensity stepped along the edges and across the rows, the level of each
// pixel dithered with the 4 x 4 offset table.
void TriangleGouraud8(Canvas* target, const FixedVertex* v, uint32_t colour);
void TriangleGouraudDepth8(Canvas* target, const FixedVertex* v, uint32_t colour);

// Translucent Gouraud (and flat: the flat translucent chooser draws through
// these too): a level below 15 draws nothing; from 240 on the triangle is
// first drawn opaque. Then a fixed 4 x 4 stipple draws the pixels whose
// stipple entry + level reaches 255, each exactly as the opaque form would.
void TriangleGouraudAlpha8(Canvas* target, const FixedVertex* v, uint32_t colour, uint32_t level);
void TriangleGouraudAlphaDepth8(Canvas* target, const FixedVertex* v, uint32_t colour, uint32_t level);
