#include "display/Palette.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "display/ColorMath.h"
#include "display/PixelFormat.h"
#include "platform/DisplayPalette.h"
#include "tests/support/ScopedEngineHeap.h"

namespace {

// Entry i is (i, 255 - i, i / 2), entry 7 pure white, entry 100 the grid
// colour (64, 128, 32).
struct Colours {
    Colours() {
        for (int i = 0; i < 256; ++i) {
            entries[i] = {uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), uint8_t(i ^ 1)};
        }
        entries[7] = {255, 255, 255, 0};
        entries[100] = {64, 128, 32, 0};
    }
    PaletteColor entries[256];
};

uint16_t Pack555(int r, int g, int b) { return uint16_t((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3)); }
uint16_t Pack565(int r, int g, int b) { return uint16_t((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3)); }

TEST(Palette, EachKindCarriesItsFormatFlagAndStartsWithoutTables) {
    PaletteIndexed8 indexed;
    PaletteRgb555 rgb555;
    PaletteRgb565 rgb565;
    EXPECT_EQ(indexed.Flags(), Palette::kFlagIndexed8);
    EXPECT_EQ(rgb555.Flags(), Palette::kFlagRgb555);
    EXPECT_EQ(rgb565.Flags(), Palette::kFlagRgb565);
    EXPECT_EQ(indexed.Shades(), nullptr);
    EXPECT_EQ(rgb565.Conversion().entries, reinterpret_cast<const uint8_t*>(rgb565.Colors()));
}

TEST(Palette, CreateMakesTheKindOfThePixelFormat) {
    const std::unique_ptr<Palette> indexed(Palette::Create(kPixelFormatIndexed8));
    const std::unique_ptr<Palette> rgb555(Palette::Create(kPixelFormatRgb555));
    const std::unique_ptr<Palette> rgb565(Palette::Create(kPixelFormatRgb565));
    ASSERT_NE(indexed, nullptr);
    ASSERT_NE(rgb555, nullptr);
    ASSERT_NE(rgb565, nullptr);
    EXPECT_NE(dynamic_cast<PaletteIndexed8*>(indexed.get()), nullptr);
    EXPECT_NE(dynamic_cast<PaletteRgb555*>(rgb555.get()), nullptr);
    EXPECT_NE(dynamic_cast<PaletteRgb565*>(rgb565.get()), nullptr);
    EXPECT_EQ(Palette::Create(3), nullptr);
    EXPECT_EQ(Palette::Create(-1), nullptr);
}

TEST(Palette, SetTablesAllocatesOneOwnedTableOf32LevelsPerColour) {
    PaletteRgb565 palette;
    ASSERT_EQ(palette.SetTables(0, nullptr, nullptr), kStatusOk);
    ShadeTable* const shades = palette.Shades();
    ASSERT_NE(shades, nullptr);
    EXPECT_EQ(shades->shift, 5u);
    EXPECT_EQ(shades->levels, 32u);
    EXPECT_EQ(shades->rows, shades->buffer);
    EXPECT_NE(palette.Flags() & Palette::kFlagOwnsShades, 0u);
    // The last entry of a 16-bit table is 16 bits wide and in reach.
    shades->Row16(255)[31] = 0xFFFF;
    EXPECT_EQ(shades->Row16(0)[0], 0);

    ASSERT_EQ(palette.SetTables(0, nullptr, nullptr), kStatusOk);
    EXPECT_EQ(palette.Shades(), shades);
}

TEST(Palette, SetTablesCopiesColoursAndBorrowsAGivenTable) {
    const Colours colours;
    PaletteIndexed8 palette;
    ASSERT_EQ(palette.SetTables(0, nullptr, nullptr), kStatusOk);
    uint8_t rows[Palette::kShadeEntries] = {};
    ShadeTable borrowed{.rows = rows, .shift = 5, .levels = 32, .pivot = 120, .buffer = rows};

    // The owned table is given up for the borrowed one, which is never freed.
    ASSERT_EQ(palette.SetTables(0, colours.entries, &borrowed), kStatusOk);
    EXPECT_EQ(palette.Shades(), &borrowed);
    EXPECT_EQ(palette.Flags() & Palette::kFlagOwnsShades, 0u);
    EXPECT_EQ(std::memcmp(palette.Colors(), colours.entries, sizeof colours.entries), 0);
    palette.ReleaseShades();
    EXPECT_EQ(palette.Shades(), &borrowed);
}

