#include "engine/ByteOrder.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace {

constexpr uint32_t LoadBackLe32(uint32_t value) {
    uint8_t bytes[4] = {};
    StoreLe32(bytes, value);
    return LoadLe32(bytes);
}

// Usable where the chunk ids and sizes are worked out at compile time.
static_assert(LoadBackLe32(0x89ABCDEF) == 0x89ABCDEF);

}  // namespace

TEST(ByteOrder, LoadsTakeTheLowByteFirstOrLast) {
    const uint8_t bytes[] = {0x01, 0x02, 0x03, 0x04};
    EXPECT_EQ(LoadLe16(bytes), 0x0201);
    EXPECT_EQ(LoadLe32(bytes), 0x04030201u);
    EXPECT_EQ(LoadBe32(bytes), 0x01020304u);
}

TEST(ByteOrder, HighBitsComeBackUnsignedWithoutSpillingIntoOtherBytes) {
    const uint8_t ones[] = {0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(LoadLe16(ones), 0xFFFF);
    EXPECT_EQ(LoadLe32(ones), 0xFFFFFFFFu);
    EXPECT_EQ(LoadBe32(ones), 0xFFFFFFFFu);
    const uint8_t top[] = {0x00, 0x00, 0x00, 0x80};
    EXPECT_EQ(LoadLe32(top), 0x80000000u);
    EXPECT_EQ(LoadBe32(top), 0x00000080u);
    const uint8_t low[] = {0x80, 0x00};
    EXPECT_EQ(LoadLe16(low), 0x0080);
}

TEST(ByteOrder, StoresWriteExactlyTheirOwnBytesAtAnyOffset) {
    // Odd offsets, as in file headers packed without alignment; the guard
    // bytes on both sides must stay as they were.
    std::array<uint8_t, 7> bytes;
    bytes.fill(0xAA);
    StoreLe16(bytes.data() + 1, 0x1234);
    EXPECT_EQ(bytes, (std::array<uint8_t, 7>{0xAA, 0x34, 0x12, 0xAA, 0xAA, 0xAA, 0xAA}));

    bytes.fill(0xAA);
    StoreLe32(bytes.data() + 1, 0x12345678);
    EXPECT_EQ(bytes, (std::array<uint8_t, 7>{0xAA, 0x78, 0x56, 0x34, 0x12, 0xAA, 0xAA}));

    bytes.fill(0xAA);
    StoreBe32(bytes.data() + 3, 0x12345678);
    EXPECT_EQ(bytes, (std::array<uint8_t, 7>{0xAA, 0xAA, 0xAA, 0x12, 0x34, 0x56, 0x78}));
}

TEST(ByteOrder, EveryStoreReadsBackThroughItsLoad) {
    uint8_t bytes[4];
    for (const uint32_t value : {0u, 1u, 0x7Fu, 0x80u, 0xFF00u, 0x8000'0000u, 0xFFFF'FFFFu, 0x1234'5678u}) {
        StoreLe32(bytes, value);
        EXPECT_EQ(LoadLe32(bytes), value);
        StoreBe32(bytes, value);
        EXPECT_EQ(LoadBe32(bytes), value);
        StoreLe16(bytes, uint16_t(value));
        EXPECT_EQ(LoadLe16(bytes), uint16_t(value));
    }
}

TEST(ByteOrder, RecordNumbersAreSixteenSixteenOrFloatAsTheirChunkSays) {
    const struct {
        uint32_t word;
        float fixed;
    } cases[] = {
        {0x00010000u, 1.0f},    {0x00018000u, 1.5f},           {0xFFFF0000u, -1.0f},
        {0x00000001u, 0x1p-16f}, {0x80000000u, -32768.0f},     {0x7FFFFFFFu, 32768.0f},
    };
    for (const auto& c : cases) {
        uint8_t bytes[4];
        StoreLe32(bytes, c.word);
        EXPECT_EQ(LoadLeFixedOrFloat(bytes, true), c.fixed) << std::hex << c.word;
    }
    uint8_t bytes[4];
    StoreLe32(bytes, 0xC0490FDBu);   // -pi as a float
    EXPECT_EQ(LoadLeFixedOrFloat(bytes, false), -3.14159274f);
    EXPECT_EQ(LoadLeFloat(bytes), -3.14159274f);
}
