#include "display/InverseColorTable.h"

void InverseColorTable::Init(const uint8_t* paletteEntries, uint32_t flags) {
    entries = paletteEntries;
    if (flags & kFlagBuild) Build();
}

void InverseColorTable::Build() {
    if (!entries) return;
    for (int r = 0; r < 32; ++r) {
        for (int g = 0; g < 32; ++g) {
            for (int b = 0; b < 32; ++b) {
                const int red = r * 8, green = g * 8, blue = b * 8;
                uint8_t best = 0;
                int32_t bestDistance = INT32_MAX;
                for (int i = 0; i < kTransparentIndex; ++i) {
                    const uint8_t* e = entries + 4 * i;
                    const int32_t dr = e[0] - red, dg = e[1] - green, db = e[2] - blue;
                    const int32_t distance = dr * dr + dg * dg + db * db;
                    if (distance < bestDistance) {
                        bestDistance = distance;
                        best = uint8_t(i);
                        if (distance == 0) break;
                    }
                }
                index[r << 10 | g << 5 | b] = best;
            }
        }
    }
}
