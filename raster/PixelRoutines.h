#pragma once
#include <cstdint>

#include "display/CanvasRect.h"
#include "display/ViewVertex.h"

class Canvas;

// The small writers behind the software canvases' single-pixel, rectangle
// and mask operations. The first three write the 8-bit canvas (one palette
// index per pixel) and read its palette's 256 x 32 shade table.

// Writes shade table [(colour & 0xff) x 32 + shade / 8] at the point's
// screen x, y. A point outside the canvas, or a canvas whose palette has no
// shade table, writes nothing; an intensity outside 0..255 is taken at its
// nearest end.
void PlotShadedPixel8(Canvas* target, const ViewVertex* point);

// As PlotShadedPixel8, when depth >> 16 is at or nearer than the stored
// depth (equal draws), which it then replaces. Without a depth buffer the
// test cannot refuse, and the pixel is drawn as PlotShadedPixel8 draws it.
void PlotShadedPixel8Depth(Canvas* target, const ViewVertex* point);

// Fills the rectangle, cut to the canvas, with the index: 32-bit stores while
// four bytes or more remain on a row, then single bytes. A width or height of
// 0 or less draws nothing.
void FillRect8Solid(Canvas* target, const CanvasRect* rect, uint8_t index);

// Expands count bits of a 1-bit row, most significant bit first, into u16
// values: setValue for a 1, clearValue for a 0. The first byte is read from
// its bit firstBit (0..7, counted from the top), so it gives 8 - firstBit
// bits; later bytes give all eight. A count of 0 or less writes nothing.
void ExpandMaskRow16(uint16_t* destination, const uint8_t* mask, int32_t count, int32_t firstBit,
                     uint16_t setValue, uint16_t clearValue);
