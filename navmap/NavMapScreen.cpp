#include "navmap/NavMapScreen.h"

#include <cstring>
#include <vector>

#include "display/Canvas.h"
#include "sound/SoundDevice.h"
#include "game/GameState.h"
#include "game/Mission.h"
#include "mission/ObjectLoader.h"
#include "net/NetSession.h"
#include "objects/ships/Craft.h"
#include "objects/systems/RadarSystem.h"
#include "objects/systems/ShipSystem.h"
#include "ui/ArtObject.h"
#include "ui/TextBox.h"
#include "ui/UiSounds.h"

NavMapScreen::NavMapScreen(const char* screenName)
    : MapScreen(screenName, MapTwin::kInFlight, kPanelName, kArtFile) {}

Craft* NavMapScreen::PlayerCraft() const {
    SpaceObject* const ship = g_gameState != nullptr ? g_gameState->playerShip : nullptr;
    return ship != nullptr && ship->type >= SpaceObject::kTypeCraft ? static_cast<Craft*>(ship) : nullptr;
}

RadarSystem* NavMapScreen::LiveRadar() const {
    Craft* const ship = PlayerCraft();
    if (ship == nullptr || radar == nullptr) return nullptr;
    return ship->GetSystem(ShipSystem::kRadar, nullptr) == radar ? radar : nullptr;
}

bool NavMapScreen::Detects(SpaceObject& object) {
    RadarSystem* const own = LiveRadar();
    Craft* const ship = PlayerCraft();
    return own != nullptr && own->CanDetect(&object, int32_t(ship->DistanceTo(object)));
}

void NavMapScreen::ResetView() {
    Craft* const ship = PlayerCraft();
    RadarSystem* const own = LiveRadar();
    // Without a radar the map shows nothing until a zoom gives it a range.
    mapRange = own != nullptr ? 2 * own->GetRange() : 0;
    mapCamera = ship != nullptr ? ship->world : Transform();
}

void NavMapScreen::Open() {
    Craft* const ship = PlayerCraft();
    radarActive = 0;
    followObject = ship;
    selectedObject = ship;
    radar = ship != nullptr ? static_cast<RadarSystem*>(ship->GetSystem(ShipSystem::kRadar, nullptr)) : nullptr;
    listObjects = 1;
    placementStep = 0;
    ResetView();
    artObject->HideControl("Data display 2");
    artObject->ShowControl("Data display 1");
    if (TextBox* const goalText = Box(kGoalText)) goalText->Clear();
    for (const char* boxName : {kObjectName, kObjectRace, kObjectShipType, kObjectStatus}) {
        if (TextBox* const box = Box(boxName)) {
            box->SetCurrentBlock(box->GetBlock(0) != nullptr ? 0 : -1);
            box->redrawFlag = 1;
        }
    }
    OpenMap(MakeTag("NAVM"));
}

void NavMapScreen::Update() {
    listObjects = ButtonState(kGoalFilter) != 0 ? 0 : 1;
    DrawMap(mapCamera, mapRange);
    RadarSystem* const own = LiveRadar();
    radarActive = own != nullptr && own->passive == 0 ? 1 : 0;
    SetButtonState("Active Mode", radarActive != 0 ? -1 : 0);
    SetButtonState("Passive Mode", radarActive != 0 ? 0 : -1);
    DrawPassTexts("Click on Temp Way Point to delete it.");
}

void NavMapScreen::HandOver(Craft& ship, SpaceObject& chosen) {
    const int32_t result = ship.SetTarget(&chosen);
    // A navigation point becomes the navigation target, not the target.
    const bool accepted = ship.GetTarget() == &chosen || (result == 1 && ship.navTarget.Get() == &chosen);
    if (accepted || &chosen == &ship) return;
    GameState& game = *g_gameState;
    // Read before any old target point goes: the selection may be one.
    const Transform placement = chosen.world;
    std::vector<SpaceObject*> old;
    for (SpaceObject* object = game.mission->firstObject; object != nullptr; object = object->GetNext()) {
        if (object != &chosen && object->name != nullptr && std::strcmp(object->name, kTargetPointName) == 0) {
            old.push_back(object);
        }
    }
    for (SpaceObject* const object : old) {
        object->Deactivate(1);
        object->OnRemove(1);
        delete object;
    }
    SpaceObject* const point = DefinitionLibrary::Current().LoadObjectDefinition(
        kTargetPointDefinition, nullptr, SpaceObject::kTypeWayPoint, 0);
    if (point == nullptr) return;
    point->SetName(kTargetPointName);
    point->uoid = -1;
    point->local = placement;
    point->UpdateWorldTransform(Transform::kAllFlags);
    point->local.MoveLocalXyz(kTargetPointOffset, kTargetPointOffset, 0.0f, Transform::kAllFlags);
    point->UpdateWorldTransform(Transform::kAllFlags);
    ship.navTarget = point;
    game.AddObjectsToWorld(point, 0);
}

void NavMapScreen::Close() {
    Craft* const ship = PlayerCraft();
    SpaceObject* const chosen = selectedObject;
    GameState* const game = g_gameState;
    if (ship != nullptr && chosen != nullptr && game != nullptr && game->mission != nullptr) {
        SpaceObject* found = game->mission->firstObject;
        while (found != nullptr && found != chosen) found = found->GetNext();
        if (found != nullptr) HandOver(*ship, *found);
    }
    MenuScreen::Close();
    PlayUiSound(kUiSoundCloseScreen, kUiScreenSoundLevel, 0);
}

int32_t NavMapScreen::HandleEvent(uint16_t code) { return HandleMapEvent(code, kEvents); }

int32_t NavMapScreen::LeaveByExit() {
    if (GameState* const game = g_gameState) game->mode = GameState::kModeFlight;
    return 0;
}

void NavMapScreen::SetRadarMode(bool active) {
    RadarSystem* const own = LiveRadar();
    if (own == nullptr) return;
    if (active) {
        own->SetActive();
    } else {
        own->SetPassive();
    }
}

void NavMapScreen::Run() {
    GameState* const game = g_gameState;
    if (game == nullptr) return;
    BeginRun();
    while (game->PumpMessages() != 0 && running != 0) {
        dirty = 1;
        RepaintBackground();
        running = Draw();
        if (tutorialActive != 0) {
            Screen* const tutorial = game->ScreenIn(ScreenSlot::kTutorial);
            tutorialActive = tutorial != nullptr ? tutorial->Draw() : 0;
            if (tutorialActive == 0) {
                if (tutorial != nullptr) tutorial->Close();
                repaintCountdown = 1;
            }
        }
        if (game->Sound() != nullptr) game->Sound()->ServiceMusic();
        if (game->netSession != nullptr && game->netSession->IsActive()) {
            game->NetReceive();
            game->NetSend();
        }
        game->FlipFrame();
        // The world goes on while the map is shown; no sleep.
        game->Simulate();
    }
    EndRun();
}
