#pragma once
#include <cstdint>

#include "engine/EngineAllocation.h"

class Goal;
class SpaceObject;

// The current mission as the world sees it: the head of its world list and
// of its goal list, the reference position the chase object starts from,
// the report delays of its header (seconds, for difficulties 1, 2 and 4)
// and whether the player's ship has been reported. The mission loader fills
// the rest.
class Mission : public EngineObject {
public:
    SpaceObject* firstObject = nullptr;
    float referencePosition[4] = {};
    Goal* goalList = nullptr;
    int32_t reportDelays[3] = {};
    int32_t playerReported = 0;
};
