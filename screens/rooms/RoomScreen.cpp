#include "screens/rooms/RoomScreen.h"

#include <map>
#include <string>

#include "display/Canvas.h"
#include "display/FontContext.h"
#include "display/Palette.h"
#include "engine/Clock.h"
#include "engine/IffFile.h"
#include "engine/Random.h"
#include "game/DataDirectories.h"
#include "game/DrawString.h"
#include "game/GameState.h"
#include "screens/FrameScreen.h"
#include "screens/QuitScreen.h"
#include "screens/rooms/RoomArt.h"
#include "sound/SoundObject.h"
#include "ui/ArtObject.h"
#include "ui/TextBox.h"
#include "ui/TimedAnimation.h"
#include "ui/TutorialScreen.h"
#include "ui/UiSounds.h"

namespace {

constexpr uint32_t kDecorationForm = MakeTag("ANIM");
constexpr uint32_t kHabitForm = MakeTag("HABI");
constexpr uint32_t kHotspotForm = MakeTag("HOTS");
constexpr uint32_t kBackgroundForm = MakeTag("BKGR");
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kCaptionBackground = 255;
constexpr int32_t kSoundHotspot = 0;

// "Door Open 1" .. "Door Open 4" and "Door Close 1" .. "Door Close 4";
// "Hangar Door 1" .. "Hangar Door 3".
constexpr int32_t kFirstDoorOpen = 11;
constexpr int32_t kFirstDoorClose = 15;
constexpr int32_t kHangarDoor1 = 19;
constexpr int32_t kHangarDoor2 = 20;
constexpr int32_t kHangarDoor3 = 21;

std::map<std::string, int32_t>& DoorMemory() {
    static std::map<std::string, int32_t> memory;
    return memory;
}

// Milliseconds since `since`, one less across the clock's wrap.
int32_t ElapsedSince(uint32_t since) {
    const uint32_t now = GetMilliseconds();
    uint32_t elapsed = now - since;
    if (now < since) --elapsed;
    return int32_t(elapsed);
}

}  // namespace

RoomScreen::RoomScreen(const char* screenName, const Scheme& roomScheme) : Screen(screenName), scheme(roomScheme) {
    continuousRedraw = 1;
    LoadArt();
}

void RoomScreen::LoadArt() {
    const std::string path = g_dataDirs.Prefix(DataDir::kOption) + name + "1.iff";
    IffFile file(0);
    if (!art_file::OpenArt(file, path)) return;
    const int32_t stride = scheme.decorationCelStride;
    room_art::ReadAnimations(file, kDecorationForm, TimedAnimation::kModeLoop, stride, roomAnimations);
    if (scheme.readsHabits) {
        const int32_t mode = scheme.habitsLoop ? TimedAnimation::kModeLoop : TimedAnimation::kModeForward;
        room_art::ReadAnimations(file, kHabitForm, mode, stride, ambientAnimations);
    }
    room_art::ReadAnimations(file, kHotspotForm, TimedAnimation::kModeHotspot, 1, roomAnimations);
}

void RoomScreen::LoadRoomBackground(Screen& room) {
    const std::string path = g_dataDirs.Prefix(DataDir::kOption) + room.name + "1.iff";
    IffFile file(0);
    if (art_file::OpenArt(file, path) && room_art::EnterBackground(file, kBackgroundForm)) room.LoadBackground(file);
}

void RoomScreen::ShowBlack() {
    if (g_gameCanvas != nullptr) g_gameCanvas->Clear(0, 0xFFFFFFFFu);
    if (g_gameState != nullptr) g_gameState->FlipFrame();
}

void RoomScreen::Open() {
    if (scheme.stampsOnOpen) LoadRoomBackground(*this);
    leaveState = 0;
    Screen::Open();
    for (TimedAnimation* const animation : roomAnimations) animation->LockFrames();
    for (TimedAnimation* const animation : ambientAnimations) animation->LockFrames();
    if (!scheme.stampsOnOpen) LoadRoomBackground(*this);
    if (scheme.stampsOnOpen) createdAt = GetMilliseconds();
    ambienceThreshold = 0;
    if (!scheme.tutorialFirst) ShowBlack();
    TutorialScreen::OpenOverview(*this, scheme.tutorialSection);
    if (scheme.tutorialFirst) ShowBlack();
}

void RoomScreen::Close() {
    Screen::Close();
    for (TimedAnimation* const animation : roomAnimations) animation->UnlockFrames();
    for (TimedAnimation* const animation : ambientAnimations) animation->UnlockFrames();
    StopLoop(scheme);
}

void RoomScreen::StopLoop(const Scheme& scheme) {
    if (scheme.loopSound >= 0 && scheme.loopSound < g_uiSounds.Count() && g_uiSounds[scheme.loopSound] != nullptr) {
        g_uiSounds[scheme.loopSound]->started = 0;
    }
}

void RoomScreen::ResetDoorMemory() { DoorMemory().clear(); }

int32_t RoomScreen::DoorSound(bool hangarDoor, bool opening, int32_t frame) {
    if (hangarDoor) {
        if (frame == 17) return kHangarDoor2;
        if (frame == 19) return kHangarDoor3;
        if (frame == (opening ? 11 : 10)) return kHangarDoor1;
        return kNoSound;
    }
    if (opening && frame >= 1 && frame <= 7 && frame % 2 == 1) return kFirstDoorOpen + frame / 2;
    if (!opening && frame >= 2 && frame <= 8 && frame % 2 == 0) return kFirstDoorClose + (8 - frame) / 2;
    return kNoSound;
}

