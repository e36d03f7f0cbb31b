#include "platform/PngWriter.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdio>
#include <memory>
#include <vector>

namespace platform {
namespace {

constexpr size_t kStoredBlockLimit = 65535;   // the longest uncompressed deflate block

std::array<uint32_t, 256> MakeCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

uint32_t Crc32(const uint8_t* bytes, size_t count) {
    static const std::array<uint32_t, 256> table = MakeCrcTable();
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < count; ++i) c = table[(c ^ bytes[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

uint32_t Adler32(const std::vector<uint8_t>& bytes) {
    uint32_t a = 1, b = 0;
    for (const uint8_t byte : bytes) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    return b << 16 | a;
}

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(uint8_t(value >> 24));
    out.push_back(uint8_t(value >> 16));
    out.push_back(uint8_t(value >> 8));
    out.push_back(uint8_t(value));
}

// Length, type, data, and the CRC of type and data.
void PutChunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& data) {
    PutBigEndian(out, uint32_t(data.size()));
    const size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBigEndian(out, Crc32(out.data() + typeAt, out.size() - typeAt));
}

}  // namespace

bool WriteRgbPng(const char* path, int32_t width, int32_t height, const uint8_t* rgb) {
    if (path == nullptr || rgb == nullptr || width <= 0 || height <= 0) return false;

    // Every row starts with filter type 0: the bytes as they are.
    const size_t rowBytes = size_t(width) * 3;
    std::vector<uint8_t> raw;
    raw.reserve((rowBytes + 1) * size_t(height));
    for (int32_t y = 0; y < height; ++y) {
        raw.push_back(0);
        const uint8_t* const row = rgb + rowBytes * size_t(y);
        raw.insert(raw.end(), row, row + rowBytes);
    }

    std::vector<uint8_t> zlib = {0x78, 0x01};
    for (size_t at = 0; at < raw.size(); at += kStoredBlockLimit) {
        const size_t length = std::min(kStoredBlockLimit, raw.size() - at);
        const bool last = at + length == raw.size();
        zlib.push_back(last ? 1 : 0);
        zlib.push_back(uint8_t(length));
        zlib.push_back(uint8_t(length >> 8));
        zlib.push_back(uint8_t(~length));
        zlib.push_back(uint8_t(~length >> 8));
        zlib.insert(zlib.end(), raw.begin() + std::ptrdiff_t(at), raw.begin() + std::ptrdiff_t(at + length));
    }
    PutBigEndian(zlib, Adler32(raw));

    std::vector<uint8_t> header;
    PutBigEndian(header, uint32_t(width));
    PutBigEndian(header, uint32_t(height));
    header.insert(header.end(), {8, 2, 0, 0, 0});   // 8 bits a channel, RGB, no interlace

    std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PutChunk(file, "IHDR", header);
    PutChunk(file, "IDAT", zlib);
    PutChunk(file, "IEND", {});

    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> out(std::fopen(path, "wb"), &std::fclose);
    if (!out) return false;
    return std::fwrite(file.data(), 1, file.size(), out.get()) == file.size();
}

}  // namespace platform
