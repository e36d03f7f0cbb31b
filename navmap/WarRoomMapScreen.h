#pragma once
#include <cstdint>

#include "navmap/MapScreen.h"

// The war-room map: the mission's objects and goals as they stand before
// launch, round the mission's map view. Reached from the war room, which it
// returns to.
class WarRoomMapScreen : public MapScreen {
public:
    static constexpr const char* kScreenName = "WarNav";
    static constexpr const char* kPanelName = "wnmain";
    static constexpr const char* kArtFile = "warroom1.iff";
    static constexpr int32_t kStartRange = 5000;
    static constexpr EventTable kEvents{
        .quit = 0, .list = 1, .mapArea = 2, .exit = 3, .firstFilter = 4, .goalFilter = 14, .navFilter = 15,
        .barFilter = 16, .create = 17, .remove = 18, .active = -1, .passive = -1, .help = 20, .focusNext = 21,
        .focusPrevious = 22, .click = 23, .cancel = 24, .firstKey = 25, .firstButton = 38, .topicPrefix = "WN_",
        .cursorStep = 4, .heldFilters = true};

    explicit WarRoomMapScreen(const char* screenName = kScreenName);

    void Open() override;
    void Close() override;
    void Update() override;
    int32_t HandleEvent(uint16_t code) override;
    // The range and camera of Open.
    void ResetView();

    // The war room's own per-pass update (its room sounds), run first in
    // every pass; null until the war room provides it.
    static inline void (*roomUpdate)() = nullptr;

protected:
    int32_t LeaveByExit() override;
};
