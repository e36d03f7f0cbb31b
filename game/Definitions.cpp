#include "game/Definitions.h"

#include <bit>
#include <cmath>
#include <cstring>

#include "engine/ByteOrder.h"
#include "engine/IffFile.h"
#include "engine/IffWalk.h"

namespace definitions {

namespace fmt = definition_format;

namespace {

// Longer "ID  " chunks name no entry: a search passes them over.
constexpr uint32_t kLongestId = 63;

// A chunk's bytes, within a bound the chunk's size is checked against.
bool ReadBytes(IffFile& iff, std::vector<uint8_t>* out, uint32_t maximum = 1u << 20) {
    const uint32_t size = iff.ChunkSize();
    if (size > maximum) return false;
    out->assign(size, 0);
    return size == 0 || iff.ReadChunk(out->data(), size) == kStatusOk;
}

// Text of at most `field` bytes, NUL-forced.
void CopyText(char* to, size_t capacity, const uint8_t* from, size_t available) {
    // An empty chunk has no bytes at all to look at.
    const size_t length = from != nullptr && available > 0
                              ? strnlen(reinterpret_cast<const char*>(from), std::min(available, capacity - 1))
                              : 0;
    if (length > 0) std::memcpy(to, from, length);
    to[length] = 0;
}

std::string TextOf(const std::vector<uint8_t>& bytes) {
    if (bytes.empty()) return {};
    const auto* const text = reinterpret_cast<const char*>(bytes.data());
    return std::string(text, strnlen(text, bytes.size()));
}

// Every whole little-endian 16-bit word of the bytes.
std::vector<int16_t> WordsOf(const std::vector<uint8_t>& bytes) {
    std::vector<int16_t> words;
    for (size_t at = 0; at + 2 <= bytes.size(); at += 2) words.push_back(int16_t(LoadLe16(bytes.data() + at)));
    return words;
}

std::vector<std::string> Names(const std::vector<uint8_t>& bytes) {
    std::vector<std::string> names;
    for (size_t at = 0; at + fmt::kNameBytes <= bytes.size(); at += fmt::kNameBytes) {
        char name[fmt::kNameBytes + 1];
        CopyText(name, sizeof name, bytes.data() + at, fmt::kNameBytes);
        names.emplace_back(name);
    }
    return names;
}

// Walks the chunks of the entered entry, from its first.
template <typename Visit>
Status WalkEntry(IffFile& iff, Visit visit) {
    if (iff.Rewind(0) != kStatusOk) return kStatusCannotOpen;
    for (;;) {
        const Status step = iff_walk::Step(iff);
        if (step != kStatusOk) return step == kStatusEndOfData ? kStatusOk : step;
        const Status read = visit(iff.ChunkId());
        if (read != kStatusOk) return read;
    }
}

}  // namespace

Status ReadSpob(IffFile& iff, SpobDefinition* out) {
    *out = SpobDefinition{};
    std::vector<uint8_t> bytes;
    return WalkEntry(iff, [&](uint32_t id) -> Status {
        if (id == IffFile::kFormId) return kStatusOk;   // nested forms (nebulae, decals) belong to their kinds
        if (!ReadBytes(iff, &bytes)) return kStatusMalformed;
        if (id == fmt::kId) {
            CopyText(out->id, sizeof out->id, bytes.data(), bytes.size());
        } else if (id == fmt::kInfo) {
            if (bytes.size() < 4u * fmt::kSpobInfoWords) return kStatusMalformed;
            for (int i = 0; i < fmt::kSpobInfoWords; ++i) out->info[i] = int32_t(LoadLe32(bytes.data() + 4 * i));
            out->hasInfo = true;
        } else if (id == fmt::kName) {
            out->name = TextOf(bytes);
        } else if (id == fmt::kModel || id == fmt::kLowDetailModel) {
            if (bytes.size() < fmt::kModelBytes) return kStatusMalformed;
            char* const file = id == fmt::kModel ? out->modelFile : out->lowModelFile;
            char* const model = id == fmt::kModel ? out->modelName : out->lowModelName;
            CopyText(file, fmt::kFileBytes + 1, bytes.data(), fmt::kFileBytes);
            CopyText(model, fmt::kNameBytes + 1, bytes.data() + fmt::kFileBytes, fmt::kNameBytes);
        } else if (id == fmt::kExplosions) {
            out->explosions = Names(bytes);
        } else if (id == fmt::kDebris) {
            out->debris = Names(bytes);
        } else if (id == fmt::kBits) {
            if (bytes.size() < 4) return kStatusMalformed;
            out->bits = int32_t(LoadLe32(bytes.data()));
        } else if (id == fmt::kTurret) {
            if (bytes.size() % fmt::kTurretBytes != 0) return kStatusMalformed;
            for (size_t at = 0; at < bytes.size(); at += fmt::kTurretBytes) {
                SpobDefinition::Turret turret;
                CopyText(turret.partName, sizeof turret.partName, bytes.data() + at, fmt::kNameBytes);
                for (int i = 0; i < 4; ++i) turret.values[i] = int32_t(LoadLe32(bytes.data() + at + 16 + 4 * i));
                out->turrets.push_back(turret);
            }
        } else if (id == fmt::kEquipment) {
            if (bytes.size() % fmt::kEquipmentBytes != 0) return kStatusMalformed;
            for (size_t at = 0; at < bytes.size(); at += fmt::kEquipmentBytes) {
                SpobDefinition::Equipment item;
                CopyText(item.id, sizeof item.id, bytes.data() + at, fmt::kNameBytes);
                CopyText(item.partName, sizeof item.partName, bytes.data() + at + 16, fmt::kNameBytes);
                item.ammunition = int32_t(LoadLe32(bytes.data() + at + 32));
                out->equipment.push_back(item);
            }
        } else {
            out->chunks.emplace(id, bytes);
        }
        return kStatusOk;
    });
}

Status ReadEqob(IffFile& iff, EquipmentDefinition* out) {
    *out = EquipmentDefinition{};
    std::vector<uint8_t> bytes;
    int hardChunks = 0;
    return WalkEntry(iff, [&](uint32_t id) -> Status {
        if (id == IffFile::kFormId) return kStatusOk;
        if (!ReadBytes(iff, &bytes)) return kStatusMalformed;
        const auto words = [&bytes](uint32_t needed, std::vector<int16_t>* to) {
            if (bytes.size() < 2u * needed) return false;
            *to = WordsOf(bytes);
            return true;
        };
        if (id == fmt::kId) {
            CopyText(out->id, sizeof out->id, bytes.data(), bytes.size());
        } else if (id == fmt::kInfo) {
            if (bytes.size() < 4u * fmt::kEqobInfoWords) return kStatusMalformed;
            for (int i = 0; i < fmt::kEqobInfoWords; ++i) out->info[i] = int32_t(LoadLe32(bytes.data() + 4 * i));
            out->hasInfo = true;
        } else if (id == fmt::kName) {
            out->name = TextOf(bytes);
        } else if (id == fmt::kDescription) {
            out->description = TextOf(bytes);
        } else if (id == fmt::kSounds) {
            out->sounds = Names(bytes);
        } else if (id == fmt::kHard) {
            // The first "HARD" is the mount; a hardening system's values are in a second.
            if (hardChunks++ == 0) {
                out->mount = bytes;
            } else {
                if (!words(fmt::kHardeningWords, &out->kindWords)) return kStatusMalformed;
                out->kindChunk = id;
            }
        } else if (id == fmt::kEnergyChunk) {
            if (!words(fmt::kEnergyWords, &out->kindWords)) return kStatusMalformed;
            out->kindChunk = id;
        } else if (id == fmt::kShieldChunk) {
            if (!words(fmt::kShieldWords, &out->kindWords)) return kStatusMalformed;
            out->kindChunk = id;
        } else {
            // Other kinds' chunks (TARG, RADR, WEAP...) are kept for their builders.
            out->chunks.emplace(id, bytes);
            if (out->kindChunk == 0) {
                words(0, &out->kindWords);
                out->kindChunk = id;
            }
        }
        return kStatusOk;
    });
}

}  // namespace definitions

