#pragma once
#include <cstdint>

#include "navmap/MapScreen.h"

class Craft;
class RadarSystem;

// The in-flight map (mode 3): what the player's radar sees round the ship,
// while the world goes on moving. Leaving it hands the chosen object to the
// ship as its target, or, when the targeting refuses it, a way point beside
// it as the navigation target.
class NavMapScreen : public MapScreen {
public:
    static constexpr const char* kScreenName = "NavMap";
    static constexpr const char* kPanelName = "nmmain";
    static constexpr const char* kArtFile = "spacenav.iff";
    static constexpr const char* kTargetPointName = "Navmap Target Point";
    static constexpr const char* kTargetPointDefinition = "Nav Buoy";
    // The target point stands this far off the object along its own x and y.
    static constexpr float kTargetPointOffset = 100.0f;
    static constexpr EventTable kEvents{
        .quit = 37, .list = 0, .mapArea = 1, .exit = 4, .firstFilter = 5, .goalFilter = 15, .navFilter = 16,
        .barFilter = 17, .create = -1, .remove = -1, .active = 2, .passive = 3, .help = 19, .focusNext = 20,
        .focusPrevious = 21, .click = 22, .cancel = 23, .firstKey = 24, .firstButton = 38, .topicPrefix = "NM_",
        .cursorStep = 3, .heldFilters = false};

    explicit NavMapScreen(const char* screenName = kScreenName);

    // Redraws, simulates and runs the network pass on every pass.
    void Run() override;
    void Open() override;
    void Close() override;
    void Update() override;
    int32_t HandleEvent(uint16_t code) override;
    void ResetView();

    int32_t radarActive = 0;
    RadarSystem* radar = nullptr;   // the player's, taken at Open; not owned

protected:
    int32_t RadarActive() const override { return radarActive; }
    int32_t LeaveByExit() override;
    void SetRadarMode(bool active) override;
    bool Detects(SpaceObject& object) override;

private:
    Craft* PlayerCraft() const;
    // The radar, when the player's ship still carries the one Open took.
    RadarSystem* LiveRadar() const;
    void HandOver(Craft& ship, SpaceObject& chosen);
};
