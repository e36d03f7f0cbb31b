#pragma once
#include <cstdint>

// A colour as four bytes: red, green, blue, 0.
struct RgbColor {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t zero = 0;

    RgbColor() = default;
    constexpr RgbColor(uint8_t r, uint8_t g, uint8_t b) : red(r), green(g), blue(b) {}
};
static_assert(sizeof(RgbColor) == 4);
