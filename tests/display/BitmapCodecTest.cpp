#include "display/BitmapCodec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/IffFile.h"
#include "display/Bitmap.h"
#include "display/BmpCodec.h"
#include "display/ImageStatus.h"
#include "display/XfebCodec.h"
#include "platform/FileSystem.h"
#include "tests/support/BitmapBlocks.h"
#include "tests/support/ChunkBuilder.h"
#include "tests/support/FaultyFileSystem.h"
#include "tests/support/MemoryStream.h"
#include "tests/support/ScopedInstall.h"
#include "tests/support/TempDir.h"

namespace {

using Bytes = ChunkBuilder::Bytes;

// An 8-bit image with a palette, pixels i * 3 + salt.
void MakeImage(Bitmap& bitmap, uint16_t width, uint16_t height, uint8_t salt) {
    ASSERT_EQ(bitmap.Create(width, height, Bitmap::kDepth8Bit, true), kStatusOk);
    for (uint64_t i = 0; i < bitmap.PixelBlockSize(); ++i) {
        bitmap.pixels[i] = static_cast<uint8_t>(i * 3 + salt);
    }
    for (size_t i = 0; i < Bitmap::kPaletteBytes; ++i) {
        bitmap.palette[i] = (i % 4 == 3) ? 0 : static_cast<uint8_t>(i + salt);
    }
}

Bytes PixelsOf(const Bitmap& bitmap) {
    return bitmap.pixels == nullptr ? Bytes{} : Bytes(bitmap.pixels, bitmap.pixels + bitmap.PixelBlockSize());
}

Bytes FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes XfebBytes(const Bitmap& source) {
    MemoryStream stream;
    IffFile iff(&stream, 0);
    XfebCodec codec;
    EXPECT_EQ(iff.ValidateHeader(), kStatusOk);
    EXPECT_EQ(codec.WriteForm(&iff, const_cast<Bitmap*>(&source)), kStatusOk);
    EXPECT_EQ(iff.Finish(), kStatusOk);
    return stream.Bytes();
}

TEST(BitmapCodecFiles, SavedXfebLoadsBackIntoTheCodecsBitmap) {
    TempDir dir;
    const std::string path = dir.Str() + "/picture.iff";
    Bitmap source;
    MakeImage(source, 21, 5, 1);
    {
        XfebCodec codec;
        ASSERT_EQ(codec.SaveFile(path.c_str(), &source), kStatusOk);
        EXPECT_FALSE(codec.Stream()->IsOpen());
    }
    XfebCodec codec;
    ASSERT_EQ(codec.LoadFile(path.c_str()), kStatusOk);
    EXPECT_FALSE(codec.Stream()->IsOpen());
    const Bitmap& loaded = *codec.GetBitmap();
    EXPECT_EQ(loaded.width, 21);
    EXPECT_EQ(loaded.height, 5);
    EXPECT_EQ(PixelsOf(loaded), PixelsOf(source));
    EXPECT_EQ(std::memcmp(loaded.palette, source.palette, Bitmap::kPaletteBytes), 0);
}

TEST(BitmapCodecFiles, SaveFileOfTheCodecsOwnBitmap) {
    TempDir dir;
    const std::string path = dir.Str() + "/own.iff";
    XfebCodec codec;
    ASSERT_EQ(codec.GetBitmap()->Create(3, 3, Bitmap::kDepth24Bit, true), kStatusOk);
    EXPECT_EQ(codec.SaveFile(path.c_str()), kStatusOk);
    EXPECT_EQ(FileBytes(path), XfebBytes(*codec.GetBitmap()));
}

TEST(BitmapCodecFiles, LoadFileOfAMissingFileFreesTheTargetAndKeepsTheError) {
    TempDir dir;
    Bitmap target;
    MakeImage(target, 4, 4, 0);
    XfebCodec codec;
    const Status status = codec.LoadFile((dir.Str() + "/absent.iff").c_str(), &target);
    EXPECT_NE(status, kStatusOk);
    EXPECT_EQ(codec.LastError(), status);
    EXPECT_TRUE(HoldsNoBlocks(target));
}

TEST(BitmapCodecFiles, LoadFileOfAnotherFormatFailsAndClosesTheFile) {
    TempDir dir;
    dir.WriteFile("text.iff", "just some text, not a chunk file at all");
    XfebCodec codec;
    Bitmap target;
    EXPECT_EQ(codec.LoadFile((dir.Str() + "/text.iff").c_str(), &target), kStatusIffBadHeader);
    EXPECT_EQ(codec.LastError(), kStatusIffBadHeader);
    EXPECT_FALSE(codec.Stream()->IsOpen());
    EXPECT_TRUE(HoldsNoBlocks(target));
}

TEST(BitmapCodecFiles, SaveFileFailuresAreKept) {
    TempDir dir;
    Bitmap source;
    MakeImage(source, 2, 2, 0);
    XfebCodec codec;
    const Status status = codec.SaveFile((dir.Str() + "/no/such/folder/x.iff").c_str(), &source);
    EXPECT_NE(status, kStatusOk);
    EXPECT_EQ(codec.LastError(), status);

    Bitmap bad;
    EXPECT_EQ(codec.SaveFile((dir.Str() + "/bad.iff").c_str(), &bad), kStatusImageBadFormat);
    EXPECT_EQ(codec.LastError(), kStatusImageBadFormat);
}

TEST(BitmapCodecFiles, FailedCloseFailsTheSave) {
    TempDir dir;
    Bitmap source;
    MakeImage(source, 2, 2, 0);
    FaultyFileSystem files;
    ScopedInstall<platform::FileSystem> installed(files);
    files.FailNext(FaultyFileSystem::kClose, 1);
    XfebCodec codec;
    const Status status = codec.SaveFile((dir.Str() + "/closing.iff").c_str(), &source);
    EXPECT_EQ(status, kStatusCloseFailed);
    EXPECT_EQ(codec.LastError(), kStatusCloseFailed);
}

TEST(BitmapCodecFiles, KindOfCodecChoosesTheFileFormat) {
    TempDir dir;
    const std::string bmpPath = dir.Str() + "/picture.bmp";
    const std::string iffPath = dir.Str() + "/picture.iff";
    Bitmap source;
    MakeImage(source, 6, 3, 9);
    BmpCodec bmp;
    XfebCodec xfeb;
    BitmapCodec& asBmp = bmp;
    BitmapCodec& asXfeb = xfeb;
    ASSERT_EQ(asBmp.SaveFile(bmpPath.c_str(), &source), kStatusOk);
    ASSERT_EQ(asXfeb.SaveFile(iffPath.c_str(), &source), kStatusOk);
    const Bytes bmpBytes = FileBytes(bmpPath);
    ASSERT_GE(bmpBytes.size(), 2u);
    EXPECT_EQ(bmpBytes[0], 'B');
    EXPECT_EQ(bmpBytes[1], 'M');
    EXPECT_EQ(FileBytes(iffPath), XfebBytes(source));

    Bitmap fromBmp;
    ASSERT_EQ(asBmp.LoadFile(bmpPath.c_str(), &fromBmp), kStatusOk);
    EXPECT_EQ(PixelsOf(fromBmp), PixelsOf(source));
    // Each kind refuses the other's file.
    Bitmap wrong;
    EXPECT_NE(asXfeb.LoadFile(bmpPath.c_str(), &wrong), kStatusOk);
    EXPECT_NE(asBmp.LoadFile(iffPath.c_str(), &wrong), kStatusOk);
    EXPECT_TRUE(HoldsNoBlocks(wrong));
}

TEST(BitmapCodecLifetime, DestructorClosesACallersStreamAndLeavesACallersBitmap) {
    MemoryStream stream;
    Bitmap bitmap;
    MakeImage(bitmap, 2, 2, 0);
    {
        XfebCodec codec(&stream, &bitmap);
        EXPECT_EQ(codec.Stream(), &stream);
        EXPECT_EQ(codec.GetBitmap(), &bitmap);
        EXPECT_EQ(codec.Write(nullptr), kStatusOk);
    }
    EXPECT_FALSE(stream.IsOpen());
    EXPECT_NE(bitmap.ownedPixels, nullptr);
    EXPECT_NE(bitmap.ownedPalette, nullptr);
    EXPECT_FALSE(stream.Bytes().empty());
}

// Cels: a FORM "XCEL" of "COOR" and an XFEB form.
class XcelCel : public ::testing::Test {
protected:
    // Writes each bitmap as a cel inside one FORM "IDLE".
    Bytes WriteCels(std::vector<Bitmap*> cels) {
        MemoryStream stream;
        IffFile iff(&stream, 0);
        EXPECT_EQ(iff.ValidateHeader(), kStatusOk);
        EXPECT_EQ(iff.BeginForm(MakeTag("IDLE")), kStatusOk);
        for (Bitmap* cel : cels) {
            EXPECT_EQ(BitmapCodec::WriteXcelChunk(&iff, cel), kStatusOk);
        }
        EXPECT_EQ(iff.Finish(), kStatusOk);
        return stream.Bytes();
    }

