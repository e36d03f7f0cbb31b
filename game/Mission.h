#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/EngineAllocation.h"
#include "scene/Transform.h"
#include "sound/MusicFile.h"

class Goal;
class Light;
class MissionSky;
class SpaceObject;

// The current mission as the world sees it: the head of its world list and
// of its goal list, the reference position the chase object starts from,
// the report delays of its header (seconds, for difficulties 1, 2 and 4)
// and whether the player's ship has been reported. The mission loader fills
// the rest.
class Mission : public EngineObject {
public:
    // The header's report delay for a difficulty of 1, 2 or 4, in ms; -1 otherwise.
    int32_t ReportDelayMs(int32_t difficulty) const {
        const int32_t slot = difficulty == 1 ? 0 : difficulty == 2 ? 1 : difficulty == 4 ? 2 : -1;
        return slot < 0 ? -1 : reportDelays[slot] * 1000;
    }

    SpaceObject* firstObject = nullptr;
    float referencePosition[4] = {};   // where the chase object starts
    float mapCentre[4] = {};           // the maps' centre, apart from the reference
    Transform mapView;                 // the maps' view
    Goal* goalList = nullptr;
    // The "PLYR" record, kept for a ship made at launch.
    bool hasPlayer = false;
    char playerDefinition[17] = {};
    char playerWing[17] = {};
    int32_t reportDelays[3] = {};      // seconds, for difficulties 1, 2 and 4
    int32_t playerReported = 0;
    Light* ambient = nullptr;          // owned; heads the light chain of the flight
    std::unique_ptr<MusicFile> music;  // may be none

    // The sky's records as they stood in the mission file, kept whole for
    // the players who join later; each kind in the order it was made.
    static constexpr uint32_t kStarFieldBytes = 28;
    static constexpr uint32_t kSpaceDustBytes = 36;
    static constexpr uint32_t kWallpaperBytes = 48;
    static constexpr uint32_t kLightBytes = 44;
    std::vector<std::array<uint8_t, kStarFieldBytes>> starFields;
    std::vector<std::array<uint8_t, kSpaceDustBytes>> spaceDust;
    std::vector<std::array<uint8_t, kWallpaperBytes>> wallpapers;
    std::vector<std::array<uint8_t, kLightBytes>> lights;
    // What each space-dust record adds to the flight's one dust field.
    struct DustTemplate {
        char particle[17] = {};
        int32_t count = 0;
    };
    std::vector<DustTemplate> dustTemplates;
    // What the flight draws of the star fields and lights, made by the
    // mission layer on the first frame that draws them.
    std::shared_ptr<MissionSky> sky;
};
