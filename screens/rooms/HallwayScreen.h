#pragma once
#include "screens/rooms/RoomScreen.h"

// The hallway between the office, the common room and the hangar, whose
// big door has a sound of its own.
class HallwayScreen : public RoomScreen {
public:
    static constexpr const char* kScreenName = "HALLWAY";
    static constexpr const char* kHangarDoor = "Hanger Door";

    explicit HallwayScreen(const char* screenName = kScreenName);
};
