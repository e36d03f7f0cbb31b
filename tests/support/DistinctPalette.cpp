#include "tests/support/DistinctPalette.h"

std::unique_ptr<Palette> MakeDistinctPalette(int32_t pixelFormat) {
    std::unique_ptr<Palette> palette(Palette::Create(pixelFormat));
    PaletteColor colours[Palette::kColorCount];
    for (int i = 0; i < Palette::kColorCount; ++i) colours[i] = {uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 0};
    palette->SetColors(colours, Palette::kColorCount);
    return palette;
}
