#pragma once
#include <cstdint>

#include "display/InverseColorTable.h"
#include "engine/Status.h"

class IffFile;
struct DisplayPalette;

// One palette colour as it sits in memory and in a "VPAL" file.
struct PaletteColor {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t spare = 0;
};
static_assert(sizeof(PaletteColor) == 4, "palette colours are read and written as 4-byte entries");

// The shading rows of a palette: for each of the 256 colours a row of levels
// from black (entry 0) up, reached as row colour << shift. Entries are palette
// indices (8-bit palettes) or 16-bit pixels. The allocation holds 256 x 32
// entries; the rows never reach past it. Owned tables and their rows come
// from the engine's allocation functions.
struct ShadeTable {
    void* rows = nullptr;     // 256 rows of 1 << shift entries
    uint32_t shift = 0;       // log2 of the row width: 5
    uint32_t levels = 0;      // 32; bytes per stored row in the 8-bit form
    uint32_t pivot = 0;       // the level showing the unaltered colour, pre-shifted:
                              // its entry is pivot >> (8 - shift)
    void* buffer = nullptr;   // the allocation behind rows, freed with the table

    uint8_t* Row8(uint32_t colour) const { return static_cast<uint8_t*>(rows) + (colour << shift); }
    uint16_t* Row16(uint32_t colour) const { return static_cast<uint16_t*>(rows) + (colour << shift); }
    uint32_t PivotEntry() const { return pivot >> (8 - shift); }
};

// 256 colours, the shade table the software rasterizers shade with, and the
// table that maps a 15-bit colour to its closest palette index. One kind per
// pixel format; the display drivers read the colours and the kind's flag, the
// canvases the shade table. Palettes live in the C runtime heap: create them
// with Create() or new (std::nothrow).
class Palette {
public:
    static constexpr int kColorCount = 256;
    static constexpr uint32_t kShadeShift = 5;
    static constexpr uint32_t kShadeLevels = 32;
    static constexpr uint32_t kShadeEntries = kColorCount * kShadeLevels;

    // Flags.
    static constexpr uint32_t kFlagIndexed8 = 0x01;
    static constexpr uint32_t kFlagRgb555 = 0x02;
    static constexpr uint32_t kFlagRgb565 = 0x04;
    static constexpr uint32_t kFlagOwnsShades = 0x10;

    // The kind that serves a pixel format (display/PixelFormat.h); null for
    // an unknown format or when memory runs out.
    static Palette* Create(int32_t pixelFormat);

    virtual ~Palette();
    Palette(const Palette&) = delete;
    Palette& operator=(const Palette&) = delete;

    // Frees the shade table when this palette owns it.
    virtual void ReleaseShades();
    // Closest index of a colour packed red in the low byte, then green, blue.
    virtual uint8_t MatchColor(uint32_t colour) const;
    // The same for a 16.16 hue (degrees), lightness and saturation.
    virtual uint8_t MatchHsl(int32_t hue, int32_t lightness, int32_t saturation, int32_t spare) const;
    // Copies up to 256 colours from entry 0 on.
    virtual void SetColors(const PaletteColor* colours, uint32_t count);
    // Colour (index & 0xFF) packed as red in the low byte, green, blue, spare.
    virtual uint32_t GetColor(uint32_t index) const;
    // Reads the first "VPAL" form from a chunk file standing inside the form
    // that encloses it, or from a file. On failure colours and tables are as
    // they were, though a palette without a shade table is given an empty one.
    virtual Status LoadFromIff(IffFile& iff);
    virtual Status LoadFromFile(const char* path);

    // Copies 256 colours when given; takes `shades` (not owned) when given,
    // otherwise allocates a table when none exists; points the conversion
    // table at the colours and, with InverseColorTable::kFlagBuild in flags,
    // builds it from them. The 16-bit kinds drop their display palette first.
    // kStatusOutOfMemory leaves no shade table.
    Status SetTables(uint32_t flags, const PaletteColor* colours, ShadeTable* shades);

    // Puts `stand` in the place of the shade table for a while (a camera's
    // colour ramp) and returns the table it displaced. Ownership does not
    // move: put the displaced table back before the palette releases it.
    ShadeTable* SwapShades(ShadeTable* stand);

    // The colours as an 8-bit display takes them (entries 0 to 254, the lowest
    // bit of blue cleared; entry 255, the transparent index, black), made on
    // the first call and kept; null when memory runs out.
    const DisplayPalette* GetDisplayPalette();

    ShadeTable* Shades() const { return shades_; }
    const PaletteColor* Colors() const { return colors_; }
    PaletteColor* Colors() { return colors_; }
    const InverseColorTable& Conversion() const { return conversion_; }
    InverseColorTable& Conversion() { return conversion_; }
    uint32_t Flags() const { return flags_; }
    bool IsIndexed8() const { return (flags_ & kFlagIndexed8) != 0; }

protected:
    explicit Palette(uint32_t kindFlag);

    // 1 for rows of palette indices, 2 for rows of pixels.
    virtual uint32_t ShadeEntryBytes() const = 0;
    // After the colours or the pivot changed: the 16-bit kinds build their
    // rows from them; the 8-bit kind keeps the rows it was given.
    virtual void RebuildShades() = 0;

    // Copies colours, conversion table, shift, levels and pivot from source,
    // then rebuilds the rows; kStatusOutOfMemory when no table can be had,
    // kStatusNothingToDo when the source has no shade table.
    Status CopyTablesFrom(const Palette& source);

private:
    friend class PaletteLoader;

    ShadeTable* shades_ = nullptr;
    PaletteColor colors_[kColorCount];
    InverseColorTable conversion_;
    uint32_t flags_;   // the kind's flag, and kFlagOwnsShades
    DisplayPalette* displayPalette_ = nullptr;
};

// Pixel mode 0: shade entries are palette indices.
class PaletteIndexed8 final : public Palette {
public:
    PaletteIndexed8();

protected:
    uint32_t ShadeEntryBytes() const override { return 1; }
    void RebuildShades() override {}
};

// Pixel mode 1: shade entries are 5-5-5 pixels.
class PaletteRgb555 final : public Palette {
public:
    PaletteRgb555();

    // 16-bit palettes are rebuilt from another palette of any kind.
    Status CopyFrom(const Palette& source) { return CopyTablesFrom(source); }

    // Fills count entries: black at 0 up to the colour itself at k, then on
    // toward white, stopping one step short of it. A k past the row is taken
    // as its last entry.
    static void BuildShadeRamp(uint16_t* row, uint32_t count, PaletteColor colour, uint32_t k);

protected:
    uint32_t ShadeEntryBytes() const override { return 2; }
    void RebuildShades() override;
};

// Pixel mode 2: shade entries are 5-6-5 pixels.
class PaletteRgb565 final : public Palette {
public:
    PaletteRgb565();

    Status CopyFrom(const Palette& source) { return CopyTablesFrom(source); }

    static void BuildShadeRamp(uint16_t* row, uint32_t count, PaletteColor colour, uint32_t k);

protected:
    uint32_t ShadeEntryBytes() const override { return 2; }
    void RebuildShades() override;
};

// Passes the red, green and blue of `count` colours through the gamma curve of
// the colour tables; nothing happens without them or at a gamma of exactly 1.
void ApplyGammaToPalette(PaletteColor* colours, uint32_t count);
