#pragma once
#include <cstdint>

#include "raster/FixedVertex.h"
#include "raster/PerspectiveSubdivision.h"
#include "display/ScreenVertex.h"

class Canvas;
class PixelImage;

// The polygon entry points of the 16-bit software canvas.

// Fills a convex polygon in the mode word's way (Canvas::kMode*), cut into
// the fan (0, 1, 2), (0, 2, 3) ...; fewer than 3 vertices draw nothing.
// level is the opacity 0..255 of the translucent modes (255 opaque).
//
// With an image: its software texture is found in its chain of copies, or
// made and left there for later calls (a palette-less image is first given
// the canvas's palette); an image the span routines cannot address (a side
// other than 16, 32, 64, 128 or 256) draws nothing. For the call the image's
// palette stands in for the canvas's, which is put back before returning.
//
// Perspective applies when both kModePerspective and kModeTextured are set:
// u and v are weighted by invZ and each triangle goes through
// SubdividePerspectiveTriangle16; such a triangle with an invZ at or below 0,
// or that is not a finite number, is not drawn. Every other mode sends the
// fan's triangles to FillTriangle16 as they are.
void FillPolygon16(Canvas* canvas, int32_t count, uint32_t mode, const ScreenVertex* vertices, PixelImage* image,
                   uint32_t level);
// The same, with the finished triangles going to fill instead of
// FillTriangle16.
void FillPolygon16(Canvas* canvas, int32_t count, uint32_t mode, const ScreenVertex* vertices, PixelImage* image,
                   uint32_t level, TriangleFill16 fill);

// Whether FillPolygon16 would surely draw no pixel of the polygon in any mode
// but the outline: its corners lie on one row or in one column, or no
// triangle of its fan covers a pixel as the set-up walks it. False where
// that cannot be told cheaply.
bool PolygonFillsNoPixel16(const Canvas& canvas, int32_t count, const ScreenVertex* v);

// Direct-colour Gouraud polygon: colour words 0x10RRGGBB, the fan as above,
// through the depth-tested triangle while the canvas's depth test is on.
void FillPolygonRgb16(Canvas* canvas, int32_t count, const FixedVertex* vertices);
