#include "raster/QuadraticSpan.h"

#include <algorithm>
#include <limits>

void QuadraticSpanCoefficients(int32_t w0, int32_t w1, int32_t a, int32_t b, int32_t n, int32_t* d1,
                               int32_t* d2, int32_t shift) {
    if (n <= 0) {
        *d1 = 0;
        *d2 = 0;
        return;
    }
    const int32_t s = std::clamp(shift, 0, 16);
    const int64_t left = a;
    const int64_t right = b;
    // Kept off the most negative value, no two products can overflow 64 bits.
    const int64_t weight0 = std::max(w0, -std::numeric_limits<int32_t>::max());
    const int64_t weight1 = std::max(w1, -std::numeric_limits<int32_t>::max());
    const int64_t weights = weight0 + weight1;
    if (weights == 0) {
        // Nothing to weight by: the plain straight line.
        *d1 = static_cast<int32_t>(static_cast<uint32_t>((right - left) / n) << s);
        *d2 = 0;
        return;
    }
    const int64_t middle = std::clamp<int64_t>((left * weight0 + right * weight1) / weights,
                                               std::numeric_limits<int32_t>::min(),
                                               std::numeric_limits<int32_t>::max());
    // 1 / n in 16.16, rounded up from the halved 2 / n.
    const int64_t h = (0x20000 / n + 1) / 2;
    const int64_t curve = 2 * (left - 2 * middle + right);
    const int64_t slope = 4 * middle - 3 * left - right;
    // (curve x h >> (16 - s)) x h >> 16, split so that no product passes 64 bits.
    const int64_t scaled = (curve * h) >> (16 - s);
    const int64_t half = (scaled >> 16) * h + (((scaled & 0xFFFF) * h) >> 16);
    *d1 = static_cast<int32_t>(((slope * h) >> (16 - s)) + half);
    *d2 = static_cast<int32_t>(2 * half);
}
