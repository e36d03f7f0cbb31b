#include "platform/PngWriter.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include <zlib.h>

namespace platform {
namespace {

// Row filters of the PNG format: the byte as it is, less the byte a pixel
// to the left, less the byte above.
constexpr uint8_t kFilterNone = 0;
constexpr uint8_t kFilterSub = 1;
constexpr uint8_t kFilterUp = 2;
constexpr int32_t kBytesPerPixel = 3;

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

    // Each row is filtered the way that leaves the smallest differences
    // (the usual guess at what deflates best): flat runs and gradients of a
    // game frame become runs of zeros.
    const size_t rowBytes = size_t(width) * kBytesPerPixel;
    std::vector<uint8_t> raw;
    raw.reserve((rowBytes + 1) * size_t(height));
    std::vector<uint8_t> candidates[3];
    for (auto& candidate : candidates) candidate.resize(rowBytes);
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* const row = rgb + rowBytes * size_t(y);
        const uint8_t* const above = y > 0 ? row - rowBytes : nullptr;
        uint64_t best = UINT64_MAX;
        uint8_t bestFilter = kFilterNone;
        for (uint8_t filter = kFilterNone; filter <= kFilterUp; ++filter) {
            std::vector<uint8_t>& out = candidates[filter];
            uint64_t cost = 0;
            for (size_t i = 0; i < rowBytes; ++i) {
                uint8_t predicted = 0;
                if (filter == kFilterSub && i >= kBytesPerPixel) predicted = row[i - kBytesPerPixel];
                if (filter == kFilterUp && above != nullptr) predicted = above[i];
                out[i] = uint8_t(row[i] - predicted);
                cost += uint64_t(std::abs(int32_t(int8_t(out[i]))));
            }
            if (cost < best) {
                best = cost;
                bestFilter = filter;
            }
        }
        raw.push_back(bestFilter);
        raw.insert(raw.end(), candidates[bestFilter].begin(), candidates[bestFilter].end());
    }

    uLongf packedBytes = compressBound(uLong(raw.size()));
    std::vector<uint8_t> zlib(packedBytes);
    if (compress2(zlib.data(), &packedBytes, raw.data(), uLong(raw.size()), Z_DEFAULT_COMPRESSION) != Z_OK) {
        return false;
    }
    zlib.resize(packedBytes);

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
