#include "game/CareerRecord.h"

#include <cstring>

#include "engine/ByteOrder.h"
#include "game/XorChunkStream.h"

int32_t CareerOptions::Word(int index) const {
    const int32_t words[kWords] = {textures,     spaceDust,     extraLights,   shadingLevel, alphaBlend,  invulnerability,
                                   unlimitedAmmo, unlimitedFuel, invisibility, inertialOff,  soundVolume, musicVolume};
    return index >= 0 && index < kWords ? words[index] : 0;
}

AccuracyRecord::Count* AccuracyRecord::ForKind(int32_t kind) {
    switch (kind) {
        case 23: return &byKind[0];
        case 21: return &byKind[1];
        case 20: return &byKind[2];
        case 22: return &byKind[3];
        default: return nullptr;
    }
}

namespace {

constexpr uint32_t kPlinType = MakeTag("PLIN");
constexpr uint32_t kNameId = MakeTag("NAME");
constexpr uint32_t kCallId = MakeTag("CALL");
constexpr uint32_t kFaceId = MakeTag("FACE");
constexpr uint32_t kLogoId = MakeTag("LOGO");
constexpr uint32_t kMoneyId = MakeTag("MONY");
constexpr uint32_t kTrophyId = MakeTag("TRPH");
constexpr uint32_t kKillId = MakeTag("KILL");
constexpr uint32_t kMissionId = MakeTag("MISS");
constexpr uint32_t kAccuracyId = MakeTag("ACCV");
constexpr uint32_t kOptionsId = MakeTag("OPTS");
constexpr uint32_t kOptionsBytes = CareerOptions::kWords * 4;
// Far more chunks than a career holds: a damaged form stops here.
constexpr int kMaxChunks = 4096;

Status ReadOptions(XorChunkStream& stream, CareerOptions* options) {
    if (stream.ChunkSize() != kOptionsBytes || stream.UnreadCount() != kOptionsBytes) {
        return kStatusCareerBadRecord;
    }
    uint8_t bytes[kOptionsBytes];
    const Status status = stream.ReadChunkData(bytes, sizeof bytes);
    if (status != kStatusOk) {
        return status;
    }
    int32_t* const words[CareerOptions::kWords] = {
        &options->textures,      &options->spaceDust,     &options->extraLights,  &options->shadingLevel,
        &options->alphaBlend,    &options->invulnerability, &options->unlimitedAmmo, &options->unlimitedFuel,
        &options->invisibility,  &options->inertialOff,   &options->soundVolume,  &options->musicVolume};
    for (int i = 0; i < CareerOptions::kWords; ++i) {
        *words[i] = static_cast<int32_t>(LoadLe32(bytes + 4 * i));
    }
    return kStatusOk;
}

}  // namespace

CareerRecord::CareerRecord(int32_t multiplayer) : multiplayer(multiplayer) {}

Status CareerRecord::Save(XorChunkStream& stream) const {
    uint8_t optionBytes[kOptionsBytes];
    for (int i = 0; i < CareerOptions::kWords; ++i) {
        StoreLe32(optionBytes + 4 * i, static_cast<uint32_t>(options.Word(i)));
    }
    Status status = stream.BeginForm(kPlinType);
    if (status == kStatusOk) status = stream.WriteTextChunk(kNameId, pilotName);
    if (status == kStatusOk) status = stream.WriteTextChunk(kCallId, callsign);
    if (status == kStatusOk) status = stream.WriteWordChunk(kFaceId, face);
    if (status == kStatusOk) status = stream.WriteWordChunk(kLogoId, logo);
    if (status == kStatusOk) status = stream.WriteWordChunk(kMoneyId, funds);
    if (status == kStatusOk) status = stream.WriteWordChunk(kTrophyId, static_cast<int32_t>(trophies));
    if (status == kStatusOk) status = stream.WriteWordChunk(kKillId, kills);
    if (status == kStatusOk) status = stream.WriteWordChunk(kMissionId, missions);
    if (status == kStatusOk) status = stream.WriteWordChunk(kAccuracyId, accuracyValue);
    if (status == kStatusOk) status = stream.WriteChunk(kOptionsId, optionBytes, sizeof optionBytes);
    if (status == kStatusOk) status = stream.Ascend();
    return status;
}

Status CareerRecord::Load(XorChunkStream& stream) {
    if (stream.FindForm(kPlinType) != kStatusOk) {
        return stream.LastError() != kStatusOk && stream.LastError() != kStatusEndOfData ? stream.LastError()
                                                                                          : kStatusCareerBadRecord;
    }
    Status status = stream.Descend();
    if (status != kStatusOk) {
        return status;
    }
    CareerRecord fresh(multiplayer);
    int32_t trophyWord = 0;
    int chunks = 0;
    while (status == kStatusOk) {
        status = stream.NextChunk();
        if (status == kStatusEndOfData) {
            status = kStatusOk;
            break;
        }
        if (status != kStatusOk) {
            break;
        }
        if (++chunks > kMaxChunks) {
            status = kStatusCareerBadRecord;
            break;
        }
        switch (stream.ChunkId()) {
            case kNameId: status = stream.ReadTextChunk(fresh.pilotName, kStatusCareerBadRecord); break;
            case kCallId: status = stream.ReadTextChunk(fresh.callsign, kStatusCareerBadRecord); break;
            case kFaceId: status = stream.ReadWordChunk(&fresh.face, kStatusCareerBadRecord); break;
            case kLogoId: status = stream.ReadWordChunk(&fresh.logo, kStatusCareerBadRecord); break;
            case kMoneyId: status = stream.ReadWordChunk(&fresh.funds, kStatusCareerBadRecord); break;
            case kTrophyId: status = stream.ReadWordChunk(&trophyWord, kStatusCareerBadRecord); break;
            case kKillId: status = stream.ReadWordChunk(&fresh.kills, kStatusCareerBadRecord); break;
            case kMissionId: status = stream.ReadWordChunk(&fresh.missions, kStatusCareerBadRecord); break;
            case kAccuracyId: status = stream.ReadWordChunk(&fresh.accuracyValue, kStatusCareerBadRecord); break;
            case kOptionsId: status = ReadOptions(stream, &fresh.options); break;
            default: break;  // a later list, or one this build does not know
        }
    }
    fresh.trophies = static_cast<uint32_t>(trophyWord);
    if (status == kStatusOk && (fresh.logo < 0 || fresh.logo > kLastLogo || fresh.face < -1)) {
        status = kStatusCareerBadRecord;
    }
    const Status ascended = stream.Ascend();
    if (status == kStatusOk) {
        status = ascended;
    }
    if (status != kStatusOk) {
        return status;
    }
    TakeSaved(fresh);
    return kStatusOk;
}

void CareerRecord::TakeSaved(const CareerRecord& from) {
    std::memcpy(pilotName, from.pilotName, sizeof pilotName);
    std::memcpy(callsign, from.callsign, sizeof callsign);
    funds = from.funds;
    trophies = from.trophies;
    kills = from.kills;
    missions = from.missions;
    accuracyValue = from.accuracyValue;
    face = from.face;
    logo = from.logo;
    options = from.options;
}
