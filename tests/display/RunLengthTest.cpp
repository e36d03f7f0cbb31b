#include "display/RunLength.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

uint8_t Control(int32_t n) { return static_cast<uint8_t>(static_cast<int8_t>(n)); }

// Encodes into an output block of the pixels' size, as the image writer does.
Bytes Encode(const Bytes& pixels, size_t rowBytes, uint32_t unitBytes) {
    Bytes out(pixels.size(), 0xEE);
    const size_t length = EncodeRunLength(pixels, rowBytes, unitBytes, out);
    out.resize(length);
    return out;
}

// Pixels that alternate between runs and noise, in units of `unitBytes`.
Bytes MixedPixels(size_t rows, size_t rowUnits, uint32_t unitBytes) {
    Bytes pixels;
    uint32_t seed = 7;
    for (size_t y = 0; y < rows; ++y) {
        for (size_t x = 0; x < rowUnits; ++x) {
            const bool inRun = (x / 9) % 2 == 0;
            seed = seed * 1103515245u + 12345u;
            for (uint32_t b = 0; b < unitBytes; ++b) {
                pixels.push_back(inRun ? static_cast<uint8_t>(y + b) : static_cast<uint8_t>((seed >> 16) + b));
            }
        }
    }
    return pixels;
}

TEST(RunLengthEncode, TwoHundredEqualBytesGiveRepeatsOf128And72) {
    const Bytes row(200, 0x5A);
    EXPECT_EQ(Encode(row, 200, 1), (Bytes{Control(-127), 0x5A, Control(-71), 0x5A}));
}

TEST(RunLengthEncode, LiteralRunAbsorbsUnitsUntilARepeat) {
    Bytes row{1, 2, 3, 4, 4, 4, 5, 6, 7, 8, 9, 10};
    row.insert(row.end(), 20, 0);  // so that the code is shorter than the row
    EXPECT_EQ(Encode(row, row.size(), 1),
              (Bytes{Control(2), 1, 2, 3, Control(-2), 4, Control(5), 5, 6, 7, 8, 9, 10, Control(-19), 0}));
}

TEST(RunLengthEncode, LiteralRunHoldsAtMost128Units) {
    // 130 distinct units then a long repeat, so the code stays short enough.
    Bytes row;
    for (int i = 0; i < 130; ++i) {
        row.push_back(static_cast<uint8_t>(i));
    }
    row.insert(row.end(), 100, 0xFF);
    const Bytes code = Encode(row, row.size(), 1);
    ASSERT_EQ(code.size(), 1 + 128 + 1 + 2 + 2u);
    EXPECT_EQ(code[0], Control(127));
    EXPECT_EQ(code[129], Control(1));
    EXPECT_EQ(code[130], 128);
    EXPECT_EQ(code[132], Control(-99));
}

TEST(RunLengthEncode, RunsStopAtRowEnds) {
    // Two rows of six equal bytes: one repeat per row, never one of twelve.
    const Bytes pixels(12, 9);
    EXPECT_EQ(Encode(pixels, 6, 1), (Bytes{Control(-5), 9, Control(-5), 9}));
}

TEST(RunLengthEncode, NewRowStartsANewLiteralRun) {
    const Bytes pixels{1, 2, 7, 7, 7, 7, 7, 7, 3, 4, 7, 7, 7, 7, 7, 7};
    // Row 2's literals could have joined row 1's open run; they must not.
    const Bytes code = Encode(pixels, 8, 1);
    EXPECT_EQ(code, (Bytes{Control(1), 1, 2, Control(-5), 7, Control(1), 3, 4, Control(-5), 7}));
}

TEST(RunLengthEncode, WholeUnitsAreComparedForWiderPixels) {
    // 16-bit units that share a first byte are not a run.
    const Bytes row{0x10, 0x01, 0x10, 0x02, 0x33, 0x44, 0x33, 0x44, 0x33, 0x44, 0x33, 0x44};
    EXPECT_EQ(Encode(row, row.size(), 2),
              (Bytes{Control(1), 0x10, 0x01, 0x10, 0x02, Control(-3), 0x33, 0x44}));
}

TEST(RunLengthEncode, NoEqualNeighboursGivesZero) {
    Bytes row;
    for (int i = 0; i < 64; ++i) {
        row.push_back(static_cast<uint8_t>(i));
    }
    Bytes out(row.size());
    EXPECT_EQ(EncodeRunLength(row, row.size(), 1, out), 0u);
}

