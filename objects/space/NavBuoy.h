#pragma once
#include "objects/space/MovingObject.h"

struct NavBuoyRecord;

// A slowly spinning navigation buoy from the mission file (type 5); any
// damage destroys it, as the host decides.
class NavBuoy : public MovingObject {
public:
    static constexpr uint32_t kCollisionMask = 0x1F804;

    // The long record form copies the two link names; the short one does not.
    NavBuoy(SpaceObject* templateObject, const NavBuoyRecord* record, bool longForm = true);

    int32_t TakeDamage(int32_t part, const DamageRecord& damage, SpaceObject* source) override;
    SpaceObject* Clone(SpaceObject* placementSource, int32_t = 0, int32_t = 0) override;
    void Init() override;

    uint32_t buoyWords[2] = {};
};
