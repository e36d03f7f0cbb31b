#include "display/FogTables.h"

#include <array>
#include <cmath>
#include <memory>

#include <gtest/gtest.h>

#include "display/InverseColorTable.h"
#include "engine/EngineHeap.h"
#include "tests/support/ScopedEngineHeap.h"

namespace {

// Entries 0..31 are the greys 0, 8, ..., 248; the rest a blue far from them.
struct GreyPalette {
    GreyPalette() {
        for (int i = 0; i < 256; ++i) {
            const uint8_t grey = uint8_t(i < 32 ? 8 * i : 0);
            entries[4 * i] = grey;
            entries[4 * i + 1] = grey;
            entries[4 * i + 2] = uint8_t(i < 32 ? grey : 255);
        }
        inverse->Init(entries.data(), InverseColorTable::kFlagBuild);
    }
    std::array<uint8_t, 1024> entries{};
    std::unique_ptr<InverseColorTable> inverse = std::make_unique<InverseColorTable>();
};

TEST(FogStartDepth, ScalesTheStartToTheDepthRangeAndClampsIt) {
    EXPECT_EQ(FogStartDepth(0.0f), 0);
    EXPECT_EQ(FogStartDepth(0.5f), 32767);
    EXPECT_EQ(FogStartDepth(1.0f), 65535);
    EXPECT_EQ(FogStartDepth(1.5f), 65535);
    EXPECT_EQ(FogStartDepth(-0.25f), 0);
    EXPECT_EQ(FogStartDepth(std::nanf("")), 0);
}

TEST(FogTables16, FromDepthZeroFadesEveryLevelTowardTheFog) {
    FogTables16 fog;
    const FogParams white{255, 255, 0, 0, 0.0f};
    ASSERT_EQ(fog.Build(&white), kStatusOk);
    EXPECT_EQ(fog.startDepth, 0);
    for (int c = 0; c < 32; ++c) {
        EXPECT_EQ(fog.red[0][c], c);
        EXPECT_EQ(fog.red[255][31], 31);
    }
    EXPECT_EQ(fog.red[128][0], 15);    // 31 x 128 / 256
    EXPECT_EQ(fog.green[128][0], 15);
    EXPECT_EQ(fog.red[255][0], 30);    // 31 x 255 / 256
    // Toward black: 31 - 31 x 255 / 256 with the fade truncated toward zero.
    EXPECT_EQ(fog.blue[255][31], 1);
    EXPECT_EQ(fog.blue[128][31], 16);
    for (int level = 1; level < 256; ++level) ASSERT_LE(fog.blue[level][31], fog.blue[level - 1][31]);
    fog.Free();
}

TEST(FogTables16, FromDepthOneLeavesEveryLevelClear) {
    FogTables16 fog;
    const FogParams grey{128, 128, 128, 0, 1.0f};
    ASSERT_EQ(fog.Build(&grey), kStatusOk);
    EXPECT_EQ(fog.startDepth, 65535);
    for (int level = 0; level < 256; ++level) {
        for (int c = 0; c < 32; ++c) {
            ASSERT_EQ(fog.red[level][c], c);
            ASSERT_EQ(fog.green[level][c], c);
            ASSERT_EQ(fog.blue[level][c], c);
        }
    }
    fog.Free();
}

TEST(FogTables16, StartsFadingAtTheStartLevel) {
    FogTables16 fog;
    const FogParams white{255, 255, 255, 0, 0.5f};   // start 32767, level 127
    ASSERT_EQ(fog.Build(&white), kStatusOk);
    EXPECT_EQ(fog.red[126][0], 0);
    EXPECT_EQ(fog.red[127][0], 0);
    EXPECT_EQ(fog.red[128][0], 0);     // 31 x 1 / 129
    EXPECT_EQ(fog.red[131][0], 0);
    EXPECT_EQ(fog.red[132][0], 1);     // 31 x 5 / 129
    EXPECT_EQ(fog.red[255][0], 30);    // 31 x 128 / 129
    fog.Free();
}

TEST(FogTables16, StartsOutsideTheRangeAreClamped) {
    FogTables16 fog;
    const FogParams beyond{255, 255, 255, 0, 2.0f};
    ASSERT_EQ(fog.Build(&beyond), kStatusOk);
    EXPECT_EQ(fog.startDepth, 65535);
    EXPECT_EQ(fog.red[255][0], 0);
    const FogParams before{255, 255, 255, 0, -1.0f};
    ASSERT_EQ(fog.Build(&before), kStatusOk);
    EXPECT_EQ(fog.startDepth, 0);
    EXPECT_EQ(fog.red[128][0], 15);
    fog.Free();
}

TEST(FogTables16, RebuildsInPlaceAndFreesToNull) {
    FogTables16 fog;
    const FogParams black{0, 0, 0, 0, 0.0f};
    ASSERT_EQ(fog.Build(&black), kStatusOk);
    const auto* red = fog.red;
    const auto* green = fog.green;
    const auto* blue = fog.blue;
    const FogParams white{255, 255, 255, 0, 0.0f};
    ASSERT_EQ(fog.Build(&white), kStatusOk);
    EXPECT_EQ(fog.red, red);
    EXPECT_EQ(fog.green, green);
    EXPECT_EQ(fog.blue, blue);
    EXPECT_EQ(fog.red[255][0], 30);
    fog.Free();
    EXPECT_EQ(fog.red, nullptr);
    EXPECT_EQ(fog.green, nullptr);
    EXPECT_EQ(fog.blue, nullptr);
    fog.Free();
}

TEST(FogTables16, TakesItsTablesFromTheEngineHeap) {
    const ScopedEngineHeap heap(0x100000);
    FogTables16 fog;
    const FogParams white{255, 255, 255, 0, 0.0f};
    ASSERT_EQ(fog.Build(&white), kStatusOk);
    EXPECT_TRUE(EngineHeap::Contains(fog.red));
    EXPECT_TRUE(EngineHeap::Contains(fog.blue));
    const uint64_t inUse = EngineHeap::BytesInUse();
    fog.Free();
    const uint64_t afterFree = EngineHeap::BytesInUse();
    EXPECT_GE(inUse - afterFree, 3u * FogTables16::kTableBytes);
}

TEST(FogTables16, ReportsAHeapThatCannotGiveTheTables) {
    ScopedEngineHeap full(ScopedEngineHeap::kFull);
    FogTables16 fog;
    const FogParams white{255, 255, 255, 0, 0.0f};
    EXPECT_EQ(fog.Build(&white), kStatusOutOfMemory);
    EXPECT_EQ(fog.red, nullptr);
    fog.Free();
}

TEST(FogTables8, FromDepthZeroFadesEachEntryToItsClosestIndex) {
    GreyPalette palette;
    FogTables8 fog;
    const FogParams white{255, 255, 255, 0, 0.0f};
    ASSERT_EQ(fog.Build(&white, *palette.inverse), kStatusOk);
    EXPECT_EQ(fog.startDepth, 0);
    for (int i = 0; i < 32; ++i) EXPECT_EQ(fog.table[0][i], i);
    // Black at half the levels: 255 x 64 / 128 = 127, closest grey 120.
    EXPECT_EQ(fog.table[64][0], 15);
    // 255 x 127 / 128 = 253, closest grey 248.
    EXPECT_EQ(fog.table[127][0], 31);
    EXPECT_EQ(fog.table[127][31], 31);
    // The blue entries fade toward white and end on the palette's whitest grey.
    EXPECT_EQ(fog.table[127][100], 31);
    for (int level = 0; level < 128; ++level) {
        for (int i = 0; i < 256; ++i) ASSERT_NE(fog.table[level][i], InverseColorTable::kTransparentIndex);
    }
    fog.Free();
    EXPECT_EQ(fog.table, nullptr);
}

TEST(FogTables8, FromDepthOneKeepsEveryIndexBeforeTheLastLevel) {
    GreyPalette palette;
    FogTables8 fog;
    const FogParams white{255, 255, 255, 0, 1.0f};
    ASSERT_EQ(fog.Build(&white, *palette.inverse), kStatusOk);
    EXPECT_EQ(fog.startDepth, 65535);
    for (int level = 0; level < 127; ++level) {
        for (int i = 0; i < 256; ++i) ASSERT_EQ(fog.table[level][i], i);
    }
    // The last level is the start level: no fade, but the closest index.
    EXPECT_EQ(fog.table[127][5], 5);
    EXPECT_EQ(fog.table[127][255], 32);   // entry 255's blue is also entry 32's
    fog.Free();
}

TEST(FogTables8, StartsOutsideTheRangeAreClampedAndTheTableIsReused) {
    GreyPalette palette;
    FogTables8 fog;
    const FogParams before{255, 255, 255, 0, -3.0f};
    ASSERT_EQ(fog.Build(&before, *palette.inverse), kStatusOk);
    EXPECT_EQ(fog.startDepth, 0);
    EXPECT_EQ(fog.table[64][0], 15);
    const auto* table = fog.table;
    const FogParams beyond{255, 255, 255, 0, 7.0f};
    ASSERT_EQ(fog.Build(&beyond, *palette.inverse), kStatusOk);
    EXPECT_EQ(fog.table, table);
    EXPECT_EQ(fog.startDepth, 65535);
    EXPECT_EQ(fog.table[64][0], 0);
    fog.Free();
}

TEST(FogTables8, ReportsAHeapThatCannotGiveTheTable) {
    GreyPalette palette;
    ScopedEngineHeap full(ScopedEngineHeap::kFull);
    FogTables8 fog;
    const FogParams white{255, 255, 255, 0, 0.0f};
    EXPECT_EQ(fog.Build(&white, *palette.inverse), kStatusOutOfMemory);
    EXPECT_EQ(fog.table, nullptr);
}

}  // namespace