TEST(RunLengthEncode, CodeOfExactlyTheRawSizeGivesZero) {
    // Four bytes: "-1 a -1 b" would be exactly as long as the pixels.
    const Bytes row{1, 1, 2, 2};
    Bytes out(row.size());
    EXPECT_EQ(EncodeRunLength(row, row.size(), 1, out), 0u);
    // One byte shorter than raw is accepted.
    const Bytes five{1, 1, 2, 2, 2};
    Bytes outFive(five.size());
    EXPECT_EQ(EncodeRunLength(five, five.size(), 1, outFive), 4u);
}

TEST(RunLengthEncode, NeverWritesPastASmallOutput) {
    const Bytes row(100, 3);
    Bytes out(3, 0xEE);
    // The code is 2 bytes, which fit; with 1 byte of room it gives up.
    EXPECT_EQ(EncodeRunLength(row, row.size(), 1, std::span<uint8_t>(out).first(2)), 2u);
    out.assign(3, 0xEE);
    EXPECT_EQ(EncodeRunLength(row, row.size(), 1, std::span<uint8_t>(out).first(1)), 0u);
    EXPECT_EQ(out[1], 0xEE);
}

TEST(RunLengthDecode, RepeatAndLiteralRuns) {
    const Bytes code{Control(-3), 0xAA, Control(1), 0x01, 0x02};
    Bytes out(6, 0);
    EXPECT_EQ(DecodeRunLength(code, out, 1), RunLengthResult::kDone);
    EXPECT_EQ(out, (Bytes{0xAA, 0xAA, 0xAA, 0xAA, 0x01, 0x02}));
}

TEST(RunLengthDecode, MinusOneTwentyEightRepeats129Times) {
    const Bytes code{Control(-128), 0x42};
    Bytes out(129, 0);
    EXPECT_EQ(DecodeRunLength(code, out, 1), RunLengthResult::kDone);
    EXPECT_EQ(out, Bytes(129, 0x42));
    Bytes small(128, 0);
    EXPECT_EQ(DecodeRunLength(code, small, 1), RunLengthResult::kOutputOverrun);
}

TEST(RunLengthDecode, InputEndingBeforeTheImageIsFullSucceedsAndLeavesTheRest) {
    const Bytes code{Control(-1), 0x11};
    Bytes out(5, 0x77);
    EXPECT_EQ(DecodeRunLength(code, out, 1), RunLengthResult::kDone);
    EXPECT_EQ(out, (Bytes{0x11, 0x11, 0x77, 0x77, 0x77}));
    EXPECT_EQ(DecodeRunLength(std::span<const uint8_t>(), out, 1), RunLengthResult::kDone);
}

TEST(RunLengthDecode, RepeatPastTheOutputFailsWithoutWritingPastIt) {
    Bytes out(8, 0);
    const Bytes code{Control(-4), 0x33};
    const std::span<uint8_t> first4 = std::span<uint8_t>(out).first(4);
    EXPECT_EQ(DecodeRunLength(code, first4, 1), RunLengthResult::kOutputOverrun);
    EXPECT_EQ(out, (Bytes{0x33, 0x33, 0x33, 0x33, 0, 0, 0, 0}));
}

TEST(RunLengthDecode, LiteralPastTheOutputFailsWithoutWritingPastIt) {
    Bytes out(4, 0);
    const Bytes code{Control(2), 1, 2, 3};
    EXPECT_EQ(DecodeRunLength(code, std::span<uint8_t>(out).first(2), 1), RunLengthResult::kOutputOverrun);
    EXPECT_EQ(out, (Bytes{1, 2, 0, 0}));
}

TEST(RunLengthDecode, PartialUnitAtTheOutputEndIsNotWritten) {
    // Five bytes hold two 2-byte units; the third unit has no room.
    Bytes out(6, 0);
    const Bytes code{Control(-2), 0xAB, 0xCD};
    EXPECT_EQ(DecodeRunLength(code, std::span<uint8_t>(out).first(5), 2), RunLengthResult::kOutputOverrun);
    EXPECT_EQ(out, (Bytes{0xAB, 0xCD, 0xAB, 0xCD, 0, 0}));
}

TEST(RunLengthDecode, InputEndingInsideALiteralRunFails) {
    Bytes out(8, 0);
    EXPECT_EQ(DecodeRunLength(Bytes{Control(3), 1, 2}, out, 1), RunLengthResult::kInputOverrun);
    // A literal unit cut in half.
    EXPECT_EQ(DecodeRunLength(Bytes{Control(0), 1, 2, 3}, out, 4), RunLengthResult::kInputOverrun);
}

