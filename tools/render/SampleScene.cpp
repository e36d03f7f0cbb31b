#include "tools/render/SampleScene.h"

#include <cmath>

#include "display/Canvas.h"
#include "engine/Random.h"
#include "scene/AnimatedMaterial.h"
#include "scene/Billboard.h"
#include "scene/Particle.h"
#include "scene/ParticleSystem.h"
#include "scene/PointField.h"
#include "scene/Scene.h"
#include "display/Palette.h"
#include "game/GameState.h"
#include "scene/Camera.h"
#include "scene/DerivedCamera.h"
#include "scene/JointedObject.h"
#include "scene/KeyframeTrack.h"
#include "scene/Light.h"
#include "scene/Material.h"
#include "scene/MaterialLibrary.h"
#include "scene/Model.h"
#include "scene/SceneObject.h"
#include "scene/SortedPrimitive.h"
#include "scene/ViewContext.h"

SampleScene::SampleScene() = default;

SampleScene::~SampleScene() {
    // The figure's parts go before the library their channels point into.
    if (keys_ == nullptr) return;
    scene_.reset();
    g_keyframeLibrary = previousKeys_;
}

Status SampleScene::LoadPaletteAndLibrary(const std::string& meshDirectory) {
    palettes_ = std::make_unique<GameState>();
    palette = palettes_->LoadPalette("Vorn", true);
    if (palette == nullptr) return kStatusMaterialReadFailed;
    const std::string library = meshDirectory + "/materials.iff";
    return RegisterMaterialLibrary(library.c_str());
}

Status SampleScene::Load(const std::string& meshDirectory, const char* meshFile) {
    const Status prepared = LoadPaletteAndLibrary(meshDirectory);
    if (prepared != kStatusOk) return prepared;
    object_ = std::make_unique<SceneObject>();
    const std::string mesh = meshDirectory + "/" + meshFile;
    const Status loaded = object_->LoadModel(mesh.c_str(), nullptr, palette, nullptr, nullptr, Model::kModeLibraries);
    if (loaded != kStatusOk) return loaded;
    object_->UpdateBounds(0, 0);
    ambient_ = std::make_unique<Light>();
    ambient_->intensity = 70;
    sun_ = std::make_unique<VectorLight>(Vector3{-0.7f, -0.5f, -0.5f});
    sun_->InsertAfter(ambient_.get());
    return kStatusOk;
}

Status SampleScene::LoadScene(const std::string& meshDirectory, const char* sceneFile) {
    const Status prepared = LoadPaletteAndLibrary(meshDirectory);
    if (prepared != kStatusOk) return prepared;
    scene_ = std::make_unique<Scene>();
    const std::string path = meshDirectory + "/" + sceneFile;
    const Status read = scene_->Load(path.c_str(), nullptr, palette,
                                     Scene::kLoadLights | Scene::kLoadCameras | Scene::kLoadObjects |
                                         Scene::kLoadHierarchy);
    if (read != kStatusOk) return read;

    // The star field: directions at 1000 units, the same every run.
    stars_ = std::make_unique<PointField>();
    RandomSeed(1234, 5678);
    if (stars_->Create(400, true) != kStatusOk) return kStatusOutOfMemory;
    for (uint32_t i = 0; i < stars_->pointCount; ++i) {
        PointField::Point& p = stars_->points[i];
        const float length = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
        if (length > 0.0f) p.x *= 1000.0f / length, p.y *= 1000.0f / length, p.z *= 1000.0f / length;
    }
    stars_->colour = palette->MatchColor(0xFFFFFF);

    // Sparks thrown back from the tail, stepped a few times.
    sparks_ = std::make_unique<ParticleSystem>(24);
    sparks_->SetMemberFactor(0.1f);
    sparks_->origin = {0.0f, 0.0f, -4.5f};
    for (int i = 0; i < 24; ++i) {
        const float a = float(i) * 0.2618f;
        auto* const spark = new Particle(0.0f, 0.0f, 0.0f, 3.0f * std::cos(a), 3.0f * std::sin(a), -4.0f,
                                         palette->MatchColor(i % 2 == 0 ? 0x40C0FF : 0xFFFF80), 50.0f);
        if (spark == nullptr) return kStatusOutOfMemory;
        spark->acceleration = {0.0f, -2.0f, 0.0f};
        sparks_->AddParticle(spark);
    }
    for (int i = 0; i < 5; ++i) sparks_->Update();

    // A beacon above the nose.
    beaconMaterial_ = std::make_unique<AnimatedMaterial>();
    const std::string library = meshDirectory + "/materials.iff";
    const Status material = beaconMaterial_->Load(library.c_str(), "Beacon", 0, palette);
    if (material != kStatusOk) return material;
    beacon_ = std::make_unique<Billboard>();
    beacon_->SetMaterial(beaconMaterial_.get());
    beacon_->position = {0.0f, 2.5f, 5.0f};
    beacon_->width = beacon_->height = 2.0f;

    // One list: the stars first, the scene's objects, the sparks, the beacon.
    NamedObject* last = stars_.get();
    for (NamedObject* object = reinterpret_cast<NamedObject*>(scene_->objects); object != nullptr;) {
        NamedObject* const following = object->next;
        object->Unlink();
        object->InsertAfter(last);
        last = object;
        object = following;
    }
    sparks_->InsertAfter(last);
    beacon_->InsertAfter(sparks_.get());
    return kStatusOk;
}

