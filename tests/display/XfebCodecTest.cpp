#include "display/XfebCodec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "engine/ByteOrder.h"
#include "engine/EngineHeap.h"
#include "engine/IffFile.h"
#include "display/Bitmap.h"
#include "display/ImageStatus.h"
#include "tests/support/BitmapBlocks.h"
#include "tests/support/ChunkBuilder.h"
#include "tests/support/MemoryStream.h"
#include "tests/support/ScopedEngineHeap.h"

namespace {

using Bytes = ChunkBuilder::Bytes;

constexpr uint8_t kRunLength = XfebCodec::kStorageRunLength;
constexpr uint8_t kRaw = XfebCodec::kStorageRaw;

uint8_t Control(int32_t n) { return static_cast<uint8_t>(static_cast<int8_t>(n)); }

Bytes Header(uint16_t version, uint16_t width, uint16_t height, uint8_t bytesPerPixel, uint8_t storage) {
    Bytes header(16, 0);
    StoreLe16(header.data() + 0, version);
    StoreLe16(header.data() + 2, width);
    StoreLe16(header.data() + 4, height);
    header[6] = bytesPerPixel;
    header[7] = storage;
    return header;
}

Bytes PaletteBytes() {
    Bytes palette(1024);
    for (size_t i = 0; i < palette.size(); ++i) {
        palette[i] = (i % 4 == 3) ? 0 : static_cast<uint8_t>(i * 7);
    }
    return palette;
}

// Pixels of a picture: runs of a colour broken by noise, so that the code is
// shorter than the pixels; with `noisy`, no two neighbouring bytes are equal.
void Fill(Bitmap& bitmap, bool noisy) {
    const uint64_t bytes = bitmap.PixelBlockSize();
    uint32_t seed = 12345;
    for (uint64_t i = 0; i < bytes; ++i) {
        seed = seed * 1103515245u + 12345u;
        const bool run = !noisy && (i / 11) % 3 != 0;
        bitmap.ownedPixels[i] = run ? static_cast<uint8_t>(i / 33) : static_cast<uint8_t>(i * 37 + 1);
    }
    if (bitmap.ownedPalette != nullptr) {
        const Bytes palette = PaletteBytes();
        std::memcpy(bitmap.ownedPalette, palette.data(), palette.size());
    }
}

// Writes `source` as one XFEB form in memory.
Bytes WriteXfeb(Bitmap& source, Status* status = nullptr) {
    MemoryStream stream;
    XfebCodec codec(&stream);
    const Status written = codec.Write(&source);
    if (status != nullptr) {
        *status = written;
    }
    return stream.Bytes();
}

// The data of chunk `id` inside the file's first XFEB form.
Bytes ChunkData(const Bytes& file, const char (&id)[5]) {
    MemoryStream stream(file);
    IffFile iff(&stream, 0);
    if (iff.ValidateHeader() != kStatusOk || iff.FindForm(XfebCodec::kFormType) != kStatusOk ||
        iff.Descend() != kStatusOk || iff.FindChunk(MakeTag(id)) != kStatusOk) {
        return {};
    }
    Bytes data(iff.ChunkSize());
    if (!data.empty()) {
        iff.ReadChunk(data.data());
    }
    return data;
}

// Reads through an engine heap of its own, so that a block left behind by the
// reader shows in the heap's counters.
class XfebRead : public ::testing::Test {
protected:
    // Reads `file` into `target`, checking that the engine heap is as before.
    Status Read(const Bytes& file, Bitmap& target) {
        const uint64_t inUse = EngineHeap::BytesInUse();
        MemoryStream stream(file);
        XfebCodec codec(&stream);
        Status status;
        {
            IffFile iff(&stream, 0);
            status = iff.ValidateHeader();
            if (status == kStatusOk) {
                status = iff.FindForm(XfebCodec::kFormType);
            }
            if (status == kStatusOk) {
                status = codec.ReadForm(&iff, &target);
                EXPECT_EQ(status == kStatusOk ? kStatusOk : codec.LastError(), status);
            }
        }
        EXPECT_EQ(EngineHeap::BytesInUse(), inUse) << "a block of the reader was left behind";
        return status;
    }

