#pragma once
#include <cstdint>

// A vertex of the render path (one per mesh vertex and per clipped vertex)
// and of the canvas operations whose names end in Int. After the view-space
// position the words hold the screen-space vertex in integer and fixed-point
// form; whoever hands a record to those operations (box outlines, the HUD,
// the maps, the line clipper) fills them in that form.
struct ViewVertex {
    static constexpr int kUvFractionBits = 16;
    static constexpr int kInvZFractionBits = 30;

    float x = 0.0f;           // view space; z grows away from the eye
    float y = 0.0f;
    float z = 0.0f;
    int32_t screenX = 0;      // pixels
    int32_t screenY = 0;
    uint32_t depth = 0;       // fraction of 2^32, compared and stored by its high 16 bits
    uint32_t colour = 0;      // colour word, passed through unchanged
    int32_t intensity = 0;    // light level 0..255
    int32_t u = 0;            // 16.16, 1.0 across the texture
    int32_t v = 0;
    int32_t invZ = 0;         // 1 / z with 30 fraction bits
    uint32_t spare = 0;
};
static_assert(sizeof(ViewVertex) == 48, "view vertices are twelve 32-bit words");
