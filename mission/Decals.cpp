#include "mission/Decals.h"

#include <cstring>
#include <string>

#include "game/DataDirectories.h"
#include "game/DefinitionFormat.h"
#include "game/GameState.h"
#include "mission/DecalCache.h"
#include "objects/space/SpaceObject.h"
#include "scene/Material.h"
#include "scene/Model.h"

namespace decals {

namespace {

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

DecalCache& Cache() {
    static DecalCache cache;
    return cache;
}

}  // namespace

Status ApplyDecals(SpaceObject* object, int32_t logo, Palette* palette) {
    if (object == nullptr || logo < 0) return kStatusOk;
    const std::string path = g_dataDirs.Prefix(DataDir::kData) + definition_format::kFileName;
    Status status = kStatusOk;
    const DecalCache::Decals* const decals = Cache().Find(path, object->label, &status);
    if (decals == nullptr) return status;
    if (palette == nullptr && g_gameState != nullptr) palette = g_gameState->defaultPalette;
    for (const DecalCache::Decal& decal : *decals) {
        if (decal.logo != logo) continue;
        auto* const material = new BitmapMaterial;
        if (material->CreateFromBitmap(decal.picture.get(), true, palette) != kStatusOk) {
            delete material;
            continue;
        }
        Replace(*object, decal.materialName, material);
    }
    return kStatusOk;
}

void ForgetDecals() { Cache().Clear(); }

int32_t DecalFileReads() { return Cache().FileReads(); }

}  // namespace decals
