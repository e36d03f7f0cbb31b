#pragma once
#include <cstdint>
#include <cstring>

// Words in the machine's own order at any address: run-length sprite blocks
// and rows of 8-bit pixels may leave them unaligned.

inline uint16_t LoadU16(const uint8_t* at) {
    uint16_t word;
    std::memcpy(&word, at, sizeof word);
    return word;
}

inline void StoreU16(uint8_t* at, uint32_t value) {
    const auto word = static_cast<uint16_t>(value);
    std::memcpy(at, &word, sizeof word);
}
