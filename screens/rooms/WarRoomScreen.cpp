#include "screens/rooms/WarRoomScreen.h"

#include "engine/IffFile.h"
#include "game/GameState.h"
#include "ui/TutorialScreen.h"
#include "ui/UiSounds.h"

namespace {

constexpr int32_t kX = WarRoomScreen::kCaptionX;
constexpr int32_t kY = WarRoomScreen::kCaptionY;

constexpr RoomScreen::Door kDoors[] = {{"Office Door", false}};

constexpr RoomScreen::Hotspot kHotspots[] = {
    {0x0001, ScreenSlot::kOffice, "Door to Warroom", "WA_OFFICE", "Office Door", "Office", kX, kY, false, {}},
    {0x0004, ScreenSlot::kFrame, nullptr, "WA_SHIPINFO", "Monitor #1 Anim #1", "Computer", kX, kY, true,
     {"Monitor #1 Anim #3", "Monitor #1 Anim #2"}},
};

using A = RoomScreen::Action;
constexpr RoomScreen::Key kKeys[] = {
    {WarRoomScreen::kCodeMap, false, A::kOwn, 0, ScreenSlot::kCount},
    {0x0008, true, A::kSound, 22, ScreenSlot::kCount},
    {0x0040, true, A::kFocusNext, 0, ScreenSlot::kCount},
    {0x0080, true, A::kFocusPrevious, 0, ScreenSlot::kCount},
    {0x0104, false, A::kLeave, 0, ScreenSlot::kQuit},
    {0x0108, false, A::kLeave, 0, ScreenSlot::kCommonRoom},
    {0x0110, false, A::kLeave, 0, ScreenSlot::kHangar},
    {0x0120, false, A::kLeave, 0, ScreenSlot::kFrame},
    {0x0140, false, A::kLeave, 0, ScreenSlot::kOffice},
};

constexpr RoomScreen::Scheme kScheme = {
    MakeTag("WARR"), true, 1, true, true, true, 55, 28, 7, 500, 7000, 0x0101, 0x0020, kDoors, kHotspots, kKeys};

}  // namespace

WarRoomScreen::WarRoomScreen(const char* screenName) : RoomScreen(screenName, kScheme) {}

bool WarRoomScreen::MissionReady() {
    const GameState* const game = g_gameState;
    return game != nullptr && game->missionReady != 0 && game->mission != nullptr &&
           game->mission->firstObject != nullptr && game->missionFlown == 0;
}

int32_t WarRoomScreen::HandleOwnEvent(uint16_t code) {
    if (code != kCodeMap) return 1;
    const bool ready = MissionReady();
    if (IsNew(scheme.clickCode)) {
        // Without a map screen built the click keeps the room.
        if (ready && Leave(ScreenSlot::kWarRoomMap, nullptr) == 0) return 0;
    } else if (IsNew(scheme.helpCode)) {
        TutorialScreen::OpenTopic(*this, "WA_MAP");
        return 1;
    }
    if (IsNew(code)) PlayUiSound(kUiSoundHotspot, kUiClickSoundLevel, 1);
    Hover(ready ? "Navmap" : nullptr, ready ? "Navigation Map" : "Select Mission First", kX, kY);
    return 1;
}
