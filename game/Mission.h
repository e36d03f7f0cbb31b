#pragma once
#include <cstdint>
#include <memory>

#include "engine/EngineAllocation.h"
#include "scene/Transform.h"
#include "sound/MusicFile.h"

class Goal;
class Light;
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
    int32_t reportDelays[3] = {};      // seconds, for difficulties 1, 2 and 4
    int32_t playerReported = 0;
    Light* ambient = nullptr;          // owned; heads the light chain of the flight
    std::unique_ptr<MusicFile> music;  // may be none
};
