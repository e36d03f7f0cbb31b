#include "screens/rooms/TrophyCaseScreen.h"

#include <string>

#include "engine/IffFile.h"
#include "engine/input/KeySet.h"
#include "game/DataDirectories.h"
#include "screens/rooms/CommonRoomScreen.h"
#include "screens/rooms/RoomArt.h"
#include "screens/rooms/RoomScreen.h"
#include "ui/ArtObject.h"
#include "ui/BitmapButton.h"
#include "ui/TimedAnimation.h"
#include "ui/TutorialScreen.h"

namespace {

constexpr uint32_t kSection = MakeTag("TROP");
constexpr uint32_t kCloseUpForm = MakeTag("UPCL");
constexpr const char* kThrobbingPanel = "Throbbing red panel";

// The art file standing inside its close-up form; false when there is none.
bool OpenCloseUp(IffFile& file) {
    const std::string path = g_dataDirs.Prefix(DataDir::kOption) + TrophyCaseScreen::kArtFile;
    return art_file::OpenArt(file, path) && file.FindForm(kCloseUpForm) == kStatusOk && file.Descend() == kStatusOk;
}

}  // namespace

TrophyCaseScreen::TrophyCaseScreen(const char* screenName) : MenuScreen(screenName) {
    panel = new ArtObject(kPanelName, 1);
    currentPanel = panel;
    artObjects.Append(panel);
    IffFile file(0);
    if (!OpenCloseUp(file)) return;
    room_art::ReadTrophies(file, *panel, true);
    room_art::ReadAnimations(file, MakeTag("ANIM"), TimedAnimation::kModeHotspot, 1, roomAnimations);
}

void TrophyCaseScreen::ShowTrophies() { CommonRoomScreen::ApplyTrophies(*panel, CommonRoomScreen::TrophyWord(), true); }

void TrophyCaseScreen::Open() {
    currentPanel = panel;
    for (TimedAnimation* const animation : roomAnimations) animation->LockFrames();
    for (TimedAnimation* const animation : ambientAnimations) animation->LockFrames();
    ShowTrophies();
    transitionPhase = kPhaseOpening;
    {
        IffFile file(0);
        if (OpenCloseUp(file) && room_art::EnterBackground(file, MakeTag("BKGD"))) LoadBackground(file);
    }
    MenuScreen::Open();
    RoomScreen::ShowBlack();
    continuousRedraw = 1;
    TutorialScreen::OpenOverview(*this, kSection);
}

void TrophyCaseScreen::Close() {
    MenuScreen::Close();
    for (TimedAnimation* const animation : roomAnimations) animation->UnlockFrames();
    for (TimedAnimation* const animation : ambientAnimations) animation->UnlockFrames();
}

void TrophyCaseScreen::Update() { CommonRoomScreen::PlaySounds(*this); }

int32_t TrophyCaseScreen::LeaveFor(ScreenSlot destination) {
    if (RoomScreen::LeaveFor(*this, destination, nullptr) != 0) return 1;
    nextPanel = nullptr;
    pushPanel = nullptr;
    transitionPhase = kPhaseClosing;
    return 0;
}

int32_t TrophyCaseScreen::HandleEvent(uint16_t code) {
    const bool isNew = edgeEvents.TestEvent(code);
    switch (code) {
        case kCodeFocusNext:
            if (isNew) FocusNextHotspot();
            return 1;
        case kCodeFocusPrevious:
            if (isNew) FocusPreviousHotspot();
            return 1;
        case kCodeQuit: return LeaveFor(ScreenSlot::kQuit);
        case kCodePanel: RoomScreen::HoverIn(*this, kThrobbingPanel, nullptr, 0, 0); return 1;
        case kCodeBack: return LeaveFor(ScreenSlot::kCommonRoom);
        default: break;
    }
    for (const CommonRoomScreen::Trophy& trophy : CommonRoomScreen::kTrophies) {
        if (code != EventKey(kFirstTrophyEvent + uint32_t(trophy.bit))) continue;
        const std::string highlight = std::string(trophy.name) + "Hilight";
        // A hidden highlight (a trophy not held) draws nothing however pressed.
        if (auto* const button = dynamic_cast<BitmapButton*>(panel->FindControl(highlight.c_str()))) button->Press();
        return 1;
    }
    return 1;
}
