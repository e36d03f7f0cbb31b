#include "sound/SoundEffectDef.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/ByteOrder.h"
#include "engine/FileWrappers.h"
#include "engine/IffFile.h"
#include "engine/IffWalk.h"

namespace {

constexpr uint32_t kIdChunk = MakeTag("ID  ");
constexpr uint32_t kInfoChunk = MakeTag("INFO");
constexpr uint32_t kPcmChunk = MakeTag("PCM ");
constexpr uint32_t kTextChunk = MakeTag("TEXT");
constexpr uint32_t kInfoBytes = 28;
constexpr uint32_t kMaxTextBytes = 4096;

}  // namespace

Status SoundEffectDef::Read(IffFile& iff) {
    if (iff.ChunkId() != IffFile::kFormId || iff.FormType() != kSoundsForm) return kStatusNotThisRecord;
    if (iff.Descend() != kStatusOk) return kStatusCannotOpen;
    const auto leave = [&iff](Status result) {
        iff.Ascend();
        return result;
    };
    bool haveName = false, haveInfo = false;
    std::vector<uint8_t> pcm;
    bool havePcm = false;
    for (;;) {
        const Status step = iff.NextChunk();
        if (step == kStatusEndOfData) break;
        if (step != kStatusOk) return leave(kStatusCannotOpen);
        const uint32_t id = iff.ChunkId();
        const uint32_t size = iff.ChunkSize();
        if (id == kIdChunk) {
            if (size == 0 || size > kNameBytes) return leave(kStatusMalformed);
            char read[kNameBytes] = {};
            if (iff.ReadChunk(read, kNameBytes) != kStatusOk) return leave(kStatusCannotOpen);
            std::memset(name, 0, sizeof name);
            std::memcpy(name, read, std::min<size_t>(size, kNameBytes));
            haveName = true;
        } else if (id == kInfoChunk) {
            if (size != kInfoBytes) return leave(kStatusMalformed);
            uint8_t info[kInfoBytes];
            if (iff.ReadChunk(info, kInfoBytes) != kStatusOk) return leave(kStatusCannotOpen);
            int32_t words[7];
            for (int i = 0; i < 7; ++i) words[i] = int32_t(LoadLe32(info + 4 * i));
            rate = words[0], bits = words[1], channels = words[2], loop = words[3];
            priority = words[4];
            volume = std::clamp(words[5], 0, 127);
            pan = std::clamp(words[6], 0, 127);
            haveInfo = true;
        } else if (id == kPcmChunk) {
            if (size > kMaxPcmBytes) return leave(kStatusMalformed);
            pcm.assign(size, 0);
            if (size > 0 && iff.ReadChunk(pcm.data(), size) != kStatusOk) return leave(kStatusCannotOpen);
            havePcm = true;
        } else if (id == kTextChunk) {
            const uint32_t kept = std::min(size, kMaxTextBytes);
            std::vector<char> read(std::max<uint32_t>(kept, 1), 0);
            if (kept > 0 && iff.ReadChunk(read.data(), kept) != kStatusOk) return leave(kStatusCannotOpen);
            text.assign(read.data(), strnlen(read.data(), kept));
        }
    }
    if (!haveName || !haveInfo || !havePcm) return leave(kStatusMalformed);
    if (rate < kMinRate || rate > kMaxRate || (bits != 8 && bits != 16) || (channels != 1 && channels != 2)) {
        return leave(kStatusMalformed);
    }
    const size_t frameBytes = size_t(bits / 8) * size_t(channels);
    if (pcm.empty() || pcm.size() % frameBytes != 0) return leave(kStatusMalformed);

    auto data = std::make_shared<platform::SampleData>();
    data->rate = rate;
    data->channels = channels;
    if (bits == 8) {
        data->samples.resize(pcm.size());
        for (size_t i = 0; i < pcm.size(); ++i) data->samples[i] = int16_t((int32_t(pcm[i]) - 128) * 256);
    } else {
        data->samples.resize(pcm.size() / 2);
        for (size_t i = 0; i < data->samples.size(); ++i) data->samples[i] = int16_t(LoadLe16(pcm.data() + 2 * i));
    }
    samples = std::move(data);
    return leave(kStatusOk);
}

Status SoundEffectDef::ForEachEntry(const char* fileName, const std::function<bool(IffFile&)>& visit) {
    IffFile iff(0);
    if (fileName == nullptr || iff.OpenFile(fileName, kOpenRead) != kStatusOk) return kStatusCannotOpen;
    const Status result = iff.ValidateHeader() == kStatusOk ? ForEachEntry(iff, visit) : kStatusCannotOpen;
    iff.CloseFile();
    return result;
}

Status SoundEffectDef::ForEachEntry(IffFile& iff, const std::function<bool(IffFile&)>& visit) {
    // FORM "FX  " at the top, the group FORM "SNDS" inside it, the entries inside that.
    return iff_walk::ForEachNested(iff, {kFxForm, kSoundsForm, kSoundsForm}, visit);
}

Status SoundEffectDef::Load(const char* entry, const char* fileName) {
    if (entry == nullptr) return kStatusNotThisRecord;
    Status result = kStatusNotThisRecord;
    const Status walked = ForEachEntry(fileName, [&](IffFile& iff) {
        SoundEffectDef candidate;
        const Status read = candidate.Read(iff);
        // A refused entry is passed over like any other; a failed read ends the walk.
        if (read == kStatusMalformed || (read == kStatusOk && std::strcmp(candidate.name, entry) != 0)) return true;
        if (read == kStatusOk) *this = std::move(candidate);
        result = read;
        return false;
    });
    if (walked != kStatusOk) return walked;
    return result;
}