TimedAnimation* RoomScreen::Animation(const char* animationName) const {
    const int32_t index = FindAnimation(animationName);
    return index >= 0 ? roomAnimations[index] : nullptr;
}

void RoomScreen::PlayRoomSounds(Screen& room, const Scheme& scheme) {
    for (const Door& door : scheme.doors) {
        // A door the art lacks neither moves nor sounds.
        const int32_t index = room.FindAnimation(door.animation);
        if (index < 0) continue;
        int32_t& remembered = DoorMemory()[room.name + '\n' + door.animation];
        const int32_t frame = room.roomAnimations[index]->currentFrame;
        if (frame != remembered) {
            PlayUiSound(DoorSound(door.hangarSounds, frame > remembered, frame), kUiClickSoundLevel, 1);
        }
        remembered = frame;
    }
    const int32_t loop = scheme.loopSound;
    if (loop >= 0 && loop < g_uiSounds.Count() && g_uiSounds[loop] != nullptr && g_uiSounds[loop]->started == 0) {
        g_uiSounds[loop]->started = 1;
        PlayUiSound(loop, kUiScreenSoundLevel, 0);
    }
    if (scheme.ambienceCount > 0 && ElapsedSince(room.createdAt) > room.ambienceThreshold) {
        PlayUiSound(scheme.firstAmbience + GameRandom() % scheme.ambienceCount, kUiClickSoundLevel, 1);
        const int32_t range = scheme.ambienceRange > 0 ? scheme.ambienceRange : 1;
        room.ambienceThreshold = ElapsedSince(room.createdAt) + scheme.ambienceBase + GameRandom() % range;
    }
}

void RoomScreen::Update() { PlayRoomSounds(*this, scheme); }

int32_t RoomScreen::LeaveFor(Screen& from, ScreenSlot destination, const char* destinationDoor) {
    GameState* const game = g_gameState;
    Screen* const there = game != nullptr ? game->ScreenIn(destination) : nullptr;
    // A room that was never built is no way out: leaving for it would end the game.
    if (there == nullptr) return 1;
    if (destinationDoor != nullptr) there->FinishAnimation(destinationDoor);
    if (destination == ScreenSlot::kFrame) {
        if (auto* const frame = dynamic_cast<FrameScreen*>(there)) frame->returnScreen = &from;
    } else if (destination == ScreenSlot::kQuit) {
        if (auto* const quit = dynamic_cast<QuitDialog*>(there)) quit->returnScreen = &from;
    }
    game->SelectNextScreen(destination);
    return 0;
}

int32_t RoomScreen::Leave(ScreenSlot destination, const char* destinationDoor) {
    if (LeaveFor(*this, destination, destinationDoor) != 0) return 1;
    leaveState = kLeaving;
    return 0;
}

void RoomScreen::HoverIn(Screen& room, const char* animationName, const char* caption, int32_t x, int32_t y) {
    const int32_t index = animationName != nullptr ? room.FindAnimation(animationName) : -1;
    if (index >= 0) {
        room.roomAnimations[index]->Advance();
        room.roomAnimations[index]->triggered = 1;
    }
    if (caption != nullptr) DrawRoomCaption(caption, x, y);
}

void RoomScreen::Hover(const char* animationName, const char* caption, int32_t x, int32_t y) {
    HoverIn(*this, animationName, caption, x, y);
}

int32_t RoomScreen::HotspotEvent(const Hotspot& hotspot) {
    if (IsNew(scheme.clickCode)) {
        if (Leave(hotspot.destination, hotspot.destinationDoor) == 0) return 0;
    } else if (IsNew(scheme.helpCode)) {
        TutorialScreen::OpenTopic(*this, hotspot.helpKey);
        return 1;
    }
    if (hotspot.device && IsNew(hotspot.code)) PlayUiSound(kSoundHotspot, kUiClickSoundLevel, 1);
    for (const char* hidden : hotspot.hides) {
        if (TimedAnimation* const animation = hidden != nullptr ? Animation(hidden) : nullptr) animation->hold = 1;
    }
    Hover(hotspot.animation, hotspot.caption, hotspot.x, hotspot.y);
    return 1;
}

int32_t RoomScreen::HandleEvent(uint16_t code) {
    for (const Hotspot& hotspot : scheme.hotspots) {
        if (hotspot.code == code) return HotspotEvent(hotspot);
    }
    for (const Key& key : scheme.keys) {
        if (key.code != code) continue;
        if (key.onlyNew && !IsNew(code)) return 1;
        switch (key.action) {
            case Action::kSound: PlayUiSound(key.sound, kUiClickSoundLevel, 1); return 1;
            case Action::kFocusNext: FocusNextHotspot(); return 1;
            case Action::kFocusPrevious: FocusPreviousHotspot(); return 1;
            case Action::kLeave: return Leave(key.destination, nullptr);
            case Action::kOwn: return HandleOwnEvent(code);
        }
    }
    return 1;
}

int32_t RoomScreen::HandleOwnEvent(uint16_t) { return 1; }

void DrawRoomCaption(const char* text, int32_t x, int32_t y) {
    SelectFont(TextBox::kFontName);
    const Palette* const palette = g_gameCanvas != nullptr ? g_gameCanvas->palette : nullptr;
    SetFontColors(palette != nullptr ? palette->MatchColor(kWhite) : 0, kCaptionBackground);
    DrawString(text, x, y, 0);
}
