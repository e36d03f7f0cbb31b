#include "display/BmpCodec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/ByteOrder.h"
#include "engine/EngineHeap.h"
#include "display/ImageStatus.h"
#include "tests/support/BitmapBlocks.h"
#include "tests/support/MemoryStream.h"
#include "tests/support/ScopedEngineHeap.h"
#include "tests/support/TempDir.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Append16(Bytes& bytes, uint16_t value) {
    bytes.resize(bytes.size() + 2);
    StoreLe16(bytes.data() + bytes.size() - 2, value);
}

void Append32(Bytes& bytes, uint32_t value) {
    bytes.resize(bytes.size() + 4);
    StoreLe32(bytes.data() + bytes.size() - 4, value);
}

uint32_t Load32(const Bytes& bytes, size_t at) { return LoadLe32(bytes.data() + at); }

// A bitmap file laid out field by field, so that a test can spoil any one of them.
struct BmpFile {
    std::string magic = "BM";
    uint32_t infoSize = 40;
    int32_t width = 1;
    int32_t height = 1;
    uint16_t planes = 1;
    uint16_t bitCount = 8;
    uint32_t compression = 0;
    uint32_t colorsUsed = 0;
    std::optional<uint32_t> dataOffset;  // straight after the palette when not given
    Bytes palette;                       // entries as stored: blue, green, red, 0
    Bytes body;                          // pixel data as stored

    Bytes Build() const {
        const uint32_t pixelStart = uint32_t(54 + palette.size());
        Bytes bytes(magic.begin(), magic.end());
        Append32(bytes, uint32_t(pixelStart + body.size()));
        Append32(bytes, 0);
        Append32(bytes, dataOffset.value_or(pixelStart));
        Append32(bytes, infoSize);
        Append32(bytes, uint32_t(width));
        Append32(bytes, uint32_t(height));
        Append16(bytes, planes);
        Append16(bytes, bitCount);
        Append32(bytes, compression);
        Append32(bytes, 0);  // image size
        Append32(bytes, 2835);
        Append32(bytes, 2835);
        Append32(bytes, colorsUsed);
        Append32(bytes, 0);  // important colours
        bytes.insert(bytes.end(), palette.begin(), palette.end());
        bytes.insert(bytes.end(), body.begin(), body.end());
        return bytes;
    }
};

// File entry i: blue i, green 255 - i, red i ^ 0x5A.
Bytes FilePalette(uint32_t colors) {
    Bytes palette;
    for (uint32_t i = 0; i < colors; ++i) {
        palette.insert(palette.end(), {uint8_t(i), uint8_t(255 - i), uint8_t(i ^ 0x5A), 0});
    }
    return palette;
}

// The same entry as the bitmap keeps it: red, green, blue, 0.
Bytes BitmapEntry(uint32_t i) { return {uint8_t(i ^ 0x5A), uint8_t(255 - i), uint8_t(i), 0}; }

Bytes Entry(const Bitmap& bitmap, uint32_t i) { return Bytes(bitmap.palette + 4 * i, bitmap.palette + 4 * i + 4); }

Bytes Pixels(const Bitmap& bitmap) { return Bytes(bitmap.pixels, bitmap.pixels + bitmap.PixelBlockSize()); }

// A run-length file: 4- or 8-bit, 4 colours.
BmpFile RunLengthFile(int32_t width, int32_t height, Bytes body, bool fourBit = false) {
    BmpFile file;
    file.width = width;
    file.height = height;
    file.bitCount = fourBit ? 4 : 8;
    file.compression = fourBit ? BmpCodec::kCompressionRle4 : BmpCodec::kCompressionRle8;
    file.colorsUsed = 4;
    file.palette = FilePalette(4);
    file.body = std::move(body);
    return file;
}

// Each test has an engine heap of its own, so that the codec's row buffers
// can be seen to go back.
class BmpCodecTest : public ::testing::Test {
protected:
    void SetUp() override { bytesInUse_ = EngineHeap::BytesInUse(); }
    void TearDown() override {
        EXPECT_EQ(EngineHeap::BytesInUse(), bytesInUse_) << "an engine block was left behind";
    }

    // Reads `bytes` into bitmap_; the codec's last error goes to lastError_.
    Status Read(const Bytes& bytes) {
        MemoryStream stream(bytes);
        BmpCodec codec(&stream, &bitmap_);
        const Status status = codec.Read(nullptr);
        lastError_ = codec.LastError();
        return status;
    }

    Status Write(Bitmap& source, MemoryStream& stream) {
        BmpCodec codec(&stream);
        const Status status = codec.Write(&source);
        lastError_ = codec.LastError();
        return status;
    }

