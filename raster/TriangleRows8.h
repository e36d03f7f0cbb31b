#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "display/Canvas.h"
#include "raster/QuadraticSpan.h"
#include "raster/Span.h"
#include "raster/TriangleEdges8.h"

class SoftTexture;

// The row loop of the 8-bit triangle family, one instantiation per kind.
// The set-up files (UntexturedTriangles8, TexturedTriangles8,
// PerspectiveTriangles8) are its only users.

// What the loop does per pixel.
inline constexpr uint32_t kRows8Depth = 0x01;        // z stepped, strict depth test and write
inline constexpr uint32_t kRows8Gouraud = 0x02;      // dithered level per pixel
inline constexpr uint32_t kRows8Textured = 0x04;     // affine u, v
inline constexpr uint32_t kRows8Perspective = 0x08;  // with kRows8Textured: quadratic u, v per row
inline constexpr uint32_t kRows8Stipple = 0x10;      // translucent pass
inline constexpr uint32_t kRows8Keyed = 0x20;        // texel 255 draws nothing

// Translucent levels: below the first nothing shows; from the second on the
// triangle is drawn opaque first.
inline constexpr uint32_t kAlphaInvisibleBelow8 = 15;
inline constexpr uint32_t kAlphaOpaqueFrom8 = 240;

// The texel address of a texture of any size: u and v are shifted left so
// that the texel column and row sit in their top bits, and only those bits
// count, so the texture repeats both ways.
struct TexelShape8 {
    const uint8_t* texels = nullptr;
    uint32_t uScale = 0;        // 16 - log2 width
    uint32_t vScale = 0;        // 16 - log2 height
    uint32_t columnShift = 0;   // 32 - log2 width
    uint32_t rowShift = 0;      // 32 - log2 height
    uint32_t log2Width = 0;

    uint8_t Texel(uint32_t u, uint32_t v) const { return texels[((v >> rowShift) << log2Width) | (u >> columnShift)]; }
};

// The same for a square image of side 2^kLog2, with constant shifts.
template <uint32_t kLog2>
struct SquareTexelShape8 {
    static constexpr uint32_t uScale = 16 - kLog2;
    static constexpr uint32_t vScale = 16 - kLog2;
    const uint8_t* texels = nullptr;

    uint8_t Texel(uint32_t u, uint32_t v) const { return texels[((v >> (32 - kLog2)) << kLog2) | (u >> (32 - kLog2))]; }
};

// Stands in for the texture of the untextured kinds.
struct NoTexels8 {
    static constexpr uint32_t uScale = 0;
    static constexpr uint32_t vScale = 0;
};

// One triangle, set up and ready for its rows.
struct TriangleDraw8 {
    Canvas* target = nullptr;
    TriangleFrame8 frame;
    const uint8_t* shades = nullptr;   // the palette's 256 x 32 shade table
    const uint8_t* ramp = nullptr;     // untextured kinds: the colour's 32 levels
    uint32_t flatLevel = 0;            // kinds without kRows8Gouraud: 0..31
    uint32_t level = 0;                // kRows8Stipple: 0..255
};

// Checks the canvas (pixels, shade table, and the depth buffer when depth
// is asked for), sets the triangle up and fills draw. False when nothing is
// to be drawn. The flat level comes from vertex 0's intensity.
bool PrepareTriangle8(Canvas* target, const FixedVertex* v, TriangleSides8 sides, bool depth, TriangleDraw8* draw);

// The shape of a texture whose image has the texture's sides; false for a
// texture that cannot be drawn.
bool MakeTexelShape8(const SoftTexture* texture, TexelShape8* shape);

// The square loops serve 128 x 128 and 256 x 256 images without the
// colour-key flag; 0 for every other texture.
uint32_t SquareUnkeyedLog2(const SoftTexture* texture);

