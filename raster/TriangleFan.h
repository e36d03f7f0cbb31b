#pragma once
#include <cstdint>

#include "raster/FixedVertex.h"

// Cuts a convex polygon of fixed-point vertices into the fan (0, 1, 2),
// (0, 2, 3) ... (0, count - 2, count - 1) and hands each triangle to draw as
// three consecutive records; a triangle goes as it is. Fewer than 3
// vertices draw nothing. The triangle routines read their vertices as one
// array of three, so each fan triangle is copied into a local one: nothing
// is allocated.
template <typename DrawTriangle>
void DrawTriangleFan(int32_t count, const FixedVertex* vertices, DrawTriangle draw) {
    if (count < 3) {
        return;
    }
    if (count == 3) {
        draw(vertices);
        return;
    }
    FixedVertex triangle[3] = {vertices[0], {}, {}};
    for (int32_t i = 1; i + 1 < count; ++i) {
        triangle[1] = vertices[i];
        triangle[2] = vertices[i + 1];
        draw(triangle);
    }
}
