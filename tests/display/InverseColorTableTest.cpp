#include "display/InverseColorTable.h"

#include <array>
#include <memory>

#include <gtest/gtest.h>

namespace {

using Entries = std::array<uint8_t, 1024>;

void SetEntry(Entries& e, int i, int red, int green, int blue) {
    e[4 * i] = uint8_t(red);
    e[4 * i + 1] = uint8_t(green);
    e[4 * i + 2] = uint8_t(blue);
    e[4 * i + 3] = 0;
}

// 256 distinct colours on the table's 8-step grid.
Entries GridPalette() {
    Entries e{};
    for (int i = 0; i < 256; ++i) SetEntry(e, i, (i * 37) % 32 * 8, (i * 11) % 32 * 8, i / 32 * 8 + 64);
    return e;
}

std::unique_ptr<InverseColorTable> Built(const Entries& entries) {
    auto table = std::make_unique<InverseColorTable>();
    table->Init(entries.data(), InverseColorTable::kFlagBuild);
    return table;
}

TEST(InverseColorTable, InitWithoutTheBuildFlagOnlyStoresTheEntries) {
    const Entries entries = GridPalette();
    auto table = std::make_unique<InverseColorTable>();
    table->Init(entries.data(), 0);
    EXPECT_EQ(table->entries, entries.data());
    for (uint8_t v : table->index) ASSERT_EQ(v, 0);
}

TEST(InverseColorTable, FindsTheIndexOfEveryExactColour) {
    const Entries entries = GridPalette();
    auto table = Built(entries);
    EXPECT_EQ(table->entries, entries.data());
    for (int i = 0; i < 255; ++i) {
        const uint8_t* e = &entries[4 * i];
        ASSERT_EQ(table->Lookup(e[0], e[1], e[2]), i) << i;
        // The low three bits of each channel are dropped.
        ASSERT_EQ(table->Lookup(uint8_t(e[0] | 7), uint8_t(e[1] | 7), uint8_t(e[2] | 7)), i) << i;
    }
}

TEST(InverseColorTable, NeverChoosesTheTransparentIndex) {
    Entries entries{};
    for (int i = 0; i < 255; ++i) SetEntry(entries, i, 255, 255, 255);
    SetEntry(entries, 255, 0, 0, 0);   // the only black is entry 255
    auto table = Built(entries);
    EXPECT_EQ(table->Lookup(0, 0, 0), 0);
    for (uint8_t v : table->index) ASSERT_NE(v, InverseColorTable::kTransparentIndex);

    const Entries grid = GridPalette();
    auto gridTable = Built(grid);
    const uint8_t* last = &grid[4 * 255];
    EXPECT_NE(gridTable->Lookup(last[0], last[1], last[2]), 255);
}

TEST(InverseColorTable, LowestIndexWinsATie) {
    Entries entries{};
    for (int i = 0; i < 256; ++i) SetEntry(entries, i, 255, 255, 255);
    SetEntry(entries, 20, 0, 0, 0);
    SetEntry(entries, 10, 0, 0, 0);
    SetEntry(entries, 30, 16, 0, 0);
    SetEntry(entries, 25, 16, 16, 0);
    auto table = Built(entries);
    EXPECT_EQ(table->Lookup(0, 0, 0), 10);
    EXPECT_EQ(table->Lookup(8, 0, 0), 10);     // 64 from both 10 and 30
    EXPECT_EQ(table->Lookup(16, 8, 0), 25);    // 64 from both 30 and 25
}

TEST(InverseColorTable, PackedColourCarriesRedInTheLowByte) {
    Entries entries{};
    for (int i = 0; i < 256; ++i) SetEntry(entries, i, 128, 128, 128);
    SetEntry(entries, 1, 255, 0, 0);
    SetEntry(entries, 2, 0, 255, 0);
    SetEntry(entries, 3, 0, 0, 255);
    auto table = Built(entries);
    EXPECT_EQ(table->Lookup(0x0000ffu), 1);
    EXPECT_EQ(table->Lookup(0x00ff00u), 2);
    EXPECT_EQ(table->Lookup(0xff0000u), 3);
    EXPECT_EQ(InverseColorTable::IndexOf(0xffffffu), 32767u);
    EXPECT_EQ(InverseColorTable::IndexOf(255, 0, 0), 31u << 10);
}

}  // namespace
