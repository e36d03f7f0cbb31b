#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

// Conversions to 32 bits that hold at the ends of the range instead of
// wrapping: hostile coordinates and fixed-point products must stay in range.

constexpr int32_t Saturate32(int64_t value) {
    return static_cast<int32_t>(
        std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// Truncates toward zero; NaN gives 0.
inline int32_t SaturateToInt32(double value) {
    const double t = std::trunc(value);
    if (std::isnan(t)) return 0;
    if (t >= double(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
    if (t <= double(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(t);
}
