#pragma once
#include <cstdint>

// Hue, lightness and saturation in 16.16 fixed point.
struct Hsl {
    static constexpr int32_t kOne = 0x10000;
    static constexpr int32_t kFullTurn = 0x1680000;   // 360 degrees

    int32_t hue = 0;          // degrees, 0 up to 360
    int32_t lightness = 0;    // 0..1.0
    int32_t saturation = 0;   // 0..1.0
    int32_t spare = 0;        // always 0
};

// 16.16 a / b. A quotient that would not fit saturates to INT32_MIN when a
// and b differ in sign and to INT32_MAX otherwise; b = 0 saturates the same
// way (a >= 0 counts as positive).
void FixedDivSat(int32_t* out, int32_t a, int32_t b);
inline int32_t FixedDivSat(int32_t a, int32_t b) {
    int32_t q;
    FixedDivSat(&q, a, b);
    return q;
}

Hsl RgbToHsl(uint8_t red, uint8_t green, uint8_t blue);
// colour: red in byte 0, green in byte 1, blue in byte 2.
void RgbToHslColor(uint32_t colour, int32_t* hue, int32_t* lightness, int32_t* saturation);
// Red, green, blue in bytes 0, 1, 2.
uint32_t HslToRgb(const Hsl& hsl);
// rgb receives red, green, blue.
void HslToRgbBytes(int32_t hue, int32_t lightness, int32_t saturation, int32_t spare, uint8_t rgb[3]);

// u32[2048]: entry 0 is 1, entry n is 2^30 / n rounded half up. Built on
// the first call; later calls return the same table.
inline constexpr int kReciprocalEntries = 2048;
const uint32_t* BuildReciprocalTable();
