#include "tools/render/EffectShot.h"

#include <cstring>

#include "display/Palette.h"
#include "engine/Random.h"
#include "game/EffectRegistries.h"
#include "game/EffectTypes.h"
#include "game/GameState.h"
#include "objects/effects/BeamEffect.h"
#include "objects/effects/FxObject.h"
#include "objects/effects/ShotEffect.h"
#include "objects/space/SpaceObject.h"
#include "scene/Camera.h"
#include "scene/ViewContext.h"
#include "scene/Billboard.h"
#include "scene/Light.h"
#include "scene/Material.h"
#include "scene/ParticleSystem.h"
#include "display/PixelImage.h"
#include "engine/IffFile.h"
#include "game/DataDirectories.h"
#include "game/SceneLoaders.h"
#include "game/DefinitionFormat.h"
#include "objects/effects/Nebula.h"
#include "objects/effects/SpaceDust.h"
#include <algorithm>
#include <string>

namespace {

// The flight camera of the explosion: four units in front of it, looking at it.
void PlaceFrontCamera(Camera& camera) {
    camera.flags = Camera::kFlightFlags;
    camera.SetPosition({0.0f, 0.0f, -4.0f});
    camera.LookAt({0.0f, 0.0f, 0.0f}, Camera::kAllFlags);
}

// Beside and above a ship's line of fire, seeing it from the muzzle to far ahead.
void PlaceSideCamera(Camera& camera) {
    camera.flags = Camera::kFlightFlags;
    camera.SetPosition({24.0f, 8.0f, 6.0f});
    camera.LookAt({0.0f, 0.0f, 22.0f}, Camera::kAllFlags);
}

// Above the cloud's plane (it is flat, turned at random), a little aslant,
// far enough to see the whole of it.
void PlaceNebulaCamera(Camera& camera, const Nebula& nebula) {
    camera.flags = Camera::kFlightFlags;
    const float reach = std::max(nebula.boxWidth, nebula.boxHeight);
    Vector3 normal{0.0f, 0.0f, 1.0f};
    if (nebula.spine.size() >= 2 && !nebula.sideA.empty()) {
        normal = nebula.spine[1].Difference(nebula.spine[0]).Cross(nebula.sideA[0].Difference(nebula.spine[0]));
        if (normal.Length() > 0.0f) normal.Normalize();
    }
    Vector3 aslant = normal.Cross(Vector3{0.0f, 1.0f, 0.0f});
    if (aslant.Length() > 0.0f) aslant.Normalize();
    camera.SetPosition(nebula.boxCentre.Sum(normal.Scaled(1.7f * reach)).Sum(aslant.Scaled(0.3f * reach)));
    camera.LookAt(nebula.boxCentre, Camera::kAllFlags);
}

// The dust is strewn ahead of the flight camera; the picture looks along it.
void PlaceDustCamera(Camera& camera) {
    camera.flags = Camera::kFlightFlags;
    camera.SetPosition({0.0f, 0.0f, 0.0f});
    camera.LookAt({0.0f, 0.0f, 100.0f}, Camera::kAllFlags);
}

}  // namespace

EffectShot::EffectShot() : previousGame_(g_gameState) {}

EffectShot::~EffectShot() {
    // The effects go first, then the owner while the game state it tells
    // of its leaving is still there, then the game state with the definitions,
    // then the flare table the effects' flares were made from.
    nebula_.reset();
    if (game_ != nullptr) game_->ClearFlight();
    owner_.reset();
    game_.reset();
    g_gameState = previousGame_;
    if (ownsFlares_) FreeFx();
}

