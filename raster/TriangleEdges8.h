#pragma once
#include <cstdint>

#include "raster/FixedVertex.h"
#include "raster/Span.h"

class Canvas;

// The set-up every triangle of the 8-bit family shares: vertex order, rows,
// the three edges stepped into the canvas's two edge buffers, which buffer
// is the left side, and the steps across a row measured on one row.

// Orders the indices 0, 1, 2 of three consecutive vertices by y, top first.
// Ties follow a fixed rule (see the tests): it decides which vertex an edge
// starts from, and so the exact pixels of the edge.
void SortTriangleByY(int32_t* top, int32_t* middle, int32_t* bottom, const FixedVertex* v);

// The row of a 16.16 y or the column of a 16.16 x: rounded half up.
inline int32_t TriangleRow8(int32_t y) {
    return static_cast<int32_t>((static_cast<int64_t>(y) + 0x8000) >> 16);
}
inline int32_t TriangleColumn8(int32_t x) {
    return TriangleRow8(x);
}

// Which row decides the sides: the untextured kinds look at the middle
// vertex's row, the textured kinds at the measuring row (the middle row, or
// the row above it when the middle and bottom vertices share a row).
enum class TriangleSides8 { kMiddleRow, kMeasuringRow };

// One triangle's rows, ready for a row loop. The edge records carry x in
// 16.16, z halved (a 31-bit fraction), intensity, u, v (16.16 texels) and
// in spare the perspective weight, never negative.
struct TriangleFrame8 {
    int32_t firstRow = 0;               // first canvas row drawn, inside the canvas
    int32_t lastRow = -1;               // last canvas row drawn; below firstRow: none
    const SpanEdge* left = nullptr;     // record i belongs to row firstRow + i
    const SpanEdge* right = nullptr;
    // Per pixel to the right, measured once on the measuring row; 0 when its
    // two columns are equal. u and v steps are in texels, not yet shifted.
    int32_t shadeStep = 0;
    int32_t depthStep = 0;
    int32_t uStep = 0;
    int32_t vStep = 0;
};

// Steps the edges of the rows that lie on the canvas into its edge buffers
// and measures the row steps. False when nothing is to be drawn: no rows
// (top and bottom round to one row), no row on the canvas, or a canvas
// without pixels, row table or edge buffers.
bool SetUpTriangle8(Canvas* target, const FixedVertex* v, TriangleSides8 sides, TriangleFrame8* frame);
