#pragma once
#include "screens/rooms/RoomScreen.h"

// The pilot's office: the doors to the hallway and the war room, and the
// computer that opens the frame menu. Its habit animations (the pilot at
// the desk, the monitor) are picked anew at each mission-file load.
class OfficeScreen : public RoomScreen {
public:
    static constexpr const char* kScreenName = "OFFICE";
    // Habits of these names loop; every other one plays once and holds.
    static constexpr const char* kLoopingHabits[] = {"Screensaver", "Monitor Anim"};
    // While either of the first two picks is this habit, its event sips.
    static constexpr int32_t kSippingHabit = 3;

    explicit OfficeScreen(const char* screenName = kScreenName);
    void Open() override;

protected:
    int32_t HandleOwnEvent(uint16_t code) override;
};
