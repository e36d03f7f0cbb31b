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

bool ReadText(IffFile& iff, uint32_t maximum, std::string* out) {
    const uint32_t size = iff.ChunkSize();
    if (size > maximum) return false;
    std::vector<char> bytes(size + 1, 0);
    if (size > 0 && iff.ReadChunk(bytes.data(), size) != kStatusOk) return false;
    out->assign(bytes.data(), strnlen(bytes.data(), size));
    return true;
}

Status Walk(IffFile& iff, const std::function<Choice(IffFile&)>& choose) {
    for (;;) {
        const Status step = Step(iff);
        if (step == kStatusEndOfData) {
            if (iff.Level() == 0) return kStatusEndOfData;
            if (iff.Ascend() != kStatusOk) return kStatusCannotOpen;
            continue;
        }
        if (step != kStatusOk) return step;
        switch (choose(iff)) {
        case Choice::kPass:
            break;
        case Choice::kEnter:
            if (iff.Descend() != kStatusOk) return kStatusCannotOpen;
            break;
        case Choice::kStop:
            return kStatusOk;
        }
    }
}

Status ForEachNested(IffFile& iff, std::initializer_list<uint32_t> path, const std::function<bool(IffFile&)>& visit) {
    const uint32_t last = uint32_t(path.size()) - 1;
    const Status walked = Walk(iff, [&](IffFile& at) {
        const uint32_t level = at.Level();
        if (at.ChunkId() != IffFile::kFormId || level > last || at.FormType() != path.begin()[level]) {
            return Choice::kPass;
        }
        if (level < last) return Choice::kEnter;
        return visit(at) ? Choice::kPass : Choice::kStop;
    });
    return walked == kStatusEndOfData ? kStatusOk : walked;
}

}  // namespace iff_walk
