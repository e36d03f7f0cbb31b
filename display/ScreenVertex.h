#pragma once
#include <cstdint>

// A vertex in screen space, as every point, line and polygon operation of
// a canvas takes it. The integer form of the same vertex is a ViewVertex;
// the two are converted field by field, never reinterpreted.
struct ScreenVertex {
    float x = 0.0f;           // pixels
    float y = 0.0f;
    float depth = 0.0f;       // 0.0 nearest; callers keep it below 1.0
    uint32_t colour = 0;      // colour word
    float intensity = 0.0f;   // light level 0..255
    float u = 0.0f;           // 0.0 to 1.0 across the texture
    float v = 0.0f;
    float invZ = 0.0f;        // 1 / view-space z
};
static_assert(sizeof(ScreenVertex) == 32, "screen vertices are eight 32-bit words");
