#pragma once
#include <cstdint>

#include "engine/Status.h"
#include "display/Bitmap.h"
#include "display/BitmapCodec.h"

// Windows bitmap files (little-endian): a 14-byte file header ("BM", u32 file
// size, two reserved u16, u32 pixel data offset), a 40-byte information
// header, a palette of blue, green, red, 0 entries, then rows from the bottom
// up, each padded to a multiple of 4 bytes.
// Reads 1-, 4-, 8- and 24-bit files, raw or run-length coded (4- and 8-bit);
// 4-bit pixels become one byte each. Writes 1-, 8- and 24-bit files.
class BmpCodec : public BitmapCodec {
public:
    static constexpr uint32_t kFileHeaderBytes = 14;
    static constexpr uint32_t kInfoHeaderBytes = 40;
    static constexpr uint32_t kPaletteEntryBytes = 4;
    // Width and height run from 1 to this; a negative (top-down) height,
    // read as unsigned, lies above it.
    static constexpr uint32_t kMaxSide = 65534;

    // Compression field values; each coded form follows the pixel size, so
    // 1 and 2 both mean the run-length code of a 4- or 8-bit file, and a 1-
    // or 24-bit file is read raw whatever the field says.
    static constexpr uint32_t kCompressionNone = 0;
    static constexpr uint32_t kCompressionRle8 = 1;
    static constexpr uint32_t kCompressionRle4 = 2;

    using BitmapCodec::BitmapCodec;
    ~BmpCodec() override = default;

    // One bitmap file from the stream's position. A non-zero pixel data offset
    // (counted from the file's start) must lie at or after the palette's end
    // and within the stream; 0 means the pixels follow the palette. A failed
    // read leaves the target without owned blocks.
    Status Read(Bitmap* target) override;
    // One bitmap file at the stream's position; the file header is written
    // again at the end, once the sizes are known.
    Status Write(Bitmap* source) override;
};
