#include "platform/BitmapHeader.h"

namespace platform {
namespace {

void Store16(uint8_t* at, uint16_t value) {
    at[0] = uint8_t(value);
    at[1] = uint8_t(value >> 8);
}

void Store32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = uint8_t(value >> (8 * i));
}

uint16_t Load16(const uint8_t* at) { return uint16_t(at[0] | at[1] << 8); }

uint32_t Load32(const uint8_t* at) {
    return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}

}  // namespace

void BitmapHeader::Write(uint8_t* bytes) const {
    Store32(bytes + 0, size);
    Store32(bytes + 4, uint32_t(width));
    Store32(bytes + 8, uint32_t(height));
    Store16(bytes + 12, planes);
    Store16(bytes + 14, bitCount);
    Store32(bytes + 16, compression);
    Store32(bytes + 20, imageSize);
    Store32(bytes + 24, uint32_t(xPixelsPerMetre));
    Store32(bytes + 28, uint32_t(yPixelsPerMetre));
    Store32(bytes + 32, colorsUsed);
    Store32(bytes + 36, colorsImportant);
}

BitmapHeader BitmapHeader::Read(const uint8_t* bytes) {
    BitmapHeader header;
    header.size = Load32(bytes + 0);
    header.width = int32_t(Load32(bytes + 4));
    header.height = int32_t(Load32(bytes + 8));
    header.planes = Load16(bytes + 12);
    header.bitCount = Load16(bytes + 14);
    header.compression = Load32(bytes + 16);
    header.imageSize = Load32(bytes + 20);
    header.xPixelsPerMetre = int32_t(Load32(bytes + 24));
    header.yPixelsPerMetre = int32_t(Load32(bytes + 28));
    header.colorsUsed = Load32(bytes + 32);
    header.colorsImportant = Load32(bytes + 36);
    return header;
}

int32_t BitmapHeader::RowBytes() const {
    const int64_t bits = int64_t(width) * bitCount;
    return int32_t((bits + 31) / 32 * 4);
}

int32_t BitmapHeader::ColorTableEntries() const {
    if (bitCount > 8) return 0;
    const int32_t all = 1 << bitCount;
    return colorsUsed == 0 || colorsUsed > uint32_t(all) ? all : int32_t(colorsUsed);
}

void WriteColorIndex(uint8_t* header, int32_t i, uint16_t index) {
    Store16(header + BitmapHeader::kColorTableOffset + 2 * i, index);
}

uint16_t ReadColorIndex(const uint8_t* header, int32_t i) {
    return Load16(header + BitmapHeader::kColorTableOffset + 2 * i);
}

}  // namespace platform
