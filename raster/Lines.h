#pragma once
#include <cstdint>

#include "display/ViewVertex.h"

class Canvas;

// The flat and shaded lines of both software canvases. Neither clips: every
// pixel goes through the canvas's own single-pixel operation (PlotPixelInt),
// which decides what lies on the canvas. Only screenX, screenY, depth, colour
// and intensity of the end points are read.
//
// The line steps along its major axis (x when |dx| >= |dy|) from the end with
// the smaller major coordinate (p on a tie), walking in from both ends at
// once so that the pixels come out the same whichever way round the ends are
// given; the middle pixel or pair may be plotted twice. With the canvas's
// depth test on, depth is stepped from end to end. Afterwards both end points
// are plotted again, with their own position and depth, unless the canvas
// has Canvas::kFlag16Bit set.

// Every pixel carries the start point's colour word and intensity, and the
// colour pointer is handed on to each plot (null: the plot uses the record's
// colour word and intensity).
void RasterLineFlat(Canvas* canvas, const ViewVertex* p, const ViewVertex* q, const uint8_t* colour);

// As RasterLineFlat with the intensity stepped from one end to the other. A
// colour pointer is matched once against the canvas palette and the index it
// gives becomes every pixel's colour word; the plots always get a null
// colour pointer.
void RasterLineShaded(Canvas* canvas, const ViewVertex* p, const ViewVertex* q, const uint8_t* colour);
