#pragma once
#include <cstdint>

// The fixed-point vertex the software canvases build for the 8-bit triangle
// routines and for the direct-colour triangles of both pixel formats. Not a
// ViewVertex: position and intensity carry 16 fraction bits here, and the
// record is the eight words of an edge-buffer row.
struct FixedVertex {
    int32_t x = 0;           // 16.16 pixels
    int32_t y = 0;           // 16.16 pixels
    uint32_t depth = 0;      // fraction of 2^32, 0 nearest
    uint32_t colour = 0;     // colour word; 0x10RRGGBB in the direct-colour routines
    int32_t intensity = 0;   // 16.16, 0..255 in the integer part
    int32_t u = 0;           // 16.16 of 0..1 across the texture, shifted left by log2 width
    int32_t v = 0;           // likewise, shifted left by log2 height
    int32_t invZ = 0;        // 1/z with 30 fraction bits (perspective kinds)
};
static_assert(sizeof(FixedVertex) == 32, "fixed vertices are eight 32-bit words");
