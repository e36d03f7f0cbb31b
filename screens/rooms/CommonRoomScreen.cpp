#include "screens/rooms/CommonRoomScreen.h"

#include <string>

#include "engine/IffFile.h"
#include "game/CareerRecord.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "screens/FrameScreen.h"
#include "screens/rooms/RoomArt.h"
#include "ui/ArtObject.h"
#include "ui/TimedAnimation.h"
#include "ui/UiControl.h"
#include "ui/TutorialScreen.h"
#include "ui/UiSounds.h"

namespace {

constexpr uint32_t kSection = MakeTag("COMM");
constexpr int32_t kSoundHotspot = 0;
constexpr int32_t kSoundSip = 24;
constexpr int32_t kSoundGlass = 26;
constexpr int32_t kSoundCushion = 27;
constexpr int32_t kCaptionX = 10;
constexpr int32_t kCaptionY = 10;
// The habitué the sip belongs to, the one who leaves the cushion, and the
// two never shown together.
constexpr int32_t kSippingHabit = 0;
constexpr int32_t kCushionHabit = 1;
constexpr int32_t kApartHabits[2] = {0, 2};

constexpr const char* kTrophyCasePanels[] = {"Panel w/ red slider", "Throbbing red panel", "Blue ramp panel"};
constexpr const char* kMonitor = "Tiger coming on monitor";

constexpr RoomScreen::Door kDoors[] = {{CommonRoomScreen::kHallDoor, false}};

// "Common Loop 2"; "Common Amb 1" .. "Common Amb 3", 3000 + rand() % 5000 ms apart.
constexpr RoomScreen::Scheme kScheme = {
    kSection, true, 1, true, false, false, 58, 39, 3, 3000, 5000,
    CommonRoomScreen::kCodeClick, CommonRoomScreen::kCodeHelp, kDoors, {}, {}};

void Play(int32_t sound) { PlayUiSound(sound, kUiClickSoundLevel, 1); }

}  // namespace

const CommonRoomScreen::Trophy CommonRoomScreen::kTrophies[kTrophyCount] = {
    {0, "Armor", -1, nullptr},
    {1, "Artifact", -1, nullptr},
    {2, "Coin", 10, "Rune & Coin"},
    {3, "Dagger", 5, "Gun & Dagger"},
    {4, "Device", 15, "Device & Silver Ball"},
    {5, "Gun", 3, "Gun & Dagger"},
    {6, "Mech Arm", -1, nullptr},
    {7, "Knife", 13, "Sun & Knife"},
    {8, "Medal", -1, nullptr},
    {9, "Symbol", 11, "Symbol & Shippart"},
    {10, "Rune", 2, "Rune & Coin"},
    {11, "Shippart", 9, "Symbol & Shippart"},
    {12, "Stock", -1, nullptr},
    {13, "Sun", 7, "Sun & Knife"},
    {14, "Timepiece", -1, nullptr},
    {15, "Silver Ball", 4, "Device & Silver Ball"},
};

CommonRoomScreen::CommonRoomScreen(const char* screenName) : MenuScreen(screenName) {
    continuousRedraw = 1;
    panel = new ArtObject(kPanelName, 1);
    currentPanel = panel;
    artObjects.Append(panel);
    const std::string path = g_dataDirs.Prefix(DataDir::kOption) + name + "1.iff";
    IffFile file(0);
    if (!art_file::OpenArt(file, path)) return;
    room_art::ReadAnimations(file, MakeTag("ANIM"), TimedAnimation::kModeLoop, 1, roomAnimations);
    room_art::ReadAnimations(file, MakeTag("HABI"), TimedAnimation::kModeLoop, 1, ambientAnimations);
    room_art::ReadTrophies(file, *panel, false);
    room_art::ReadAnimations(file, MakeTag("HOTS"), TimedAnimation::kModeHotspot, 1, roomAnimations);
}

uint32_t CommonRoomScreen::TrophyWord() {
    const GameState* const game = g_gameState;
    return game != nullptr && game->career != nullptr ? game->career->trophies : 0;
}

void CommonRoomScreen::ApplyTrophies(ArtObject& panel, uint32_t word, bool highlights) {
    const auto held = [word](int32_t bit) { return bit >= 0 && ((word >> bit) & 1u) != 0; };
    const auto show = [&panel](const std::string& controlName, bool visible) {
        if (UiControl* const control = panel.FindControl(controlName.c_str())) control->SetVisible(visible ? 1 : 0);
    };
    for (const Trophy& trophy : kTrophies) {
        const bool whole = held(trophy.bit) && held(trophy.partnerBit);
        show(trophy.name, held(trophy.bit) && !whole);
        if (highlights) show(std::string(trophy.name) + "Hilight", held(trophy.bit));
        if (trophy.combined != nullptr) show(trophy.combined, whole);
    }
}

void CommonRoomScreen::ShowTrophies() { ApplyTrophies(*panel, TrophyWord(), false); }

void CommonRoomScreen::PlaySounds(Screen& room) { RoomScreen::PlayRoomSounds(room, kScheme); }

