#pragma once
#include <cstdint>

#include "display/ViewVertex.h"

class Canvas;

// Circle outlines drawn by symmetric plotting: each step of one octant puts
// down the eight mirrored points through one canvas operation, so a point on
// an axis or a diagonal is drawn more than once (a radius of 0 draws the
// centre eight times). Nothing is drawn for a negative radius. The unclipped
// forms leave it to the caller to keep the circle on the canvas; points whose
// coordinates would not fit 32 bits are skipped, as they lie off every canvas.

// Each point a copy of centre with its screen position replaced; through
// PlotPixelInt (point, null) and PlotPixelClippedInt (point, null, null).
void DrawCircleVertex(Canvas* canvas, const ViewVertex* centre, int32_t radius);
void DrawCircleVertexClipped(Canvas* canvas, const ViewVertex* centre, int32_t radius);

// Each point a fresh vertex: the colour word at the full intensity of the
// canvas palette's shade table (0 without one), or, for the rgb forms,
// no colour and the given red, green, blue.
void DrawCircleColor(Canvas* canvas, int32_t x, int32_t y, int32_t radius, uint32_t colour);
void DrawCircleRgb(Canvas* canvas, int32_t x, int32_t y, int32_t radius, const uint8_t* rgb);
void DrawCircle(Canvas* canvas, int32_t x, int32_t y, int32_t radius, uint32_t colour);
void DrawCircleRgbClipped(Canvas* canvas, int32_t x, int32_t y, int32_t radius, const uint8_t* rgb);

// Each point a size x size square centred on it (corner at the point less
// size / 2), through FillRect and FillRectClipped (square, colour, null).
void DrawCircleDots(Canvas* canvas, int32_t x, int32_t y, int32_t radius, uint32_t colour, int32_t size);
void DrawCircleDotsClipped(Canvas* canvas, int32_t x, int32_t y, int32_t radius, uint32_t colour, int32_t size);
