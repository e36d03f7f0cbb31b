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
    static constexpr uint16_t kCodeQuit = 0x0001;
    static constexpr uint16_t kCodeExit = 0x0008;

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
};
