#include "tools/flightshot/FlightShot.h"

#include <string>

#include "display/FontLoader.h"
#include "engine/Random.h"
#include "game/DataDirectories.h"
#include "game/EffectRegistries.h"
#include "game/EffectTypes.h"
#include "game/GameState.h"
#include "mission/MissionSetUp.h"
#include "mission/ObjectLoader.h"
#include "net/NetworkHooks.h"
#include "objects/space/WorldPass.h"
#include "platform/Clock.h"
#include "shell/FlightView.h"

namespace {

// The font the cockpit draws the HUD with, in the data directory.
constexpr const char* kHudFontFile = "cockpitf.iff";

}  // namespace

FlightShot::FlightShot() : previousGame_(g_gameState) {
    previousClock_ = platform::Clock::Install(&clock_);
    game_ = std::make_unique<GameState>();
    g_gameState = game_.get();
}

FlightShot::~FlightShot() {
    FreeMission();
    game_.reset();
    g_gameState = previousGame_;
    if (ownsFx_) FreeFx();
    platform::Clock::Install(previousClock_);
}

Status FlightShot::Load(const char* missionFile, int32_t seed) {
    palette = game_->LoadPalette("Vorn", true);
    if (palette == nullptr) return kStatusCannotOpen;
    game_->currentPalette = game_->defaultPalette = palette;
    const std::string font = g_dataDirs.Prefix(DataDir::kData) + kHudFontFile;
    if (LoadFont(font.c_str(), nullptr) != kStatusOk) return kStatusCannotOpen;
    InstallNetworkHooks();
    RegisterSpaceObjects();
    DefinitionLibrary::RegisterCoreBuilders();
    ownsFx_ = g_flareTable.Count() == 0;
    LoadFx();
    const Status status = SetUpSeededMission(missionFile, seed);
    if (status != kStatusOk) return status;
    // The flight is watched from behind the player's ship, as a launch sets it.
    game_->viewMode = kChaseViewMode;
    return kStatusOk;
}

void FlightShot::Simulate() {
    clock_.Advance(kFrameMs);
    game_->Simulate();
}

void FlightShot::Frame(Canvas& canvas) {
    Simulate();
    RenderFlightFrame(*game_, canvas, kFrameMs);
}
