#include "tools/mkdata/PaletteData.h"

#include <cstring>
#include <new>

#include "display/InverseColorTable.h"
#include "display/PaletteLoader.h"
#include "engine/FileWrappers.h"
#include "engine/IffFile.h"

namespace {

constexpr uint32_t kVornForm = MakeTag("VORN");
constexpr uint32_t kPaletteForm = MakeTag("PALT");
constexpr uint32_t kInfoChunk = MakeTag("INFO");

constexpr int kCubeSteps = 6;
constexpr int kCubeEntries = kCubeSteps * kCubeSteps * kCubeSteps;
constexpr int kGreyEntries = InverseColorTable::kTransparentIndex - kCubeEntries;
// The entry of each shade row that shows the colour itself: 15 of 32 levels
// lie below it, down to black, and 16 above, toward white.
constexpr uint32_t kPivotEntry = 15;

// c moved a quarter of the way toward t.
uint8_t Tint(int c, int t) { return static_cast<uint8_t>(c + (t - c) / 4); }

// The pixel of a ramp back as a colour for the conversion table, which
// looks at the top five bits of each channel only.
uint32_t ColorOf555(uint16_t pixel) {
    const uint32_t red = (pixel >> 10 & 0x1F) << 3;
    const uint32_t green = (pixel >> 5 & 0x1F) << 3;
    const uint32_t blue = (pixel & 0x1F) << 3;
    return red | green << 8 | blue << 16;
}

// The 8-bit rows: each colour's 16-bit ramp, every step mapped back to the
// closest palette index. The transparent index shades to itself, so that a
// shaded sprite keeps its holes.
void BuildIndexedShades(Palette& palette) {
    ShadeTable& shades = *palette.Shades();
    shades.pivot = kPivotEntry << (8 - shades.shift);
    const uint32_t width = 1u << shades.shift;
    uint16_t ramp[Palette::kShadeLevels];
    for (uint32_t i = 0; i < uint32_t(Palette::kColorCount); ++i) {
        uint8_t* const row = shades.Row8(i);
        if (i == InverseColorTable::kTransparentIndex) {
            std::memset(row, InverseColorTable::kTransparentIndex, width);
            continue;
        }
        PaletteRgb555::BuildShadeRamp(ramp, width, palette.Colors()[i], kPivotEntry);
        for (uint32_t level = 0; level < width; ++level) {
            row[level] = palette.MatchColor(ColorOf555(ramp[level]));
        }
    }
}

Status WritePalette(IffFile& iff, const char* name, int variant) {
    PaletteColor colours[Palette::kColorCount];
    MakeSampleColors(variant, colours);
    PaletteIndexed8 palette;
    Status status = palette.SetTables(InverseColorTable::kFlagBuild, colours, nullptr);
    if (status != kStatusOk) {
        return status;
    }
    BuildIndexedShades(palette);
    PaletteLoader loader(palette);
    loader.SetName(name);
    const uint32_t infoBytes = static_cast<uint32_t>(std::strlen(name)) + 1;
    if ((status = iff.BeginForm(kPaletteForm)) != kStatusOk ||
        (status = iff.WriteChunk(kInfoChunk, name, infoBytes)) != kStatusOk ||
        (status = loader.Write(iff)) != kStatusOk) {
        return status;
    }
    return iff.Ascend();
}

}  // namespace

void MakeSampleColors(int variant, PaletteColor* colours) {
    // Spread over the colour wheel so that no two variants share a tint.
    const int tintRed = (variant * 73) % 256;
    const int tintGreen = (variant * 151 + 40) % 256;
    const int tintBlue = (variant * 199 + 90) % 256;
    auto tinted = [&](int red, int green, int blue) {
        if (variant == 0) {
            return PaletteColor{uint8_t(red), uint8_t(green), uint8_t(blue), 0};
        }
        return PaletteColor{Tint(red, tintRed), Tint(green, tintGreen), Tint(blue, tintBlue), 0};
    };
    constexpr int kCubeStep = 255 / (kCubeSteps - 1);
    for (int i = 0; i < kCubeEntries; ++i) {
        const int red = i / (kCubeSteps * kCubeSteps);
        const int green = i / kCubeSteps % kCubeSteps;
        const int blue = i % kCubeSteps;
        colours[i] = tinted(red * kCubeStep, green * kCubeStep, blue * kCubeStep);
    }
    // The grey ramp runs from just above black to white, filling in the
    // shades the cube's six steps leave out.
    for (int i = 0; i < kGreyEntries; ++i) {
        const int grey = (i + 1) * 255 / kGreyEntries;
        colours[kCubeEntries + i] = tinted(grey, grey, grey);
    }
    colours[InverseColorTable::kTransparentIndex] = PaletteColor{255, 0, 255, 0};
}

Status WritePaletteFile(const char* path) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status == kStatusOk) {
        status = iff.BeginForm(kVornForm);
    }
    for (int i = 0; i < kSamplePaletteCount && status == kStatusOk; ++i) {
        status = WritePalette(iff, kSamplePaletteNames[i], i);
    }
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}
