#include "display/BmpCodec.h"

#include <cstddef>
#include <cstring>

#include "engine/ByteOrder.h"
#include "engine/ScopedEngineBlock.h"
#include "display/ImageStatus.h"

namespace {

constexpr uint32_t kSeekStart = 0;
constexpr uint32_t kSeekCurrent = 1;

constexpr uint32_t kHeadersBytes = BmpCodec::kFileHeaderBytes + BmpCodec::kInfoHeaderBytes;
constexpr uint16_t kPlanes = 1;
constexpr uint32_t kMaxColors = 256;
// Streams count bytes in signed 32-bit values, so no file may be larger.
constexpr uint64_t kMaxFileBytes = 0x7FFFFFFF;

// Field offsets in the file header.
constexpr size_t kFileSizeAt = 2;
constexpr size_t kDataOffsetAt = 10;
// Field offsets in the information header.
constexpr size_t kInfoSizeAt = 0;
constexpr size_t kWidthAt = 4;
constexpr size_t kHeightAt = 8;
constexpr size_t kPlanesAt = 12;
constexpr size_t kBitCountAt = 14;
constexpr size_t kCompressionAt = 16;
constexpr size_t kColorsUsedAt = 32;

// Run-length escapes: a pair whose count is 0 says what comes next by its second byte.
constexpr uint8_t kEscapeEndOfRow = 0;
constexpr uint8_t kEscapeEndOfBitmap = 1;
constexpr uint8_t kEscapeDelta = 2;
// The longest absolute run: 255 bytes and a pad byte.
constexpr uint32_t kMaxAbsoluteBytes = 256;

// The fields of the information header that the reader uses. Width and height
// stay unsigned so that a negative (top-down) height fails the range check.
struct InfoHeader {
    uint32_t size = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    uint16_t planes = 0;
    uint16_t bitCount = 0;
    uint32_t compression = 0;
    uint32_t colorsUsed = 0;
};

InfoHeader ParseInfoHeader(const uint8_t* bytes) {
    InfoHeader info;
    info.size = LoadLe32(bytes + kInfoSizeAt);
    info.width = LoadLe32(bytes + kWidthAt);
    info.height = LoadLe32(bytes + kHeightAt);
    info.planes = LoadLe16(bytes + kPlanesAt);
    info.bitCount = LoadLe16(bytes + kBitCountAt);
    info.compression = LoadLe32(bytes + kCompressionAt);
    info.colorsUsed = LoadLe32(bytes + kColorsUsedAt);
    return info;
}

bool IsReadable(const InfoHeader& info) {
    const bool depthKnown = info.bitCount == 1 || info.bitCount == 4 || info.bitCount == 8 || info.bitCount == 24;
    return info.size == BmpCodec::kInfoHeaderBytes && info.planes == kPlanes && depthKnown && info.width >= 1 &&
           info.width <= BmpCodec::kMaxSide && info.height >= 1 && info.height <= BmpCodec::kMaxSide &&
           info.compression <= BmpCodec::kCompressionRle4;
}

// Palette entries in the file: colours-used, or the whole palette of the
// depth when that is 0. A 24-bit file has none.
uint32_t FileColors(const InfoHeader& info) {
    if (info.bitCount == 24) {
        return 0;
    }
    return info.colorsUsed != 0 ? info.colorsUsed : 1u << info.bitCount;
}

uint8_t BytesPerPixel(uint16_t bitCount) {
    switch (bitCount) {
    case 1:
        return Bitmap::kDepth1Bit;
    case 24:
        return Bitmap::kDepth24Bit;
    default:
        return Bitmap::kDepth8Bit;  // 4-bit pixels are widened to a byte each
    }
}

uint16_t BitCount(uint8_t bytesPerPixel) {
    switch (bytesPerPixel) {
    case Bitmap::kDepth1Bit:
        return 1;
    case Bitmap::kDepth24Bit:
        return 24;
    default:
        return 8;
    }
}

// Bytes of a file row before its pad.
uint32_t FileRowBytes(uint32_t width, uint16_t bitCount) { return (width * bitCount + 7) / 8; }

uint32_t PaddedRowBytes(uint32_t bytes) { return (bytes + 3) & ~3u; }

bool ReadExactly(Stream& stream, void* buffer, uint32_t bytes) {
    return stream.Read(buffer, int32_t(bytes)) == int32_t(bytes);
}

bool WriteExactly(Stream& stream, const void* buffer, uint32_t bytes) {
    return stream.Write(buffer, int32_t(bytes)) == int32_t(bytes);
}

// A transfer that came up short reports the stream's own failure; `fallback`
// stands in when the stream kept none.
Status StreamFailure(const Stream& stream, Status fallback) {
    return stream.LastError() != kStatusOk ? stream.LastError() : fallback;
}

// How many bytes lie from the stream's position, right after the palette
// where the pixels start, to its end. The header's data offset is not read:
// files in the wild disagree with it, and the pixels always follow the
// palette.
Status PixelBytesLeft(Stream& stream, int32_t pixelStart, int64_t* available) {
    const int32_t length = stream.Length();
    if (length < 0) {
        return StreamFailure(stream, kStatusImageBadPixels);
    }
    if (pixelStart > length) {
        return kStatusImageBadPixels;
    }
    *available = length - pixelStart;
    return kStatusOk;
}

// The file keeps colours as blue, green, red; the bitmap as red, green,
// blue. The same swap goes either way: `count` colours `stride` bytes apart
// (3 in rows of pixels, 4 in palettes), the bytes after the third untouched.
void SwapRedAndBlue(const uint8_t* from, uint8_t* to, uint32_t count, uint32_t stride) {
    for (uint32_t i = 0; i < count; ++i, from += stride, to += stride) {
        to[0] = from[2];
        to[1] = from[1];
        to[2] = from[0];
    }
}

// The file's palette (blue, green, red, 0) into the bitmap's (red, green, blue, 0).
void StorePalette(const uint8_t* filePalette, uint32_t colors, uint8_t* palette) {
    SwapRedAndBlue(filePalette, palette, colors, BmpCodec::kPaletteEntryBytes);
    for (uint32_t entry = 0; entry < colors; ++entry) {
        palette[entry * BmpCodec::kPaletteEntryBytes + 3] = 0;
    }
}

uint8_t Nibble(const uint8_t* packed, uint32_t index) {
    const uint8_t byte = packed[index / 2];
    return (index & 1) != 0 ? uint8_t(byte & 0x0F) : uint8_t(byte >> 4);
}

// Uncompressed rows, bottom row first; the caller has made sure the stream
// holds them all, but a read may still fail, and then it is the stream's failure.
Status ReadRows(Stream& stream, Bitmap& target, uint16_t bitCount) {
    const uint32_t fileRowBytes = PaddedRowBytes(FileRowBytes(target.width, bitCount));
    const uint32_t rowBytes = target.RowBytes();
    const ScopedEngineBlock row(fileRowBytes);
    if (row.Get() == nullptr) {
        return kStatusPlatformFailed;
    }
    const uint8_t* const from = row.Get();
    for (uint32_t fileRow = 0; fileRow < target.height; ++fileRow) {
        if (!ReadExactly(stream, row.Get(), fileRowBytes)) {
            return StreamFailure(stream, kStatusImageBadPixels);
        }
        uint8_t* const to = target.pixels + size_t(target.height - 1 - fileRow) * rowBytes;
        switch (bitCount) {
        case 4:
            for (uint32_t x = 0; x < target.width; ++x) {
                to[x] = Nibble(from, x);
            }
            break;
        case 24:
            SwapRedAndBlue(from, to, target.width, 3);
            break;
        default:
            std::memcpy(to, from, rowBytes);
            break;
        }
    }
    return kStatusOk;
}

// The run-length code of 4- and 8-bit files: (count, value) pairs, or a zero
// count followed by an escape. Decoding stops at the end of the last row even
// when no end-of-bitmap escape follows; pixels it never reaches keep the
// zeros the block was made with.
Status DecodeRuns(Stream& stream, Bitmap& target, bool fourBit) {
    const uint32_t width = target.width;
    uint32_t fileRow = 0;
    uint32_t x = 0;
    while (fileRow < target.height) {
        uint8_t pair[2];
        if (!ReadExactly(stream, pair, sizeof pair)) {
            return kStatusImageBadPixels;
        }
        uint8_t* const row = target.pixels + size_t(target.height - 1 - fileRow) * width;
        const uint32_t count = pair[0];
        if (count != 0) {
            if (x + count > width) {
                return kStatusImageBadPixels;
            }
            for (uint32_t i = 0; i < count; ++i) {
                // A 4-bit run alternates the value's high and low nibbles.
                row[x + i] = fourBit ? Nibble(&pair[1], i & 1) : pair[1];
            }
            x += count;
            continue;
        }
        const uint8_t escape = pair[1];
        if (escape == kEscapeEndOfRow) {
            ++fileRow;
            x = 0;
        } else if (escape == kEscapeEndOfBitmap) {
            return kStatusOk;
        } else if (escape == kEscapeDelta) {
            return kStatusImageBadFormat;
        } else {
            // An absolute run: `escape` pixels, stored to an even number of bytes.
            const uint32_t pixels = escape;
            if (x + pixels > width) {
                return kStatusImageBadPixels;
            }
            const uint32_t bytes = fourBit ? (pixels + 1) / 2 : pixels;
            uint8_t run[kMaxAbsoluteBytes];
            if (!ReadExactly(stream, run, bytes + (bytes & 1))) {
                return kStatusImageBadPixels;
            }
            for (uint32_t i = 0; i < pixels; ++i) {
                row[x + i] = fourBit ? Nibble(run, i) : run[i];
            }
            x += pixels;
        }
    }
    return kStatusOk;
}

Status ReadBmp(Stream& stream, Bitmap& target) {
    const int32_t fileStart = stream.Seek(0, kSeekCurrent);
    if (fileStart < 0) {
        return StreamFailure(stream, kStatusImageBadHeader);
    }
    uint8_t fileHeader[BmpCodec::kFileHeaderBytes];
    if (!ReadExactly(stream, fileHeader, sizeof fileHeader)) {
        return StreamFailure(stream, kStatusImageBadHeader);
    }
    if (fileHeader[0] != 'B' || fileHeader[1] != 'M') {
        return kStatusImageBadHeader;
    }
    uint8_t infoBytes[BmpCodec::kInfoHeaderBytes];
    if (!ReadExactly(stream, infoBytes, sizeof infoBytes)) {
        return StreamFailure(stream, kStatusImageBadFormat);
    }
    const InfoHeader info = ParseInfoHeader(infoBytes);
    if (!IsReadable(info)) {
        return kStatusImageBadFormat;
    }
    // The bitmap's palette holds 256 entries, so a longer one cannot be kept.
    const uint32_t colors = FileColors(info);
    if (colors > kMaxColors) {
        return kStatusImageBadFormat;
    }

    uint8_t filePalette[kMaxColors * BmpCodec::kPaletteEntryBytes];
    const uint32_t paletteBytes = colors * BmpCodec::kPaletteEntryBytes;
    if (!ReadExactly(stream, filePalette, paletteBytes)) {
        return kStatusImageBadPalette;
    }
    int64_t available = 0;
    Status status = PixelBytesLeft(stream, fileStart + int32_t(kHeadersBytes + paletteBytes), &available);
    if (status != kStatusOk) {
        return status;
    }
    const bool runLength = info.compression != BmpCodec::kCompressionNone && (info.bitCount == 4 || info.bitCount == 8);
    // Raw rows must all be there before a block is made for them; a coded
    // body may legitimately stop early, so only its reads are checked.
    const uint64_t rawBytes = uint64_t(PaddedRowBytes(FileRowBytes(info.width, info.bitCount))) * info.height;
    if (!runLength && rawBytes > uint64_t(available)) {
        return kStatusImageBadPixels;
    }

    // Zeroed, so that what a coded body leaves unwritten is 0.
    status = target.Create(uint16_t(info.width), uint16_t(info.height), BytesPerPixel(info.bitCount), true);
    if (status != kStatusOk) {
        return status;
    }
    target.reserved = 0;
    if (info.bitCount == 1) {
        // A 1-bit file's two colours are not kept.
        target.lastPaletteIndex = 1;
    } else if (colors != 0) {
        StorePalette(filePalette, colors, target.palette);
        target.lastPaletteIndex = uint8_t(colors - 1);
    }
    return runLength ? DecodeRuns(stream, target, info.bitCount == 4) : ReadRows(stream, target, info.bitCount);
}

Status WritePalette(Stream& stream, const Bitmap& source) {
    uint8_t filePalette[kMaxColors * BmpCodec::kPaletteEntryBytes] = {};
    uint32_t colors = 0;
    if (source.bytesPerPixel == Bitmap::kDepth8Bit) {
        if (source.palette == nullptr) {
            return kStatusImageBadPalette;
        }
        colors = kMaxColors;
        SwapRedAndBlue(source.palette, filePalette, colors, BmpCodec::kPaletteEntryBytes);
    } else if (source.bytesPerPixel == Bitmap::kDepth1Bit) {
        // Black, then white.
        colors = 2;
        std::memset(filePalette + BmpCodec::kPaletteEntryBytes, 0xFF, 3);
    }
    if (!WriteExactly(stream, filePalette, colors * BmpCodec::kPaletteEntryBytes)) {
        return StreamFailure(stream, kStatusShortWrite);
    }
    return kStatusOk;
}

// 1- and 8-bit rows go out from the block itself, each followed by its pad.
Status WriteRows(Stream& stream, const Bitmap& source) {
    static constexpr uint8_t kPad[3] = {};
    const uint32_t rowBytes = source.RowBytes();
    const uint32_t padBytes = PaddedRowBytes(rowBytes) - rowBytes;
    for (uint32_t y = source.height; y-- > 0;) {
        const uint8_t* const from = source.pixels + size_t(y) * rowBytes;
        if (!WriteExactly(stream, from, rowBytes) || !WriteExactly(stream, kPad, padBytes)) {
            return StreamFailure(stream, kStatusShortWrite);
        }
    }
    return kStatusOk;
}

// 24-bit rows are turned into the file's blue, green, red order in a row buffer.
Status WriteSwappedRows(Stream& stream, const Bitmap& source) {
    const uint32_t rowBytes = source.RowBytes();
    const uint32_t fileRowBytes = PaddedRowBytes(rowBytes);
    const ScopedEngineBlock row(fileRowBytes);
    uint8_t* const to = row.Get();
    if (to == nullptr) {
        return kStatusPlatformFailed;
    }
    std::memset(to + rowBytes, 0, fileRowBytes - rowBytes);
    for (uint32_t y = source.height; y-- > 0;) {
        const uint8_t* const from = source.pixels + size_t(y) * rowBytes;
        SwapRedAndBlue(from, to, source.width, 3);
        if (!WriteExactly(stream, to, fileRowBytes)) {
            return StreamFailure(stream, kStatusShortWrite);
        }
    }
    return kStatusOk;
}

uint32_t PaletteBytesWritten(uint8_t bytesPerPixel) {
    switch (bytesPerPixel) {
    case Bitmap::kDepth8Bit:
        return kMaxColors * BmpCodec::kPaletteEntryBytes;
    case Bitmap::kDepth1Bit:
        return 2 * BmpCodec::kPaletteEntryBytes;
    default:
        return 0;
    }
}

Status WriteBmp(Stream& stream, Bitmap& source) {
    const int32_t fileStart = stream.Seek(0, kSeekCurrent);
    if (fileStart < 0) {
        return StreamFailure(stream, kStatusPlatformFailed);
    }
    // Sizes and the pixel data offset are filled in once the rows are out.
    uint8_t fileHeader[BmpCodec::kFileHeaderBytes] = {'B', 'M'};
    uint8_t info[BmpCodec::kInfoHeaderBytes] = {};
    StoreLe32(info + kInfoSizeAt, BmpCodec::kInfoHeaderBytes);
    StoreLe32(info + kWidthAt, source.width);
    StoreLe32(info + kHeightAt, source.height);
    StoreLe16(info + kPlanesAt, kPlanes);
    StoreLe16(info + kBitCountAt, BitCount(source.bytesPerPixel));
    if (!WriteExactly(stream, fileHeader, sizeof fileHeader) || !WriteExactly(stream, info, sizeof info)) {
        return StreamFailure(stream, kStatusShortWrite);
    }

    const bool lockedHere = source.palette == nullptr && source.pixels == nullptr;
    if (lockedHere) {
        source.Lock();
    }
    Status status = WritePalette(stream, source);
    if (status == kStatusOk) {
        if (source.pixels == nullptr) {
            status = kStatusImageBadPixels;
        } else if (source.bytesPerPixel == Bitmap::kDepth24Bit) {
            status = WriteSwappedRows(stream, source);
        } else {
            status = WriteRows(stream, source);
        }
    }
    if (lockedHere) {
        source.Unlock();
    }
    if (status != kStatusOk) {
        return status;
    }

    const int32_t fileEnd = stream.Seek(0, kSeekCurrent);
    if (fileEnd < 0) {
        return StreamFailure(stream, kStatusPlatformFailed);
    }
    StoreLe32(fileHeader + kFileSizeAt, uint32_t(fileEnd - fileStart));
    StoreLe32(fileHeader + kDataOffsetAt, kHeadersBytes + PaletteBytesWritten(source.bytesPerPixel));
    if (stream.Seek(fileStart, kSeekStart) < 0) {
        return StreamFailure(stream, kStatusPlatformFailed);
    }
    if (!WriteExactly(stream, fileHeader, sizeof fileHeader)) {
        return StreamFailure(stream, kStatusShortWrite);
    }
    if (stream.Seek(fileEnd, kSeekStart) < 0) {
        return StreamFailure(stream, kStatusPlatformFailed);
    }
    return kStatusOk;
}

}  // namespace

Status BmpCodec::Read(Bitmap* target) {
    Bitmap& bitmap = *TargetOr(target);
    const Status status = ReadBmp(*stream_, bitmap);
    if (status != kStatusOk) {
        bitmap.Free();
        return Fail(status);
    }
    return kStatusOk;
}

Status BmpCodec::Write(Bitmap* source) {
    Bitmap& bitmap = *TargetOr(source);
    const uint8_t depth = bitmap.bytesPerPixel;
    const bool depthWritable =
        depth == Bitmap::kDepth1Bit || depth == Bitmap::kDepth8Bit || depth == Bitmap::kDepth24Bit;
    if (bitmap.width == 0 || bitmap.height == 0 || !depthWritable) {
        return kStatusImageBadFormat;
    }
    // Checked with the size, before anything is written: the file must fit the stream's positions.
    const uint64_t fileBytes = kHeadersBytes + PaletteBytesWritten(depth) +
                               uint64_t(PaddedRowBytes(bitmap.RowBytes())) * bitmap.height;
    if (fileBytes > kMaxFileBytes) {
        return kStatusImageBadFormat;
    }
    const Status status = WriteBmp(*stream_, bitmap);
    return status != kStatusOk ? Fail(status) : kStatusOk;
}
