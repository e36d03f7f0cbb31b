#pragma once
#include "raster/Span.h"

// The span routines of untextured triangles: one colour index, shaded flat
// (one level for the triangle, from the top row's left shade) or Gouraud
// (a dithered level per pixel), opaque or mixed with the destination by the
// set-up's level. They never read the texture, and they ignore the
// texture-coordinate dither bit: modes 4-7 draw as 0-3.
void SpanFlat(const SpanSetup* setup);
void SpanFlatDepth(const SpanSetup* setup);
void SpanGouraud(const SpanSetup* setup);
void SpanGouraudDepth(const SpanSetup* setup);
void SpanFlatAlpha(const SpanSetup* setup);
void SpanFlatAlphaDepth(const SpanSetup* setup);
void SpanGouraudAlpha(const SpanSetup* setup);
void SpanGouraudAlphaDepth(const SpanSetup* setup);