Status SampleScene::LoadFigure(const std::string& meshDirectory, const char* sceneFile, int32_t frame) {
    const Status prepared = LoadPaletteAndLibrary(meshDirectory);
    if (prepared != kStatusOk) return prepared;
    keys_ = std::make_unique<KeyframeTrack>();
    previousKeys_ = g_keyframeLibrary;
    g_keyframeLibrary = keys_.get();
    scene_ = std::make_unique<Scene>();
    const std::string path = meshDirectory + "/" + sceneFile;
    const Status read = scene_->Load(path.c_str(), nullptr, palette,
                                     Scene::kLoadLights | Scene::kLoadCameras | Scene::kLoadHierarchy |
                                         Scene::kLoadDerivedCameras | Scene::kLoadJointedObjects);
    if (read != kStatusOk) return read;
    constexpr uint32_t kLeftUpperArm = 0x15008;
    for (NamedObject* object = reinterpret_cast<NamedObject*>(scene_->objects); object != nullptr; object = object->next) {
        auto* const part = dynamic_cast<JointedObject*>(object);
        if (part == nullptr || part->parent != nullptr) continue;
        JointedObject* const arm = part->FindPart(kLeftUpperArm);
        if (arm == nullptr) continue;
        Keyframe* const wave = keys_->FindKey(arm->mask, "Wave", 0, nullptr);
        if (wave == nullptr || arm->PlayAnimation(wave, 1.0f, 0.0f) < 0) return kStatusNothingToDo;
        Vector3 hand;
        arm->PoseAt(0, frame, &hand);
        return kStatusOk;
    }
    return kStatusNothingToDo;
}

Status SampleScene::Draw(Canvas& canvas) {
    if (object_ == nullptr && scene_ == nullptr) return kStatusNothingToDo;
    Camera ownCamera(&canvas);
    Camera* camera = &ownCamera;
    if (scene_ != nullptr && scene_->cameras != nullptr) {
        camera = scene_->cameras;
    } else {
        camera->flags = Camera::kFlightFlags;
        camera->SetPosition({8.0f, 6.0f, 12.0f});
        camera->LookAt({0.0f, 0.0f, 0.5f}, Camera::kAllFlags);
    }
    camera->SetCanvas(&canvas);
    camera->background = palette != nullptr ? palette->MatchColor(0x201008) : 0;
    auto* const sky = dynamic_cast<DerivedCamera*>(camera);
    if (sky != nullptr && (sky->flags & DerivedCamera::kFlagSkyGradient) != 0 && sky->colourRamp == nullptr) {
        // Deep blue overhead through a hazy blue to a pale horizon.
        const Status ramp = sky->BuildColorRamp(32, 20, 0.7f, 0x602010, 0xF0E0C8);
        if (ramp != kStatusOk) return ramp;
    }

    ViewContext view;
    view.camera = camera;
    view.lights = scene_ != nullptr ? static_cast<void*>(scene_->lights) : ambient_.get();
    view.objectList = scene_ == nullptr ? object_.get()
                      : stars_ != nullptr ? static_cast<NamedObject*>(stars_.get())
                                          : reinterpret_cast<NamedObject*>(scene_->objects);
    PushViewContext(&view);
    const uint32_t began = camera->BeginFrame();
    if (began == 0) {
        camera->DrawScene();
        camera->EndFrame();
    }
    PopViewContext(&view);
    return began == 0 ? kStatusOk : kStatusPlatformFailed;
}