    // A malformed file fails with `expected` and leaves the target, which
    // held an image before, without blocks.
    void ExpectFailure(const Bytes& file, Status expected) {
        Bitmap target;
        ASSERT_EQ(target.Create(4, 4, Bitmap::kDepth8Bit, true), kStatusOk);
        EXPECT_EQ(Read(file, target), expected);
        EXPECT_TRUE(HoldsNoBlocks(target));
    }

    const ScopedEngineHeap heap_{4 << 20};
    ChunkBuilder b;
};

// Every depth, stored run-length coded and raw.
struct RoundTripCase {
    uint8_t bytesPerPixel;
    bool noisy;
};

class XfebRoundTrip : public XfebRead, public ::testing::WithParamInterface<RoundTripCase> {};

TEST_P(XfebRoundTrip, WrittenImageReadsBackTheSame) {
    const RoundTripCase c = GetParam();
    Bitmap source;
    // Width 37: 1-bit rows of 5 bytes, odd sizes for every depth.
    ASSERT_EQ(source.Create(37, 9, c.bytesPerPixel, true), kStatusOk);
    Fill(source, c.noisy);
    source.Unlock();  // the writer locks for itself and leaves it as it found it

    Status written;
    const Bytes file = WriteXfeb(source, &written);
    ASSERT_EQ(written, kStatusOk);
    EXPECT_EQ(source.pixels, nullptr);
    const Bytes header = ChunkData(file, "HDR ");
    ASSERT_EQ(header.size(), 16u);
    EXPECT_EQ(header, Header(1, 37, 9, c.bytesPerPixel, c.noisy ? kRaw : kRunLength));
    EXPECT_EQ(ChunkData(file, "PAL ").size(), c.bytesPerPixel == Bitmap::kDepth8Bit ? 1024u : 0u);

    Bitmap target;
    target.reserved = 0x5555;
    ASSERT_EQ(Read(file, target), kStatusOk);
    EXPECT_EQ(target.reserved, 0);
    EXPECT_EQ(target.width, 37);
    EXPECT_EQ(target.height, 9);
    EXPECT_EQ(target.bytesPerPixel, c.bytesPerPixel);
    ASSERT_NE(target.pixels, nullptr);
    EXPECT_EQ(target.pixels, target.ownedPixels);
    source.Lock();
    const size_t bytes = source.PixelBlockSize();
    EXPECT_EQ(Bytes(target.pixels, target.pixels + bytes), Bytes(source.pixels, source.pixels + bytes));
    if (c.bytesPerPixel == Bitmap::kDepth8Bit) {
        ASSERT_NE(target.palette, nullptr);
        EXPECT_EQ(Bytes(target.palette, target.palette + 1024), PaletteBytes());
        EXPECT_EQ(target.lastPaletteIndex, 255);
    } else {
        EXPECT_EQ(target.palette, nullptr);
        EXPECT_EQ(target.lastPaletteIndex, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryDepth, XfebRoundTrip,
                         ::testing::Values(RoundTripCase{0, false}, RoundTripCase{1, false}, RoundTripCase{2, false},
                                           RoundTripCase{3, false}, RoundTripCase{4, false}, RoundTripCase{0, true},
                                           RoundTripCase{1, true}, RoundTripCase{2, true}, RoundTripCase{3, true},
                                           RoundTripCase{4, true}),
                         [](const auto& info) {
                             return "Depth" + std::to_string(info.param.bytesPerPixel) +
                                    (info.param.noisy ? "Raw" : "RunLength");
                         });

TEST_F(XfebRead, RowOf200EqualBytesIsStoredAsTwoRepeats) {
    Bitmap source;
    ASSERT_EQ(source.Create(200, 1, Bitmap::kDepth8Bit, true), kStatusOk);
    std::memset(source.pixels, 0x3C, 200);
    const Bytes file = WriteXfeb(source);
    EXPECT_EQ(ChunkData(file, "HDR ")[7], kRunLength);
    EXPECT_EQ(ChunkData(file, "BODY"), (Bytes{Control(-127), 0x3C, Control(-71), 0x3C}));
}

TEST_F(XfebRead, ImageWithoutEqualNeighboursIsStoredRaw) {
    Bitmap source;
    ASSERT_EQ(source.Create(16, 4, Bitmap::kDepth16Bit, true), kStatusOk);
    for (int i = 0; i < 16 * 4 * 2; ++i) {
        source.pixels[i] = static_cast<uint8_t>(i);
    }
    const Bytes file = WriteXfeb(source);
    EXPECT_EQ(ChunkData(file, "HDR ")[7], kRaw);
    EXPECT_EQ(ChunkData(file, "BODY"), Bytes(source.pixels, source.pixels + 128));
}

TEST_F(XfebRead, HeaderOf15Or17BytesIsAMalformedHeader) {
    Bytes fifteen = Header(1, 2, 2, 2, kRaw);
    fifteen.pop_back();
    Bytes seventeen = Header(1, 2, 2, 2, kRaw);
    seventeen.push_back(0);
    const Bytes body(8, 1);
    ExpectFailure(b.Form("XFEB", {b.Chunk("HDR ", fifteen), b.Chunk("BODY", body)}), kStatusImageBadHeader);
    ExpectFailure(b.Form("XFEB", {b.Chunk("HDR ", seventeen), b.Chunk("BODY", body)}), kStatusImageBadHeader);
    ExpectFailure(b.Form("XFEB", {b.Chunk("BODY", body)}), kStatusImageBadHeader);
}

TEST_F(XfebRead, BadHeaderValuesAreABadFormat) {
    const Bytes body(8, 1);
    for (const Bytes& header : {Header(2, 2, 2, 2, kRaw), Header(0, 2, 2, 2, kRaw), Header(1, 0, 2, 2, kRaw),
                                Header(1, 2, 0, 2, kRaw), Header(1, 2, 2, 5, kRaw), Header(1, 2, 2, 2, 2)}) {
        ExpectFailure(b.Form("XFEB", {b.Chunk("HDR ", header), b.Chunk("BODY", body)}), kStatusImageBadFormat);
    }
}

TEST_F(XfebRead, EightBitImageNeedsAFullPalette) {
    const Bytes body(4, 1);
    ExpectFailure(b.Form("XFEB", {b.Chunk("HDR ", Header(1, 2, 2, 1, kRaw)), b.Chunk("BODY", body)}),
                  kStatusImageBadPalette);
    ExpectFailure(b.Form("XFEB", {b.Chunk("HDR ", Header(1, 2, 2, 1, kRaw)), b.Chunk("PAL ", Bytes(1023)),
                                  b.Chunk("BODY", body)}),
                  kStatusImageBadPalette);
    ExpectFailure(b.Form("XFEB", {b.Chunk("HDR ", Header(1, 2, 2, 1, kRaw)), b.Chunk("PAL ", Bytes(1025)),
                                  b.Chunk("BODY", body)}),
                  kStatusImageBadPalette);
}

TEST_F(XfebRead, OtherDepthsNeedNoPaletteAndIgnoreOne) {
    const Bytes body{1, 2, 3, 4, 5, 6, 7, 8};
    Bitmap target;
    ASSERT_EQ(Read(b.Form("XFEB", {b.Chunk("HDR ", Header(1, 2, 2, 2, kRaw)), b.Chunk("BODY", body)}), target),
              kStatusOk);
    EXPECT_EQ(Bytes(target.pixels, target.pixels + 8), body);
    ASSERT_EQ(Read(b.Form("XFEB", {b.Chunk("HDR ", Header(1, 2, 2, 2, kRaw)), b.Chunk("PAL ", Bytes(1024)),
                                   b.Chunk("BODY", body)}),
                   target),
              kStatusOk);
    EXPECT_EQ(target.palette, nullptr);
    EXPECT_EQ(target.lastPaletteIndex, 0);
}

TEST_F(XfebRead, ChunksBetweenTheKnownOnesAreSkipped) {
    const Bytes body{9, 8, 7, 6};
    Bitmap target;
    ASSERT_EQ(Read(b.Form("XFEB", {b.Chunk("NOTE", "x"), b.Chunk("HDR ", Header(1, 2, 2, 1, kRaw)),
                                   b.Chunk("NOTE", "abc"), b.Form("SUBF", {b.Chunk("BODY", Bytes(4, 0))}),
                                   b.Chunk("PAL ", PaletteBytes()), b.Chunk("NOTE", ""), b.Chunk("BODY", body)}),
                   target),
              kStatusOk);
    EXPECT_EQ(Bytes(target.pixels, target.pixels + 4), body);
    EXPECT_EQ(Bytes(target.palette, target.palette + 1024), PaletteBytes());
}

TEST_F(XfebRead, MissingEmptyOrWrongSizedBodyIsBadPixels) {
    const Bytes header = Header(1, 3, 3, 2, kRaw);  // 18 bytes of pixels
    ExpectFailure(b.Form("XFEB", {b.Chunk("HDR ", header)}), kStatusImageBadPixels);
    ExpectFailure(b.Form("XFEB", {b.Chunk("HDR ", header), b.Chunk("BODY", Bytes{})}), kStatusImageBadPixels);
    ExpectFailure(b.Form("XFEB", {b.Chunk("HDR ", header), b.Chunk("BODY", Bytes(17, 1))}), kStatusImageBadPixels);
    ExpectFailure(b.Form("XFEB", {b.Chunk("HDR ", header), b.Chunk("BODY", Bytes(19, 1))}), kStatusImageBadPixels);
    const Bytes oneBit = Header(1, 9, 2, 0, kRaw);  // rows of 2 bytes
    ExpectFailure(b.Form("XFEB", {b.Chunk("HDR ", oneBit), b.Chunk("BODY", Bytes(3, 1))}), kStatusImageBadPixels);
}

TEST_F(XfebRead, RunLengthBodyEndingEarlyLeavesTheRestZero) {
    // 3 x 2 of 24 bits: two pixels given, four left.
    Bitmap target;
    ASSERT_EQ(Read(b.Form("XFEB", {b.Chunk("HDR ", Header(1, 3, 2, 3, kRunLength)),
                                   b.Chunk("BODY", Bytes{Control(-1), 1, 2, 3})}),
                   target),
              kStatusOk);
    EXPECT_EQ(Bytes(target.pixels, target.pixels + 18), (Bytes{1, 2, 3, 1, 2, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(XfebRead, RunLengthOverrunOfOutputOrInputIsBadPixels) {
    const Bytes header = Header(1, 2, 2, 2, kRunLength);  // 4 units of 2 bytes
    ExpectFailure(b.Form("XFEB", {b.Chunk("HDR ", header), b.Chunk("BODY", Bytes{Control(-4), 1, 2})}),
                  kStatusImageBadPixels);
    ExpectFailure(
        b.Form("XFEB", {b.Chunk("HDR ", header), b.Chunk("BODY", Bytes{Control(4), 1, 2, 3, 4, 5, 6, 7, 8, 9, 10})}),
        kStatusImageBadPixels);
    // The input ends inside a literal run, and before a repeat's unit.
    ExpectFailure(b.Form("XFEB", {b.Chunk("HDR ", header), b.Chunk("BODY", Bytes{Control(2), 1, 2, 3})}),
                  kStatusImageBadPixels);
    ExpectFailure(b.Form("XFEB", {b.Chunk("HDR ", header), b.Chunk("BODY", Bytes{Control(-1), 1})}),
                  kStatusImageBadPixels);
    // 1-bit rows: width 9, height 1 is 2 bytes.
    ExpectFailure(b.Form("XFEB", {b.Chunk("HDR ", Header(1, 9, 1, 0, kRunLength)),
                                  b.Chunk("BODY", Bytes{Control(-2), 0xFF})}),
                  kStatusImageBadPixels);
}

TEST_F(XfebRead, CurrentChunkMustBeAnXfebForm) {
    Bitmap target;
    ASSERT_EQ(target.Create(2, 2, Bitmap::kDepth8Bit, true), kStatusOk);
    MemoryStream stream(b.Form("ROOT", {b.Chunk("XFEB", Bytes(4)), b.Form("XFEC", {})}));
    XfebCodec codec(&stream);
    IffFile iff(&stream, 0);
    ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
    ASSERT_EQ(iff.NextChunk(), kStatusOk);
    EXPECT_EQ(codec.ReadForm(&iff, &target), kStatusImageBadFormat);  // a ROOT form
    ASSERT_EQ(iff.Descend(), kStatusOk);
    ASSERT_EQ(iff.NextChunk(), kStatusOk);
    EXPECT_EQ(codec.ReadForm(&iff, &target), kStatusImageBadFormat);  // a plain chunk named XFEB
    ASSERT_EQ(iff.NextChunk(), kStatusOk);
    EXPECT_EQ(codec.ReadForm(&iff, &target), kStatusImageBadFormat);
    EXPECT_EQ(codec.LastError(), kStatusImageBadFormat);
    EXPECT_TRUE(HoldsNoBlocks(target));
}

TEST_F(XfebRead, FileStandsBehindTheFormAfterReadingIt) {
    const Bytes good = b.Form("XFEB", {b.Chunk("HDR ", Header(1, 1, 1, 2, kRaw)), b.Chunk("BODY", Bytes{5, 6}),
                                       b.Chunk("TAIL", "z")});
    const Bytes bad = b.Form("XFEB", {b.Chunk("HDR ", Header(1, 1, 1, 1, kRaw)), b.Chunk("BODY", Bytes{5})});
    MemoryStream stream(b.Form("LIST", {good, bad, b.Chunk("NEXT", "x")}));
    XfebCodec codec(&stream);
    IffFile iff(&stream, 0);
    ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
    ASSERT_EQ(iff.NextChunk(), kStatusOk);
    ASSERT_EQ(iff.Descend(), kStatusOk);
    Bitmap target;
    ASSERT_EQ(iff.NextChunk(), kStatusOk);
    EXPECT_EQ(codec.ReadForm(&iff, &target), kStatusOk);
    EXPECT_EQ(iff.Level(), 1u);
    ASSERT_EQ(iff.NextChunk(), kStatusOk);
    EXPECT_EQ(codec.ReadForm(&iff, &target), kStatusImageBadPalette);
    EXPECT_EQ(iff.Level(), 1u);
    ASSERT_EQ(iff.NextChunk(), kStatusOk);
    EXPECT_EQ(iff.ChunkId(), MakeTag("NEXT"));
}

TEST_F(XfebRead, TruncationAtEveryByteFails) {
    Bitmap source;
    ASSERT_EQ(source.Create(20, 6, Bitmap::kDepth8Bit, true), kStatusOk);
    Fill(source, false);
    const Bytes file = WriteXfeb(source);
    ASSERT_EQ(ChunkData(file, "HDR ")[7], kRunLength);
    for (size_t length = 0; length < file.size(); ++length) {
        Bitmap target;
        const Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
        MemoryStream stream(cut);
        XfebCodec codec(&stream);
        const uint64_t inUse = EngineHeap::BytesInUse();
        EXPECT_NE(codec.Read(&target), kStatusOk) << "cut at " << length;
        EXPECT_TRUE(HoldsNoBlocks(target)) << "cut at " << length;
        EXPECT_EQ(EngineHeap::BytesInUse(), inUse);
    }
}

TEST_F(XfebRead, StreamEndingEarlyAtEveryByteFails) {
    // The sizes all claim the whole file; the data stop short. Even-sized
    // chunks only, so that every byte of the file is read.
    Bitmap eightBit;
    ASSERT_EQ(eightBit.Create(10, 4, Bitmap::kDepth8Bit, true), kStatusOk);
    Fill(eightBit, true);
    Bitmap sixteenBit;
    ASSERT_EQ(sixteenBit.Create(10, 4, Bitmap::kDepth16Bit, true), kStatusOk);
    Fill(sixteenBit, true);
    const Bytes runLength = b.Form("XFEB", {b.Chunk("HDR ", Header(1, 8, 2, 3, kRunLength)),
                                            b.Chunk("BODY", Bytes{Control(-7), 1, 2, 3, Control(6), 1, 2, 3, 4,
                                                                  5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17,
                                                                  18, 19, 20, 21})});
    for (const Bytes& file : {WriteXfeb(eightBit), WriteXfeb(sixteenBit), runLength}) {
        Bitmap whole;
        ASSERT_EQ(Read(file, whole), kStatusOk);
        for (size_t offset = 0; offset < file.size(); ++offset) {
            Bitmap target;
            MemoryStream stream(file);
            stream.ShortReadsAt(static_cast<int64_t>(offset));
            XfebCodec codec(&stream);
            const uint64_t inUse = EngineHeap::BytesInUse();
            EXPECT_NE(codec.Read(&target), kStatusOk) << "short at " << offset << " of " << file.size();
            EXPECT_TRUE(HoldsNoBlocks(target));
            EXPECT_EQ(EngineHeap::BytesInUse(), inUse);
        }
    }
}

TEST_F(XfebRead, ReadFindsTheFirstXfebFormAndKeepsChunkFileFailures) {
    const Bytes image = b.Form("XFEB", {b.Chunk("HDR ", Header(1, 1, 1, 4, kRaw)), b.Chunk("BODY", Bytes{1, 2, 3, 4})});
    {
        MemoryStream stream(ChunkBuilder::Join({b.Chunk("JUNK", "abcd"), image}));
        // Only the first chunk is validated; the form follows at the top level.
        XfebCodec codec(&stream);
        Bitmap target;
        EXPECT_EQ(codec.Read(&target), kStatusOk);
        EXPECT_EQ(Bytes(target.pixels, target.pixels + 4), (Bytes{1, 2, 3, 4}));
    }
    {
        MemoryStream stream(b.Form("OTHR", {}));
        XfebCodec codec(&stream);
        EXPECT_EQ(codec.Read(nullptr), kStatusIffFormNotFound);
        EXPECT_EQ(codec.LastError(), kStatusIffFormNotFound);
        EXPECT_TRUE(HoldsNoBlocks(*codec.GetBitmap()));
    }
    {
        MemoryStream stream(Bytes{'F', 'O', 'R', 'M', 0, 0, 1, 0});
        XfebCodec codec(&stream);
        EXPECT_EQ(codec.Read(nullptr), kStatusIffBadHeader);
    }
}

TEST_F(XfebRead, RunLengthReadWithoutEngineMemoryFailsCleanly) {
    Bitmap source;
    ASSERT_EQ(source.Create(30, 3, Bitmap::kDepth16Bit, true), kStatusOk);
    Fill(source, false);
    const Bytes file = WriteXfeb(source);
    EngineHeap::Release();
    {
        ScopedEngineHeap full(ScopedEngineHeap::kFull);
        MemoryStream stream(file);
        XfebCodec codec(&stream);
        Bitmap target;
        EXPECT_EQ(codec.Read(&target), kStatusPlatformFailed);
        EXPECT_TRUE(HoldsNoBlocks(target));
    }
    EngineHeap::Reserve(4 << 20, EngineHeap::kModeExact);
}

TEST_F(XfebRead, LastErrorIsKeptAcrossSuccesses) {
    MemoryStream stream(b.Form("XFEB", {b.Chunk("HDR ", Header(2, 1, 1, 2, kRaw))}));
    XfebCodec codec(&stream);
    EXPECT_EQ(codec.Read(nullptr), kStatusImageBadFormat);
    Bitmap source;
    ASSERT_EQ(source.Create(1, 1, Bitmap::kDepth16Bit, true), kStatusOk);
    MemoryStream out;
    XfebCodec writer(&out);
    EXPECT_EQ(writer.Write(&source), kStatusOk);
    EXPECT_EQ(writer.LastError(), kStatusOk);
    EXPECT_EQ(codec.LastError(), kStatusImageBadFormat);
}

class XfebWrite : public ::testing::Test {
protected:
    Status WriteInto(MemoryStream& stream, Bitmap* source) {
        XfebCodec codec(&stream);
        const Status status = codec.Write(source);
        EXPECT_EQ(status == kStatusOk ? kStatusOk : codec.LastError(), status);
        return status;
    }
};

TEST_F(XfebWrite, BadSizeOrDepthWritesNothing) {
    Bitmap source;
    ASSERT_EQ(source.Create(2, 2, Bitmap::kDepth16Bit, true), kStatusOk);
    const auto expectNothingWritten = [&] {
        MemoryStream stream;
        EXPECT_EQ(WriteInto(stream, &source), kStatusImageBadFormat);
        EXPECT_TRUE(stream.Bytes().empty());
    };
    source.width = 0;
    expectNothingWritten();
    source.width = 2;
    source.height = 0;
    expectNothingWritten();
    source.height = 2;
    source.bytesPerPixel = 5;
    expectNothingWritten();
    // Sides that fit a bitmap but a block no chunk size can hold.
    Bitmap huge;
    huge.width = 0xFFFF;
    huge.height = 0xFFFF;
    huge.bytesPerPixel = Bitmap::kDepth32Bit;
    MemoryStream stream;
    EXPECT_EQ(WriteInto(stream, &huge), kStatusImageBadFormat);
    EXPECT_TRUE(stream.Bytes().empty());
}

TEST_F(XfebWrite, MissingPixelsOrPaletteFail) {
    MemoryStream stream;
    Bitmap empty;
    empty.width = 2;
    empty.height = 2;
    empty.bytesPerPixel = Bitmap::kDepth16Bit;
    EXPECT_EQ(WriteInto(stream, &empty), kStatusImageBadPixels);

    Bitmap noPalette;
    ASSERT_EQ(noPalette.Create(2, 2, Bitmap::kDepth16Bit, true), kStatusOk);
    noPalette.bytesPerPixel = Bitmap::kDepth8Bit;  // 4 of the 8 bytes are enough
    MemoryStream second;
    EXPECT_EQ(WriteInto(second, &noPalette), kStatusImageBadPalette);
}

TEST_F(XfebWrite, WritesFromViewsTheBitmapDoesNotOwn) {
    uint8_t pixels[6] = {1, 2, 3, 4, 5, 6};
    uint8_t palette[1024] = {};
    palette[4] = 200;
    Bitmap borrowed;
    borrowed.width = 3;
    borrowed.height = 2;
    borrowed.bytesPerPixel = Bitmap::kDepth8Bit;
    borrowed.pixels = pixels;
    borrowed.palette = palette;
    MemoryStream stream;
    ASSERT_EQ(WriteInto(stream, &borrowed), kStatusOk);
    EXPECT_EQ(borrowed.pixels, pixels);
    EXPECT_EQ(ChunkData(stream.Bytes(), "BODY"), Bytes(pixels, pixels + 6));
    EXPECT_EQ(ChunkData(stream.Bytes(), "PAL ")[4], 200);
}

TEST_F(XfebWrite, FormSizeCoversTheHeaderPaletteAndBody) {
    Bitmap source;
    ASSERT_EQ(source.Create(3, 3, Bitmap::kDepth8Bit, true), kStatusOk);
    MemoryStream stream;
    ASSERT_EQ(WriteInto(stream, &source), kStatusOk);
    const Bytes& bytes = stream.Bytes();
    ASSERT_GT(bytes.size(), 20u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "FORM");
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 16), "XFEBHDR ");
    // Big-endian, as every chunk size; the 3 x 3 zero image codes as three
    // 2-byte repeats.
    const uint32_t size = LoadBe32(bytes.data() + 4);
    EXPECT_EQ(size, bytes.size() - 8);
    EXPECT_EQ(size, 4 + (8 + 16) + (8 + 1024) + (8 + 6));
}

TEST_F(XfebWrite, StreamFailuresPassThrough) {
    Bitmap source;
    ASSERT_EQ(source.Create(8, 8, Bitmap::kDepth8Bit, true), kStatusOk);
    for (const int64_t offset : {0, 14, 40, 1080}) {
        MemoryStream stream;
        stream.FailWritesAt(offset);
        EXPECT_EQ(WriteInto(stream, &source), MemoryStream::kStatusInjectedFault) << "at " << offset;
    }
    MemoryStream flushFails;
    flushFails.FailFlush(true);
    EXPECT_EQ(WriteInto(flushFails, &source), MemoryStream::kStatusInjectedFault);
    // A stream that cannot tell where it stands is not written at all.
    MemoryStream unseekable;
    unseekable.FailSeeks(true);
    EXPECT_NE(WriteInto(unseekable, &source), kStatusOk);
    EXPECT_TRUE(unseekable.Bytes().empty());
}

TEST_F(XfebWrite, NoEngineMemoryForTheCodeIsOutOfMemory) {
    Bitmap source;
    ASSERT_EQ(source.Create(8, 8, Bitmap::kDepth8Bit, true), kStatusOk);
    ScopedEngineHeap full(ScopedEngineHeap::kFull);
    MemoryStream stream;
    EXPECT_EQ(WriteInto(stream, &source), kStatusPlatformFailed);
    EXPECT_EQ(source.pixels, source.ownedPixels);
}

}  // namespace
