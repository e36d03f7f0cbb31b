#include "navmap/WarRoomMapScreen.h"

#include "engine/IffFile.h"
#include "game/GameState.h"
#include "game/Mission.h"
#include "ui/UiSounds.h"

WarRoomMapScreen::WarRoomMapScreen(const char* screenName)
    : MapScreen(screenName, MapTwin::kWarRoom, kPanelName, kArtFile) {}

void WarRoomMapScreen::ResetView() {
    mapRange = kStartRange;
    mapCamera = Transform();
    const Mission* const mission = g_gameState != nullptr ? g_gameState->mission : nullptr;
    if (mission == nullptr) return;
    mapCamera = mission->mapView;
    mapCamera.SetPositionXyz(mission->mapCentre[0], mission->mapCentre[1], mission->mapCentre[2],
                             Transform::kAllFlags);
}

void WarRoomMapScreen::Open() {
    listObjects = 0;
    placementStep = 0;
    selectedObject = nullptr;
    ResetView();
    OpenMap(MakeTag("WARN"));
}

void WarRoomMapScreen::Close() {
    MenuScreen::Close();
    PlayUiSound(kUiSoundCloseScreen, kUiScreenSoundLevel, 0);
}

void WarRoomMapScreen::Update() {
    if (roomUpdate != nullptr) roomUpdate();
    listObjects = ButtonState(kGoalFilter) != 0 ? 0 : 1;
    DrawMap(mapCamera, mapRange);
    DrawPassTexts("Click on Navmap Way Point to delete it.");
}

int32_t WarRoomMapScreen::HandleEvent(uint16_t code) { return HandleMapEvent(code, kEvents); }

int32_t WarRoomMapScreen::LeaveByExit() {
    if (GameState* const game = g_gameState) game->SelectNextScreen(ScreenSlot::kWarRoom);
    return 0;
}
