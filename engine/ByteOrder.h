#pragma once
#include <bit>
#include <cstdint>

// Fixed byte order for words in files and file-shaped buffers, whatever the
// machine's own order and alignment. Little-endian is the files' order;
// big-endian is kept for chunk sizes outside "RIFF" files.

constexpr uint16_t LoadLe16(const uint8_t* bytes) {
    return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

constexpr uint32_t LoadLe32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

// An IEEE single in the files' order.
constexpr float LoadLeFloat(const uint8_t* bytes) { return std::bit_cast<float>(LoadLe32(bytes)); }

// A number that a record stores either as 16.16 fixed point (a signed word
// of 65536ths) or as a float, as its chunk id says.
constexpr float LoadLeFixedOrFloat(const uint8_t* bytes, bool fixed) {
    constexpr float kFixedUnit = 1.0f / 65536.0f;
    return fixed ? float(int32_t(LoadLe32(bytes))) * kFixedUnit : LoadLeFloat(bytes);
}

constexpr uint32_t LoadBe32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
           static_cast<uint32_t>(bytes[2]) << 8 | static_cast<uint32_t>(bytes[3]);
}

constexpr void StoreLe16(uint8_t* bytes, uint16_t value) {
    bytes[0] = static_cast<uint8_t>(value);
    bytes[1] = static_cast<uint8_t>(value >> 8);
}

constexpr void StoreLe32(uint8_t* bytes, uint32_t value) {
    bytes[0] = static_cast<uint8_t>(value);
    bytes[1] = static_cast<uint8_t>(value >> 8);
    bytes[2] = static_cast<uint8_t>(value >> 16);
    bytes[3] = static_cast<uint8_t>(value >> 24);
}

constexpr void StoreBe32(uint8_t* bytes, uint32_t value) {
    bytes[0] = static_cast<uint8_t>(value >> 24);
    bytes[1] = static_cast<uint8_t>(value >> 16);
    bytes[2] = static_cast<uint8_t>(value >> 8);
    bytes[3] = static_cast<uint8_t>(value);
}
