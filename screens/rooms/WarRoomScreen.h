#pragma once
#include "screens/rooms/RoomScreen.h"

// The war room: the mission map table, which leads to the 3D map once a
// mission is set up and not yet flown, and a second computer.
class WarRoomScreen : public RoomScreen {
public:
    static constexpr const char* kScreenName = "WARROOM";
    static constexpr uint16_t kCodeMap = 0x0002;
    static constexpr int32_t kCaptionX = 10;
    static constexpr int32_t kCaptionY = 450;

    explicit WarRoomScreen(const char* screenName = kScreenName);

    // A mission is set up, has objects in its world and was not flown.
    static bool MissionReady();

protected:
    int32_t HandleOwnEvent(uint16_t code) override;
};