    // Reads the cels of the first form the way the art loaders do: find each
    // cel form, enter it, read it; the reader leaves the cel form itself.
    std::vector<Status> ReadCels(const Bytes& file, std::vector<Bitmap>& cels) {
        MemoryStream stream(file);
        IffFile iff(&stream, 0);
        std::vector<Status> results;
        EXPECT_EQ(iff.ValidateHeader(), kStatusOk);
        EXPECT_EQ(iff.NextChunk(), kStatusOk);
        EXPECT_EQ(iff.Descend(), kStatusOk);
        for (Bitmap& cel : cels) {
            if (iff.FindForm(MakeTag("XCEL")) != kStatusOk || iff.Descend() != kStatusOk) {
                results.push_back(iff.LastError());
                break;
            }
            results.push_back(BitmapCodec::ReadCoorBitmap(&iff, &cel));
            EXPECT_EQ(iff.Level(), 1u) << "the reader did not leave the cel form";
        }
        return results;
    }

    ChunkBuilder b;
};

TEST_F(XcelCel, ReadCoorBitmapReadsWhatWriteXcelChunkWrote) {
    Bitmap first;
    MakeImage(first, 7, 3, 4);
    first.x = 120;
    first.y = -8;
    Bitmap second;
    ASSERT_EQ(second.Create(5, 2, Bitmap::kDepth16Bit, true), kStatusOk);
    second.pixels[3] = 0xAB;
    second.x = -32768;
    second.y = 32767;
    const Bytes file = WriteCels({&first, &second});

    std::vector<Bitmap> cels(2);
    ASSERT_EQ(ReadCels(file, cels), (std::vector<Status>{kStatusOk, kStatusOk}));
    EXPECT_EQ(cels[0].x, 120);
    EXPECT_EQ(cels[0].y, -8);
    EXPECT_EQ(cels[0].width, 7);
    EXPECT_EQ(PixelsOf(cels[0]), PixelsOf(first));
    EXPECT_EQ(std::memcmp(cels[0].palette, first.palette, Bitmap::kPaletteBytes), 0);
    EXPECT_EQ(cels[1].x, -32768);
    EXPECT_EQ(cels[1].y, 32767);
    EXPECT_EQ(cels[1].bytesPerPixel, Bitmap::kDepth16Bit);
    EXPECT_EQ(PixelsOf(cels[1]), PixelsOf(second));
}

TEST_F(XcelCel, CelFormHoldsThePositionThenTheImage) {
    Bitmap cel;
    ASSERT_EQ(cel.Create(2, 1, Bitmap::kDepth16Bit, true), kStatusOk);
    cel.x = 0x0102;
    cel.y = -2;
    const Bytes file = WriteCels({&cel});
    const Bytes expected = b.Form(
        "IDLE", {b.Form("XCEL", {b.Chunk("COOR", Bytes{0x02, 0x01, 0xFE, 0xFF}), XfebBytes(cel)})});
    EXPECT_EQ(file, expected);
}

TEST_F(XcelCel, MissingPositionFailsAndTheNextCelStillReads) {
    Bitmap image;
    ASSERT_EQ(image.Create(1, 1, Bitmap::kDepth32Bit, true), kStatusOk);
    const Bytes good = b.Form("XCEL", {b.Chunk("COOR", Bytes{5, 0, 6, 0}), XfebBytes(image)});
    const Bytes file = b.Form("IDLE", {b.Form("XCEL", {XfebBytes(image)}), good});
    std::vector<Bitmap> cels(2);
    EXPECT_EQ(ReadCels(file, cels), (std::vector<Status>{kStatusIffChunkNotFound, kStatusOk}));
    EXPECT_TRUE(HoldsNoBlocks(cels[0]));
    EXPECT_EQ(cels[1].x, 5);
    EXPECT_EQ(cels[1].y, 6);
}

TEST_F(XcelCel, MalformedCelsGiveTheFirstFailureAndNoBlocks) {
    Bitmap image;
    ASSERT_EQ(image.Create(1, 1, Bitmap::kDepth16Bit, true), kStatusOk);
    const Bytes badImage = b.Form("XFEB", {b.Chunk("HDR ", Bytes(16, 0)), b.Chunk("BODY", Bytes{1, 2})});
    struct Case {
        Bytes cel;
        Status expected;
    };
    const std::vector<Case> cases = {
        {b.Form("XCEL", {b.Chunk("COOR", Bytes{1, 0})}), kStatusIffShortRead},
        {b.Form("XCEL", {b.Chunk("COOR", Bytes{1, 0, 2, 0, 3, 0}), XfebBytes(image)}), kStatusIffChunkTooLarge},
        {b.Form("XCEL", {b.Chunk("COOR", Bytes{1, 0, 2, 0})}), kStatusIffFormNotFound},
        {b.Form("XCEL", {b.Chunk("COOR", Bytes{1, 0, 2, 0}), badImage}), kStatusImageBadFormat},
    };
    for (const Case& c : cases) {
        std::vector<Bitmap> cels(1);
        ASSERT_EQ(cels[0].Create(3, 3, Bitmap::kDepth8Bit, true), kStatusOk);
        EXPECT_EQ(ReadCels(b.Form("IDLE", {c.cel}), cels), std::vector<Status>{c.expected});
        EXPECT_TRUE(HoldsNoBlocks(cels[0]));
    }
}

TEST_F(XcelCel, WriteFailuresAreReturned) {
    Bitmap empty;
    MemoryStream stream;
    IffFile iff(&stream, 0);
    ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
    EXPECT_EQ(BitmapCodec::WriteXcelChunk(&iff, &empty), kStatusImageBadFormat);
    EXPECT_EQ(iff.Level(), 0u) << "the cel form was left open";

    Bitmap cel;
    ASSERT_EQ(cel.Create(2, 2, Bitmap::kDepth16Bit, true), kStatusOk);
    MemoryStream failing;
    failing.FailWritesAt(14);  // inside "COOR"
    IffFile failingFile(&failing, 0);
    ASSERT_EQ(failingFile.ValidateHeader(), kStatusOk);
    EXPECT_EQ(BitmapCodec::WriteXcelChunk(&failingFile, &cel), MemoryStream::kStatusInjectedFault);
    EXPECT_EQ(failingFile.Level(), 0u);
}

}  // namespace
