#include "screens/squadron/HangarScreen.h"

#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

#include "display/Canvas.h"
#include "engine/Clock.h"
#include "engine/IffFile.h"
#include "engine/input/InputSystem.h"
#include "engine/Random.h"
#include "game/CareerRecord.h"
#include "game/DataDirectories.h"
#include "game/DrawString.h"
#include "game/EquipmentItem.h"
#include "game/GameState.h"
#include "game/ShipRecord.h"
#include "game/SoftCursor.h"
#include "mission/SavedGame.h"
#include "net/NetGameSettings.h"
#include "net/NetSession.h"
#include "objects/space/SpaceObject.h"
#include "platform/Window.h"
#include "screens/FrameScreen.h"
#include "screens/QuitScreen.h"
#include "screens/PilotNotices.h"
#include "screens/rooms/HallwayScreen.h"
#include "screens/rooms/RoomArt.h"
#include "screens/rooms/RoomScreen.h"
#include "sound/SoundDevice.h"
#include "sound/SoundObject.h"
#include "ui/ArtObject.h"
#include "ui/TimedAnimation.h"
#include "ui/TutorialScreen.h"
#include "ui/UiSounds.h"

namespace {

constexpr uint32_t kBackgroundForm = MakeTag("BKGD");
constexpr uint32_t kHotspotForm = MakeTag("HOTS");
constexpr uint32_t kSection = MakeTag("HANG");
constexpr int32_t kSoundClick1 = 2;
constexpr int32_t kSoundHotspot2 = 3;
constexpr int32_t kSoundDoorShut = 8;
constexpr int32_t kSoundNoMission = 51;
constexpr int32_t kLoopSound = 59;
constexpr int32_t kFirstAmbience = 42;
constexpr int32_t kAmbienceCount = 2;
constexpr int32_t kAmbienceBase = 2000;
constexpr int32_t kAmbienceRange = 4000;

GameState* Game() { return g_gameState; }

CareerRecord* Career() { return g_gameState != nullptr ? g_gameState->career : nullptr; }

bool SessionActive(const GameState& game) { return game.netSession != nullptr && game.netSession->IsActive(); }

const char* FailureFormat(int32_t type) {
    switch (type) {
        case 1: return "The ship %s has no generator.";
        case 6: return "The ship %s has no flight package.";
        case 7: return "The ship %s has no engine.";
        case 4: return "The ship %s has no radar.";
        case 5: return "The ship %s has no targeting package.";
        case 2: return "The ship %s has no shields.";
        default: return "The ship %s cannot fly.";
    }
}

bool MissionReady(const GameState& game) {
    return game.missionReady != 0 && game.mission != nullptr && game.mission->firstObject != nullptr &&
           game.missionFlown == 0;
}

// Milliseconds since `since`, one less across the clock's wrap.
uint32_t ElapsedSince(uint32_t since) {
    const uint32_t now = GetMilliseconds();
    uint32_t elapsed = now - since;
    if (now < since) --elapsed;
    return elapsed;
}

// The hangar is a scene the player watches, its pads and doors moving
// every pass: no pointer over it, neither the game's nor the system's.
// The next screen's BeginRun shows it again.
void HidePointer(GameState& game) {
    SoftCursor* const cursor = game.cursor;
    if (cursor == nullptr) return;
    cursor->visible = false;
    platform::Window* const window = game.Input() != nullptr ? game.Input()->GetWindow() : nullptr;
    if (window == nullptr) return;
    while (window->CursorCount() >= 0) window->ShowCursor(false);
}

}  // namespace

HangarScreen::HangarScreen(const char* screenName) : MenuScreen(screenName) {
    std::strcpy(failingShipName, kNoShip);
    noticeTime = GetMilliseconds();
    mainPanel = new ArtObject(kMainPanel, 1);
    warningPanel = new ArtObject(kWarningPanel, 0);
    artObjects.Append(mainPanel);
    artObjects.Append(warningPanel);
    ReadArt();
}

void HangarScreen::ReadArt() {
    const std::string path = g_dataDirs.Prefix(DataDir::kOption) + name + "1.iff";
    IffFile file(0);
    if (!art_file::OpenArt(file, path)) return;
    warningPanel->LoadButtons(file);
    file.Rewind(0);
    room_art::ReadShipPads(file, roomAnimations);
    room_art::ReadAnimations(file, kHotspotForm, TimedAnimation::kModeHotspot, 1, roomAnimations);
}

