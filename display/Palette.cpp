#include "display/Palette.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "display/ColorMath.h"
#include "display/ColorTables.h"
#include "display/PaletteLoader.h"
#include "display/PixelFormat.h"
#include "engine/EngineAllocation.h"
#include "platform/DisplayPalette.h"

namespace {

// The ramp of one channel: entry k holds c, entries below fall to 0 in equal
// steps, entries above rise toward 255 without reaching it. Single-precision
// running values, each entry rounded half up.
template <typename Pack>
void BuildRamp(uint16_t* row, uint32_t count, PaletteColor colour, uint32_t k, Pack pack) {
    if (count == 0) {
        return;
    }
    k = std::min(k, count - 1);
    const float channels[3] = {float(colour.red), float(colour.green), float(colour.blue)};
    float value[3];
    float down[3];
    float up[3];
    for (int c = 0; c < 3; ++c) {
        value[c] = channels[c];
        // With the colour on entry 0 there is nothing below it to step through.
        down[c] = k != 0 ? channels[c] / float(k) : 0.0f;
        up[c] = (255.0f - channels[c]) / float(count - k);
    }
    auto entry = [&](const float* v) {
        return pack(uint32_t(v[0] + 0.5f), uint32_t(v[1] + 0.5f), uint32_t(v[2] + 0.5f));
    };
    for (uint32_t i = k + 1; i-- > 0;) {
        row[i] = entry(value);
        for (int c = 0; c < 3; ++c) {
            value[c] -= down[c];
            // Rounding may leave a hair below zero on the way to black.
            value[c] = std::max(value[c], 0.0f);
        }
    }
    for (int c = 0; c < 3; ++c) {
        value[c] = channels[c];
    }
    for (uint32_t i = k + 1; i < count; ++i) {
        for (int c = 0; c < 3; ++c) {
            value[c] += up[c];
        }
        row[i] = entry(value);
    }
}

// The 16-bit kinds build one ramp per colour across the row width, with the
// colour itself on the pivot entry.
template <typename Pack>
void BuildAllRamps(const ShadeTable* shades, const PaletteColor* colors, Pack pack) {
    // A borrowed table with a row width past 32 entries would be written
    // beyond its end.
    if (shades == nullptr || shades->rows == nullptr || shades->shift == 0 ||
        shades->shift > Palette::kShadeShift) {
        return;
    }
    const uint32_t width = 1u << shades->shift;
    for (uint32_t i = 0; i < uint32_t(Palette::kColorCount); ++i) {
        BuildRamp(shades->Row16(i), width, colors[i], shades->PivotEntry(), pack);
    }
}

}  // namespace

Palette* Palette::Create(int32_t pixelFormat) {
    switch (pixelFormat) {
    case kPixelFormatIndexed8:
        return new (std::nothrow) PaletteIndexed8;
    case kPixelFormatRgb555:
        return new (std::nothrow) PaletteRgb555;
    case kPixelFormatRgb565:
        return new (std::nothrow) PaletteRgb565;
    default:
        return nullptr;
    }
}

Palette::Palette(uint32_t kindFlag) : flags_(kindFlag) {
    conversion_.Init(reinterpret_cast<const uint8_t*>(colors_), 0);
}

Palette::~Palette() {
    // Not through the virtual slot: the kind is gone by now, and the base
    // frees the same way every kind does.
    Palette::ReleaseShades();
    delete displayPalette_;
}

void Palette::ReleaseShades() {
    if ((flags_ & kFlagOwnsShades) == 0) {
        return;
    }
    if (shades_ != nullptr) {
        EngineRelease(shades_->buffer);
        shades_->~ShadeTable();
        EngineRelease(shades_);
        shades_ = nullptr;
    }
    flags_ &= ~kFlagOwnsShades;
}

uint8_t Palette::MatchColor(uint32_t colour) const { return conversion_.Lookup(colour); }

uint8_t Palette::MatchHsl(int32_t hue, int32_t lightness, int32_t saturation, int32_t spare) const {
    uint8_t rgb[3];
    HslToRgbBytes(hue, lightness, saturation, spare, rgb);
    return conversion_.Lookup(rgb[0], rgb[1], rgb[2]);
}

void Palette::SetColors(const PaletteColor* colours, uint32_t count) {
    if (colours == nullptr) {
        return;
    }
    std::copy_n(colours, std::min<uint32_t>(count, kColorCount), colors_);
}

uint32_t Palette::GetColor(uint32_t index) const {
    const PaletteColor& c = colors_[index & 0xFF];
    return uint32_t(c.red) | uint32_t(c.green) << 8 | uint32_t(c.blue) << 16 | uint32_t(c.spare) << 24;
}

