// Reads any bytes as a picture: as a Windows bitmap when they start with 'B',
// else as a chunk file holding an XFEB form, on its own and inside a cel. A
// read either fails, leaving the target without blocks and the failure kept
// as the codec's last error, or succeeds with blocks as large as the
// picture's size says, and then writes out and reads back the same. A read or write out of bounds aborts
// through the sanitizers; a broken promise aborts here.
//
// Blocks above 64 MB (well above the fuzzer's own) fail as if memory had
// run out. The readers allocate what a header asks for, and a run-length
// body may stop early, so a few bytes can rightly ask for a cleared block of
// nearly 2 GB: at that size a run measures the machine, not the code. The
// refused allocation takes the readers' out-of-memory path instead, which
// must leave no block. For the same reason only pictures up to a megabyte
// make the round trip.
#include <sanitizer/allocator_interface.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/IffFile.h"
#include "display/Bitmap.h"
#include "display/BitmapCodec.h"
#include "display/BmpCodec.h"
#include "display/XfebCodec.h"
#include "tests/support/BitmapBlocks.h"
#include "tests/support/MemoryStream.h"

extern "C" const char* __asan_default_options() {
    return "allocator_may_return_null=1:max_allocation_size_mb=64";
}

namespace {

constexpr uint64_t kLargestRoundTrip = 1 << 20;
constexpr uint32_t kCelForm = MakeTag("XCEL");

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// The sizes the bitmap claims against the blocks it holds: every byte the
// size covers must lie inside the pixel block, and a palette is 256 entries.
void CheckBlocks(const Bitmap& bitmap) {
    Check(bitmap.reserved == 0);
    Check(bitmap.width != 0 && bitmap.height != 0);
    Check(bitmap.bytesPerPixel <= Bitmap::kMaxDepth);
    Check(bitmap.ownedPixels != nullptr && bitmap.pixels == bitmap.ownedPixels);
    const uint64_t pixelBytes = bitmap.PixelBlockSize();
    Check(__sanitizer_get_ownership(bitmap.ownedPixels));
    Check(__sanitizer_get_allocated_size(bitmap.ownedPixels) >= pixelBytes);
    if (bitmap.ownedPalette != nullptr) {
        Check(bitmap.palette == bitmap.ownedPalette);
        Check(__sanitizer_get_allocated_size(bitmap.ownedPalette) >= Bitmap::kPaletteBytes);
    } else {
        Check(bitmap.palette == nullptr);
    }
    // 8-bit pictures carry a palette; XFEB's always has 256 entries.
    Check((bitmap.palette != nullptr) == (bitmap.bytesPerPixel == Bitmap::kDepth8Bit));
    if (bitmap.bytesPerPixel != Bitmap::kDepth8Bit && bitmap.bytesPerPixel != Bitmap::kDepth1Bit) {
        Check(bitmap.lastPaletteIndex == 0);
    }
}

// Writes the picture with one codec into memory and reads it back with the
// same kind into `copy`.
template <typename Codec>
void WriteAndRead(Bitmap& picture, Bitmap& copy) {
    MemoryStream stream;
    {
        Codec writer(&stream, &picture);
        Check(writer.Write(nullptr) == kStatusOk);
    }
    Check(stream.Open(nullptr, 1) == kStatusOk);
    Codec reader(&stream, &copy);
    Check(reader.Read(nullptr) == kStatusOk);
}

// The same size, depth and pixels, and for 8-bit pictures the same 256
// colours (the BMP form does not keep the fourth byte of an entry).
void CheckSame(const Bitmap& picture, const Bitmap& copy) {
    Check(copy.width == picture.width && copy.height == picture.height);
    Check(copy.bytesPerPixel == picture.bytesPerPixel);
    Check(std::memcmp(copy.pixels, picture.pixels, picture.PixelBlockSize()) == 0);
    if (picture.bytesPerPixel == Bitmap::kDepth8Bit) {
        Check(copy.lastPaletteIndex == 255);
        for (size_t i = 0; i < Bitmap::kPaletteBytes; i += 4) {
            Check(std::memcmp(copy.palette + i, picture.palette + i, 3) == 0);
        }
    }
}

// Every picture goes through XFEB unchanged; those of the depths and sizes
// a BMP file holds go through BMP unchanged too.
void CheckRoundTrips(Bitmap& picture) {
    if (picture.PixelBlockSize() > kLargestRoundTrip) {
        return;
    }
    {
        Bitmap copy;
        WriteAndRead<XfebCodec>(picture, copy);
        CheckSame(picture, copy);
    }
    const bool bmpDepth = picture.bytesPerPixel == Bitmap::kDepth1Bit ||
                          picture.bytesPerPixel == Bitmap::kDepth8Bit ||
                          picture.bytesPerPixel == Bitmap::kDepth24Bit;
    if (bmpDepth && picture.width <= BmpCodec::kMaxSide && picture.height <= BmpCodec::kMaxSide) {
        Bitmap copy;
        WriteAndRead<BmpCodec>(picture, copy);
        CheckSame(picture, copy);
    }
}

void CheckRead(Status status, Status lastError, Bitmap& picture) {
    if (status != kStatusOk) {
        Check(lastError == status);
        Check(HoldsNoBlocks(picture));
        return;
    }
    CheckBlocks(picture);
    CheckRoundTrips(picture);
    picture.Free();
    Check(HoldsNoBlocks(picture));
}

template <typename Codec>
void ReadFile(const uint8_t* data, size_t size) {
    MemoryStream stream(std::vector<uint8_t>(data, data + size));
    Bitmap picture;
    Codec codec(&stream, &picture);
    const Status status = codec.Read(nullptr);
    CheckRead(status, codec.LastError(), picture);
}

// Cels keep the XFEB form inside a form of their own, after their position;
// the cel reader leaves the cel form whatever it finds inside.
void ReadCel(const uint8_t* data, size_t size) {
    MemoryStream stream(std::vector<uint8_t>(data, data + size));
    IffFile iff(&stream, 0);
    iff.ValidateHeader();
    if (iff.FindForm(kCelForm) != kStatusOk || iff.Descend() != kStatusOk) {
        return;
    }
    Bitmap cel;
    const Status status = BitmapCodec::ReadCoorBitmap(&iff, &cel);
    if (status == kStatusOk) {
        Check(iff.Level() == 0);
    }
    CheckRead(status, status, cel);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0 && data[0] == 'B') {
        ReadFile<BmpCodec>(data, size);
    } else {
        ReadFile<XfebCodec>(data, size);
        ReadCel(data, size);
    }
    return 0;
}
