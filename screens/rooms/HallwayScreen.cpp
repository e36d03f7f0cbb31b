#include "screens/rooms/HallwayScreen.h"

#include "engine/IffFile.h"

namespace {

constexpr RoomScreen::Door kDoors[] = {
    {"Office Door", false}, {"Common Door", false}, {HallwayScreen::kHangarDoor, true}};

constexpr RoomScreen::Hotspot kHotspots[] = {
    {0x0001, ScreenSlot::kOffice, "Door to Hall", "HL_OFFICE", "Office Door", "Office", 300, 10, false, {}},
    {0x0002, ScreenSlot::kCommonRoom, "Hall Door", "HL_COMMON", "Common Door", "Common Room", 10, 10, false, {}},
    {0x0004, ScreenSlot::kHangar, nullptr, "HL_HANGAR", HallwayScreen::kHangarDoor, "Hangar", 10, 10, false, {}},
};

using A = RoomScreen::Action;
constexpr RoomScreen::Key kKeys[] = {
    {0x0008, true, A::kSound, 23, ScreenSlot::kCount},
    {0x0010, true, A::kSound, 22, ScreenSlot::kCount},
    {0x0080, true, A::kFocusNext, 0, ScreenSlot::kCount},
    {0x0101, true, A::kFocusPrevious, 0, ScreenSlot::kCount},
    {0x0104, false, A::kLeave, 0, ScreenSlot::kQuit},
};

constexpr RoomScreen::Scheme kScheme = {
    MakeTag("HALL"), false, 1, false, false, true, 60, 44, 2, 5000, 4000, 0x0102, 0x0040, kDoors, kHotspots, kKeys};

}  // namespace

HallwayScreen::HallwayScreen(const char* screenName) : RoomScreen(screenName, kScheme) {}
