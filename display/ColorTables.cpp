#include "display/ColorTables.h"

#include <cmath>

ColorTables* g_colorTables = nullptr;

void ColorTables::SetGamma(float newGamma) {
    gamma = newGamma;
    const double exponent = 1.0 / double(newGamma);
    const double scale = 255.0 / std::pow(255.0, exponent);
    for (int i = 0; i < 256; ++i) {
        double v = std::pow(double(i), exponent) * scale;
        // A gamma of 0 or below makes inf x 0 somewhere; NaN counts as dark.
        if (!(v >= 0.0)) v = 0.0;
        if (v > 255.0) v = 255.0;
        gammaCurve[i] = uint8_t(v);
    }
}

void ColorTables::BuildShadeTable() {
    // Steps of 1/256 are exact in a float, so every entry is c x L / 256
    // truncated.
    float f = 0.0f;
    for (int level = 0; level < kLevels; ++level) {
        for (int c = 0; c < kChannelValues; ++c) shadeTable[level][c] = uint8_t(float(c) * f);
        f += 0.00390625f;
    }
}
