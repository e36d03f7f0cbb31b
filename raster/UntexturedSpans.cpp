#include "raster/UntexturedSpans.h"

#include <cstddef>
#include <cstring>

#include "raster/SpanMix.h"

namespace {

// The 32 levels of the triangle's colour. Only the colour index counts: a
// colour word with flag bits above the index must not reach past the table.
const uint16_t* ColorRamp(const SpanSetup* setup) {
    return SpanShadeTable(setup) + ((setup->color & 0xFFu) << 5);
}

uint16_t* PixelRow(const SpanSetup* setup, int32_t i) {
    return reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(setup->destRow) + ptrdiff_t(i) * setup->destPitch);
}

uint16_t* DepthRow(const SpanSetup* setup, int32_t i) {
    return reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(setup->depthRow) + ptrdiff_t(i) * setup->depthPitch);
}

// store(pixel, colour) writes the ramp colour plainly or mixed with the pixel.
template <bool kGouraud, bool kDepth, class Store>
void UntexturedRows(const SpanSetup* setup, const uint16_t* ramp, const Store& store) {
    [[maybe_unused]] const uint16_t flatColour = kGouraud ? 0 : ramp[SpanFlatLevel(setup)];
    const uint32_t shadeStep = static_cast<uint32_t>(setup->shadeStep);
    const uint32_t depthStep = static_cast<uint32_t>(setup->depthStep);

    for (int32_t i = 0; i <= setup->lastRow; ++i) {
        const SpanEdge& left = setup->leftEdge[i];
        const int32_t end = setup->rightEdge[i].x;
        if (left.x >= end) {
            continue;
        }
        uint16_t* const pixels = PixelRow(setup, i);
        uint16_t* depths = nullptr;
        if constexpr (kDepth) {
            depths = DepthRow(setup, i);
        }
        const int32_t* const dither = g_ditherOffsets[(setup->topY + i) & 3];
        uint32_t shade = static_cast<uint32_t>(left.shade);
        uint32_t z = left.z;

        for (int32_t x = left.x; x < end; ++x) {
            const auto colour = [&]() -> uint16_t {
                if constexpr (kGouraud) {
                    return ramp[SpanGouraudLevel(shade, dither[x & 3])];
                } else {
                    return flatColour;
                }
            };
            if constexpr (kDepth) {
                const uint16_t depth = static_cast<uint16_t>(z >> 15);
                if (depth < depths[x]) {
                    depths[x] = depth;
                    store(pixels[x], colour());
                }
                z += depthStep;
            } else {
                store(pixels[x], colour());
            }
            if constexpr (kGouraud) {
                shade += shadeStep;
            }
        }
    }
}

template <bool kGouraud, bool kDepth>
void OpaqueSpan(const SpanSetup* setup) {
    if (setup->lastRow < 0) {
        return;
    }
    UntexturedRows<kGouraud, kDepth>(setup, ColorRamp(setup), [](uint16_t& pixel, uint16_t colour) {
        pixel = colour;
    });
}

// The pixel format is settled once per triangle; each format has its own
// inner loop.
template <bool kGouraud, bool kDepth>
void AlphaSpan(const SpanSetup* setup) {
    if (setup->lastRow < 0) {
        return;
    }
    const uint16_t* const ramp = ColorRamp(setup);
    const SpanScaleRows rows = MakeSpanScaleRows(setup);
    if (SpanPixels555(setup)) {
        const SpanMix555 mix{rows};
        UntexturedRows<kGouraud, kDepth>(setup, ramp, [mix](uint16_t& pixel, uint16_t colour) {
            pixel = mix(colour, pixel);
        });
    } else {
        const SpanMix565 mix{rows};
        UntexturedRows<kGouraud, kDepth>(setup, ramp, [mix](uint16_t& pixel, uint16_t colour) {
            pixel = mix(colour, pixel);
        });
    }
}

}  // namespace

// Two pixels per 32-bit store; memcpy keeps the store legal at any alignment
// and through the u16 rows.
void SpanFlat(const SpanSetup* setup) {
    if (setup->lastRow < 0) {
        return;
    }
    const uint16_t colour = ColorRamp(setup)[SpanFlatLevel(setup)];
    const uint32_t pair = uint32_t(colour) * 0x10001u;
    for (int32_t i = 0; i <= setup->lastRow; ++i) {
        const int32_t left = setup->leftEdge[i].x;
        const int32_t count = setup->rightEdge[i].x - left;
        if (count <= 0) {
            continue;
        }
        uint16_t* pixel = PixelRow(setup, i) + left;
        for (int32_t pairs = count / 2; pairs > 0; --pairs, pixel += 2) {
            std::memcpy(pixel, &pair, sizeof pair);
        }
        if ((count & 1) != 0) {
            *pixel = colour;
        }
    }
}

void SpanFlatDepth(const SpanSetup* setup) { OpaqueSpan<false, true>(setup); }
void SpanGouraud(const SpanSetup* setup) { OpaqueSpan<true, false>(setup); }
void SpanGouraudDepth(const SpanSetup* setup) { OpaqueSpan<true, true>(setup); }
void SpanFlatAlpha(const SpanSetup* setup) { AlphaSpan<false, false>(setup); }
void SpanFlatAlphaDepth(const SpanSetup* setup) { AlphaSpan<false, true>(setup); }
void SpanGouraudAlpha(const SpanSetup* setup) { AlphaSpan<true, false>(setup); }
void SpanGouraudAlphaDepth(const SpanSetup* setup) { AlphaSpan<true, true>(setup); }
