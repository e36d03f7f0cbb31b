#include "screens/rooms/OfficeScreen.h"

#include <cstring>

#include "engine/IffFile.h"
#include "ui/TimedAnimation.h"
#include "ui/UiSounds.h"

namespace {

constexpr uint16_t kCodeSip = 0x0108;
constexpr uint16_t kCodeHabit = 0x0110;
constexpr int32_t kSoundSip = 24;

constexpr RoomScreen::Door kDoors[] = {{"Door to Hall", false}, {"Door to Warroom", false}};

constexpr RoomScreen::Hotspot kHotspots[] = {
    {0x0001, ScreenSlot::kWarRoom, "Office Door", "OF_WARROOM", "Door to Warroom", "War Room", 10, 10, false, {}},
    {0x0002, ScreenSlot::kHallway, "Office Door", "OF_HALLWAY", "Door to Hall", "Hallway", 10, 10, false, {}},
    {0x0004, ScreenSlot::kFrame, nullptr, "OF_COMPUTER", "Monitor Anim", "Computer", 10, 10, true, {}},
};

using A = RoomScreen::Action;
constexpr RoomScreen::Key kKeys[] = {
    {0x0008, true, A::kSound, 25, ScreenSlot::kCount},
    {0x0040, true, A::kFocusNext, 0, ScreenSlot::kCount},
    {0x0080, true, A::kFocusPrevious, 0, ScreenSlot::kCount},
    {kCodeSip, true, A::kOwn, 0, ScreenSlot::kCount},
    {kCodeHabit, true, A::kOwn, 0, ScreenSlot::kCount},
    {0x0120, false, A::kLeave, 0, ScreenSlot::kQuit},
    {0x0140, false, A::kLeave, 0, ScreenSlot::kCommonRoom},
    {0x0180, false, A::kLeave, 0, ScreenSlot::kHangar},
    {0x0201, false, A::kLeave, 0, ScreenSlot::kFrame},
    {0x0202, false, A::kLeave, 0, ScreenSlot::kWarRoom},
};

constexpr RoomScreen::Scheme kScheme = {
    MakeTag("OFFI"), true, 3, false, false, false, 56, 35, 3, 3000, 4000, 0x0101, 0x0020, kDoors, kHotspots, kKeys};

}  // namespace

OfficeScreen::OfficeScreen(const char* screenName) : RoomScreen(screenName, kScheme) {
    for (TimedAnimation* const habit : ambientAnimations) {
        for (const char* looping : kLoopingHabits) {
            if (habit->Name() == looping) habit->mode = TimedAnimation::kModeLoop;
        }
    }
}

void OfficeScreen::Open() {
    RoomScreen::Open();
    ambientPick[0] = -1;
}

int32_t OfficeScreen::HandleOwnEvent(uint16_t code) {
    if (code == kCodeSip) {
        if (ambientPick[0] == kSippingHabit || ambientPick[1] == kSippingHabit) {
            PlayUiSound(kSoundSip, kUiClickSoundLevel, 1);
        }
    } else if (code == kCodeHabit && ambientAnimations.Count() > 0) {
        ambientPick[2] = 0;
    }
    return 1;
}
