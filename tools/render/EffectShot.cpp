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

}  // namespace

EffectShot::EffectShot() : previousGame_(g_gameState) {}

EffectShot::~EffectShot() {
    // The effects go first, then the owner while the game state it tells
    // of its leaving is still there, then the game state with the definitions.
    if (game_ != nullptr) game_->ClearFlight();
    owner_.reset();
    game_.reset();
    g_gameState = previousGame_;
}

Status EffectShot::Load(const char* kind, uint32_t at) {
    if (kind == nullptr) return kStatusNotThisRecord;
    GameRandomSeed(1);
    game_ = std::make_unique<GameState>();
    g_gameState = game_.get();
    palette = game_->LoadPalette("Vorn", true);
    game_->currentPalette = game_->defaultPalette = palette;
    if (palette == nullptr || !game_->LoadFlightPalettes()) return kStatusCannotOpen;
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
    } else if (std::strcmp(kind, "shot") == 0) {
        effect_ = new ShotEffect(owner_.get(), Vector3{0.0f, 0.0f, 40.0f}, Vector3{0.0f, -0.5f, 1.0f});
        sideView_ = true;
    } else {
        return kStatusNotThisRecord;
    }
    game_->RegisterObjectGroup(effect_, game_->effectKey, 1);
    return kStatusOk;
}

Status EffectShot::Draw(Canvas& canvas) {
    if (effect_ == nullptr) return kStatusNothingToDo;
    Camera camera(&canvas);
    if (sideView_) {
        PlaceSideCamera(camera);
    } else {
        PlaceFrontCamera(camera);
    }
    camera.SetCanvas(&canvas);
    camera.background = palette->MatchColor(0x201008);
    ViewContext view;
    view.camera = &camera;
    view.objectList = effect_;
    PushViewContext(&view);
    const uint32_t began = camera.BeginFrame();
    if (began == 0) {
        camera.DrawScene();
        camera.EndFrame();
    }
    PopViewContext(&view);
    return began == 0 ? kStatusOk : kStatusPlatformFailed;
}
