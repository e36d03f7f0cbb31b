#pragma once
#include <cstdint>

namespace platform {

// The description of a device-independent frame that a device context
// copies from: a 40-byte header followed by a colour table. As bytes it is
// little-endian and packed, so it is written and read field by field:
//
//   offset  size  field
//        0     4  size              40
//        4     4  width             pixels
//        8     4  height            rows; negative when the rows run top to
//                                   bottom in memory, positive bottom to top
//       12     2  planes            1
//       14     2  bitCount          bits per pixel: 8, or 16 for 5-5-5
//       16     4  compression       kUncompressed
//       20     4  imageSize         0 for uncompressed frames
//       24     4  xPixelsPerMetre
//       28     4  yPixelsPerMetre
//       32     4  colorsUsed        entries in the colour table; 0 for all
//       36     4  colorsImportant
//       40        colour table      with palette indices, one u16 per entry
struct BitmapHeader {
    static constexpr int32_t kSize = 40;
    static constexpr int32_t kColorTableOffset = kSize;
    static constexpr uint32_t kUncompressed = 0;

    uint32_t size = kSize;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t planes = 1;
    uint16_t bitCount = 0;
    uint32_t compression = kUncompressed;
    uint32_t imageSize = 0;
    int32_t xPixelsPerMetre = 0;
    int32_t yPixelsPerMetre = 0;
    uint32_t colorsUsed = 0;
    uint32_t colorsImportant = 0;

    // The kSize bytes at `bytes`.
    void Write(uint8_t* bytes) const;
    static BitmapHeader Read(const uint8_t* bytes);

    // Rows in memory start on 4-byte boundaries.
    int32_t RowBytes() const;
    // Entries of the colour table: colorsUsed, or every value a pixel of
    // bitCount bits can take when that is 0; none above 8 bits.
    int32_t ColorTableEntries() const;
};

// Entry `i` of a colour table of palette indices that follows the header at
// `header`.
void WriteColorIndex(uint8_t* header, int32_t i, uint16_t index);
uint16_t ReadColorIndex(const uint8_t* header, int32_t i);

}  // namespace platform
