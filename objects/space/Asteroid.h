#pragma once
#include <cstdint>

#include "mission/SpawnRecords.h"
#include "objects/space/MovingObject.h"

// A drifting rock (type 7). A field's rocks are scattered around their
// record's position without overlapping one another or a gate.
class Asteroid : public MovingObject {
public:
    static constexpr int kPlacementAttempts = 11;

    explicit Asteroid(SpaceObject* templateObject);
    Asteroid(SpaceObject* templateObject, const spawn_records::Rock& record);
    void Init() override;
    SpaceObject* Clone(SpaceObject* placementSource, int32_t = 0, int32_t = 0) override;

    uint32_t words[2] = {};   // kept and cloned; nothing reads them
};