TEST(Palette, SetTablesOutOfMemoryLeavesNoTable) {
    PaletteRgb555 palette;
    {
        const ScopedEngineHeap full(ScopedEngineHeap::kFull);
        EXPECT_EQ(palette.SetTables(0, nullptr, nullptr), kStatusOutOfMemory);
    }
    EXPECT_EQ(palette.Shades(), nullptr);
    EXPECT_EQ(palette.Flags() & Palette::kFlagOwnsShades, 0u);
}

TEST(Palette, SetTablesWithTheBuildFlagMatchesColoursToTheirClosestEntry) {
    const Colours colours;
    PaletteIndexed8 palette;
    ASSERT_EQ(palette.SetTables(InverseColorTable::kFlagBuild, colours.entries, nullptr), kStatusOk);
    EXPECT_EQ(palette.MatchColor(0x00FFFFFF), 7);
    EXPECT_EQ(palette.MatchColor(64u | 128u << 8 | 32u << 16), 100);
}

TEST(Palette, MatchColorReadsTheConversionTableRedInTheLowByte) {
    PaletteRgb565 palette;
    uint8_t* const index = palette.Conversion().index;
    index[32767] = 77;
    index[31 << 10] = 11;   // red
    index[31 << 5] = 12;    // green
    index[31] = 13;         // blue
    EXPECT_EQ(palette.MatchColor(0x00FFFFFF), 77);
    EXPECT_EQ(palette.MatchColor(0x000000FF), 11);
    EXPECT_EQ(palette.MatchColor(0x0000FF00), 12);
    EXPECT_EQ(palette.MatchColor(0x00FF0000), 13);
    // The spare byte plays no part.
    EXPECT_EQ(palette.MatchColor(0xFFFFFFFF), 77);
}

TEST(Palette, MatchHslConvertsToRgbThenMatches) {
    PaletteIndexed8 palette;
    uint8_t* const index = palette.Conversion().index;
    index[31 << 10] = 9;   // pure red
    index[32767] = 4;      // white
    EXPECT_EQ(palette.MatchHsl(0, Hsl::kOne / 2, Hsl::kOne, 0), 9);
    EXPECT_EQ(palette.MatchHsl(0, Hsl::kOne, 0, 0), 4);
}

TEST(Palette, GetColorPacksRedLowAndTakesTheLowByteOfTheIndex) {
    const Colours colours;
    PaletteRgb555 palette;
    palette.SetColors(colours.entries, 256);
    EXPECT_EQ(palette.GetColor(200), 200u | 55u << 8 | 100u << 16 | 201u << 24);
    EXPECT_EQ(palette.GetColor(0x100 + 200), palette.GetColor(200));
}

TEST(Palette, SetColorsCopiesAtMost256FromEntryZero) {
    PaletteColor many[300];
    for (int i = 0; i < 300; ++i) {
        many[i] = {uint8_t(i), 1, 2, 3};
    }
    PaletteIndexed8 palette;
    palette.SetColors(many, 3);
    EXPECT_EQ(palette.Colors()[2].red, 2);
    EXPECT_EQ(palette.Colors()[3].red, 0);
    palette.SetColors(many, 300);
    EXPECT_EQ(palette.Colors()[255].red, 255);
}

TEST(ShadeRamp, Rgb555RunsFromBlackThroughTheColourAtThePivotToNearWhite) {
    uint16_t row[32];
    PaletteRgb555::BuildShadeRamp(row, 32, {200, 100, 40, 0}, 15);
    EXPECT_EQ(row[0], 0);
    EXPECT_EQ(row[6], Pack555(80, 40, 16));   // nine steps of a fifteenth down
    EXPECT_EQ(row[15], Pack555(200, 100, 40));
    // Sixteen of seventeen steps up: (252, 246, 242), one step short of white.
    EXPECT_EQ(row[31], Pack555(252, 246, 242));
}

