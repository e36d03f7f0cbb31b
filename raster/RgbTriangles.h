#pragma once

#include "raster/FixedVertex.h"

class Canvas;

// Direct-colour triangles: each vertex's colour word is 0x10RRGGBB, and red,
// green and blue are stepped along the edges and across the rows like an
// intensity. Every pixel adds to each channel its own 4 x 4 ordered dither
// entry (blue g_bayerMatrix, green g_bayerMatrixRot90, red g_bayerMatrixRot180,
// at the pixel's canvas row & 3 and column & 3) and keeps the top bits of
// the sum, a sum past 255 saturating the channel and a negative one giving 0.
// Each takes three FixedVertex records in consecutive memory. Rows and columns
// outside the canvas are cut off, so nothing is written outside the canvas or
// its depth buffer whatever the coordinates.
//
// The Depth forms step the vertices' depth halved (a 31-bit fraction) and
// write pixel and depth only where z >> 15 is strictly below the stored u16.
// A canvas without pixels or row table, or a Depth form without a depth
// buffer, is left alone.

// The 16-bit canvas: rows from the top vertex's y >> 16, (bottom y >> 16) -
// (top y >> 16) of them; edges stepped as in the 8-bit family (rounded rows,
// no sub-pixel prestep) and sides decided on the measuring row; on each row
// the columns (left x + 0xffff) >> 16 up to, not including, (right x +
// 0xffff) >> 16. The pixel is written directly, 5-6-5 (green keeping six
// bits) or 5-5-5 as the canvas palette says.
void TriangleRgb16(Canvas* target, const FixedVertex* v);
void TriangleRgbDepth16(Canvas* target, const FixedVertex* v);

// The 8-bit canvas: the rows, edges and columns of the 8-bit family's flat
// triangle (rounded, top and bottom row and both end columns drawn); the
// three 5-bit channels, red high, index the palette's inverse colour table,
// whose entry is written. A canvas without a palette is left alone.
void TriangleRgb8(Canvas* target, const FixedVertex* v);
void TriangleRgbDepth8(Canvas* target, const FixedVertex* v);
