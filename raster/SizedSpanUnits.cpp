#include "raster/SizedSpanUnits.h"

#include <array>

#include "raster/TexturedSpanLoop.h"

namespace {

// The texel address of one texture shape with every count a constant; the
// shared row loop reads it exactly as it reads the run-time shape of the
// generic loops, so the two can differ in nothing but where the counts live.
template <int32_t kLog2Width, int32_t kLog2Height>
struct ConstantTexelShape {
    using Unit = SizedSpanUnit<kLog2Width, kLog2Height>;
    static constexpr uint32_t uScale = Unit::kUScaleShift;
    static constexpr uint32_t vScale = Unit::kVScaleShift;
    static constexpr uint32_t columnShift = Unit::kColumnShift;
    static constexpr uint32_t rowShift = Unit::kRowShift;
    static constexpr uint32_t rowMask = Unit::kRowMask;
    static constexpr uint32_t uDither = Unit::kUDitherShift;
    static constexpr uint32_t vDither = Unit::kVDitherShift;

    const uint8_t* texels = nullptr;

    uint8_t Texel(uint32_t u, uint32_t v) const { return texels[((v >> rowShift) & rowMask) + (u >> columnShift)]; }
};

}  // namespace

template <int32_t kLog2Width, int32_t kLog2Height>
template <uint32_t kMode, bool kKeyed>
void SizedSpanUnit<kLog2Width, kLog2Height>::Fill(const SpanSetup* setup) {
    // Reached only through SpanKeySelect, which has returned already when
    // there is no row to draw.
    const uint16_t* const shades = SpanShadeTable(setup);
    const ConstantTexelShape<kLog2Width, kLog2Height> shape{SpanTexels(setup)};
    TexturedSpanRows<kMode, kKeyed>(setup, shape, [shades](uint16_t& pixel, uint32_t entry) { pixel = shades[entry]; });
}

template <int32_t kLog2Width, int32_t kLog2Height>
constinit const SpanFiller SizedSpanUnit<kLog2Width, kLog2Height>::kSelectors[8] = {
    SpanKeySelect<&Fill<0, false>, &Fill<0, true>>,
    SpanKeySelect<&Fill<1, false>, &Fill<1, true>>,
    SpanKeySelect<&Fill<2, false>, &Fill<2, true>>,
    SpanKeySelect<&Fill<3, false>, &Fill<3, true>>,
    SpanKeySelect<&Fill<4, false>, &Fill<4, true>>,
    SpanKeySelect<&Fill<5, false>, &Fill<5, true>>,
    SpanKeySelect<&Fill<6, false>, &Fill<6, true>>,
    SpanKeySelect<&Fill<7, false>, &Fill<7, true>>,
};

template class SizedSpanUnit<5, 5>;
template class SizedSpanUnit<5, 6>;
template class SizedSpanUnit<5, 7>;
template class SizedSpanUnit<5, 8>;
template class SizedSpanUnit<6, 5>;
template class SizedSpanUnit<6, 6>;
template class SizedSpanUnit<6, 7>;
template class SizedSpanUnit<6, 8>;
template class SizedSpanUnit<7, 5>;
template class SizedSpanUnit<7, 6>;
template class SizedSpanUnit<7, 7>;
template class SizedSpanUnit<7, 8>;
template class SizedSpanUnit<8, 5>;
template class SizedSpanUnit<8, 6>;
template class SizedSpanUnit<8, 7>;
template class SizedSpanUnit<8, 8>;

namespace {

using UnitsByClass = std::array<const SpanFiller*, kSpanSizeClasses>;

// Each unit lands in the row its own shape computes, so no hand-kept list
// can put one shape's constants in another's row.
template <int32_t kLog2Width, int32_t kLog2Height>
constexpr void Place(UnitsByClass& byClass) {
    using Unit = SizedSpanUnit<kLog2Width, kLog2Height>;
    byClass[Unit::kSizeClass] = Unit::kSelectors;
}

constexpr UnitsByClass PlaceUnits() {
    UnitsByClass byClass{};   // null where a side is 16: the generic loops serve
    Place<5, 5>(byClass);
    Place<5, 6>(byClass);
    Place<5, 7>(byClass);
    Place<5, 8>(byClass);
    Place<6, 5>(byClass);
    Place<6, 6>(byClass);
    Place<6, 7>(byClass);
    Place<6, 8>(byClass);
    Place<7, 5>(byClass);
    Place<7, 6>(byClass);
    Place<7, 7>(byClass);
    Place<7, 8>(byClass);
    Place<8, 5>(byClass);
    Place<8, 6>(byClass);
    Place<8, 7>(byClass);
    Place<8, 8>(byClass);
    return byClass;
}

// Constant-initialised, so the dispatch table may ask for it while it is
// itself being built before main.
constexpr UnitsByClass kUnitSelectorsByClass = PlaceUnits();

}  // namespace

const SpanFiller* SpanUnitSelectors(int32_t sizeClass) {
    if (sizeClass < 0 || sizeClass >= kSpanSizeClasses) {
        return nullptr;
    }
    return kUnitSelectorsByClass[static_cast<size_t>(sizeClass)];
}
