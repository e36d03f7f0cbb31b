#include "mission/DecalCache.h"

#include <cstring>

#include "display/Bitmap.h"
#include "display/XfebCodec.h"
#include "engine/ByteOrder.h"
#include "engine/FileWrappers.h"
#include "engine/IffFile.h"
#include "game/Definitions.h"

namespace {

constexpr uint32_t kDecalForm = MakeTag("DECL");
constexpr uint32_t kLogoId = MakeTag("LOGO");
constexpr uint32_t kMaterialId = MakeTag("MATL");

// One "DECL" entry, the reader inside it. An entry gives each logo the first
// picture met after its "LOGO"; its "MATL" names the material for all of them.
void ReadEntry(IffFile& iff, DecalCache::Decals& decals) {
    const size_t first = decals.size();
    int32_t entryLogo = -1;
    char materialName[17] = {};
    for (Status step = iff.NextChunk(); step == kStatusOk; step = iff.NextChunk()) {
        if (iff.ChunkId() == kLogoId && iff.ChunkSize() == 4) {
            uint8_t word[4];
            if (iff.ReadChunk(word, 4) == kStatusOk) entryLogo = int32_t(LoadLe32(word));
        } else if (iff.ChunkId() == kMaterialId && iff.ChunkSize() == 16) {
            if (iff.ReadChunk(materialName, 16) != kStatusOk) std::memset(materialName, 0, sizeof materialName);
            materialName[16] = 0;
        } else if (iff.ChunkId() == IffFile::kFormId) {
            bool taken = false;
            for (size_t i = first; i < decals.size(); ++i) taken = taken || decals[i].logo == entryLogo;
            if (taken) continue;
            auto picture = std::make_unique<Bitmap>();
            XfebCodec codec(picture.get());
            if (codec.ReadForm(&iff, picture.get()) != kStatusOk) continue;
            DecalCache::Decal decal;
            decal.logo = entryLogo;
            decal.picture = std::move(picture);
            decals.push_back(std::move(decal));
        }
    }
    for (size_t i = first; i < decals.size(); ++i) std::memcpy(decals[i].materialName, materialName, sizeof materialName);
}

}  // namespace

DecalCache::DecalCache() = default;
DecalCache::~DecalCache() = default;

const DecalCache::Decals* DecalCache::Find(const std::string& path, const char* label, Status* status) {
    auto key = std::make_pair(path, std::string(label != nullptr ? label : ""));
    const auto known = definitions_.find(key);
    if (known != definitions_.end()) {
        *status = known->second != nullptr ? kStatusOk : kStatusNotThisRecord;
        return known->second.get();
    }
    IffFile iff(0);
    if (iff.OpenFile(path.c_str(), kOpenRead) != kStatusOk) {
        *status = kStatusCannotOpen;
        return nullptr;
    }
    ++fileReads_;
    auto decals = std::make_unique<Decals>();
    if (iff.ValidateHeader() != kStatusOk || Read(iff, key.second.c_str(), decals.get()) != kStatusOk) decals.reset();
    iff.CloseFile();
    *status = decals != nullptr ? kStatusOk : kStatusNotThisRecord;
    return (definitions_[key] = std::move(decals)).get();
}

Status DecalCache::Read(IffFile& iff, const char* label, Decals* decals) {
    if (definitions::FindSpobForm(iff, label) != kStatusOk) return kStatusNotThisRecord;
    for (Status step = iff.NextChunk(); step == kStatusOk; step = iff.NextChunk()) {
        if (iff.ChunkId() != IffFile::kFormId || iff.FormType() != kDecalForm) continue;
        if (iff.Descend() != kStatusOk) break;
        ReadEntry(iff, *decals);
        if (iff.Ascend() != kStatusOk) break;
    }
    return kStatusOk;
}
