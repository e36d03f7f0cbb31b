#include "game/PilotRecord.h"

#include "engine/ByteOrder.h"
#include "engine/Saturate.h"
#include "game/CareerRecord.h"
#include "game/XorChunkStream.h"

AccuracyRecord::Count* AccuracyRecord::ForKind(int32_t kind) {
    switch (kind) {
        case 23: return &byKind[0];
        case 21: return &byKind[1];
        case 20: return &byKind[2];
        case 22: return &byKind[3];
        default: return nullptr;
    }
}

int32_t AccuracyRecord::MeanHitPercent() const {
    int64_t sum = 0;
    int32_t groups = 0;
    for (const Count& count : byKind) {
        if (count.shots <= 0) continue;
        // Missile impacts add hits of their own: a group may pass 100 %.
        sum += int64_t(count.hits) * 100 / count.shots;
        ++groups;
    }
    return groups == 0 ? -1 : Saturate32(sum / groups);
}

PilotRecord::PilotRecord(const char* name, const char* resume)
    : name(name != nullptr ? name : ""), resume(resume != nullptr ? resume : "") {}

void PilotRecord::ApplyMission(const AccuracyRecord& flown) {
    const int32_t mean = flown.MeanHitPercent();
    if (mean >= 0) accuracy = accuracy < 1 ? mean : Saturate32((int64_t(accuracy) + mean) / 2);
    kills = Saturate32(int64_t(kills) + flown.kills);
}

namespace {

constexpr uint32_t kPilotForm = MakeTag("PILO");
constexpr uint32_t kNameId = MakeTag("NAME");
constexpr uint32_t kResumeId = MakeTag("RESU");
constexpr uint32_t kMissionsId = MakeTag("MISS");
constexpr uint32_t kAccuracyId = MakeTag("ACCV");
constexpr uint32_t kKillsId = MakeTag("KILS");
constexpr uint32_t kFlyingId = MakeTag("FLYN");
constexpr uint32_t kCountsId = MakeTag("ACCU");

}  // namespace

Status PilotRecord::Save(XorChunkStream& stream) const {
    uint8_t counts[AccuracyRecord::kBytes];
    StoreLe32(counts, uint32_t(flight.kills));
    for (int i = 0; i < AccuracyRecord::kGroups; ++i) {
        StoreLe32(counts + 4 + 8 * i, uint32_t(flight.byKind[i].shots));
        StoreLe32(counts + 8 + 8 * i, uint32_t(flight.byKind[i].hits));
    }
    Status status = stream.BeginForm(kPilotForm);
    if (status == kStatusOk) status = stream.WriteTextChunk(kNameId, name.substr(0, kNameBytes - 1));
    if (status == kStatusOk) status = stream.WriteTextChunk(kResumeId, resume.substr(0, kResumeBytes - 1));
    if (status == kStatusOk) status = stream.WriteWordChunk(kMissionsId, missions);
    if (status == kStatusOk) status = stream.WriteWordChunk(kAccuracyId, accuracy);
    if (status == kStatusOk) status = stream.WriteWordChunk(kKillsId, kills);
    if (status == kStatusOk) status = stream.WriteWordChunk(kFlyingId, flying);
    if (status == kStatusOk) status = stream.WriteChunk(kCountsId, counts, sizeof counts);
    if (status == kStatusOk) status = stream.Ascend();
    return status;
}

Status PilotRecord::Load(XorChunkStream& stream, std::unique_ptr<PilotRecord>* out) {
    if (stream.ChunkId() != IffFile::kFormId || stream.FormType() != kPilotForm) return kStatusCareerBadRecord;
    auto pilot = std::make_unique<PilotRecord>();
    bool named = false;
    const Status status = stream.WalkForm(
        [&](uint32_t id) -> Status {
            switch (id) {
                case kNameId:
                    named = true;
                    return stream.ReadTextChunk(&pilot->name, kNameBytes, kStatusCareerBadRecord);
                case kResumeId: return stream.ReadTextChunk(&pilot->resume, kResumeBytes, kStatusCareerBadRecord);
                case kMissionsId: return stream.ReadWordChunk(&pilot->missions, kStatusCareerBadRecord);
                case kAccuracyId: return stream.ReadWordChunk(&pilot->accuracy, kStatusCareerBadRecord);
                case kKillsId: return stream.ReadWordChunk(&pilot->kills, kStatusCareerBadRecord);
                case kFlyingId: return stream.ReadWordChunk(&pilot->flying, kStatusCareerBadRecord);
                case kCountsId: {
                    uint8_t counts[AccuracyRecord::kBytes];
                    if (stream.ChunkSize() != sizeof counts || stream.UnreadCount() != sizeof counts) {
                        return kStatusCareerBadRecord;
                    }
                    const Status read = stream.ReadChunkData(counts, sizeof counts);
                    if (read != kStatusOk) return read;
                    pilot->flight.kills = int32_t(LoadLe32(counts));
                    for (int i = 0; i < AccuracyRecord::kGroups; ++i) {
                        pilot->flight.byKind[i].shots = int32_t(LoadLe32(counts + 4 + 8 * i));
                        pilot->flight.byKind[i].hits = int32_t(LoadLe32(counts + 8 + 8 * i));
                    }
                    return kStatusOk;
                }
                default: return kStatusOk;
            }
        },
        kStatusCareerBadRecord);
    if (status != kStatusOk) return status;
    // A pilot is found and assigned by name: a nameless one is damage.
    if (!named || pilot->name.empty()) return kStatusCareerBadRecord;
    // Counts only grow: a negative one is damage.
    bool negative = pilot->missions < 0 || pilot->kills < 0 || pilot->flight.kills < 0;
    for (const AccuracyRecord::Count& count : pilot->flight.byKind) negative = negative || count.shots < 0 || count.hits < 0;
    if (negative) return kStatusCareerBadRecord;
    *out = std::move(pilot);
    return kStatusOk;
}