TEST(ShadeRamp, Rgb565PacksSixBitsOfGreen) {
    uint16_t row[32];
    PaletteRgb565::BuildShadeRamp(row, 32, {200, 100, 40, 0}, 15);
    EXPECT_EQ(row[0], 0);
    EXPECT_EQ(row[6], Pack565(80, 40, 16));
    EXPECT_EQ(row[15], Pack565(200, 100, 40));
    EXPECT_EQ(row[31], Pack565(252, 246, 242));
    EXPECT_EQ(row[31], 65470);
}

TEST(ShadeRamp, WhiteStaysWhiteAboveThePivot) {
    uint16_t row[32];
    PaletteRgb555::BuildShadeRamp(row, 32, {255, 255, 255, 0}, 15);
    for (int i = 15; i < 32; ++i) {
        EXPECT_EQ(row[i], 0x7FFF) << i;
    }
    EXPECT_EQ(row[0], 0);
}

TEST(ShadeRamp, PivotAtEitherEndStaysInsideTheRow) {
    uint16_t row[33];
    row[32] = 0xABCD;
    PaletteRgb565::BuildShadeRamp(row, 32, {200, 100, 40, 0}, 0);
    EXPECT_EQ(row[0], Pack565(200, 100, 40));
    // Nothing below the colour: all 31 steps go up, (253, 250, 248) at the end.
    EXPECT_EQ(row[31], Pack565(253, 250, 248));

    PaletteRgb565::BuildShadeRamp(row, 32, {200, 100, 40, 0}, 40);
    EXPECT_EQ(row[31], Pack565(200, 100, 40));
    EXPECT_EQ(row[0], 0);
    EXPECT_EQ(row[32], 0xABCD);

    // A row of no entries is left alone.
    PaletteRgb565::BuildShadeRamp(row, 0, {200, 100, 40, 0}, 5);
    EXPECT_EQ(row[0], 0);
}

// A borrowed table whose rows are said to be wider than the table allows is
// never written: copying tables into such a palette leaves every entry
// where it was.
TEST(Palette, RampsAreNeverBuiltPastTheEndOfABorrowedTable) {
    const Colours colours;
    PaletteIndexed8 source;
    ASSERT_EQ(source.SetTables(0, colours.entries, nullptr), kStatusOk);
    for (const uint32_t shift : {0u, Palette::kShadeShift + 1}) {
        std::vector<uint16_t> rows(Palette::kShadeEntries, 0x1234);
        ShadeTable wide{.rows = rows.data(), .shift = shift, .levels = 64, .pivot = 8, .buffer = rows.data()};
        source.Shades()->shift = shift;
        PaletteRgb565 palette;
        ASSERT_EQ(palette.SetTables(0, nullptr, &wide), kStatusOk);
        ASSERT_EQ(palette.CopyFrom(source), kStatusOk);
        EXPECT_EQ(std::memcmp(palette.Colors(), colours.entries, sizeof colours.entries), 0) << shift;
        EXPECT_EQ(std::count(rows.begin(), rows.end(), 0x1234), std::ptrdiff_t(rows.size())) << shift;
    }
}

TEST(Palette, CopyFromTakesColoursConversionAndPivotAndRebuildsTheRamps) {
    const Colours colours;
    PaletteIndexed8 source;
    ASSERT_EQ(source.SetTables(0, colours.entries, nullptr), kStatusOk);
    source.Shades()->pivot = 80;   // entry 10
    source.Conversion().index[1234] = 99;

    PaletteRgb565 copy;
    ASSERT_EQ(copy.CopyFrom(source), kStatusOk);
    EXPECT_EQ(std::memcmp(copy.Colors(), colours.entries, sizeof colours.entries), 0);
    EXPECT_EQ(copy.Conversion().index[1234], 99);
    EXPECT_EQ(copy.Conversion().entries, reinterpret_cast<const uint8_t*>(copy.Colors()));
    EXPECT_EQ(copy.Shades()->pivot, 80u);
    for (int i = 0; i < 256; ++i) {
        uint16_t expected[32];
        PaletteRgb565::BuildShadeRamp(expected, 32, colours.entries[i], 10);
        ASSERT_EQ(std::memcmp(copy.Shades()->Row16(uint32_t(i)), expected, sizeof expected), 0) << i;
    }
    EXPECT_EQ(copy.Shades()->Row16(200)[10], Pack565(200, 55, 100));
}

