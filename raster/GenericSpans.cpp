#include "raster/GenericSpans.h"

#include "raster/TexturedSpanLoop.h"

namespace {

template <uint32_t kMode, bool kKeyed>
void SpanTextured(const SpanSetup* setup) {
    // Reached only through SpanKeySelect, which has returned already when
    // there is no row to draw.
    const TexelShape shape = MakeTexelShape(setup);
    const uint16_t* const shades = SpanShadeTable(setup);
    TexturedSpanRows<kMode, kKeyed>(setup, shape, [shades](uint16_t& pixel, uint32_t entry) {
        pixel = shades[entry];
    });
}

template <uint32_t kMode>
constexpr SpanFiller kSelector = &SpanKeySelect<&SpanTextured<kMode, false>, &SpanTextured<kMode, true>>;

}  // namespace

constinit const SpanFiller g_spanTexturedSelectors[8] = {
    kSelector<0>, kSelector<1>, kSelector<2>, kSelector<3>,
    kSelector<4>, kSelector<5>, kSelector<6>, kSelector<7>,
};