    // Writes `source` and reads the file back into bitmap_.
    void RoundTrip(Bitmap& source) {
        MemoryStream stream;
        ASSERT_EQ(Write(source, stream), kStatusOk);
        ASSERT_EQ(Read(stream.Bytes()), kStatusOk);
    }

    const ScopedEngineHeap heap_{1024 * 1024};
    Bitmap bitmap_;
    Status lastError_ = kStatusOk;
    uint64_t bytesInUse_ = 0;
};

// --- reading raw files

TEST_F(BmpCodecTest, EightBitWithNoColourCountReadsAll256EntriesAsRedGreenBlue) {
    BmpFile file;
    file.width = 2;
    file.palette = FilePalette(256);
    file.body = {7, 200, 0, 0};
    ASSERT_EQ(Read(file.Build()), kStatusOk);
    EXPECT_EQ(bitmap_.bytesPerPixel, Bitmap::kDepth8Bit);
    EXPECT_EQ(bitmap_.lastPaletteIndex, 255);
    EXPECT_EQ(Entry(bitmap_, 0), BitmapEntry(0));
    EXPECT_EQ(Entry(bitmap_, 137), BitmapEntry(137));
    EXPECT_EQ(Entry(bitmap_, 255), BitmapEntry(255));
    EXPECT_EQ(Pixels(bitmap_), (Bytes{7, 200}));
}

