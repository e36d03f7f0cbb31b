#include "mission/Decals.h"

#include <cstring>
#include <string>

#include "engine/ByteOrder.h"
#include "engine/FileWrappers.h"
#include "engine/IffFile.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "game/SceneLoaders.h"
#include "game/DefinitionFormat.h"
#include "game/Definitions.h"
#include "objects/space/SpaceObject.h"
#include "scene/Material.h"
#include "scene/Model.h"

namespace decals {

namespace {

constexpr uint32_t kDecalForm = MakeTag("DECL");

void Replace(SpaceObject& object, const char* materialName, Material* decal) {
    Model* const model = object.model;
    if (model == nullptr || model->materials == nullptr) {
        delete decal;
        return;
    }
    for (uint32_t i = 0; i < model->materialCount; ++i) {
        const Material* const original = model->materials[i];
        if (original == nullptr || original->name == nullptr || std::strncmp(original->name, materialName, 16) != 0) continue;
        if (object.decalMaterialList == nullptr) {
            object.decalMaterialList = static_cast<Material**>(EngineAllocate(sizeof(Material*) * model->materialCount));
            if (object.decalMaterialList == nullptr) break;
            std::memcpy(object.decalMaterialList, model->materials, sizeof(Material*) * model->materialCount);
        }
        object.decalMaterialList[i] = decal;
        object.materials = object.decalMaterialList;
        object.decals.Append(decal);
        return;
    }
    delete decal;
}

}  // namespace

Status ApplyDecals(SpaceObject* object, int32_t logo, Palette* palette) {
    if (object == nullptr || logo < 0) return kStatusOk;
    IffFile iff(0);
    const std::string path = g_dataDirs.Prefix(DataDir::kData) + definition_format::kFileName;
    if (iff.OpenFile(path.c_str(), kOpenRead) != kStatusOk) return kStatusCannotOpen;
    Status result = kStatusNotThisRecord;
    if (iff.ValidateHeader() == kStatusOk && definitions::FindSpobForm(iff, object->label) == kStatusOk) {
        result = kStatusOk;
        if (palette == nullptr && g_gameState != nullptr) palette = g_gameState->defaultPalette;
        for (Status step = iff.NextChunk(); step == kStatusOk; step = iff.NextChunk()) {
            if (iff.ChunkId() != IffFile::kFormId || iff.FormType() != kDecalForm) continue;
            if (iff.Descend() != kStatusOk) break;
            int32_t entryLogo = -1;
            char materialName[17] = {};
            Material* decal = nullptr;
            for (Status inner = iff.NextChunk(); inner == kStatusOk; inner = iff.NextChunk()) {
                if (iff.ChunkId() == MakeTag("LOGO") && iff.ChunkSize() == 4) {
                    uint8_t word[4];
                    if (iff.ReadChunk(word, 4) == kStatusOk) entryLogo = int32_t(LoadLe32(word));
                } else if (iff.ChunkId() == MakeTag("MATL") && iff.ChunkSize() == 16) {
                    iff.ReadChunk(materialName, 16);
                    materialName[16] = 0;
                } else if (iff.ChunkId() == IffFile::kFormId && entryLogo == logo && decal == nullptr) {
                    decal = LoadCelMaterial(iff, 0, palette);
                }
            }
            if (decal != nullptr) Replace(*object, materialName, decal);
            if (iff.Ascend() != kStatusOk) break;
        }
    }
    iff.CloseFile();
    return result;
}

}  // namespace decals
