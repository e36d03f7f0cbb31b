#pragma once
#include <cstddef>
#include <cstdint>

#include "engine/Status.h"

// The file-side image that the bitmap codecs fill and write: 1-, 8-, 16-, 24-
// or 32-bit pixels and an optional 256-entry palette. Owned blocks come from
// the C runtime heap (std::malloc / std::free). The two views are what readers
// use; a caller may point them at memory the bitmap does not own, leaving the
// owned pointers null, and Free and Unlock then leave the views alone.
class Bitmap {
public:
    // Bytes-per-pixel values; 0 stands for 1 bit per pixel.
    static constexpr uint8_t kDepth1Bit = 0;
    static constexpr uint8_t kDepth8Bit = 1;
    static constexpr uint8_t kDepth16Bit = 2;
    static constexpr uint8_t kDepth24Bit = 3;
    static constexpr uint8_t kDepth32Bit = 4;
    static constexpr uint8_t kMaxDepth = 4;

    static constexpr size_t kPaletteEntries = 256;
    static constexpr size_t kPaletteBytes = 1024;   // red, green, blue, 0 per entry
    // Larger blocks are refused as if memory had run out: the file formats and
    // the run-length decoders size pixel data with signed 32-bit counts.
    static constexpr uint64_t kMaxPixelBytes = 0x7FFFFFFF;

    Bitmap() = default;
    ~Bitmap();
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    // Pixel block size for a size and depth, computed in 64 bits:
    // ((width + 7) / 8) x height for 1 bit per pixel, else
    // width x height x bytes per pixel.
    static uint64_t PixelBlockSize(uint16_t width, uint16_t height, uint8_t bytesPerPixel);
    uint64_t PixelBlockSize() const { return PixelBlockSize(width, height, bytesPerPixel); }
    // Bytes of one row: (width + 7) / 8 for 1 bit per pixel.
    static uint32_t RowBytes(uint16_t width, uint8_t bytesPerPixel);
    uint32_t RowBytes() const { return RowBytes(width, bytesPerPixel); }

    // Frees the owned blocks and clears them and their views.
    void Free();
    // Points each empty view at its owned block, where there is one. Returns 0.
    Status Lock();
    // Clears each view that has an owned block. Returns 0.
    Status Unlock();

    // Frees first, then allocates a new image: kStatusImageBadFormat for a zero
    // size or a depth above 4, kStatusPlatformFailed (8) when memory runs out,
    // which leaves no owned block. 8-bit images get a 256-entry palette (last
    // index 255), always cleared; the others none (last index 0). `clear`
    // clears the pixels.
    Status Create(uint16_t width, uint16_t height, uint8_t bytesPerPixel, bool clear);

    // The codecs' allocations. Each frees the block it replaces, stores and
    // views the new one; kStatusPlatformFailed (8) leaves that block null.
    Status AllocatePalette();
    // Sized by the stored width, height and depth; a block above
    // kMaxPixelBytes counts as an allocation failure.
    Status AllocatePixels(bool clear);

    // A 1-bit mask of an 8-bit bitmap from the engine heap: 1 where the pixel
    // differs from key, most significant bit first, rows starting on a byte.
    // Null for another depth, a zero size, no memory or no pixels. The caller
    // frees it with EngineRelease.
    uint8_t* MakeMask(uint8_t key);

    uint16_t reserved = 0;          // cleared by the constructor and every reader; unused here
    uint16_t width = 0;
    uint16_t height = 0;
    uint8_t bytesPerPixel = 0;      // see kDepth*
    uint8_t lastPaletteIndex = 0;   // 0 without a palette
    uint8_t* palette = nullptr;     // view: 256 x (red, green, blue, 0)
    uint8_t* pixels = nullptr;      // view: rows top to bottom, back to back
    uint8_t* ownedPalette = nullptr;
    uint8_t* ownedPixels = nullptr;
    // Cel fields: the screen position of a cel ("COOR"), and a word the cel
    // constructor clears.
    int16_t x = 0;
    int16_t y = 0;
    uint32_t celWord = 0;
};
