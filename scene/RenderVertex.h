#pragma once
#include <cstdint>

// A vertex of the 3D render path (48 bytes): view-space position, then the
// projection's screen position and 1/z, with the colour word, light level
// and texture coordinates carried along. Kept in floats throughout; the
// canvas's integer operations read ViewVertex instead, and the two are
// converted field by field where one is needed.
struct RenderVertex {
    float x = 0.0f;         // view space; z grows away from the eye
    float y = 0.0f;
    float z = 0.0f;
    float screenX = 0.0f;   // whole numbers, written by projection
    float screenY = 0.0f;
    float carried = 0.0f;   // copied along, never relied on
    uint32_t colour = 0;    // palette index or packed colour, passed through
    int32_t intensity = 0;  // light level
    float u = 0.0f;
    float v = 0.0f;
    float invZ = 0.0f;      // written by projection
    uint32_t spare = 0;
};

static_assert(sizeof(RenderVertex) == 48);
