#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "engine/ByteOrder.h"

// The bodies of the sample files' chunks, built word by word: every word in
// the files' little-endian order.
namespace chunk_bytes {

using Bytes = std::vector<uint8_t>;

inline Bytes Words32(std::initializer_list<int32_t> words) {
    Bytes out(4 * words.size());
    uint8_t* at = out.data();
    for (const int32_t word : words) {
        StoreLe32(at, uint32_t(word));
        at += 4;
    }
    return out;
}

// Signed or unsigned 16-bit words alike: the low 16 bits of each.
inline Bytes Words16(std::initializer_list<int32_t> words) {
    Bytes out(2 * words.size());
    uint8_t* at = out.data();
    for (const int32_t word : words) {
        StoreLe16(at, uint16_t(word));
        at += 2;
    }
    return out;
}

// A text in a fixed field, cut to leave its terminator, zero-padded.
inline Bytes FixedText(const char* text, size_t bytes) {
    Bytes out(bytes, 0);
    if (bytes > 0) std::memcpy(out.data(), text, std::min(std::strlen(text), bytes - 1));
    return out;
}

}  // namespace chunk_bytes