void HangarScreen::ShowPads(const char* hull, const char* pad, bool remember) {
    const std::string padName = std::string(hull) + pad;
    for (int32_t i = 0; i < roomAnimations.Count(); ++i) {
        TimedAnimation* const animation = roomAnimations[i];
        if (animation->Name() != padName) continue;
        animation->LockFrames();
        animation->enabled = 1;
        if (remember) selectedShipAnimation = i;
    }
}

bool HangarScreen::SelectedShipDamaged() const {
    const CareerRecord* const career = Career();
    const ShipRecord* const ship = career != nullptr ? career->GetShip(-1) : nullptr;
    if (ship == nullptr) return false;
    for (int32_t i = 0; i < ship->CountItems(EquipmentItem::kAll); ++i) {
        const EquipmentItem* const item = ship->GetItem(i, EquipmentItem::kAll);
        if (item != nullptr && item->damage != 0) return true;
    }
    return false;
}

void HangarScreen::Open() {
    launching = 0;
    noMissionNotice = 0;
    notReadyNotice = 0;
    failureType = 0;
    selectedShipAnimation = -1;
    {
        const std::string path = g_dataDirs.Prefix(DataDir::kOption) + name + "1.iff";
        IffFile file(0);
        if (art_file::OpenArt(file, path) && room_art::EnterBackground(file, kBackgroundForm)) LoadBackground(file);
    }
    currentPanel = mainPanel;
    MenuScreen::Open();
    for (TimedAnimation* const animation : roomAnimations) {
        animation->LockFrames();
        if (animation->Name() == kHallwayDoor) animation->enabled = 1;
    }
    CareerRecord* const career = Career();
    if (career != nullptr) {
        if (career->GetShip(-1) == nullptr) career->EnsureShipSelected();
        if (const ShipRecord* const selected = career->GetShip(-1)) ShowPads(selected->hullId, "POS1", true);
        const int32_t selectedIndex = career->GetSelectedShipIndex();
        for (int32_t i = 0; i < career->GetShipCount(); ++i) {
            const ShipRecord* const ship = career->GetShip(i);
            if (i != selectedIndex && ship != nullptr) ShowPads(ship->hullId, "POS2", false);
        }
    }
    if (launchOnOpen != 0) {
        const bool damaged = SelectedShipDamaged();
        if (CheckShipsReady() == 0) {
            notReadyNotice = 1;
            noticeTime = GetMilliseconds();
        } else if (damaged) {
            nextPanel = warningPanel;
            pushPanel = mainPanel;
            transitionPhase = kPhaseClosing;
        } else {
            Launch(Entry::kOpen);
        }
    }
    ambienceThreshold = 0;
    if (launchOnOpen == 0) {
        TutorialScreen::OpenOverview(*this, kSection);
    } else if (GameState* const game = Game()) {
        if (auto* const tutorial = dynamic_cast<TutorialScreen*>(game->ScreenIn(ScreenSlot::kTutorial))) {
            tutorial->SetSection(kSection);
        }
    }
    // A launch straight from the missions reader or the restart page shows
    // nothing of the hangar.
    if (launching != 0) return;
    if (g_gameCanvas != nullptr) g_gameCanvas->Clear(0, 0xFFFFFFFFu);
    if (GameState* const game = Game()) game->FlipFrame();
}

void HangarScreen::Close() {
    MenuScreen::Close();
    for (TimedAnimation* const animation : roomAnimations) {
        animation->UnlockFrames();
        animation->enabled = 0;
    }
    launchOnOpen = 0;
    if (GameState* const game = Game()) {
        if (Screen* const hallway = game->ScreenIn(ScreenSlot::kHallway)) {
            hallway->FinishAnimation(HallwayScreen::kHangarDoor);
        }
    }
    if (kLoopSound < g_uiSounds.Count() && g_uiSounds[kLoopSound] != nullptr) g_uiSounds[kLoopSound]->started = 0;
}

void HangarScreen::Update() {
    if (launching != 0) return;
    if (kLoopSound < g_uiSounds.Count() && g_uiSounds[kLoopSound] != nullptr && g_uiSounds[kLoopSound]->started == 0) {
        g_uiSounds[kLoopSound]->started = 1;
        PlayUiSound(kLoopSound, kUiScreenSoundLevel, 0);
    }
    const uint32_t elapsed = ElapsedSince(createdAt);
    if (int32_t(elapsed) > ambienceThreshold) {
        PlayUiClick(kFirstAmbience + GameRandom() % kAmbienceCount);
        ambienceThreshold = int32_t(elapsed) + kAmbienceBase + GameRandom() % kAmbienceRange;
    }
}

