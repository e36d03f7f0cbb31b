#include "tests/support/Vertices.h"

ViewVertex ViewPoint(int32_t x, int32_t y, uint32_t colour, int32_t intensity, uint32_t depth) {
    ViewVertex v;
    v.screenX = x;
    v.screenY = y;
    v.colour = colour;
    v.intensity = intensity;
    v.depth = depth;
    return v;
}

ScreenVertex ScreenPoint(float x, float y) {
    ScreenVertex v;
    v.x = x;
    v.y = y;
    return v;
}