template <uint32_t kFlags, class Shape>
void DrawTriangleRows8(const TriangleDraw8& draw, const Shape& shape) {
    constexpr bool kDepth = (kFlags & kRows8Depth) != 0;
    constexpr bool kGouraud = (kFlags & kRows8Gouraud) != 0;
    constexpr bool kTextured = (kFlags & kRows8Textured) != 0;
    constexpr bool kPerspective = kTextured && (kFlags & kRows8Perspective) != 0;
    constexpr bool kStipple = (kFlags & kRows8Stipple) != 0;
    constexpr bool kKeyed = (kFlags & kRows8Keyed) != 0;

    const TriangleFrame8& frame = draw.frame;
    const int32_t lastColumn = draw.target->width - 1;
    const uint32_t shadeStep = static_cast<uint32_t>(frame.shadeStep);
    const int64_t depthStep = frame.depthStep;
    const uint32_t uStep = static_cast<uint32_t>(frame.uStep) << shape.uScale;
    const uint32_t vStep = static_cast<uint32_t>(frame.vStep) << shape.vScale;
    const uint8_t flatColour = kTextured ? 0 : draw.ramp[draw.flatLevel];

    for (int32_t row = frame.firstRow; row <= frame.lastRow; ++row) {
        const SpanEdge& left = frame.left[row - frame.firstRow];
        const SpanEdge& right = frame.right[row - frame.firstRow];
        const int32_t from = TriangleColumn8(left.x);
        const int32_t to = TriangleColumn8(right.x);
        const int32_t start = std::max(from, 0);
        const int32_t end = std::min(to, lastColumn);
        if (to < from || start > end) {
            continue;
        }
        uint8_t* const pixels = draw.target->Row(row);
        if constexpr (!kDepth && !kGouraud && !kTextured && !kStipple) {
            std::memset(pixels + start, flatColour, static_cast<size_t>(end - start + 1));
            continue;
        }
        [[maybe_unused]] uint16_t* const depths = kDepth ? draw.target->DepthRow(row) : nullptr;
        [[maybe_unused]] const int32_t* const dither = g_ditherOffsets[row & 3];
        [[maybe_unused]] const int32_t* const stipple = g_bayerStipple[row & 3];

        // Columns cut off on the left still advance every value.
        const uint32_t skip = static_cast<uint32_t>(start - from);
        uint32_t shade = static_cast<uint32_t>(left.shade) + skip * shadeStep;
        int64_t z = static_cast<int64_t>(left.z) + static_cast<int64_t>(skip) * depthStep;
        uint32_t u = static_cast<uint32_t>(left.u) << shape.uScale;
        uint32_t v = static_cast<uint32_t>(left.v) << shape.vScale;
        uint32_t du = uStep;
        uint32_t dv = vStep;
        uint32_t ddu = 0;
        uint32_t ddv = 0;
        if constexpr (kPerspective) {
            const int32_t n = to - from;
            int32_t first = 0;
            int32_t second = 0;
            QuadraticSpanCoefficients(left.spare, right.spare, left.u, right.u, n, &first, &second,
                                      static_cast<int32_t>(shape.uScale));
            du = static_cast<uint32_t>(first);
            ddu = static_cast<uint32_t>(second);
            QuadraticSpanCoefficients(left.spare, right.spare, left.v, right.v, n, &first, &second,
                                      static_cast<int32_t>(shape.vScale));
            dv = static_cast<uint32_t>(first);
            ddv = static_cast<uint32_t>(second);
            const uint32_t triangular = static_cast<uint32_t>(uint64_t(skip) * (skip > 0 ? skip - 1 : 0) / 2);
            u += skip * du + triangular * ddu;
            v += skip * dv + triangular * ddv;
            du += skip * ddu;
            dv += skip * ddv;
        } else {
            u += skip * du;
            v += skip * dv;
        }

        for (int32_t x = start; x <= end; ++x) {
            bool covered = true;
            if constexpr (kStipple) {
                covered = static_cast<uint32_t>(stipple[x & 3]) + draw.level >= 255;
            }
            if (covered) {
                uint32_t level = draw.flatLevel;
                if constexpr (kGouraud) {
                    level = static_cast<uint32_t>(SpanGouraudLevel(shade, dither[x & 3]));
                }
                uint8_t colour = flatColour;
                if constexpr (kTextured) {
                    const uint8_t texel = shape.Texel(u, v);
                    covered = !kKeyed || texel != kSpanKeyTexel;
                    colour = draw.shades[(uint32_t(texel) << 5) + level];
                } else if constexpr (kGouraud) {
                    colour = draw.ramp[level];
                }
                if constexpr (kDepth) {
                    const uint16_t depth = static_cast<uint16_t>(std::clamp<int64_t>(z >> 15, 0, 0xFFFF));
                    covered = covered && depth < depths[x];
                    if (covered) {
                        depths[x] = depth;
                    }
                }
                if (covered) {
                    pixels[x] = colour;
                }
            }
            if constexpr (kGouraud) {
                shade += shadeStep;
            }
            if constexpr (kDepth) {
                z += depthStep;
            }
            if constexpr (kTextured) {
                u += du;
                v += dv;
                if constexpr (kPerspective) {
                    du += ddu;
                    dv += ddv;
                }
            }
        }
    }
}
