#pragma once
#include <cstdint>

#include "raster/FixedVertex.h"
#include "raster/Span.h"
#include "display/ScreenVertex.h"

class Canvas;
class NearShapes;
class SoftTexture;

// The triangle set-up of the 16-bit software canvas. The triangle is taken
// to 16.16 fixed point (depth in units of 2^-31, intensity 16.16, u and v
// in 16.16 texels), its edges are walked into the canvas's two edge buffers
// (one SpanEdge per row, x as the integer column: left the first drawn,
// right the first not drawn), the per-pixel steps are measured once on the
// row of the middle vertex, and the span routine that g_spanDispatch holds
// for the mode (and, textured, the texture's size class) is called exactly
// once for the whole triangle; not at all for one that covers no pixel of
// the canvas, which it would leave as it was.
//
// mode: the polygon mode word (Canvas::kMode*); level: opacity 0..255 of the
// translucent modes. texture: needed in the textured modes (without a usable
// one nothing is drawn). Bit 0x8000 outlines the triangle in pure red through
// the canvas's clipped two-point line operation after filling.
//
// Rows and columns outside the canvas are cut off before the span routine
// runs, so nothing is written outside the canvas or its depth buffer, however
// far the vertices lie; a triangle reaching more than 8192 pixels from the
// origin is first cut to that band and drawn as a fan of the pieces (so
// canvases up to 8192 pixels a side are drawn whole). Nothing is drawn for a vertex with a
// non-finite value, for a perspective mode (0x88 both set) whose vertex w is
// at or below 0, or for a canvas lacking pixels, row tables, edge buffers or
// a palette with a shade table. Without a depth buffer the depth bit is
// ignored.
void FillTriangle16(Canvas* canvas, uint32_t mode, const ScreenVertex* a, const ScreenVertex* b,
                    const ScreenVertex* c, const SoftTexture* texture, uint32_t level);

// Whether the corners, all inside the guard band, lie on one row or all in
// one column of the set-up's grid. Every piece a polygon is split or cut
// into keeps its corners between the polygon's, so it lies on that row or in
// that column too, and its spans are empty.
// count is 3 or more.
bool OnOneRowOrColumn16(int32_t count, const ScreenVertex* v);
// Whether FillTriangle16 would draw no pixel of the triangle on the canvas,
// in any mode but the outline: it covers no pixel as the set-up walks it.
// Only x and y are read. False where it cannot tell cheaply (a triangle with
// many rows on the canvas, or one past the guard band).
bool TriangleFillsNoPixel16(const Canvas& canvas, const ScreenVertex& a, const ScreenVertex& b,
                            const ScreenVertex& c);
// The same judgement by shape, for corners on whole pixels in 0 .. width
// by 0 .. height; null for a canvas whose subdivision or size the table
// cannot speak for.
const NearShapes* NearShapesFillingNothing16(const Canvas& canvas);

// Rows of one triangle as the edge walkers see them: record i of an edge
// buffer window holds the triangle's row index first + i, and only indices
// first .. end - 1 are written, so a triangle taller than the buffer (or
// reaching above the canvas) writes only its visible rows.
struct EdgeWindow {
    SpanEdge* records = nullptr;
    int32_t first = 0;
    int32_t end = 0;
};

// Walk one edge from its upper vertex to its lower one, one record per row
// crossed, starting at row index startIndex of the window: x (the ceiling of
// the edge's column, an integer), shade, u, v and, in the Depth form, z, each
// the edge's exact value at the row it samples (from the vertex on, rounded
// down to 1/65536), so that an edge reaches its lower vertex however tall it
// is. A vertex up to 3/65536 below a row counts as on it, as the set-up
// counts rows. An edge no taller than 1/65536 of a pixel, or taller than
// 16384 pixels, writes nothing; y, colour and spare are left alone. Shade is
// held to 0..255 and z to 0..2^31 - 1, where rounding could carry them just
// past the vertices' values.
void WalkEdge16(const EdgeWindow& window, int32_t startIndex, const FixedVertex& from, const FixedVertex& to);
void WalkEdgeDepth16(const EdgeWindow& window, int32_t startIndex, const FixedVertex& from,
                     const FixedVertex& to);