TEST(Palette, CopyFromASourceWithoutTablesChangesNothing) {
    PaletteIndexed8 source;
    PaletteRgb555 copy;
    copy.Colors()[3].red = 42;
    EXPECT_EQ(copy.CopyFrom(source), kStatusNothingToDo);
    EXPECT_EQ(copy.Colors()[3].red, 42);
    EXPECT_EQ(copy.Shades(), nullptr);
}

TEST(Palette, DisplayPaletteClearsTheLowBitOfBlueAndLeavesTheTransparentEntryBlack) {
    Colours colours;
    colours.entries[255] = {9, 9, 9, 9};
    PaletteIndexed8 palette;
    ASSERT_EQ(palette.SetTables(0, colours.entries, nullptr), kStatusOk);
    const DisplayPalette* shown = palette.GetDisplayPalette();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->entries[201].red, 201);
    EXPECT_EQ(shown->entries[201].green, 54);
    EXPECT_EQ(shown->entries[201].blue, 100);   // 100 stays, it is even
    EXPECT_EQ(shown->entries[3].blue, 0);       // 1 loses its low bit
    EXPECT_EQ(shown->entries[255].red, 0);
    EXPECT_EQ(shown->entries[255].blue, 0);
    EXPECT_EQ(palette.GetDisplayPalette(), shown);

    // An 8-bit palette keeps it through new tables.
    colours.entries[201].red = 1;
    ASSERT_EQ(palette.SetTables(0, colours.entries, nullptr), kStatusOk);
    EXPECT_EQ(palette.GetDisplayPalette()->entries[201].red, 201);
}

TEST(Palette, SixteenBitPalettesGiveTheirDisplayPaletteUpInSetTables) {
    Colours colours;
    PaletteRgb555 palette;
    ASSERT_EQ(palette.SetTables(0, colours.entries, nullptr), kStatusOk);
    ASSERT_NE(palette.GetDisplayPalette(), nullptr);
    colours.entries[201].red = 1;
    ASSERT_EQ(palette.SetTables(0, colours.entries, nullptr), kStatusOk);
    EXPECT_EQ(palette.GetDisplayPalette()->entries[201].red, 1);
}

TEST(Palette, SwapShadesLendsTheSlotWithoutMovingOwnership) {
    PaletteIndexed8 palette;
    ASSERT_EQ(palette.SetTables(0, nullptr, nullptr), kStatusOk);
    ShadeTable* const own = palette.Shades();
    uint8_t rows[Palette::kShadeEntries] = {};
    ShadeTable ramp{.rows = rows, .shift = 5, .levels = 32, .pivot = 0, .buffer = rows};
    EXPECT_EQ(palette.SwapShades(&ramp), own);
    EXPECT_EQ(palette.Shades(), &ramp);
    EXPECT_EQ(palette.SwapShades(own), &ramp);
    EXPECT_NE(palette.Flags() & Palette::kFlagOwnsShades, 0u);
}

TEST(Palette, ReleaseShadesFreesTheOwnedTableOnce) {
    PaletteRgb565 palette;
    ASSERT_EQ(palette.SetTables(0, nullptr, nullptr), kStatusOk);
    palette.ReleaseShades();
    EXPECT_EQ(palette.Shades(), nullptr);
    EXPECT_EQ(palette.Flags(), Palette::kFlagRgb565);
    palette.ReleaseShades();
    ASSERT_EQ(palette.SetTables(0, nullptr, nullptr), kStatusOk);
    EXPECT_NE(palette.Shades(), nullptr);
}

}  // namespace
