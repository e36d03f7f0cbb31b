#pragma once
#include <cstdint>

#include "engine/EngineAllocation.h"

// A system mounted on an object part (energy, shields, radar, weapons...).
// The part owns its systems; the kinds grow from this base.
class ShipSystem : public EngineObject {
public:
    ShipSystem() = default;
    virtual ~ShipSystem() = default;
    ShipSystem(const ShipSystem&) = delete;
    ShipSystem& operator=(const ShipSystem&) = delete;
};
