#pragma once
#include <cstddef>
#include <cstdint>

#include "raster/Span.h"

// The texel address of a texture of any size, its counts taken from the
// SoftTexture once per triangle. A loop instantiated with a type holding
// the same members as static constexpr values gets constant shifts instead.
struct TexelShape {
    const uint8_t* texels = nullptr;
    uint32_t uScale = 0;       // u' = u << uScale: the column in the top log2 width bits
    uint32_t vScale = 0;       // v' = v << vScale
    uint32_t columnShift = 0;  // column = u' >> columnShift
    uint32_t rowShift = 0;     // (v' >> rowShift) & rowMask = row x width
    uint32_t rowMask = 0;      // the low log2 width bits cleared
    uint32_t uDither = 0;      // du = D << uDither: one eighth of D in texels
    uint32_t vDither = 0;

    // Only the top bits of u' and v' count, so the texture repeats both ways.
    uint8_t Texel(uint32_t u, uint32_t v) const { return texels[((v >> rowShift) & rowMask) + (u >> columnShift)]; }
};

TexelShape MakeTexelShape(const SpanSetup* setup);

// Draws the rows of one textured triangle. kMode is mode & 7 (depth,
// Gouraud, texture-coordinate dither); store(pixel, entry) writes shade-table
// entry texel x 32 + level into the pixel, plainly or mixed with it. In depth
// modes a plain loop writes the depth value before it fetches the texel; a
// keyed loop fetches first and writes neither pixel nor depth for texel 255.
template <uint32_t kMode, bool kKeyed, class Shape, class Store>
void TexturedSpanRows(const SpanSetup* setup, const Shape& shape, const Store& store) {
    constexpr bool kDepth = (kMode & kSpanModeDepth) != 0;
    constexpr bool kGouraud = (kMode & kSpanModeGouraud) != 0;
    constexpr bool kDither = (kMode & kSpanModeDither) != 0;

    [[maybe_unused]] const int32_t flatLevel = kGouraud ? 0 : SpanFlatLevel(setup);
    const uint32_t uStep = static_cast<uint32_t>(setup->uStep);
    const uint32_t vStep = static_cast<uint32_t>(setup->vStep);
    const uint32_t shadeStep = static_cast<uint32_t>(setup->shadeStep);
    const uint32_t depthStep = static_cast<uint32_t>(setup->depthStep);
    uint8_t* const destBase = reinterpret_cast<uint8_t*>(setup->destRow);
    uint8_t* const depthBase = reinterpret_cast<uint8_t*>(setup->depthRow);

    for (int32_t i = 0; i <= setup->lastRow; ++i) {
        const SpanEdge& left = setup->leftEdge[i];
        const int32_t end = setup->rightEdge[i].x;
        if (left.x >= end) {
            continue;
        }
        uint16_t* const pixels = reinterpret_cast<uint16_t*>(destBase + ptrdiff_t(i) * setup->destPitch);
        uint16_t* depths = nullptr;
        if constexpr (kDepth) {
            depths = reinterpret_cast<uint16_t*>(depthBase + ptrdiff_t(i) * setup->depthPitch);
        }
        const int32_t* const dither = g_ditherOffsets[(setup->topY + i) & 3];
        uint32_t u = static_cast<uint32_t>(left.u) << shape.uScale;
        uint32_t v = static_cast<uint32_t>(left.v) << shape.vScale;
        uint32_t shade = static_cast<uint32_t>(left.shade);
        uint32_t z = left.z;

        for (int32_t x = left.x; x < end; ++x) {
            const auto fetch = [&]() -> uint8_t {
                if constexpr (kDither) {
                    const uint32_t d = static_cast<uint32_t>(dither[x & 3]);
                    return shape.Texel(u + (d << shape.uDither), v + (d << shape.vDither));
                } else {
                    return shape.Texel(u, v);
                }
            };
            const auto level = [&]() -> uint32_t {
                if constexpr (kGouraud) {
                    return static_cast<uint32_t>(SpanGouraudLevel(shade, dither[x & 3]));
                } else {
                    return static_cast<uint32_t>(flatLevel);
                }
            };

            if constexpr (kDepth) {
                const uint16_t depth = static_cast<uint16_t>(z >> 15);
                if (depth < depths[x]) {
                    if constexpr (kKeyed) {
                        const uint8_t texel = fetch();
                        if (texel != kSpanKeyTexel) {
                            store(pixels[x], (uint32_t(texel) << 5) + level());
                            depths[x] = depth;
                        }
                    } else {
                        depths[x] = depth;
                        store(pixels[x], (uint32_t(fetch()) << 5) + level());
                    }
                }
                z += depthStep;
            } else {
                const uint8_t texel = fetch();
                if (!kKeyed || texel != kSpanKeyTexel) {
                    store(pixels[x], (uint32_t(texel) << 5) + level());
                }
            }
            u += uStep;
            v += vStep;
            if constexpr (kGouraud) {
                shade += shadeStep;
            }
        }
    }
}
