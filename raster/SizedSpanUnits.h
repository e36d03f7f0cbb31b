#pragma once
#include <cstdint>

#include "raster/Span.h"

// The opaque textured span loops for one texture shape, 2^kLog2Width x
// 2^kLog2Height texels with both sides 32..256. With the shape fixed at
// compile time the texel address is two constant shifts, a constant mask and
// an add; otherwise the loops draw exactly what the generic textured loops
// draw. Textures with a side of 16 and every translucent mode stay on the
// generic loops. The sixteen instantiations are made once, in the .cpp, and
// reach the dispatch table through SpanUnitSelectors (raster/Span.h).
template <int32_t kLog2Width, int32_t kLog2Height>
class SizedSpanUnit {
public:
    static_assert(kLog2Width >= 5 && kLog2Width <= 8, "sides of 16 use the generic loops");
    static_assert(kLog2Height >= 5 && kLog2Height <= 8, "sides of 16 use the generic loops");

    // A row's left u and v (16.16 texels) move up by these so that the texel
    // index is the top log2 bits and coordinates wrap at the texture's edges.
    static constexpr uint32_t kUScaleShift = 16 - kLog2Width;
    static constexpr uint32_t kVScaleShift = 16 - kLog2Height;
    static constexpr uint32_t kColumnShift = 32 - kLog2Width;
    // (v' >> kRowShift) & kRowMask is the texel row times the width.
    static constexpr uint32_t kRowShift = 32 - kLog2Height - kLog2Width;
    static constexpr uint32_t kRowMask = ~((uint32_t(1) << kLog2Width) - 1);
    // A dither offset shifted by these is one eighth of it in texels.
    static constexpr uint32_t kUDitherShift = 13 - kLog2Width;
    static constexpr uint32_t kVDitherShift = 13 - kLog2Height;

    static constexpr int32_t kSizeClass = 5 * (kLog2Width - 4) + (kLog2Height - 4);

    // The unit's entries of the dispatch table, index mode & 7: each picks the
    // keyed or the plain loop by the texture image's transparency flag.
    static const SpanFiller kSelectors[8];

private:
    // One loop per (mode & 7, keyed) pair.
    template <uint32_t kMode, bool kKeyed>
    static void Fill(const SpanSetup* setup);
};

extern template class SizedSpanUnit<5, 5>;
extern template class SizedSpanUnit<5, 6>;
extern template class SizedSpanUnit<5, 7>;
extern template class SizedSpanUnit<5, 8>;
extern template class SizedSpanUnit<6, 5>;
extern template class SizedSpanUnit<6, 6>;
extern template class SizedSpanUnit<6, 7>;
extern template class SizedSpanUnit<6, 8>;
extern template class SizedSpanUnit<7, 5>;
extern template class SizedSpanUnit<7, 6>;
extern template class SizedSpanUnit<7, 7>;
extern template class SizedSpanUnit<7, 8>;
extern template class SizedSpanUnit<8, 5>;
extern template class SizedSpanUnit<8, 6>;
extern template class SizedSpanUnit<8, 7>;
extern template class SizedSpanUnit<8, 8>;
