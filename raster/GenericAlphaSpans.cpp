#include "raster/GenericSpans.h"
#include "raster/SpanMix.h"
#include "raster/TexturedSpanLoop.h"

namespace {

// The pixel format is settled once per triangle; each format has its own
// inner loop.
template <uint32_t kMode, bool kKeyed>
void SpanTexturedAlpha(const SpanSetup* setup) {
    // Reached only through SpanKeySelect, which has returned already when
    // there is no row to draw.
    const TexelShape shape = MakeTexelShape(setup);
    const uint16_t* const shades = SpanShadeTable(setup);
    const SpanScaleRows rows = MakeSpanScaleRows(setup);
    if (SpanPixels555(setup)) {
        const SpanMix555 mix{rows};
        TexturedSpanRows<kMode, kKeyed>(setup, shape, [shades, mix](uint16_t& pixel, uint32_t entry) {
            pixel = mix(shades[entry], pixel);
        });
    } else {
        const SpanMix565 mix{rows};
        TexturedSpanRows<kMode, kKeyed>(setup, shape, [shades, mix](uint16_t& pixel, uint32_t entry) {
            pixel = mix(shades[entry], pixel);
        });
    }
}

template <uint32_t kMode>
constexpr SpanFiller kSelector =
    &SpanKeySelect<&SpanTexturedAlpha<kMode, false>, &SpanTexturedAlpha<kMode, true>>;

}  // namespace

constinit const SpanFiller g_spanTexturedAlphaSelectors[8] = {
    kSelector<0>, kSelector<1>, kSelector<2>, kSelector<3>,
    kSelector<4>, kSelector<5>, kSelector<6>, kSelector<7>,
};
