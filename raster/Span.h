#pragma once
#include <cstdint>

class Canvas;
class SoftTexture;

// The contract between the 16-bit triangle set-up and the span routines: the
// set-up walks a triangle's edges into two per-row edge buffers, fills one
// SpanSetup and calls exactly one routine, chosen by drawing mode and texture
// size class, which draws every row of the triangle. All values are 16.16
// fixed point unless noted.

// One row of an edge buffer, the layout of the set-up's fixed-point vertex.
struct SpanEdge {
    int32_t x = 0;        // pixel column: first drawn (left edge), first not drawn (right edge)
    int32_t y = 0;        // 16.16 row; not read by span routines
    uint32_t z = 0;       // depth 0.0..1.0 x 2^31; the 16-bit depth value is z >> 15
    uint32_t colour = 0;  // not read by span routines
    int32_t shade = 0;    // intensity 0..255
    int32_t u = 0;        // texture column in texels (0 .. width across the texture)
    int32_t v = 0;        // texture row in texels
    int32_t spare = 0;
};
static_assert(sizeof(SpanEdge) == 32, "edge buffers hold 32-byte records");

// One triangle, as the set-up hands it to its span routine, which only reads it.
struct SpanSetup {
    uint16_t* destRow = nullptr;        // column 0 of the top row
    uint16_t* depthRow = nullptr;       // column 0 of the top row; depth modes only
    const Canvas* target = nullptr;     // read for its palette only: shade table, 5-5-5 flag
    const SpanEdge* leftEdge = nullptr;   // lastRow + 1 records, row i at index i
    const SpanEdge* rightEdge = nullptr;  // likewise; only x is read
    const SoftTexture* texture = nullptr; // textured modes only
    int32_t topY = 0;                   // canvas row of the top row: the dither row phase
    int32_t lastRow = -1;               // rows - 1; below 0 nothing is drawn
    uint32_t color = 0;                 // untextured modes: the colour index
    uint32_t level = 0;                 // translucent modes: opacity 0..255 of the new colour
    int32_t destPitch = 0;              // bytes between destination rows
    int32_t depthPitch = 0;             // bytes between depth rows
    int32_t shadeStep = 0;              // per pixel to the right
    int32_t depthStep = 0;              // per pixel to the right, in z units
    int32_t uStep = 0;                  // per pixel, already shifted left by 16 - log2 width
    int32_t vStep = 0;                  // per pixel, already shifted left by 16 - log2 height
};

// Draws rows 0 .. lastRow of one triangle; keeps no state between calls and
// writes only destination pixels and, in depth modes, depth values. Callers
// guarantee that every row lies inside the canvas, that a textured mode's
// texture has the size of its size class and that shade stays within 0..255.
using SpanFiller = void (*)(const SpanSetup* setup);

// The low six bits of the drawing mode, which index a row of the table.
inline constexpr uint32_t kSpanModeDepth = 0x01;
inline constexpr uint32_t kSpanModeGouraud = 0x02;
inline constexpr uint32_t kSpanModeDither = 0x04;       // texture-coordinate dithering
inline constexpr uint32_t kSpanModeTextured = 0x08;
inline constexpr uint32_t kSpanModeTranslucent = 0x10;
inline constexpr uint32_t kSpanModeEmpty = 0x20;        // no routine has this bit
inline constexpr uint32_t kSpanModeMask = 0x3F;

inline constexpr int32_t kSpanSizeClasses = 25;   // 5 x (log2 width - 4) + (log2 height - 4)
inline constexpr int32_t kSpanModes = 64;
inline constexpr uint8_t kSpanKeyTexel = 255;     // transparent in keyed textures

// Indexed [size class][mode & 0x3f]; the class counts only in textured modes,
// every untextured triangle uses row 0. A null entry draws nothing. Complete
// before main runs; nothing writes it afterwards.
extern const SpanFiller (&g_spanDispatch)[kSpanSizeClasses][kSpanModes];

// The hook through which the size-specialised units join the table: the eight
// selectors (index mode & 7) of the unit serving a size class, or null for a
// class with a side of 16, which has no unit. Defined beside the units and
// asked once per class while the table is built, before main: the arrays it
// returns must be constant-initialised (function addresses only), not built
// by code that runs at start-up.
const SpanFiller* SpanUnitSelectors(int32_t sizeClass);

// Four-by-four ordered dither tables, indexed [(topY + row index) & 3][x & 3]
// with x the absolute column, so the pattern stays put as triangles move.
extern const int32_t g_ditherOffsets[4][4];      // 16.16, -3.5 .. +4.0: shade and texel offsets
extern const int32_t g_bayerMatrix[4][4];        // 16.16: blue of the RGB loops
extern const int32_t g_bayerMatrixRot90[4][4];   // 16.16: green of the RGB loops
extern const int32_t g_bayerMatrixRot180[4][4];  // 16.16: red of the RGB loops
extern const int32_t g_bayerStipple[4][4];       // plain 0..240: 8-bit translucent stipple

// What the span routines read through the set-up's target and texture.
const uint16_t* SpanShadeTable(const SpanSetup* setup);   // 256 colours x 32 levels
bool SpanPixels555(const SpanSetup* setup);               // else 5-6-5
const uint8_t* SpanTexels(const SpanSetup* setup);        // rows of width bytes
bool SpanTextureKeyed(const SoftTexture* texture);        // texel 255 is transparent

// Gouraud level of a pixel: (shade + dither) / 8 of the 0..255 intensity,
// clamped to 0..31. Wrapping sums keep a wild shade from being undefined.
inline int32_t SpanGouraudLevel(uint32_t shade, int32_t dither) {
    const int32_t level = static_cast<int32_t>(shade + static_cast<uint32_t>(dither)) >> 19;
    return level < 0 ? 0 : (level > 31 ? 31 : level);
}

// The one level of a flat triangle: the top row's left shade, undithered and
// unclamped (the caller keeps shade within 0..255).
inline int32_t SpanFlatLevel(const SpanSetup* setup) {
    return setup->leftEdge[0].shade >> 19;
}

// Each textured entry of the table is a selector: the texture's image flag
// picks the keyed loop (texel 255 draws nothing) or the plain one, once per
// triangle. A triangle without rows touches not even the texture.
template <SpanFiller kPlain, SpanFiller kKeyed>
void SpanKeySelect(const SpanSetup* setup) {
    if (setup->lastRow < 0) {
        return;
    }
    if (SpanTextureKeyed(setup->texture)) {
        kKeyed(setup);
    } else {
        kPlain(setup);
    }
}
