#include "display/ColorMath.h"

#include <cstdlib>

namespace {

constexpr int32_t kOne = Hsl::kOne;
constexpr int32_t kHalf = kOne / 2;
constexpr int32_t kDegrees60 = 60 * kOne;
constexpr int32_t kDegrees120 = 120 * kOne;
constexpr int32_t kDegrees180 = 180 * kOne;
constexpr int32_t kDegrees240 = 240 * kOne;

int64_t FixedMul(int64_t a, int64_t b) {
    return (a * b) >> 16;
}

// Lightness and saturation beyond 0..1.0 would give channels outside a
// byte (and products outside 64 bits); they are taken as their nearest end.
int64_t ClampUnit(int32_t value) {
    return value < 0 ? 0 : value > kOne ? kOne : value;
}

// The integer part of a 16.16 fraction of full intensity, as a byte.
uint8_t ToByte(int64_t value) {
    return uint8_t(value * 255 / kOne);
}

// Wide, so that hue +- 120 degrees cannot overflow for any hue word.
int64_t Channel(int64_t p, int64_t q, int64_t h) {
    if (h > Hsl::kFullTurn) h %= Hsl::kFullTurn;
    if (h < 0) h = h % Hsl::kFullTurn + Hsl::kFullTurn;
    if (h < kDegrees60) return p + (q - p) * h / kDegrees60;
    if (h < kDegrees180) return q;
    if (h < kDegrees240) return p + (q - p) * (kDegrees240 - h) / kDegrees60;
    return p;
}

}  // namespace

void FixedDivSat(int32_t* out, int32_t a, int32_t b) {
    // Kept in 64 bits: the absolute values of INT32_MIN do not fit in 32.
    const int64_t whole = a >> 16;
    if (std::llabs(whole) < (std::llabs(int64_t(b)) >> 1)) {
        *out = int32_t(int64_t(a) * 65536 / b);
        return;
    }
    *out = (whole < 0) != (b < 0) ? INT32_MIN : INT32_MAX;
}

Hsl RgbToHsl(uint8_t red, uint8_t green, uint8_t blue) {
    const int32_t r = FixedDivSat(int32_t(red) << 16, 0xff0000);
    const int32_t g = FixedDivSat(int32_t(green) << 16, 0xff0000);
    const int32_t b = FixedDivSat(int32_t(blue) << 16, 0xff0000);
    int32_t max = r, min = r;
    if (g > max) max = g;
    if (b > max) max = b;
    if (g < min) min = g;
    if (b < min) min = b;

    Hsl hsl;
    hsl.lightness = (max + min) / 2;
    if (max == min) return hsl;   // grey: no saturation, no meaningful hue

    const int32_t d = max - min;
    hsl.saturation = hsl.lightness <= kHalf ? FixedDivSat(d, max + min) : FixedDivSat(d, 2 * kOne - max - min);
    int32_t hue = 0;
    if (r == max) hue = FixedDivSat(g - b, d);
    if (g == max) hue = 2 * kOne + FixedDivSat(b - r, d);
    if (b == max) hue = 4 * kOne + FixedDivSat(r - g, d);
    hue *= 60;
    if (hue < 0) hue += Hsl::kFullTurn;
    hsl.hue = hue;
    return hsl;
}

void RgbToHslColor(uint32_t colour, int32_t* hue, int32_t* lightness, int32_t* saturation) {
    const Hsl hsl = RgbToHsl(uint8_t(colour), uint8_t(colour >> 8), uint8_t(colour >> 16));
    *hue = hsl.hue;
    *lightness = hsl.lightness;
    *saturation = hsl.saturation;
}

uint32_t HslToRgb(const Hsl& hsl) {
    uint8_t rgb[3];
    HslToRgbBytes(hsl.hue, hsl.lightness, hsl.saturation, hsl.spare, rgb);
    return uint32_t(rgb[0]) | uint32_t(rgb[1]) << 8 | uint32_t(rgb[2]) << 16;
}

void HslToRgbBytes(int32_t hue, int32_t lightness, int32_t saturation, int32_t /*spare*/, uint8_t rgb[3]) {
    const int64_t l = ClampUnit(lightness), s = ClampUnit(saturation);
    if (s == 0) {
        rgb[0] = rgb[1] = rgb[2] = ToByte(l);
        return;
    }
    const int64_t m2 = l <= kHalf ? FixedMul(l, kOne + s) : l + s - FixedMul(l, s);
    const int64_t m1 = 2 * l - m2;
    rgb[0] = ToByte(Channel(m1, m2, int64_t(hue) + kDegrees120));
    rgb[1] = ToByte(Channel(m1, m2, hue));
    rgb[2] = ToByte(Channel(m1, m2, int64_t(hue) - kDegrees120));
}

const uint32_t* BuildReciprocalTable() {
    static uint32_t table[kReciprocalEntries];
    static bool needsBuilding = true;
    if (needsBuilding) {
        table[0] = 1;
        for (uint32_t n = 1; n < kReciprocalEntries; ++n) table[n] = ((0x80000000u / n) + 1) >> 1;
        needsBuilding = false;
    }
    return table;
}
