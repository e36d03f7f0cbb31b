#include "engine/IffWalk.h"

#include <cstring>
#include <vector>

#include "engine/IffFile.h"

namespace iff_walk {

namespace {

constexpr uint32_t kLargestChunk = 1u << 16;

}  // namespace

Status Step(IffFile& iff) {
    const Status step = iff.NextChunk();
    return step == kStatusOk || step == kStatusEndOfData ? step : kStatusCannotOpen;
}

Status FindNext(IffFile& iff, uint32_t id, uint32_t formType) {
    for (;;) {
        const Status step = Step(iff);
        if (step != kStatusOk) return step;
        if (iff.ChunkId() != id) continue;
        if (id != IffFile::kFormId || iff.FormType() == formType) return kStatusOk;
    }
}

uint32_t ReadBounded(IffFile& iff, void* to, uint32_t capacity) {
    const uint32_t size = iff.ChunkSize();
    if (size == 0 || size > kLargestChunk) return 0;
    if (size <= capacity) return iff.ReadChunk(to, capacity) == kStatusOk ? size : 0;
    std::vector<uint8_t> bytes(size);
    if (iff.ReadChunk(bytes.data(), size) != kStatusOk) return 0;
    std::memcpy(to, bytes.data(), capacity);
    return capacity;
}

}  // namespace iff_walk
