#pragma once
#include "objects/space/ObjectLink.h"
#include "objects/space/SpaceObject.h"

// The invisible anchor that trails the player's ship (type 3): it stays
// `trailDistance` behind its target along the target's heading, smoothed
// over the last ten frames.
class ChaseObject : public SpaceObject {
public:
    static constexpr int kTrail = 10;

    explicit ChaseObject(SpaceObject* templateObject);

    void SetThrottle(float value) override { localVelocity.z = value; }
    SpaceObject* Clone(SpaceObject*, int32_t = 0, int32_t = 0) override { return nullptr; }
    void Init() override;
    void Simulate(uint32_t milliseconds) override;

    ObjectLink target;
    float trailDistance = 10.0f;
    float trailFactor = 1.0f;
    Vector3 trail[kTrail];
    int32_t trailIndex = 0;
    uint32_t words[2] = {};
    Vector3 targetPreviousPosition{};
};
