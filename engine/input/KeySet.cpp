#include "engine/input/KeySet.h"

bool KeySet::IsEmpty() const {
    for (const uint32_t word : words) {
        if (word != 0) return false;
    }
    return true;
}

void KeySet::Assign(const KeySet& other) { *this = other; }

void KeySet::Clear() { *this = KeySet{}; }

bool KeySet::TestEvent(uint16_t eventKey) const {
    const uint32_t byte = eventKey >> 8;
    if (byte >= 64) return false;
    return ((words[byte >> 2] >> (8 * (byte & 3))) & (eventKey & 0xFF)) != 0;
}

void KeySet::SetEvent(uint16_t eventKey) {
    const uint32_t byte = eventKey >> 8;
    if (byte >= 64) return;
    words[byte >> 2] |= uint32_t(eventKey & 0xFF) << (8 * (byte & 3));
}

void KeySet::ToBytes(uint8_t out[64]) const {
    for (int i = 0; i < 64; ++i) out[i] = uint8_t(words[i >> 2] >> (8 * (i & 3)));
}

void KeySet::FromBytes(const uint8_t in[64]) {
    for (int w = 0; w < kWords; ++w) {
        words[w] = uint32_t(in[4 * w]) | uint32_t(in[4 * w + 1]) << 8 | uint32_t(in[4 * w + 2]) << 16 |
                   uint32_t(in[4 * w + 3]) << 24;
    }
}

KeySet KeySet::operator~() const {
    KeySet out;
    for (int i = 0; i < kWords; ++i) out.words[i] = ~words[i];
    return out;
}

KeySet KeySet::operator^(const KeySet& other) const { return KeySet(*this) ^= other; }
KeySet KeySet::operator|(const KeySet& other) const { return KeySet(*this) |= other; }
KeySet KeySet::operator&(const KeySet& other) const { return KeySet(*this) &= other; }

KeySet& KeySet::operator^=(const KeySet& other) {
    for (int i = 0; i < kWords; ++i) words[i] ^= other.words[i];
    return *this;
}

KeySet& KeySet::operator|=(const KeySet& other) {
    for (int i = 0; i < kWords; ++i) words[i] |= other.words[i];
    return *this;
}

KeySet& KeySet::operator&=(const KeySet& other) {
    for (int i = 0; i < kWords; ++i) words[i] &= other.words[i];
    return *this;
}