Status Palette::LoadFromIff(IffFile& iff) {
    const Status status = SetTables(0, nullptr, nullptr);
    if (status != kStatusOk) {
        return status;
    }
    PaletteLoader loader(*this);
    return loader.Read(iff);
}

Status Palette::LoadFromFile(const char* path) {
    const Status status = SetTables(0, nullptr, nullptr);
    if (status != kStatusOk) {
        return status;
    }
    PaletteLoader loader(*this);
    return loader.ReadFile(path);
}

Status Palette::SetTables(uint32_t flags, const PaletteColor* colours, ShadeTable* shades) {
    if (!IsIndexed8()) {
        // Made for 8-bit textures only; a 16-bit palette gives it up here.
        delete displayPalette_;
        displayPalette_ = nullptr;
    }
    if (colours != nullptr) {
        std::copy_n(colours, kColorCount, colors_);
    }
    Status status = kStatusOk;
    if (shades != nullptr) {
        if (shades != shades_) {
            ReleaseShades();
            shades_ = shades;
        }
    } else if (shades_ == nullptr) {
        const uint32_t bytes = kShadeEntries * ShadeEntryBytes();
        void* const record = EngineAllocate(sizeof(ShadeTable));
        void* const buffer = record != nullptr ? EngineAllocate(bytes) : nullptr;
        if (buffer == nullptr) {
            EngineRelease(record);
            status = kStatusOutOfMemory;
        } else {
            std::memset(buffer, 0, bytes);
            shades_ = new (record) ShadeTable{buffer, kShadeShift, kShadeLevels, 0, buffer};
            flags_ |= kFlagOwnsShades;
        }
    }
    conversion_.Init(reinterpret_cast<const uint8_t*>(colors_), flags);
    return status;
}

ShadeTable* Palette::SwapShades(ShadeTable* stand) {
    ShadeTable* const displaced = shades_;
    shades_ = stand;
    return displaced;
}

const DisplayPalette* Palette::GetDisplayPalette() {
    if (displayPalette_ != nullptr) {
        return displayPalette_;
    }
    displayPalette_ = new (std::nothrow) DisplayPalette;
    if (displayPalette_ == nullptr) {
        return nullptr;
    }
    // Entry 255 is the transparent index and stays black.
    for (int i = 0; i < kColorCount - 1; ++i) {
        DisplayPalette::Entry& entry = displayPalette_->entries[i];
        entry.red = colors_[i].red;
        entry.green = colors_[i].green;
        entry.blue = uint8_t(colors_[i].blue & 0xFE);
    }
    return displayPalette_;
}

Status Palette::CopyTablesFrom(const Palette& source) {
    const ShadeTable* const from = source.shades_;
    if (from == nullptr || &source == this) {
        return kStatusNothingToDo;
    }
    if (shades_ == nullptr) {
        const Status status = SetTables(0, nullptr, nullptr);
        if (status != kStatusOk) {
            return status;
        }
    }
    // The colours come over as they are: the source has had its gamma.
    std::copy_n(source.colors_, kColorCount, colors_);
    std::memcpy(conversion_.index, source.conversion_.index, sizeof conversion_.index);
    // A header whose rows would leave the table keeps this palette's own.
    if (from->shift >= 1 && from->shift <= kShadeShift) {
        shades_->shift = from->shift;
        shades_->levels = from->levels;
        shades_->pivot = from->pivot;
    }
    RebuildShades();
    return kStatusOk;
}

PaletteIndexed8::PaletteIndexed8() : Palette(kFlagIndexed8) {}

PaletteRgb555::PaletteRgb555() : Palette(kFlagRgb555) {}

void PaletteRgb555::BuildShadeRamp(uint16_t* row, uint32_t count, PaletteColor colour, uint32_t k) {
    BuildRamp(row, count, colour, k, PackPixel555);
}

void PaletteRgb555::RebuildShades() { BuildAllRamps(Shades(), Colors(), PackPixel555); }

PaletteRgb565::PaletteRgb565() : Palette(kFlagRgb565) {}

void PaletteRgb565::BuildShadeRamp(uint16_t* row, uint32_t count, PaletteColor colour, uint32_t k) {
    BuildRamp(row, count, colour, k, PackPixel565);
}

void PaletteRgb565::RebuildShades() { BuildAllRamps(Shades(), Colors(), PackPixel565); }

void ApplyGammaToPalette(PaletteColor* colours, uint32_t count) {
    if (g_colorTables == nullptr || g_colorTables->gamma == 1.0f || colours == nullptr) {
        return;
    }
    const uint8_t* const curve = g_colorTables->gammaCurve;
    for (uint32_t i = 0; i < count; ++i) {
        colours[i].red = curve[colours[i].red];
        colours[i].green = curve[colours[i].green];
        colours[i].blue = curve[colours[i].blue];
    }
}