bool HangarScreen::ShipComplete(const ShipRecord& ship) {
    bool present[std::size(kRequiredTypes)] = {};
    for (int32_t i = 0; i < ship.CountItems(EquipmentItem::kAll); ++i) {
        const EquipmentItem* const item = ship.GetItem(i, EquipmentItem::kAll);
        if (item == nullptr) continue;
        for (size_t t = 0; t < std::size(kRequiredTypes); ++t) {
            if (item->kind == kRequiredTypes[t]) present[t] = true;
        }
    }
    for (size_t t = 0; t < std::size(kRequiredTypes); ++t) {
        if (present[t]) continue;
        // The field keeps 31 characters of a longer name.
        std::snprintf(failingShipName, sizeof failingShipName, "%s", ship.displayName.c_str());
        failureType = kRequiredTypes[t];
        return false;
    }
    return true;
}

int32_t HangarScreen::CheckShipsReady() {
    const CareerRecord* const career = Career();
    const ShipRecord* const selected = career != nullptr ? career->GetShip(-1) : nullptr;
    if (selected == nullptr) {
        std::strcpy(failingShipName, kNoShip);
        return 0;
    }
    if (!ShipComplete(*selected)) return 0;
    for (int32_t i = 0; i < career->GetShipCount(); ++i) {
        const ShipRecord* const ship = career->GetShip(i);
        if (ship != nullptr && ship->pilot != nullptr && !ShipComplete(*ship)) return 0;
    }
    return 1;
}

std::string HangarScreen::FailureLine() const {
    if (std::strcmp(failingShipName, kNoShip) == 0) return "You have no ship to launch!";
    char line[128];
    std::snprintf(line, sizeof line, FailureFormat(failureType), failingShipName);
    return line;
}

void HangarScreen::CloseAll() {
    nextPanel = nullptr;
    pushPanel = nullptr;
    transitionPhase = kPhaseClosing;
}

int32_t HangarScreen::LeaveFor(int32_t slotIndex) {
    const ScreenSlot slot = static_cast<ScreenSlot>(slotIndex);
    GameState* const game = Game();
    Screen* const there = game != nullptr ? game->ScreenIn(slot) : nullptr;
    // A room that was never built is no way out.
    if (there == nullptr) return 1;
    if (slot == ScreenSlot::kFrame) {
        if (auto* const frame = dynamic_cast<FrameScreen*>(there)) frame->returnScreen = this;
    } else if (slot == ScreenSlot::kQuit) {
        if (auto* const quit = dynamic_cast<QuitDialog*>(there)) quit->returnScreen = this;
    }
    game->SelectNextScreen(slot);
    CloseAll();
    return 0;
}

int32_t HangarScreen::Launch(Entry entry) {
    GameState* const game = Game();
    if (game == nullptr) return 1;
    const bool network = g_netGameLaunched != 0;
    if (!network && !MissionReady(*game)) {
        if (entry != Entry::kOpen) PlayUiClick(kSoundHotspot2);
        PlayUiClick(kSoundNoMission);
        noMissionNotice = 1;
        noticeTime = GetMilliseconds();
        return 1;
    }
    if (entry == Entry::kAccept) PlayUiClick(kSoundDoorShut);
    game->nextScreen = nullptr;
    game->nextScreenName = nullptr;
    CloseAll();
    if (!network) (void)SaveGame(kAutoSave, kAutoSaveTitle);
    game->mode = GameState::kModeFlight;
    game->launchFromBase = 1;
    // The ship of a flight before this one stays in the world but no longer
    // counts; the ship this mission set up flies.
    if (SpaceObject* const ship = game->playerShip) {
        bool inWorld = false;
        for (SpaceObject* object = game->mission != nullptr ? game->mission->firstObject : nullptr;
             object != nullptr && !inWorld; object = object->GetNext()) {
            inWorld = object == ship;
        }
        if (!inWorld) {
            ship->Deactivate(0);
            game->ForgetObject(ship);
        }
    }
    if (network && entry != Entry::kOpen) pilot_notices::SavePilot(*game);
    if (entry == Entry::kOpen) launching = 1;
    return 0;
}

