// Reads any bytes as a picture: as a Windows bitmap when they start with 'B',
// else as a chunk file holding an XFEB form. A read either fails, leaving the
// target without blocks and the failure kept as the codec's last error, or
// succeeds with blocks as large as the picture's size says, and then writes
// out as XFEB and reads back the same. A read or write out of bounds aborts
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

#include "engine/image/Bitmap.h"
#include "engine/image/BitmapCodec.h"
#include "engine/image/BmpCodec.h"
#include "engine/image/XfebCodec.h"
#include "tests/support/MemoryStream.h"

extern "C" const char* __asan_default_options() {
    return "allocator_may_return_null=1:max_allocation_size_mb=64";
}

namespace {

constexpr uint64_t kLargestRoundTrip = 1 << 20;

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool HasNoBlocks(const Bitmap& bitmap) {
    return bitmap.ownedPixels == nullptr && bitmap.ownedPalette == nullptr && bitmap.pixels == nullptr &&
           bitmap.palette == nullptr;
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

// Writes the picture as XFEB and reads it back: the same size, depth,
// pixels and, for 8-bit pictures, the same 256 palette entries.
void CheckRoundTrip(Bitmap& bitmap) {
    MemoryStream stream;
    {
        XfebCodec writer(&stream, &bitmap);
        Check(writer.Write(nullptr) == kStatusOk);
    }
    Check(stream.Open(nullptr, 1) == kStatusOk);
    Bitmap copy;
    {
        XfebCodec reader(&stream, &copy);
        Check(reader.Read(nullptr) == kStatusOk);
    }
    Check(copy.width == bitmap.width && copy.height == bitmap.height);
    Check(copy.bytesPerPixel == bitmap.bytesPerPixel);
    Check(std::memcmp(copy.pixels, bitmap.pixels, bitmap.PixelBlockSize()) == 0);
    if (bitmap.bytesPerPixel == Bitmap::kDepth8Bit) {
        Check(copy.lastPaletteIndex == 255);
        Check(std::memcmp(copy.palette, bitmap.palette, Bitmap::kPaletteBytes) == 0);
    }
}

void ReadWith(BitmapCodec& codec, Bitmap& bitmap) {
    const Status status = codec.Read(nullptr);
    if (status != kStatusOk) {
        Check(codec.LastError() == status);
        Check(HasNoBlocks(bitmap));
        return;
    }
    CheckBlocks(bitmap);
    if (bitmap.PixelBlockSize() <= kLargestRoundTrip) {
        CheckRoundTrip(bitmap);
    }
    bitmap.Free();
    Check(HasNoBlocks(bitmap));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryStream stream(std::vector<uint8_t>(data, data + size));
    Bitmap bitmap;
    if (size > 0 && data[0] == 'B') {
        BmpCodec codec(&stream, &bitmap);
        ReadWith(codec, bitmap);
    } else {
        XfebCodec codec(&stream, &bitmap);
        ReadWith(codec, bitmap);
    }
    return 0;
}
