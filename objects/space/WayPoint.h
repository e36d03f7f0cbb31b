#pragma once
#include "objects/space/SpaceObject.h"

struct WayPointRecord;

// A navigation point (type 4) laid on the maps or read from the mission:
// hidden, never colliding, visited by the navigation-target cycle.
class WayPoint : public SpaceObject {
public:
    WayPoint(SpaceObject* templateObject, const WayPointRecord* record);

    void SetThrottle(float value) override { localVelocity.z = value; }
    SpaceObject* Clone(SpaceObject* placementSource, int32_t = 0, int32_t = 0) override;
    void Init() override;

    uint32_t missionPoint = 1;
};
