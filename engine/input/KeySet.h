#pragma once
#include <cstdint>

// 512 bits in sixteen 32-bit words: the keyboard's key states and the event
// sets of the input event maps. Key code k lives in word ((k >> 5) & 7),
// plus 8 above 255, at bit (k & 31), so that byte k >> 3 holds it under the
// mask 1 << (k & 7) in the little-endian layout the event keys read.
struct KeySet {
    static constexpr int kWords = 16;
    static constexpr uint32_t kBits = 512;

    uint32_t words[kWords] = {};

    static constexpr int WordOf(uint32_t key) { return int((key >> 5) & 7) + (key > 255 ? 8 : 0); }

    bool IsEmpty() const;
    void Assign(const KeySet& other);
    void Clear();
    void Set(uint32_t key) { words[WordOf(key)] |= 1u << (key & 31); }
    void Reset(uint32_t key) { words[WordOf(key)] &= ~(1u << (key & 31)); }
    bool Test(uint32_t key) const { return (words[WordOf(key)] & (1u << (key & 31))) != 0; }
    // An event key: byte index in the high byte, bit mask in the low byte.
    bool TestEvent(uint16_t eventKey) const;
    void SetEvent(uint16_t eventKey);
    // The 64 bytes, byte i holding bits 8i to 8i + 7.
    void ToBytes(uint8_t out[64]) const;
    void FromBytes(const uint8_t in[64]);

    KeySet operator~() const;
    KeySet operator^(const KeySet& other) const;
    KeySet operator|(const KeySet& other) const;
    KeySet operator&(const KeySet& other) const;
    KeySet& operator^=(const KeySet& other);
    KeySet& operator|=(const KeySet& other);
    KeySet& operator&=(const KeySet& other);
    bool operator==(const KeySet& other) const = default;
};
static_assert(sizeof(KeySet) == 64);

// The event key of event number 0 to 511.
constexpr uint16_t EventKey(uint32_t event) { return uint16_t(((event >> 3) & 0x3F) << 8 | (1u << (event & 7))); }
