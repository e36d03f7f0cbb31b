#include "tools/render/SampleScene.h"

#include "display/Canvas.h"
#include "display/Palette.h"
#include "game/GameState.h"
#include "scene/Camera.h"
#include "scene/Light.h"
#include "scene/Material.h"
#include "scene/MaterialLibrary.h"
#include "scene/Model.h"
#include "scene/SceneObject.h"
#include "scene/SortedPrimitive.h"
#include "scene/ViewContext.h"

SampleScene::SampleScene() = default;

SampleScene::~SampleScene() = default;

Status SampleScene::Load(const std::string& meshDirectory, const char* meshFile) {
    palettes_ = std::make_unique<GameState>();
    palette = palettes_->LoadPalette("Vorn", true);
    if (palette == nullptr) return kStatusMaterialReadFailed;
    const std::string library = meshDirectory + "/materials.iff";
    const Status registered = RegisterMaterialLibrary(library.c_str());
    if (registered != kStatusOk) return registered;
    object_ = std::make_unique<SceneObject>();
    const std::string mesh = meshDirectory + "/" + meshFile;
    const Status loaded = object_->LoadModel(mesh.c_str(), nullptr, nullptr, nullptr, nullptr, Model::kModeLibraries);
    if (loaded != kStatusOk) return loaded;
    object_->UpdateBounds(0, 0);
    ambient_ = std::make_unique<Light>();
    ambient_->intensity = 70;
    sun_ = std::make_unique<VectorLight>(Vector3{-0.7f, -0.5f, -0.5f});
    sun_->InsertAfter(ambient_.get());
    return kStatusOk;
}

Status SampleScene::Draw(Canvas& canvas) {
    if (object_ == nullptr) return kStatusNothingToDo;
    Camera camera(&canvas);
    camera.flags = Camera::kFlightFlags;
    camera.SetCanvas(&canvas);
    camera.background = palette != nullptr ? palette->MatchColor(0x201008) : 0;
    camera.SetPosition({8.0f, 6.0f, 12.0f});
    camera.LookAt({0.0f, 0.0f, 0.5f}, Camera::kAllFlags);

    ViewContext view;
    view.camera = &camera;
    view.lights = ambient_.get();
    view.objectList = object_.get();
    PushViewContext(&view);
    const uint32_t began = camera.BeginFrame();
    if (began == 0) {
        camera.DrawScene();
        camera.EndFrame();
    }
    PopViewContext(&view);
    return began == 0 ? kStatusOk : kStatusPlatformFailed;
}