std::vector<int16_t> EquipmentDefinition::Words(uint32_t id, size_t needed) const {
    const auto it = chunks.find(id);
    if (it == chunks.end() || it->second.size() < 2 * needed) return {};
    return definitions::WordsOf(it->second);
}

std::string EquipmentDefinition::Text(uint32_t id) const {
    const auto it = chunks.find(id);
    return it != chunks.end() ? definitions::TextOf(it->second) : std::string();
}

namespace definitions {

Status ForEachEntry(IffFile& iff, uint32_t entryForm, const std::function<bool(IffFile&)>& visit) {
    while (iff.Level() > 0) {
        if (iff.Ascend() != kStatusOk) return kStatusCannotOpen;
    }
    if (iff.Rewind(0) != kStatusOk) return kStatusCannotOpen;
    // FORM "OBJS" at the top, the kind's container inside it, the entries inside that.
    bool refused = false;
    const Status walked = iff_walk::ForEachNested(iff, {fmt::kObjectsForm, entryForm, entryForm}, [&](IffFile& entry) {
        if (entry.Descend() != kStatusOk) {
            refused = true;
            return false;
        }
        if (!visit(entry)) return false;
        refused = entry.Ascend() != kStatusOk;
        return !refused;
    });
    return refused ? kStatusCannotOpen : walked;
}

Status FindEntry(IffFile& iff, uint32_t entryForm, const char* name) {
    if (name == nullptr) return kStatusNotThisRecord;
    bool found = false;
    const Status walked = ForEachEntry(iff, entryForm, [&](IffFile& entry) {
        std::string id;
        if (entry.FindChunk(fmt::kId) != kStatusOk || !iff_walk::ReadText(entry, kLongestId, &id)) return true;
        found = id == name;
        if (found) entry.Rewind(0);
        return !found;
    });
    if (found) return kStatusOk;
    return walked != kStatusOk ? walked : kStatusNotThisRecord;
}

}  // namespace definitions
