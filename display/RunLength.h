#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

// The run-length code of the image forms, over units of 1 to 4 bytes (one
// unit per pixel; 1-bit rows are coded byte by byte). Each run starts with a
// signed control byte n: 0..127 means n + 1 literal units follow; -1..-128
// means one unit follows, standing for 1 - n copies. The encoder never writes
// -128 and runs never cross a row end. There is no no-op code.

enum class RunLengthResult : uint32_t {
    kDone = 0,           // the whole input was decoded
    kOutputOverrun = 1,  // a unit would land past the end of the output
    kInputOverrun = 2,   // the input ends inside a run
};

inline constexpr uint32_t kRunLengthMaxUnitBytes = 4;

// Decodes all of `input` into `output`, never touching a byte outside either.
// Output left unwritten (an input that ends early) keeps its old contents.
RunLengthResult DecodeRunLength(std::span<const uint8_t> input, std::span<uint8_t> output, uint32_t unitBytes);

// Encodes `pixels` (rows of `rowBytes` bytes, a whole number of units) into
// `output`. Returns the encoded length, or 0 when the code would be no
// shorter than the pixels or would not fit in `output`; the caller then
// stores the pixels raw. `unitBytes` is 1 to 4.
size_t EncodeRunLength(std::span<const uint8_t> pixels, size_t rowBytes, uint32_t unitBytes,
                       std::span<uint8_t> output);

// The same for an image's pixel block: bytes per pixel 0 (1-bit rows of
// (width+7)/8 bytes) to 4. Only the block's size of each span is used (less
// when a span is shorter); a depth above 4 decodes as an output overrun and
// encodes as 0.
RunLengthResult DecodeRunLength(uint16_t width, uint16_t height, uint8_t bytesPerPixel,
                                std::span<const uint8_t> input, std::span<uint8_t> output);
size_t EncodeRunLength(uint16_t width, uint16_t height, uint8_t bytesPerPixel, std::span<const uint8_t> pixels,
                       std::span<uint8_t> output);