TEST(RunLengthDecode, InputEndingBeforeTheRepeatedUnitFails) {
    Bytes out(8, 0x55);
    EXPECT_EQ(DecodeRunLength(Bytes{Control(-3)}, out, 1), RunLengthResult::kInputOverrun);
    EXPECT_EQ(DecodeRunLength(Bytes{Control(-3), 1, 2}, out, 3), RunLengthResult::kInputOverrun);
    EXPECT_EQ(out, Bytes(8, 0x55));
}

TEST(RunLengthDecode, BadUnitSizeIsRefused) {
    Bytes out(8, 0);
    EXPECT_NE(DecodeRunLength(Bytes{Control(-1), 1}, out, 0), RunLengthResult::kDone);
    EXPECT_NE(DecodeRunLength(Bytes{Control(-1), 1}, out, 5), RunLengthResult::kDone);
}

class RunLengthRoundTrip : public ::testing::TestWithParam<uint32_t> {};

TEST_P(RunLengthRoundTrip, EncodedPixelsDecodeToThemselves) {
    const uint32_t unit = GetParam();
    const size_t rows = 7;
    const size_t rowUnits = 300;  // long enough for split repeats and literals
    const Bytes pixels = MixedPixels(rows, rowUnits, unit);
    const Bytes code = Encode(pixels, rowUnits * unit, unit);
    ASSERT_GT(code.size(), 0u);
    ASSERT_LT(code.size(), pixels.size());
    Bytes out(pixels.size(), 0);
    EXPECT_EQ(DecodeRunLength(code, out, unit), RunLengthResult::kDone);
    EXPECT_EQ(out, pixels);
}

INSTANTIATE_TEST_SUITE_P(EveryUnit, RunLengthRoundTrip, ::testing::Values(1u, 2u, 3u, 4u));

TEST(RunLengthImage, OneBitRowsAreCodedAsBytesOfTheirRoundedWidth) {
    // Width 17: rows of 3 bytes, so two rows of 0xAA make one repeat each.
    const Bytes pixels(6, 0xAA);
    Bytes out(pixels.size());
    ASSERT_EQ(EncodeRunLength(17, 2, 0, pixels, out), 4u);
    out.resize(4);
    EXPECT_EQ(out, (Bytes{Control(-2), 0xAA, Control(-2), 0xAA}));
    Bytes decoded(pixels.size(), 0);
    EXPECT_EQ(DecodeRunLength(17, 2, 0, out, decoded), RunLengthResult::kDone);
    EXPECT_EQ(decoded, pixels);
}

TEST(RunLengthImage, DecodeStopsAtTheImageBlockEvenWithALargerOutput) {
    // 3 x 2 pixels of 24 bits: 18 bytes; a 19th byte is past the image.
    Bytes out(24, 0);
    const Bytes fits{Control(-5), 1, 2, 3};
    EXPECT_EQ(DecodeRunLength(3, 2, 3, fits, out), RunLengthResult::kDone);
    const Bytes over{Control(-6), 1, 2, 3};
    EXPECT_EQ(DecodeRunLength(3, 2, 3, over, out), RunLengthResult::kOutputOverrun);
    EXPECT_EQ(out[18], 0);
}

TEST(RunLengthImage, EncodeMatchesTheSpanFormPerDepth) {
    for (uint8_t depth = 1; depth <= 4; ++depth) {
        const Bytes pixels = MixedPixels(5, 40, depth);
        Bytes viaImage(pixels.size());
        Bytes viaSpan(pixels.size());
        const size_t a = EncodeRunLength(40, 5, depth, pixels, viaImage);
        const size_t b = EncodeRunLength(pixels, 40u * depth, depth, viaSpan);
        EXPECT_EQ(a, b) << "depth " << int{depth};
        EXPECT_GT(a, 0u);
        EXPECT_EQ(viaImage, viaSpan);
    }
}

TEST(RunLengthImage, DepthAboveFourIsRefused) {
    Bytes pixels(50, 1);
    Bytes out(50);
    EXPECT_EQ(EncodeRunLength(5, 2, 5, pixels, out), 0u);
    EXPECT_NE(DecodeRunLength(5, 2, 5, Bytes{Control(-1), 1}, out), RunLengthResult::kDone);
}

TEST(RunLengthImage, ShortPixelSpanIsNotReadPastItsEnd) {
    Bytes pixels(10, 1);  // a 4 x 4 8-bit image needs 16
    Bytes out(16);
    EXPECT_EQ(EncodeRunLength(4, 4, 1, pixels, out), 0u);
}

}  // namespace