Status EffectShot::Load(const char* kind, uint32_t at) {
    if (kind == nullptr) return kStatusNotThisRecord;
    GameRandomSeed(1);
    game_ = std::make_unique<GameState>();
    g_gameState = game_.get();
    palette = game_->LoadPalette("Vorn", true);
    game_->currentPalette = game_->defaultPalette = palette;
    if (palette == nullptr || !game_->LoadFlightPalettes()) return kStatusCannotOpen;
    // An explosion makes its lens flare from the flare table, as in flight.
    ownsFlares_ = g_flareTable.Count() == 0;
    LoadFx();
    LoadEffectRegistries(*game_);
    owner_ = std::make_unique<SpaceObject>();

    if (std::strcmp(kind, "explosion") == 0) {
        if (FindExplosionType("Explosion 1") == nullptr) return kStatusCannotOpen;
        Camera camera;
        PlaceFrontCamera(camera);
        game_->flightCamera = &camera;
        FxObject* const fx = FxObject::FxObjectAt(owner_.get(), "Explosion 1");
        game_->flightCamera = nullptr;
        if (fx == nullptr) return kStatusCannotOpen;
        fx->Update();
        fx->startTime -= at;
        fx->Update();
        effect_ = fx;
    } else if (std::strcmp(kind, "beam") == 0) {
        BeamType* const type = FindBeamType("Ion Beam");
        if (type == nullptr) return kStatusCannotOpen;
        auto* const beam = new BeamEffect(type);
        const Vector3 muzzle{0.0f, -0.5f, 1.0f};
        beam->SetParams(owner_.get(), nullptr, 0, 0, 60, &muzzle, nullptr, 1);
        beam->startTime -= at;
        beam->Update();
        effect_ = beam;
        sideView_ = true;
    } else if (std::strcmp(kind, "nebula") == 0) {
        return LoadNebula();
    } else if (std::strcmp(kind, "dust") == 0) {
        return LoadDust();
    } else if (std::strcmp(kind, "shot") == 0) {
        effect_ = new ShotEffect(owner_.get(), Vector3{0.0f, 0.0f, 40.0f}, Vector3{0.0f, -0.5f, 1.0f});
        sideView_ = true;
    } else {
        return kStatusNotThisRecord;
    }
    game_->RegisterObjectGroup(effect_, game_->effectKey, 1);
    return kStatusOk;
}

Status EffectShot::LoadNebula() {
    IffFile iff(0);
    const std::string path = g_dataDirs.Prefix(DataDir::kData) + definition_format::kFileName;
    if (iff.OpenFile(path.c_str(), kOpenRead) != kStatusOk || iff.ValidateHeader() != kStatusOk) return kStatusCannotOpen;
    nebula_.reset(Nebula::NebulaFromIff(iff, "Nebula 1", Vector3{0.0f, 0.0f, 0.0f}));
    iff.CloseFile();
    if (nebula_ == nullptr) return kStatusCannotOpen;
    nebula_->Build();
    ambient_ = std::make_unique<Light>();
    ambient_->intensity = 90;
    wideView_ = true;
    return kStatusOk;
}

Status EffectShot::LoadDust() {
    IffFile iff(0);
    const std::string path = g_dataDirs.Prefix(DataDir::kCel) + "dust.iff";
    if (iff.OpenFile(path.c_str(), kOpenRead) != kStatusOk || iff.ValidateHeader() != kStatusOk) return kStatusCannotOpen;
    if (iff.NextChunk() == kStatusOk && iff.Descend() == kStatusOk) {
        while (iff.NextChunk() == kStatusOk) {
            if (iff.ChunkId() != IffFile::kFormId) continue;
            BitmapMaterial* const picture = LoadCelMaterial(iff, 0, nullptr);
            if (picture == nullptr) break;
            if (picture->block != nullptr) picture->block->palette = palette;
            auto sprite = std::make_unique<Billboard>();
            sprite->SetMaterial(picture);
            sprite->scale = 3.0f;   // a mote is a unit across: a few pixels at 200
            sprite->flags |= Billboard::kFlagOwnsMaterial;
            game_->dustSprites.Append(sprite.get());
            sprites_.push_back(std::move(sprite));
        }
    }
    iff.CloseFile();
    if (sprites_.empty()) return kStatusCannotOpen;
    static Camera flightCamera;
    PlaceDustCamera(flightCamera);
    game_->flightCamera = &flightCamera;
    ParticleSystem* const field = CreateDustField(80);
    game_->flightCamera = nullptr;
    if (field == nullptr) return kStatusCannotOpen;
    effect_ = field;
    dustView_ = true;
    return kStatusOk;
}

Status EffectShot::Draw(Canvas& canvas) {
    NamedObject* const drawn = nebula_ != nullptr ? nebula_.get() : effect_;
    if (drawn == nullptr) return kStatusNothingToDo;
    Camera camera(&canvas);
    if (wideView_) {
        PlaceNebulaCamera(camera, *nebula_);
    } else if (dustView_) {
        PlaceDustCamera(camera);
    } else if (sideView_) {
        PlaceSideCamera(camera);
    } else {
        PlaceFrontCamera(camera);
    }
    camera.SetCanvas(&canvas);
    camera.background = palette->MatchColor(0x201008);
    ViewContext view;
    view.camera = &camera;
    view.objectList = drawn;
    view.lights = ambient_.get();
    PushViewContext(&view);
    const uint32_t began = camera.BeginFrame();
    if (began == 0) {
        camera.DrawScene();
        camera.EndFrame();
    }
    PopViewContext(&view);
    return began == 0 ? kStatusOk : kStatusPlatformFailed;
}
