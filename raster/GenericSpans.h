#pragma once
#include "raster/Span.h"

// The opaque textured span loops for any texture size, their shift counts read
// from the texture once per triangle: the table's choice for textures with a
// side of 16, and the reference the size-specialised units must match. Each
// array holds a family's eight SpanKeySelect selectors, indexed by mode & 7.
extern const SpanFiller g_spanTexturedSelectors[8];

// The translucent textured loops, for textures of every size: the pixel is
// mixed with the destination by the set-up's level.
extern const SpanFiller g_spanTexturedAlphaSelectors[8];