TEST_F(BmpCodecTest, ColourCountLimitsThePaletteAndPixelsFollowIt) {
    BmpFile file;
    file.colorsUsed = 3;
    file.palette = FilePalette(3);
    file.body = {2, 0, 0, 0};
    ASSERT_EQ(Read(file.Build()), kStatusOk);
    EXPECT_EQ(bitmap_.lastPaletteIndex, 2);
    EXPECT_EQ(Entry(bitmap_, 2), BitmapEntry(2));
    EXPECT_EQ(Entry(bitmap_, 3), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(Pixels(bitmap_), Bytes{2});
}

TEST_F(BmpCodecTest, FourBitReadsSixteenEntriesAndWidensEachPixelToAByte) {
    BmpFile file;
    file.width = 5;
    file.height = 2;
    file.bitCount = 4;
    file.palette = FilePalette(16);
    // Rows of three bytes and one pad, bottom row first, high nibble first.
    file.body = {0x12, 0x34, 0x50, 0, 0xAB, 0xCD, 0xE0, 0};
    ASSERT_EQ(Read(file.Build()), kStatusOk);
    EXPECT_EQ(bitmap_.bytesPerPixel, Bitmap::kDepth8Bit);
    EXPECT_EQ(bitmap_.lastPaletteIndex, 15);
    EXPECT_EQ(Entry(bitmap_, 15), BitmapEntry(15));
    EXPECT_EQ(Entry(bitmap_, 16), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(Pixels(bitmap_), (Bytes{0xA, 0xB, 0xC, 0xD, 0xE, 1, 2, 3, 4, 5}));
}

TEST_F(BmpCodecTest, OneBitKeepsTheBitsButNotTheTwoColours) {
    BmpFile file;
    file.width = 9;
    file.height = 2;
    file.bitCount = 1;
    file.palette = FilePalette(2);
    file.body = {0x80, 0x80, 0, 0, 0xFF, 0x00, 0, 0};
    ASSERT_EQ(Read(file.Build()), kStatusOk);
    EXPECT_EQ(bitmap_.bytesPerPixel, Bitmap::kDepth1Bit);
    EXPECT_EQ(bitmap_.lastPaletteIndex, 1);
    EXPECT_EQ(bitmap_.ownedPalette, nullptr);
    EXPECT_EQ(Pixels(bitmap_), (Bytes{0xFF, 0x00, 0x80, 0x80}));
}

TEST_F(BmpCodecTest, TwentyFourBitTurnsBlueGreenRedIntoRedGreenBlue) {
    BmpFile file;
    file.width = 2;
    file.height = 2;
    file.bitCount = 24;
    file.body = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
    ASSERT_EQ(Read(file.Build()), kStatusOk);
    EXPECT_EQ(bitmap_.bytesPerPixel, Bitmap::kDepth24Bit);
    EXPECT_EQ(bitmap_.lastPaletteIndex, 0);
    EXPECT_EQ(bitmap_.ownedPalette, nullptr);
    EXPECT_EQ(Pixels(bitmap_), (Bytes{9, 8, 7, 12, 11, 10, 3, 2, 1, 6, 5, 4}));
}

TEST_F(BmpCodecTest, NegativeTopDownHeightIsRefusedAndLeavesTheTargetEmpty) {
    ASSERT_EQ(bitmap_.Create(4, 4, Bitmap::kDepth8Bit, true), kStatusOk);
    BmpFile file;
    file.height = -1;
    file.palette = FilePalette(256);
    file.body = {5, 0, 0, 0};
    EXPECT_EQ(Read(file.Build()), kStatusImageBadFormat);
    EXPECT_EQ(lastError_, kStatusImageBadFormat);
    EXPECT_TRUE(HoldsNoBlocks(bitmap_));
}

// The header's data offset is not read: the pixels follow the palette
// wherever it points, into the headers, the palette or past the end.
TEST_F(BmpCodecTest, PixelsFollowThePaletteWhateverTheDataOffsetSays) {
    for (const uint32_t offset : {0u, 20u, 54u + 4u, 54u + 8u, 54u + 8u + 100u, 0xFFFFFFF0u}) {
        BmpFile file;
        file.colorsUsed = 2;
        file.palette = FilePalette(2);
        file.dataOffset = offset;
        file.body = {1, 0, 0, 0};
        ASSERT_EQ(Read(file.Build()), kStatusOk) << offset;
        EXPECT_EQ(Pixels(bitmap_), Bytes{1}) << offset;
    }
}

TEST_F(BmpCodecTest, ReadsAFileThatStartsInsideTheStream) {
    BmpFile file;
    file.colorsUsed = 1;
    file.palette = FilePalette(1);
    file.body = {9, 0, 0, 0};
    Bytes bytes{0xAA, 0xBB, 0xCC};
    const Bytes built = file.Build();
    bytes.insert(bytes.end(), built.begin(), built.end());
    MemoryStream stream(bytes);
    ASSERT_EQ(stream.Seek(3, 0), 3);
    BmpCodec codec(&stream, &bitmap_);
    ASSERT_EQ(codec.Read(nullptr), kStatusOk);
    EXPECT_EQ(Pixels(bitmap_), Bytes{9});
}

// --- run-length bodies

TEST_F(BmpCodecTest, Rle8DecodesRunsAbsoluteRunsAndRowEndsBottomUp) {
    // Bottom row: a run of three 1s, then an absolute run of 3 with its pad.
    // Top row: an absolute run of 4 (even, no pad), a run of two 3s.
    const BmpFile file = RunLengthFile(6, 2,
                                       {3, 1, 0, 3, 7, 8, 9, 0, 0, 0,  //
                                        0, 4, 2, 3, 2, 3, 2, 3, 0, 1});
    ASSERT_EQ(Read(file.Build()), kStatusOk);
    EXPECT_EQ(bitmap_.lastPaletteIndex, 3);
    EXPECT_EQ(Pixels(bitmap_), (Bytes{2, 3, 2, 3, 3, 3, 1, 1, 1, 7, 8, 9}));
}

TEST_F(BmpCodecTest, Rle8EndOfBitmapBeforeTheLastRowLeavesZeros) {
    // Fill the target with a non-zero image of the same size first, so that
    // the coded image would show anything the codec failed to clear.
    BmpFile raw;
    raw.width = 4;
    raw.height = 3;
    raw.body.assign(12, 0xEE);
    raw.palette = FilePalette(256);
    ASSERT_EQ(Read(raw.Build()), kStatusOk);

    const BmpFile coded = RunLengthFile(4, 3, {2, 9, 0, 0, 1, 5, 0, 1});
    ASSERT_EQ(Read(coded.Build()), kStatusOk);
    EXPECT_EQ(Pixels(bitmap_), (Bytes{0, 0, 0, 0, 5, 0, 0, 0, 9, 9, 0, 0}));
}

TEST_F(BmpCodecTest, Rle8DeltaEscapeIsRefused) {
    const BmpFile file = RunLengthFile(4, 2, {1, 1, 0, 2, 1, 0, 1, 1, 0, 1});
    EXPECT_EQ(Read(file.Build()), kStatusImageBadFormat);
    EXPECT_EQ(lastError_, kStatusImageBadFormat);
    EXPECT_TRUE(HoldsNoBlocks(bitmap_));
}

TEST_F(BmpCodecTest, Rle8RunsPastTheRowEndAreRefused) {
    EXPECT_EQ(Read(RunLengthFile(4, 1, {5, 1, 0, 1}).Build()), kStatusImageBadPixels);
    EXPECT_TRUE(HoldsNoBlocks(bitmap_));
    EXPECT_EQ(Read(RunLengthFile(4, 1, {2, 1, 0, 3, 1, 2, 3, 0, 0, 1}).Build()), kStatusImageBadPixels);
    EXPECT_TRUE(HoldsNoBlocks(bitmap_));
    // A full row takes no more pixels until its row end.
    EXPECT_EQ(Read(RunLengthFile(4, 2, {4, 1, 1, 1, 0, 1}).Build()), kStatusImageBadPixels);
    EXPECT_EQ(lastError_, kStatusImageBadPixels);
}

TEST_F(BmpCodecTest, Rle8StopsAtTheLastRowWithoutReadingFurther) {
    // What follows the last row end would overrun the row if it were read.
    const BmpFile file = RunLengthFile(2, 2, {2, 1, 0, 0, 2, 2, 0, 0, 200, 3, 0, 2});
    ASSERT_EQ(Read(file.Build()), kStatusOk);
    EXPECT_EQ(Pixels(bitmap_), (Bytes{2, 2, 1, 1}));
}

TEST_F(BmpCodecTest, Rle8BodyThatEndsBeforeTheImageIsDoneIsRefused) {
    EXPECT_EQ(Read(RunLengthFile(2, 2, {2, 1, 0, 0}).Build()), kStatusImageBadPixels);
    EXPECT_TRUE(HoldsNoBlocks(bitmap_));
    // Inside an absolute run, and before its pad byte.
    EXPECT_EQ(Read(RunLengthFile(4, 1, {0, 3, 1, 2}).Build()), kStatusImageBadPixels);
    EXPECT_EQ(Read(RunLengthFile(4, 1, {0, 3, 1, 2, 3}).Build()), kStatusImageBadPixels);
    EXPECT_TRUE(HoldsNoBlocks(bitmap_));
}

TEST_F(BmpCodecTest, Rle4RunsAlternateNibblesAndAbsoluteRunsArePadded) {
    // Bottom row: five pixels alternating 1 and 2. Top row: an absolute run of
    // five nibbles in three bytes and a pad byte.
    const BmpFile file = RunLengthFile(5, 2, {5, 0x12, 0, 0, 0, 5, 0x34, 0x56, 0x70, 0, 0, 1}, true);
    ASSERT_EQ(Read(file.Build()), kStatusOk);
    EXPECT_EQ(bitmap_.bytesPerPixel, Bitmap::kDepth8Bit);
    EXPECT_EQ(Pixels(bitmap_), (Bytes{3, 4, 5, 6, 7, 1, 2, 1, 2, 1}));
}

// --- writing

TEST_F(BmpCodecTest, WritesEightBitHeadersPaletteAndPaddedRowsBottomUp) {
    Bitmap source;
    ASSERT_EQ(source.Create(5, 2, Bitmap::kDepth8Bit, true), kStatusOk);
    for (uint32_t i = 0; i < 256; ++i) {
        const Bytes entry = BitmapEntry(i);
        std::copy(entry.begin(), entry.end(), source.palette + 4 * i);
    }
    const Bytes pixels{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    std::copy(pixels.begin(), pixels.end(), source.pixels);
    MemoryStream stream;
    ASSERT_EQ(Write(source, stream), kStatusOk);

    const Bytes& bytes = stream.Bytes();
    ASSERT_EQ(bytes.size(), 54u + 1024 + 2 * 8);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(Load32(bytes, 2), bytes.size());
    EXPECT_EQ(Load32(bytes, 10), 54u + 1024);
    EXPECT_EQ(Load32(bytes, 14), 40u);
    EXPECT_EQ(Load32(bytes, 18), 5u);
    EXPECT_EQ(Load32(bytes, 22), 2u);
    EXPECT_EQ(Load32(bytes, 26), 1u | 8u << 16);  // planes, bit count
    for (size_t at = 30; at < 54; at += 4) {
        EXPECT_EQ(Load32(bytes, at), 0u) << "field at " << at;
    }
    EXPECT_EQ(Bytes(bytes.begin() + 54, bytes.begin() + 1078), FilePalette(256));
    EXPECT_EQ(Bytes(bytes.begin() + 1078, bytes.end()), (Bytes{6, 7, 8, 9, 10, 0, 0, 0, 1, 2, 3, 4, 5, 0, 0, 0}));
}

TEST_F(BmpCodecTest, RowsArePaddedToFourBytesAtEveryDepth) {
    struct Case {
        uint16_t width;
        uint8_t depth;
        uint32_t paletteBytes;
        uint32_t fileRowBytes;
    };
    for (const Case& c : {Case{9, Bitmap::kDepth1Bit, 8, 4}, Case{33, Bitmap::kDepth1Bit, 8, 8},
                          Case{4, Bitmap::kDepth8Bit, 1024, 4}, Case{3, Bitmap::kDepth8Bit, 1024, 4},
                          Case{1, Bitmap::kDepth24Bit, 0, 4}, Case{4, Bitmap::kDepth24Bit, 0, 12},
                          Case{5, Bitmap::kDepth24Bit, 0, 16}}) {
        SCOPED_TRACE(testing::Message() << "width " << c.width << " depth " << int(c.depth));
        Bitmap source;
        ASSERT_EQ(source.Create(c.width, 3, c.depth, false), kStatusOk);
        std::fill(source.pixels, source.pixels + source.PixelBlockSize(), 0xFF);
        MemoryStream stream;
        ASSERT_EQ(Write(source, stream), kStatusOk);
        const Bytes& bytes = stream.Bytes();
        ASSERT_EQ(bytes.size(), 54 + c.paletteBytes + 3 * c.fileRowBytes);
        EXPECT_EQ(Load32(bytes, 10), 54 + c.paletteBytes);
        const uint32_t rowBytes = source.RowBytes();
        for (uint32_t row = 0; row < 3; ++row) {
            const size_t at = 54 + c.paletteBytes + row * c.fileRowBytes;
            EXPECT_EQ(Bytes(bytes.begin() + at + rowBytes, bytes.begin() + at + c.fileRowBytes),
                      Bytes(c.fileRowBytes - rowBytes, 0));
        }
    }
}

TEST_F(BmpCodecTest, WriteThenReadGivesBackEveryWritableDepth) {
    for (const uint8_t depth : {Bitmap::kDepth1Bit, Bitmap::kDepth8Bit, Bitmap::kDepth24Bit}) {
        SCOPED_TRACE(testing::Message() << "depth " << int(depth));
        Bitmap source;
        ASSERT_EQ(source.Create(13, 5, depth, false), kStatusOk);
        for (uint64_t i = 0; i < source.PixelBlockSize(); ++i) {
            source.pixels[i] = uint8_t(i * 37 + 11);
        }
        if (source.palette != nullptr) {
            for (uint32_t i = 0; i < 1024; ++i) {
                source.palette[i] = (i % 4 == 3) ? 0 : uint8_t(i * 7);
            }
        }
        RoundTrip(source);
        EXPECT_EQ(bitmap_.width, 13);
        EXPECT_EQ(bitmap_.height, 5);
        EXPECT_EQ(bitmap_.bytesPerPixel, depth);
        EXPECT_EQ(Pixels(bitmap_), Pixels(source));
        if (depth == Bitmap::kDepth8Bit) {
            EXPECT_EQ(Bytes(bitmap_.palette, bitmap_.palette + 1024), Bytes(source.palette, source.palette + 1024));
            EXPECT_EQ(bitmap_.lastPaletteIndex, 255);
        }
        if (depth == Bitmap::kDepth1Bit) {
            EXPECT_EQ(bitmap_.lastPaletteIndex, 1);
        }
    }
}

TEST_F(BmpCodecTest, WriteLocksAnUnlockedSourceOnlyForItsOwnPass) {
    Bitmap source;
    ASSERT_EQ(source.Create(2, 2, Bitmap::kDepth24Bit, true), kStatusOk);
    source.pixels[0] = 0x42;
    source.Unlock();
    RoundTrip(source);
    EXPECT_EQ(source.pixels, nullptr);
    EXPECT_EQ(bitmap_.pixels[0], 0x42);
}

TEST_F(BmpCodecTest, WritesMemoryTheSourceDoesNotOwn) {
    uint8_t pixels[2] = {0xC3, 0x81};
    Bitmap source;
    source.width = 8;
    source.height = 2;
    source.bytesPerPixel = Bitmap::kDepth1Bit;
    source.pixels = pixels;
    RoundTrip(source);
    EXPECT_EQ(source.pixels, pixels);
    EXPECT_EQ(Pixels(bitmap_), (Bytes{0xC3, 0x81}));
}

TEST_F(BmpCodecTest, WriteAtAStreamPositionPutsItsHeaderThere) {
    Bitmap source;
    ASSERT_EQ(source.Create(1, 1, Bitmap::kDepth24Bit, true), kStatusOk);
    MemoryStream stream(Bytes{0xAA, 0xBB, 0xCC, 0xDD, 0xEE});
    ASSERT_EQ(stream.Seek(0, 2), 5);
    ASSERT_EQ(Write(source, stream), kStatusOk);
    const Bytes& bytes = stream.Bytes();
    ASSERT_EQ(bytes.size(), 5u + 58);
    EXPECT_EQ(bytes[5], 'B');
    EXPECT_EQ(Load32(bytes, 5 + 2), 58u);
    EXPECT_EQ(Load32(bytes, 5 + 10), 54u);
    EXPECT_EQ(stream.Cursor(), 63);
}

TEST_F(BmpCodecTest, WriteRefusesDepthsItCannotStoreWithoutKeepingTheError) {
    for (const uint8_t depth : {Bitmap::kDepth16Bit, Bitmap::kDepth32Bit}) {
        Bitmap source;
        ASSERT_EQ(source.Create(2, 2, depth, true), kStatusOk);
        MemoryStream stream;
        EXPECT_EQ(Write(source, stream), kStatusImageBadFormat);
        EXPECT_EQ(lastError_, kStatusOk);
        EXPECT_TRUE(stream.Bytes().empty());
    }
    Bitmap empty;
    MemoryStream stream;
    EXPECT_EQ(Write(empty, stream), kStatusImageBadFormat);
    EXPECT_EQ(lastError_, kStatusOk);
}

TEST_F(BmpCodecTest, WriteRefusesAFileTooLargeForTheStream) {
    // 65535 x 65535 x 3 bytes: far more than a stream can address.
    uint8_t pixel[3] = {};
    Bitmap source;
    source.width = 65535;
    source.height = 65535;
    source.bytesPerPixel = Bitmap::kDepth24Bit;
    source.pixels = pixel;
    MemoryStream stream;
    EXPECT_EQ(Write(source, stream), kStatusImageBadFormat);
    EXPECT_TRUE(stream.Bytes().empty());
}

TEST_F(BmpCodecTest, WriteNeedsAPaletteForEightBitAndPixelsForAll) {
    Bitmap noPalette;
    ASSERT_EQ(noPalette.Create(2, 2, Bitmap::kDepth8Bit, true), kStatusOk);
    noPalette.palette = nullptr;
    MemoryStream stream;
    EXPECT_EQ(Write(noPalette, stream), kStatusImageBadPalette);
    EXPECT_EQ(lastError_, kStatusImageBadPalette);

    Bitmap noPixels;
    noPixels.width = 2;
    noPixels.height = 2;
    noPixels.bytesPerPixel = Bitmap::kDepth24Bit;
    MemoryStream other;
    EXPECT_EQ(Write(noPixels, other), kStatusImageBadPixels);
    EXPECT_EQ(lastError_, kStatusImageBadPixels);
}

TEST_F(BmpCodecTest, FailedWritesReportTheStreamsError) {
    Bitmap source;
    ASSERT_EQ(source.Create(3, 3, Bitmap::kDepth24Bit, true), kStatusOk);
    for (const int64_t at : {int64_t(0), int64_t(20), int64_t(54), int64_t(70)}) {
        SCOPED_TRACE(testing::Message() << "byte " << at);
        MemoryStream shortStream;
        shortStream.ShortWritesAt(at);
        EXPECT_EQ(Write(source, shortStream), kStatusShortWrite);
        EXPECT_EQ(lastError_, kStatusShortWrite);
        MemoryStream failing;
        failing.FailWritesAt(at);
        EXPECT_EQ(Write(source, failing), MemoryStream::kStatusInjectedFault);
    }
    MemoryStream unseekable;
    unseekable.FailSeeks(true);
    EXPECT_EQ(Write(source, unseekable), MemoryStream::kStatusInjectedFault);
    EXPECT_NE(source.pixels, nullptr);
}

// The header is finished last, by seeking back to it: a stream that fails
// at any seek or at that last write leaves a file that must not count as
// saved. 8-bit palettes and rows that go out short are short writes.
TEST_F(BmpCodecTest, AFileWhoseWritingFailsPartWayIsNeverReportedSaved) {
    Bitmap source;
    ASSERT_EQ(source.Create(3, 3, Bitmap::kDepth8Bit, true), kStatusOk);
    MemoryStream healthy;
    ASSERT_EQ(Write(source, healthy), kStatusOk);
    ASSERT_GE(healthy.SeekCount(), 4) << "where it starts, where it ends, back to the header and on";
    for (int32_t call = 0; call < healthy.SeekCount(); ++call) {
        SCOPED_TRACE(testing::Message() << "seek " << call);
        MemoryStream stream;
        stream.FailSeeksFrom(call);
        EXPECT_EQ(Write(source, stream), MemoryStream::kStatusInjectedFault);
    }
    MemoryStream lastWrite;
    lastWrite.FailWritesFrom(healthy.WriteCount() - 1);
    EXPECT_EQ(Write(source, lastWrite), MemoryStream::kStatusInjectedFault);
    EXPECT_EQ(lastWrite.Bytes().size(), healthy.Bytes().size()) << "everything but the finished header went out";
    EXPECT_NE(lastWrite.Bytes(), healthy.Bytes());

    for (const int64_t at : {int64_t(60), int64_t(54 + 1024 + 2)}) {
        SCOPED_TRACE(testing::Message() << "byte " << at);
        MemoryStream shortStream;
        shortStream.ShortWritesAt(at);
        EXPECT_EQ(Write(source, shortStream), kStatusShortWrite);
    }
}

TEST_F(BmpCodecTest, AStreamThatCannotTellItsPlaceOrLengthOrReadItsRowsIsReported) {
    BmpFile file;
    file.width = 4;
    file.height = 3;
    file.palette = FilePalette(256);
    file.body = Bytes(12, 7);
    const Bytes bytes = file.Build();
    {
        MemoryStream stream(bytes);
        stream.FailSeeks(true);
        BmpCodec codec(&stream, &bitmap_);
        EXPECT_EQ(codec.Read(nullptr), MemoryStream::kStatusInjectedFault);
    }
    {
        MemoryStream stream(bytes);
        stream.FailLength(true);
        BmpCodec codec(&stream, &bitmap_);
        EXPECT_EQ(codec.Read(nullptr), MemoryStream::kStatusInjectedFault);
        EXPECT_TRUE(HoldsNoBlocks(bitmap_));
    }
    {
        // The second row of pixels will not read.
        MemoryStream stream(bytes);
        stream.FailReadsAt(int64_t(54 + 1024 + 5));
        BmpCodec codec(&stream, &bitmap_);
        EXPECT_EQ(codec.Read(nullptr), MemoryStream::kStatusInjectedFault);
        EXPECT_TRUE(HoldsNoBlocks(bitmap_));
    }
    MemoryStream healed(bytes);
    BmpCodec codec(&healed, &bitmap_);
    ASSERT_EQ(codec.Read(nullptr), kStatusOk);
    EXPECT_EQ(Pixels(bitmap_), Bytes(12, 7));
}

TEST_F(BmpCodecTest, SavesAndLoadsThroughFiles) {
    TempDir dir;
    const std::string name = (dir.Path() / "sprite.bmp").string();
    Bitmap source;
    ASSERT_EQ(source.Create(300, 7, Bitmap::kDepth24Bit, false), kStatusOk);
    for (uint64_t i = 0; i < source.PixelBlockSize(); ++i) {
        source.pixels[i] = uint8_t(i * 13);
    }
    BmpCodec saver;
    ASSERT_EQ(saver.SaveFile(name.c_str(), &source), kStatusOk);
    BmpCodec loader;
    ASSERT_EQ(loader.LoadFile(name.c_str()), kStatusOk);
    EXPECT_EQ(Pixels(*loader.GetBitmap()), Pixels(source));
}

// --- malformed and short files

TEST_F(BmpCodecTest, RefusesMalformedHeaders) {
    struct Case {
        const char* what;
        void (*spoil)(BmpFile&);
        Status expected;
    };
    const Case cases[] = {
        {"magic", [](BmpFile& f) { f.magic = "MB"; }, kStatusImageBadHeader},
        {"info size", [](BmpFile& f) { f.infoSize = 12; }, kStatusImageBadFormat},
        {"planes", [](BmpFile& f) { f.planes = 2; }, kStatusImageBadFormat},
        {"16 bits", [](BmpFile& f) { f.bitCount = 16; }, kStatusImageBadFormat},
        {"32 bits", [](BmpFile& f) { f.bitCount = 32; }, kStatusImageBadFormat},
        {"compression", [](BmpFile& f) { f.compression = 3; }, kStatusImageBadFormat},
        {"width 0", [](BmpFile& f) { f.width = 0; }, kStatusImageBadFormat},
        {"width 65535", [](BmpFile& f) { f.width = 65535; }, kStatusImageBadFormat},
        {"negative width", [](BmpFile& f) { f.width = -4; }, kStatusImageBadFormat},
        {"height 0", [](BmpFile& f) { f.height = 0; }, kStatusImageBadFormat},
        {"height 65535", [](BmpFile& f) { f.height = 65535; }, kStatusImageBadFormat},
        {"257 colours", [](BmpFile& f) { f.colorsUsed = 257; }, kStatusImageBadFormat},
        {"colour count wraps", [](BmpFile& f) { f.colorsUsed = 0x40000001; }, kStatusImageBadFormat},
        {"1-bit with 300 colours",
         [](BmpFile& f) {
             f.bitCount = 1;
             f.colorsUsed = 300;
         },
         kStatusImageBadFormat},
        {"absurd size, few bytes",
         [](BmpFile& f) {
             f.width = 65534;
             f.height = 65534;
         },
         kStatusImageBadPixels},
        {"short palette",
         [](BmpFile& f) {
             f.palette.resize(1000);
             f.body.clear();
         },
         kStatusImageBadPalette},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BmpFile file;
        file.width = 2;
        file.height = 2;
        file.palette = FilePalette(256);
        file.body = {1, 2, 0, 0, 3, 4, 0, 0};
        c.spoil(file);
        ASSERT_EQ(bitmap_.Create(2, 2, Bitmap::kDepth8Bit, false), kStatusOk);
        EXPECT_EQ(Read(file.Build()), c.expected);
        EXPECT_EQ(lastError_, c.expected);
        EXPECT_TRUE(HoldsNoBlocks(bitmap_));
    }
}

TEST_F(BmpCodecTest, EveryTruncationOfAValidFileFailsAndKeepsNothing) {
    BmpFile raw8;
    raw8.width = 3;
    raw8.height = 2;
    raw8.colorsUsed = 2;
    raw8.palette = FilePalette(2);
    raw8.body = {0, 1, 0, 0, 1, 0, 1, 0};
    BmpFile raw4 = raw8;
    raw4.bitCount = 4;
    raw4.body = {0x01, 0x00, 0, 0, 0x10, 0x10, 0, 0};
    BmpFile raw1 = raw8;
    raw1.bitCount = 1;
    raw1.body = {0x40, 0, 0, 0, 0xA0, 0, 0, 0};
    BmpFile raw24 = raw8;
    raw24.bitCount = 24;
    raw24.colorsUsed = 0;
    raw24.palette.clear();
    raw24.body.assign(24, 0x33);
    // The last row ends with the end-of-bitmap escape, which is then needed.
    const BmpFile rle8 = RunLengthFile(3, 2, {3, 1, 0, 0, 0, 3, 1, 2, 3, 0, 0, 1});
    const BmpFile rle4 = RunLengthFile(3, 2, {3, 0x12, 0, 0, 0, 3, 0x12, 0x30, 0, 1}, true);

    for (const BmpFile* file : std::initializer_list<const BmpFile*>{&raw8, &raw4, &raw1, &raw24, &rle8, &rle4}) {
        const Bytes whole = file->Build();
        ASSERT_EQ(Read(whole), kStatusOk);
        const size_t paletteEnd = 54 + file->palette.size();
        for (size_t length = 0; length < whole.size(); ++length) {
            SCOPED_TRACE(testing::Message() << "bit count " << file->bitCount << ", compression "
                                            << file->compression << ", " << length << " bytes");
            const Status status = Read(Bytes(whole.begin(), whole.begin() + length));
            if (length < 54) {
                EXPECT_EQ(status, kStatusEndOfData);
            } else if (length < paletteEnd) {
                EXPECT_EQ(status, kStatusImageBadPalette);
            } else {
                EXPECT_EQ(status, kStatusImageBadPixels);
            }
            EXPECT_EQ(lastError_, status);
            EXPECT_TRUE(HoldsNoBlocks(bitmap_));
        }
    }
}

TEST_F(BmpCodecTest, FailingStreamReadsAreReported) {
    BmpFile file;
    file.palette = FilePalette(256);
    file.body = {1, 0, 0, 0};
    for (const int64_t at : {int64_t(3), int64_t(30)}) {
        MemoryStream stream(file.Build());
        stream.FailReadsAt(at);
        BmpCodec codec(&stream, &bitmap_);
        EXPECT_EQ(codec.Read(nullptr), MemoryStream::kStatusInjectedFault);
        EXPECT_TRUE(HoldsNoBlocks(bitmap_));
    }
    MemoryStream stream(file.Build());
    stream.FailReadsAt(60);
    BmpCodec codec(&stream, &bitmap_);
    EXPECT_EQ(codec.Read(nullptr), kStatusImageBadPalette);
}

// --- without engine memory

TEST(BmpCodecWithoutMemory, RawRowsNeedARowBufferButCodedOnesDoNot) {
    BmpFile raw;
    raw.palette = FilePalette(256);
    raw.body = {1, 0, 0, 0};
    const Bytes rawBytes = raw.Build();
    const Bytes codedBytes = RunLengthFile(1, 1, {1, 3, 0, 1}).Build();
    Bitmap bitmap;
    ScopedEngineHeap full(ScopedEngineHeap::kFull);
    {
        MemoryStream stream(rawBytes);
        BmpCodec codec(&stream, &bitmap);
        EXPECT_EQ(codec.Read(nullptr), kStatusPlatformFailed);
        EXPECT_EQ(codec.LastError(), kStatusPlatformFailed);
        EXPECT_TRUE(HoldsNoBlocks(bitmap));
    }
    MemoryStream stream(codedBytes);
    BmpCodec codec(&stream, &bitmap);
    EXPECT_EQ(codec.Read(nullptr), kStatusOk);
    EXPECT_EQ(Pixels(bitmap), Bytes{3});
}

TEST(BmpCodecWithoutMemory, OnlyTwentyFourBitWritesNeedARowBuffer) {
    Bitmap eightBit;
    ASSERT_EQ(eightBit.Create(3, 3, Bitmap::kDepth8Bit, true), kStatusOk);
    Bitmap trueColour;
    ASSERT_EQ(trueColour.Create(3, 3, Bitmap::kDepth24Bit, true), kStatusOk);
    ScopedEngineHeap full(ScopedEngineHeap::kFull);
    MemoryStream first;
    BmpCodec codec(&first);
    EXPECT_EQ(codec.Write(&eightBit), kStatusOk);
    MemoryStream second;
    BmpCodec other(&second);
    EXPECT_EQ(other.Write(&trueColour), kStatusPlatformFailed);
    EXPECT_EQ(other.LastError(), kStatusPlatformFailed);
}

}  // namespace
