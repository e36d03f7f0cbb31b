#include "display/RunLength.h"

#include <algorithm>
#include <cstring>

#include "display/Bitmap.h"

namespace {

constexpr int32_t kMaxLiteralControl = 127;  // 128 literal units
constexpr size_t kMaxRepeatCount = 127;      // the encoder's longest repeat: control -127, 128 units

bool IsValidUnit(uint32_t unitBytes) { return unitBytes >= 1 && unitBytes <= kRunLengthMaxUnitBytes; }

// Template over the unit so that the per-unit copies and compares are fixed
// size; the image coder runs this over every pixel of a picture.
template <uint32_t Unit>
RunLengthResult Decode(std::span<const uint8_t> input, std::span<uint8_t> output) {
    const uint8_t* in = input.data();
    const uint8_t* const inEnd = in + input.size();
    uint8_t* out = output.data();
    // Counted in units so that a partial unit at the end of the output is
    // never written either.
    size_t unitsLeft = output.size() / Unit;
    while (in != inEnd) {
        const auto control = static_cast<int8_t>(*in++);
        if (control >= 0) {
            const size_t count = static_cast<size_t>(control) + 1;
            for (size_t i = 0; i < count; ++i) {
                if (unitsLeft == 0) {
                    return RunLengthResult::kOutputOverrun;
                }
                if (static_cast<size_t>(inEnd - in) < Unit) {
                    return RunLengthResult::kInputOverrun;
                }
                std::memcpy(out, in, Unit);
                out += Unit;
                in += Unit;
                --unitsLeft;
            }
        } else {
            // -128 reads as 129 copies, though no encoder writes it.
            const size_t count = 1 - static_cast<size_t>(static_cast<int32_t>(control));
            if (static_cast<size_t>(inEnd - in) < Unit) {
                return RunLengthResult::kInputOverrun;
            }
            const uint8_t* const unit = in;
            in += Unit;
            for (size_t i = 0; i < count; ++i) {
                if (unitsLeft == 0) {
                    return RunLengthResult::kOutputOverrun;
                }
                std::memcpy(out, unit, Unit);
                out += Unit;
                --unitsLeft;
            }
        }
    }
    return RunLengthResult::kDone;
}

template <uint32_t Unit>
bool SameUnit(const uint8_t* a, const uint8_t* b) {
    return std::memcmp(a, b, Unit) == 0;
}

template <uint32_t Unit>
size_t Encode(std::span<const uint8_t> pixels, size_t rowBytes, std::span<uint8_t> output) {
    const size_t rawBytes = pixels.size();
    if (rowBytes == 0 || rowBytes % Unit != 0 || rawBytes % rowBytes != 0) {
        return 0;
    }
    // The code must come out strictly shorter than the pixels and fit the
    // output: a write that would reach `limit` gives up.
    const size_t limit = std::min(rawBytes, output.size() + 1);
    const size_t rowUnits = rowBytes / Unit;
    uint8_t* const out = output.data();
    size_t length = 0;

    for (size_t rowStart = 0; rowStart < rawBytes; rowStart += rowBytes) {
        const uint8_t* const row = pixels.data() + rowStart;
        // A literal run stays open for appending until a repeat or a row end.
        bool literalOpen = false;
        size_t literalControl = 0;
        size_t x = 0;
        while (x < rowUnits) {
            const uint8_t* const unit = row + x * Unit;
            size_t repeats = 0;
            while (repeats < kMaxRepeatCount && x + 1 + repeats < rowUnits &&
                   SameUnit<Unit>(unit, row + (x + 1 + repeats) * Unit)) {
                ++repeats;
            }
            if (repeats >= 1) {
                if (length + 1 + Unit >= limit) {
                    return 0;
                }
                out[length] = static_cast<uint8_t>(-static_cast<int32_t>(repeats));
                std::memcpy(out + length + 1, unit, Unit);
                length += 1 + Unit;
                x += repeats + 1;
                literalOpen = false;
                continue;
            }
            if (literalOpen && out[literalControl] < kMaxLiteralControl) {
                if (length + Unit >= limit) {
                    return 0;
                }
                ++out[literalControl];
                std::memcpy(out + length, unit, Unit);
                length += Unit;
            } else {
                if (length + 1 + Unit >= limit) {
                    return 0;
                }
                literalControl = length;
                literalOpen = true;
                out[length] = 0;
                std::memcpy(out + length + 1, unit, Unit);
                length += 1 + Unit;
            }
            ++x;
        }
    }
    return length;
}

// How much of a span the image's block takes: all of the block, or the span
// when it is shorter.
template <typename T>
std::span<T> BlockPart(std::span<T> bytes, uint64_t blockBytes) {
    return bytes.first(static_cast<size_t>(std::min<uint64_t>(bytes.size(), blockBytes)));
}

// An image's unit: one byte of 1-bit rows, else one pixel.
uint32_t UnitBytes(uint8_t bytesPerPixel) { return bytesPerPixel == 0 ? 1 : bytesPerPixel; }

// 64 bits: 65535 x 4 per row, times 65535 rows, does not fit in 32.
uint64_t RowBytes(uint16_t width, uint8_t bytesPerPixel) { return Bitmap::RowBytes(width, bytesPerPixel); }

}  // namespace

RunLengthResult DecodeRunLength(std::span<const uint8_t> input, std::span<uint8_t> output, uint32_t unitBytes) {
    switch (unitBytes) {
        case 1: return Decode<1>(input, output);
        case 2: return Decode<2>(input, output);
        case 3: return Decode<3>(input, output);
        case 4: return Decode<4>(input, output);
        default: return RunLengthResult::kOutputOverrun;
    }
}

size_t EncodeRunLength(std::span<const uint8_t> pixels, size_t rowBytes, uint32_t unitBytes,
                       std::span<uint8_t> output) {
    switch (unitBytes) {
        case 1: return Encode<1>(pixels, rowBytes, output);
        case 2: return Encode<2>(pixels, rowBytes, output);
        case 3: return Encode<3>(pixels, rowBytes, output);
        case 4: return Encode<4>(pixels, rowBytes, output);
        default: return 0;
    }
}

RunLengthResult DecodeRunLength(uint16_t width, uint16_t height, uint8_t bytesPerPixel,
                                std::span<const uint8_t> input, std::span<uint8_t> output) {
    const uint32_t unitBytes = UnitBytes(bytesPerPixel);
    if (!IsValidUnit(unitBytes)) {
        return RunLengthResult::kOutputOverrun;
    }
    const uint64_t blockBytes = RowBytes(width, bytesPerPixel) * height;
    return DecodeRunLength(input, BlockPart(output, blockBytes), unitBytes);
}

size_t EncodeRunLength(uint16_t width, uint16_t height, uint8_t bytesPerPixel, std::span<const uint8_t> pixels,
                       std::span<uint8_t> output) {
    const uint32_t unitBytes = UnitBytes(bytesPerPixel);
    const uint64_t rowBytes = RowBytes(width, bytesPerPixel);
    const uint64_t blockBytes = rowBytes * height;
    if (!IsValidUnit(unitBytes) || pixels.size() < blockBytes || blockBytes == 0) {
        return 0;
    }
    return EncodeRunLength(pixels.first(static_cast<size_t>(blockBytes)), static_cast<size_t>(rowBytes), unitBytes,
                           output);
}