int32_t HangarScreen::HandleEvent(uint16_t code) {
    const bool select = edgeEvents.TestEvent(kCodeSelect);
    const bool help = edgeEvents.TestEvent(kCodeHelp);
    const bool isNew = edgeEvents.TestEvent(code);
    const bool warning = currentPanel == warningPanel;
    const CareerRecord* const career = Career();
    const int32_t ships = career != nullptr ? career->GetShipCount() : 0;
    switch (code) {
        case kCodeFocusNext:
            if (isNew) FocusNextHotspot();
            return 1;
        case kCodeFocusPrevious:
            if (isNew) FocusPreviousHotspot();
            return 1;
        case kCodeQuit: return LeaveFor(int32_t(ScreenSlot::kQuit));
        case kCodeHallway:
            if (select) {
                if (LeaveFor(int32_t(ScreenSlot::kHallway)) == 0) return 0;
            } else if (help) {
                TutorialScreen::OpenTopic(*this, "HA_HALLWAY");
                return 1;
            }
            if (const int32_t door = FindAnimation(kHallwayDoor); door >= 0) {
                roomAnimations[door]->Advance();
                roomAnimations[door]->triggered = 1;
            }
            DrawRoomCaption("Hallway", 10, 10);
            return 1;
        case kCodeAccept:
            return warning && isNew ? Launch(Entry::kAccept) : 1;
        case kCodeAcceptKey:
            return warning && isNew && ships > 0 ? Launch(Entry::kAccept) : 1;
        case kCodeCancel:
        case kCodeCancelKey:
            if (warning && isNew) {
                PlayUiClick(kSoundClick1);
                nextPanel = mainPanel;
                pushPanel = nullptr;
                transitionPhase = kPhaseClosing;
            }
            return 1;
        case kCodeLaunch:
            if (select && ships > 0 && noMissionNotice == 0 && notReadyNotice == 0) {
                if (CheckShipsReady() == 0) {
                    PlayUiClick(kSoundHotspot2);
                    notReadyNotice = 1;
                    noticeTime = GetMilliseconds();
                    return 1;
                }
                if (SelectedShipDamaged()) {
                    nextPanel = warningPanel;
                    pushPanel = currentPanel;
                    transitionPhase = kPhaseClosing;
                    return 1;
                }
                PlayUiClick(kSoundDoorShut);
                return Launch(Entry::kClick);
            }
            if (select && ships == 0 && noMissionNotice == 0 && notReadyNotice == 0) {
                // Nothing to fly: said, as for a ship not ready.
                (void)CheckShipsReady();
                PlayUiClick(kSoundHotspot2);
                notReadyNotice = 1;
                noticeTime = GetMilliseconds();
                return 1;
            }
            if (help) {
                TutorialScreen::OpenTopic(*this, "HA_LAUNCH");
                return 1;
            }
            DrawRoomCaption("Launch!", 10, 440);
            return 1;
        case kCodeCommon: return LeaveFor(int32_t(ScreenSlot::kCommonRoom));
        case kCodeFrame: return LeaveFor(int32_t(ScreenSlot::kFrame));
        case kCodeOffice: return LeaveFor(int32_t(ScreenSlot::kOffice));
        case kCodeWarRoom: return LeaveFor(int32_t(ScreenSlot::kWarRoom));
        default: return 1;
    }
}

void HangarScreen::DrawNotices() {
    const uint32_t age = ElapsedSince(noticeTime);
    if (noMissionNotice != 0) {
        if (age < kNoticeMs) {
            DrawRoomCaption("You must select a mission first", 10, 460);
        } else {
            noMissionNotice = 0;
        }
    }
    if (notReadyNotice != 0) {
        if (age < kNoticeMs) {
            DrawRoomCaption(FailureLine().c_str(), 10, 420);
            DrawRoomCaption("Launch aborted.", 10, 440);
        } else {
            notReadyNotice = 0;
        }
    }
}

void HangarScreen::Run() {
    GameState* const game = Game();
    if (game == nullptr) return;
    BeginRun();
    HidePointer(*game);
    while (game->PumpMessages() != 0 && running != 0) {
        dirty = 1;
        RepaintBackground();
        // The pads and doors step and show before the pass's events; the
        // selected ship then stands in front of the others.
        UpdateAnimations();
        if (selectedShipAnimation >= 0 && selectedShipAnimation < roomAnimations.Count()) {
            roomAnimations[selectedShipAnimation]->Draw();
        }
        running = Draw();
        DrawTutorial();
        if (game->Sound() != nullptr) game->Sound()->ServiceMusic();
        DrawNotices();
        const bool session = SessionActive(*game);
        if (session) {
            game->NetReceive();
            game->NetSend();
        }
        if (launching == 0) game->FlipFrame();
        if (session && game->netSession->IsHost()) game->Simulate();
    }
    EndRun();
}
