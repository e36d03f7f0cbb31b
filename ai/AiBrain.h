#pragma once
#include <cstdint>

#include "engine/EngineAllocation.h"
#include "objects/space/ObjectLink.h"

class SpaceObject;

// The per-ship brain of an AI ship. The fields the world reads and writes
// are here; its behaviours come with the pilot AI (until then each
// operation does nothing).
class AiBrain : public EngineObject {
public:
    explicit AiBrain(SpaceObject* ship) : ship(ship) {}
    virtual ~AiBrain() = default;
    AiBrain(const AiBrain&) = delete;
    AiBrain& operator=(const AiBrain&) = delete;

    virtual void SetBehavior(int32_t eventCode) { (void)eventCode; }
    virtual void Think() {}
    virtual void ExecuteBehavior() {}
    virtual void UpdateFireControl() {}
    // Passes a side change on to the ship the brain follows.
    virtual void SetLinkedShipSide(int32_t side) { (void)side; }

    SpaceObject* ship;
    ObjectLink hostile;               // the object the brain holds hostile
    int32_t avoid = 0;                // set while the brain avoids an obstacle
    int32_t avoidWords[2] = {};
    ObjectLink obstacle;
    uint32_t warnedAtAge = 0;
    int32_t mode = 0;                 // 1: steers even while a maneuver is set
};