void CommonRoomScreen::Open() {
    currentPanel = panel;
    for (TimedAnimation* const animation : roomAnimations) animation->LockFrames();
    for (TimedAnimation* const animation : ambientAnimations) animation->LockFrames();
    int32_t* const picks = ambientPick;
    if ((picks[0] == kApartHabits[0] && picks[1] == kApartHabits[1]) ||
        (picks[0] == kApartHabits[1] && picks[1] == kApartHabits[0])) {
        picks[0] = -1;
    }
    ShowTrophies();
    ambienceThreshold = 0;
    RoomScreen::LoadRoomBackground(*this);
    MenuScreen::Open();
    TutorialScreen::OpenOverview(*this, kSection);
    RoomScreen::ShowBlack();
}

void CommonRoomScreen::Close() {
    MenuScreen::Close();
    for (TimedAnimation* const animation : roomAnimations) animation->UnlockFrames();
    for (TimedAnimation* const animation : ambientAnimations) animation->UnlockFrames();
    RoomScreen::StopLoop(kScheme);
}

void CommonRoomScreen::Update() { PlaySounds(*this); }

int32_t CommonRoomScreen::LeaveFor(ScreenSlot destination, const char* destinationDoor) {
    if (RoomScreen::LeaveFor(*this, destination, destinationDoor) != 0) return 1;
    nextPanel = nullptr;
    pushPanel = nullptr;
    transitionPhase = kPhaseClosing;
    return 0;
}

void CommonRoomScreen::ShowHelp(const char* topic) { TutorialScreen::OpenTopic(*this, topic); }

int32_t CommonRoomScreen::TrophyCaseSpot() {
    if (IsNew(kCodeClick)) return LeaveFor(ScreenSlot::kTrophy, nullptr);
    if (IsNew(kCodeHelp)) {
        ShowHelp("CO_TROPHY");
        return 1;
    }
    if (IsNew(kCodeTrophyCase)) Play(kSoundHotspot);
    for (const char* const animation : kTrophyCasePanels) RoomScreen::HoverIn(*this, animation, nullptr, 0, 0);
    DrawRoomCaption("View Trophy Case", kCaptionX, kCaptionY);
    return 1;
}

int32_t CommonRoomScreen::ComputerSpot() {
    if (IsNew(kCodeClick)) {
        Screen* const killBoard = g_gameState != nullptr ? g_gameState->ScreenIn(ScreenSlot::kKillBoard) : nullptr;
        auto* const frame = g_gameState != nullptr ? dynamic_cast<FrameScreen*>(g_gameState->ScreenIn(ScreenSlot::kFrame)) : nullptr;
        if (LeaveFor(ScreenSlot::kFrame, nullptr) != 0) return 1;
        // The frame opens with the board already embedded.
        if (frame != nullptr && killBoard != nullptr) {
            killBoard->transitionPhase = kPhaseOpening;
            frame->pendingSubScreen = killBoard;
        }
        return 0;
    }
    if (IsNew(kCodeHelp)) {
        ShowHelp("CO_KILLS");
        return 1;
    }
    if (IsNew(kCodeComputer)) Play(kSoundHotspot);
    RoomScreen::HoverIn(*this, kMonitor, "Computer", kCaptionX, kCaptionY);
    return 1;
}

int32_t CommonRoomScreen::HallDoorSpot() {
    if (IsNew(kCodeClick)) {
        ambienceThreshold = 0;
        return LeaveFor(ScreenSlot::kHallway, "Common Door");
    }
    if (IsNew(kCodeHelp)) {
        // The door's help is the computer's.
        ShowHelp("CO_KILLS");
        return 1;
    }
    RoomScreen::HoverIn(*this, kHallDoor, "Hallway", kCaptionX, kCaptionY);
    return 1;
}

int32_t CommonRoomScreen::HandleEvent(uint16_t code) {
    switch (code) {
        case kCodeFocusNext:
            if (IsNew(code)) FocusNextHotspot();
            return 1;
        case kCodeFocusPrevious:
            if (IsNew(code)) FocusPreviousHotspot();
            return 1;
        case kCodeQuit: return LeaveFor(ScreenSlot::kQuit, nullptr);
        case kCodeGlass:
            if (IsNew(code)) Play(kSoundGlass);
            return 1;
        case kCodeSip:
            if (IsNew(code) && (ambientPick[0] == kSippingHabit || ambientPick[1] == kSippingHabit)) Play(kSoundSip);
            return 1;
        case kCodeCushion:
            if (!IsNew(code)) return 1;
            for (int32_t& pick : ambientPick) {
                if (pick != kCushionHabit) continue;
                Play(kSoundCushion);
                pick = -1;
            }
            return 1;
        case kCodeTrophyCase: return TrophyCaseSpot();
        case kCodeComputer: return ComputerSpot();
        case kCodeHallDoor: return HallDoorSpot();
        default: break;
    }
    const struct {
        uint16_t code;
        ScreenSlot destination;
    } shortcuts[] = {{kCodeFrame, ScreenSlot::kFrame},
                     {kCodeHangar, ScreenSlot::kHangar},
                     {kCodeOffice, ScreenSlot::kOffice},
                     {kCodeWarRoom, ScreenSlot::kWarRoom}};
    for (const auto& shortcut : shortcuts) {
        if (shortcut.code != code) continue;
        ambienceThreshold = 0;
        return LeaveFor(shortcut.destination, nullptr);
    }
    return 1;
}
