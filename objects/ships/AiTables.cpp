#include "objects/ships/AiTables.h"

#include <string>

#include "engine/ByteOrder.h"
#include "engine/IffFile.h"
#include "engine/IffWalk.h"
#include "game/DataDirectories.h"

namespace ai_tables {

namespace {

constexpr uint32_t kAiForm = MakeTag(" AI ");
constexpr uint32_t kShipForm = MakeTag("SHIP");
constexpr uint32_t kRaceForm = MakeTag("RACE");
constexpr uint32_t kDataChunk = MakeTag("DATA");
constexpr uint32_t kKillForm = MakeTag("KILL");
constexpr uint32_t kNameChunk = MakeTag("NAME");
constexpr uint32_t kManeuverChunk = MakeTag("MANU");
constexpr uint32_t kSkillForms[kSkills] = {MakeTag("LOSY"), MakeTag("NORM"), MakeTag("ACE ")};
constexpr uint32_t kListForms[kManeuverLists] = {MakeTag("ATTK"), MakeTag("AGGR"), MakeTag("DEFN")};

std::string ReadName(IffFile& iff) {
    char bytes[kMaxNameBytes + 1] = {};
    const uint32_t read = iff_walk::ReadBounded(iff, bytes, kMaxNameBytes);
    bytes[read] = 0;
    return std::string(bytes);
}

// Inside a record form: its DATA chunk when it is whole.
Status ReadRecord(IffFile& iff, std::vector<TraitRecord>* out) {
    for (;;) {
        const Status step = iff_walk::Step(iff);
        if (step == kStatusEndOfData) return kStatusOk;
        if (step != kStatusOk) return step;
        if (iff.ChunkId() != kDataChunk || iff.ChunkSize() != kDataBytes) continue;
        uint8_t bytes[kDataBytes];
        if (iff.ReadChunk(bytes, kDataBytes) != kStatusOk) return kStatusCannotOpen;
        TraitRecord record;
        for (int i = 0; i < 6; ++i) record.words[i] = int16_t(LoadLe16(bytes + 2 * i));
        out->push_back(record);
    }
}

// Inside a list form: every MANU name.
Status ReadList(IffFile& iff, std::vector<std::string>* out) {
    for (;;) {
        const Status step = iff_walk::Step(iff);
        if (step == kStatusEndOfData) return kStatusOk;
        if (step != kStatusOk) return step;
        if (iff.ChunkId() == kManeuverChunk) out->push_back(ReadName(iff));
    }
}

// Walks the forms of the current level, handing each form whose type the
// visitor wants to it between Descend and Ascend.
template <typename Visit>
Status EachForm(IffFile& iff, Visit visit) {
    for (;;) {
        const Status step = iff_walk::Step(iff);
        if (step == kStatusEndOfData) return kStatusOk;
        if (step != kStatusOk) return step;
        if (iff.ChunkId() != IffFile::kFormId) {
            if (Status s = visit(iff.ChunkId(), false); s != kStatusOk) return s;
            continue;
        }
        const uint32_t type = iff.FormType();
        if (iff.Descend() != kStatusOk) return kStatusCannotOpen;
        const Status inner = visit(type, true);
        if (inner != kStatusOk) return inner;
        if (iff.Ascend() != kStatusOk) return kStatusCannotOpen;
    }
}

Status ReadSkill(IffFile& iff, KillShip& ship, Skill skill) {
    return EachForm(iff, [&](uint32_t type, bool form) -> Status {
        if (!form) return kStatusOk;
        for (int list = 0; list < kManeuverLists; ++list) {
            if (type == kListForms[list]) return ReadList(iff, &ship.maneuvers[skill][list]);
        }
        return kStatusOk;
    });
}

Status ReadKillShip(IffFile& iff, KillShip& ship) {
    return EachForm(iff, [&](uint32_t id, bool form) -> Status {
        if (!form) {
            if (id == kNameChunk) ship.name = ReadName(iff);
            return kStatusOk;
        }
        for (int skill = 0; skill < kSkills; ++skill) {
            if (id == kSkillForms[skill]) return ReadSkill(iff, ship, Skill(skill));
        }
        return kStatusOk;
    });
}

// To the first top-level form of this type, and into it.
Status Enter(IffFile& iff, uint32_t formType) {
    if (iff_walk::FindNext(iff, IffFile::kFormId, formType) != kStatusOk) return kStatusCannotOpen;
    return iff.Descend() == kStatusOk ? kStatusOk : kStatusCannotOpen;
}

template <typename Read>
Status LoadFile(const char* name, Read read) {
    IffFile iff(0);
    const std::string path = g_dataDirs.Prefix(DataDir::kData) + name;
    if (iff.OpenFile(path.c_str(), kOpenRead) != kStatusOk) return kStatusCannotOpen;
    const Status result = iff.ValidateHeader() == kStatusOk ? read(iff) : kStatusCannotOpen;
    iff.CloseFile();
    return result;
}

}  // namespace

Status ReadTraits(IffFile& iff, TraitTables* out) {
    if (Enter(iff, kAiForm) != kStatusOk) return kStatusCannotOpen;
    return EachForm(iff, [&](uint32_t type, bool form) -> Status {
        if (!form) return kStatusOk;
        if (type == kShipForm) return ReadRecord(iff, &out->ships);
        if (type == kRaceForm) return ReadRecord(iff, &out->races);
        return kStatusOk;
    });
}

Status ReadKillLists(IffFile& iff, std::vector<KillShip>* out) {
    if (Enter(iff, kKillForm) != kStatusOk) return kStatusCannotOpen;
    return EachForm(iff, [&](uint32_t type, bool form) -> Status {
        if (!form || type != kShipForm) return kStatusOk;
        out->emplace_back();
        return ReadKillShip(iff, out->back());
    });
}

namespace {

struct Cache {
    std::string directory;   // the data directory the tables were read from
    TraitTables traits;
    std::vector<KillShip> killLists;
    bool hasTraits = false;
    bool hasKillLists = false;
};

Cache& TheCache() {
    static Cache cache;
    const std::string directory = g_dataDirs.Prefix(DataDir::kData);
    if (cache.directory != directory) {
        cache = Cache();
        cache.directory = directory;
    }
    return cache;
}

}  // namespace

const TraitTables& CachedTraits() {
    Cache& cache = TheCache();
    if (!cache.hasTraits) {
        LoadTraits(&cache.traits);
        cache.hasTraits = true;
    }
    return cache.traits;
}

const std::vector<KillShip>& CachedKillLists() {
    Cache& cache = TheCache();
    if (!cache.hasKillLists) {
        LoadKillLists(&cache.killLists);
        cache.hasKillLists = true;
    }
    return cache.killLists;
}

void ForgetCachedTables() {
    Cache& cache = TheCache();
    const std::string directory = cache.directory;
    cache = Cache();
    cache.directory = directory;
}

Status LoadTraits(TraitTables* out) {
    return LoadFile("ai.iff", [out](IffFile& iff) { return ReadTraits(iff, out); });
}

Status LoadKillLists(std::vector<KillShip>* out) {
    return LoadFile("aidetail.iff", [out](IffFile& iff) { return ReadKillLists(iff, out); });
}

}  // namespace ai_tables
