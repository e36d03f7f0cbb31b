#include "tools/mkdata/MaterialData.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "display/RunLength.h"
#include "engine/ByteOrder.h"
#include "engine/FileWrappers.h"
#include "engine/IffFile.h"

namespace {

constexpr uint32_t kSceneForm = MakeTag("ESEN");
constexpr uint32_t kSingleForm = MakeTag("EMTL");
constexpr uint32_t kAnimatedForm = MakeTag("EMT1");
constexpr uint32_t kHeaderChunk = MakeTag("MHDR");
constexpr uint32_t kBodyChunk = MakeTag("BODY");

// Sample palette indices: a 6 x 6 x 6 cube, then greys from dark to white.
uint8_t Cube(int red, int green, int blue) { return uint8_t(red * 36 + green * 6 + blue); }
uint8_t Grey(int level) { return uint8_t(216 + level); }   // level 0..38
constexpr uint8_t kTransparent = 255;

using Pixels = std::vector<uint8_t>;

Pixels Rock() {
    Pixels p(64 * 64);
    uint32_t seed = 0x2545F491;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            seed = seed * 1664525u + 1013904223u;
            // Grey grit with brown veins along a slanted band.
            const int grit = int(seed >> 28);
            const bool vein = ((x + 2 * y) / 6) % 5 == 0;
            p[size_t(y) * 64 + size_t(x)] = vein ? Cube(2, 1, 0) : Grey(10 + grit);
        }
    }
    return p;
}

Pixels Metal() {
    Pixels p(64 * 64);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            // Brushed horizontal bands, rivets at the corners of 16-pixel plates.
            uint8_t value = Grey(20 + (y % 4 == 0 ? 6 : 0) + (y / 16) * 2);
            const int dx = x % 16 - 8, dy = y % 16 - 8;
            if (dx * dx + dy * dy <= 2) value = Grey(34);
            if (x % 16 == 0 || y % 16 == 0) value = Grey(8);
            p[size_t(y) * 64 + size_t(x)] = value;
        }
    }
    return p;
}

Pixels Sky() {
    Pixels p(64 * 64);
    for (int y = 0; y < 64; ++y) {
        // From deep blue at the top to pale blue at the horizon.
        const int step = y / 13;   // 0..4
        std::memset(p.data() + size_t(y) * 64, Cube(step / 2, step, 5), 64);
    }
    return p;
}

Pixels BeaconFrame(int frame) {
    Pixels p(32 * 32, kTransparent);
    const int radius = 6 + 4 * frame;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const int dx = x - 16, dy = y - 16, d2 = dx * dx + dy * dy;
            if (d2 <= radius * radius) p[size_t(y) * 32 + size_t(x)] = d2 <= 9 ? Cube(5, 5, 2) : Cube(5, 2 + frame, 0);
        }
    }
    return p;
}

Status WriteHeader(IffFile& iff, const char* name, uint16_t side, uint16_t frames, uint8_t format, uint8_t encoding) {
    uint8_t header[48] = {};
    std::strncpy(reinterpret_cast<char*>(header), name, 16);
    StoreLe16(header + 16, side);
    StoreLe16(header + 18, side);
    StoreLe16(header + 20, frames);
    header[22] = format;
    header[23] = encoding;
    StoreLe32(header + 24, 0);
    return iff.WriteChunk(kHeaderChunk, header, sizeof header);
}

// Run-length when that is shorter (the reader takes a shorter body as
// run-length data), else raw.
Status WriteBody(IffFile& iff, const Pixels& pixels, uint16_t side, bool runLength) {
    if (runLength) {
        std::vector<uint8_t> code(pixels.size());
        const size_t length = EncodeRunLength(pixels, side, 1, code);
        if (length > 0) return iff.WriteChunk(kBodyChunk, code.data(), uint32_t(length));
    }
    return iff.WriteChunk(kBodyChunk, pixels.data(), uint32_t(pixels.size()));
}

Status WriteSingle(IffFile& iff, const char* name, const Pixels& pixels, bool runLength) {
    Status status = iff.BeginForm(kSingleForm);
    if (status == kStatusOk) status = WriteHeader(iff, name, 64, 1, 1, runLength ? 1 : 0);
    if (status == kStatusOk) status = WriteBody(iff, pixels, 64, runLength);
    if (status == kStatusOk) status = iff.Ascend();
    return status;
}

}  // namespace

Status WriteMaterialForm(IffFile& iff, const char* name) {
    if (std::strcmp(name, "Rock") == 0) return WriteSingle(iff, "Rock", Rock(), false);
    if (std::strcmp(name, "Metal") == 0) return WriteSingle(iff, "Metal", Metal(), true);
    if (std::strcmp(name, "Sky") == 0) return WriteSingle(iff, "Sky", Sky(), true);
    return kStatusNothingToDo;
}

Status WriteMaterialLibrary(const char* path) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(kSceneForm);
    if (status == kStatusOk) status = WriteSingle(iff, "Rock", Rock(), false);
    if (status == kStatusOk) status = WriteSingle(iff, "Metal", Metal(), true);
    if (status == kStatusOk) status = WriteSingle(iff, "Sky", Sky(), true);
    if (status == kStatusOk) status = iff.BeginForm(kAnimatedForm);
    if (status == kStatusOk) status = WriteHeader(iff, "Beacon", 32, kBeaconFrames, 2, 0);
    for (int frame = 0; frame < kBeaconFrames && status == kStatusOk; ++frame) {
        status = WriteBody(iff, BeaconFrame(frame), 32, false);
    }
    if (status == kStatusOk) status = iff.Ascend();
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}
