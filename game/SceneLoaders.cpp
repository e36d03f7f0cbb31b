#include "game/SceneLoaders.h"

#include <cstdio>
#include <cstring>

#include "display/Bitmap.h"
#include "display/BitmapCodec.h"
#include "display/XfebCodec.h"
#include "engine/IffFile.h"
#include "scene/Material.h"
#include "scene/Model.h"
#include "scene/Scene.h"
#include "scene/SceneObject.h"

DynArray<Model*>* LoadAnimationFrames(const char* scenePath, Palette* palette) {
    Scene scene;
    if (scenePath == nullptr ||
        scene.Load(scenePath, nullptr, palette, Scene::kLoadObjects | Scene::kLoadModelNoLibraries) != kStatusOk) {
        return nullptr;
    }
    auto* const frames = new DynArray<Model*>;
    if (frames == nullptr) return nullptr;
    for (uint32_t number = 1; number <= scene.objectCount; ++number) {
        char wanted[16];
        std::snprintf(wanted, sizeof wanted, "%u", number);
        SceneObject* found = nullptr;
        for (NamedObject* object = scene.objects; object != nullptr && found == nullptr; object = object->next) {
            auto* const candidate = static_cast<SceneObject*>(object);
            if (candidate->model != nullptr && std::strcmp(candidate->model->name, wanted) == 0) found = candidate;
        }
        if (found == nullptr) break;
        // Counted before the scene lets go of it.
        ++found->model->refCount;
        if (!frames->Append(found->model)) {
            --found->model->refCount;
            break;
        }
    }
    if (frames->Count() == 0) {
        delete frames;
        return nullptr;
    }
    return frames;
}

void ReleaseAnimationFrames(DynArray<Model*>* frames) {
    if (frames == nullptr) return;
    for (Model* model : *frames) {
        if (model->refCount > 0) --model->refCount;
        if (model->refCount == 0 && model->deleteWithLastHolder) delete model;
    }
    delete frames;
}

BitmapMaterial* LoadCelMaterial(IffFile& reader, int32_t flag, Palette* palette) {
    Bitmap bitmap;
    Status read;
    if (flag == 0) {
        XfebCodec codec(&bitmap);
        read = codec.ReadForm(&reader, &bitmap);
    } else {
        read = BitmapCodec::ReadCoorBitmap(&reader, &bitmap);
    }
    if (read != kStatusOk) return nullptr;
    auto* const material = new BitmapMaterial;
    if (material == nullptr) return nullptr;
    if (material->CreateFromBitmap(&bitmap, true, palette) != kStatusOk) {
        delete material;
        return nullptr;
    }
    return material;
}
