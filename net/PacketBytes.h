#pragma once
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "engine/Vector3.h"

// Little-endian fields of a packet: one writer and one bounded reader under
// every builder and every reader. Floats travel as their bits.
class PacketWriter {
public:
    PacketWriter(uint8_t* data, uint32_t size) : data_(data), size_(size) {}
    void U8(uint32_t at, uint8_t value) {
        if (at < size_) data_[at] = value;
    }
    void U16(uint32_t at, uint16_t value) {
        U8(at, uint8_t(value));
        U8(at + 1, uint8_t(value >> 8));
    }
    void U32(uint32_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) U8(at + uint32_t(i), uint8_t(value >> (8 * i)));
    }
    void I32(uint32_t at, int32_t value) { U32(at, uint32_t(value)); }
    void F32(uint32_t at, float value) { U32(at, std::bit_cast<uint32_t>(value)); }
    void Vector(uint32_t at, const Vector3& v) {
        F32(at, v.x);
        F32(at + 4, v.y);
        F32(at + 8, v.z);
    }
    // At most field - 1 characters and a terminator; the rest of the field stays as it is (zero).
    void Text(uint32_t at, uint32_t field, const char* text) {
        if (text == nullptr || field == 0) return;
        const size_t length = strnlen(text, field - 1);
        for (size_t i = 0; i < length; ++i) U8(at + uint32_t(i), uint8_t(text[i]));
        U8(at + uint32_t(length), 0);
    }

private:
    uint8_t* data_;
    uint32_t size_;
};

// Reads fields within `size` bytes; a field beyond them, and a number
// outside the range asked for, read as zero and mark the reader failed.
class PacketReader {
public:
    PacketReader(const uint8_t* data, uint32_t size) : data_(data), size_(data != nullptr ? size : 0) {}
    bool Ok() const { return ok_; }
    uint32_t Size() const { return size_; }
    uint8_t U8(uint32_t at) {
        if (at >= size_) {
            ok_ = false;
            return 0;
        }
        return data_[at];
    }
    uint16_t U16(uint32_t at) { return uint16_t(U8(at) | U8(at + 1) << 8); }
    uint32_t U32(uint32_t at) {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) value |= uint32_t(U8(at + uint32_t(i))) << (8 * i);
        return value;
    }
    int32_t I32(uint32_t at) { return int32_t(U32(at)); }
    int32_t I32Within(uint32_t at, int32_t lowest, int32_t highest) {
        const int32_t value = I32(at);
        return Within(value, lowest, highest) ? value : 0;
    }
    uint8_t U8Within(uint32_t at, uint8_t highest) {
        const uint8_t value = U8(at);
        return Within(value, 0, highest) ? value : 0;
    }
    float F32(uint32_t at) { return std::bit_cast<float>(U32(at)); }
    Vector3 Vector(uint32_t at) { return {F32(at), F32(at + 4), F32(at + 8)}; }
    // NaN and the infinities would spread through every sum they enter: these
    // read them as zero and fail the reader.
    float FiniteF32(uint32_t at) {
        const float value = F32(at);
        if (std::isfinite(value)) return value;
        ok_ = false;
        return 0.0f;
    }
    // Finite and within [lowest, highest]; else failed and 0.
    float F32Within(uint32_t at, float lowest, float highest) {
        const float value = FiniteF32(at);
        if (value >= lowest && value <= highest) return value;
        ok_ = false;
        return 0.0f;
    }
    Vector3 FiniteVector(uint32_t at) { return {FiniteF32(at), FiniteF32(at + 4), FiniteF32(at + 8)}; }
    // A text that must end inside [at, at + field) and inside the packet;
    // false (and failed) when it does not.
    bool Text(uint32_t at, uint32_t field, char* out, uint32_t outSize) {
        for (uint32_t i = 0; i < field && at + i < size_; ++i) {
            if (data_[at + i] == 0) {
                if (i >= outSize) break;
                std::memcpy(out, data_ + at, i + 1);
                return true;
            }
        }
        ok_ = false;
        if (outSize > 0) out[0] = 0;
        return false;
    }

private:
    bool Within(int64_t value, int64_t lowest, int64_t highest) {
        if (value >= lowest && value <= highest) return true;
        ok_ = false;
        return false;
    }

    const uint8_t* data_;
    uint32_t size_;
    bool ok_ = true;
};
