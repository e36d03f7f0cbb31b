#pragma once
#include <cstdint>

#include "objects/space/MovingObject.h"
#include "objects/space/ObjectLink.h"

// A decoy (type 11): on its first frame it pulls crafts' targeting and
// missiles aimed at its owner onto itself, each by its chance.
class Decoy : public MovingObject {
public:
    explicit Decoy(SpaceObject* templateObject);
    void Init() override;
    SpaceObject* Clone(SpaceObject* placementSource, int32_t = 0, int32_t = 0) override;
    int32_t TakeDamage(int32_t part, const DamageRecord& record, SpaceObject* source) override;
    void ApplyImpact(int32_t) override {}
    void Simulate(uint32_t milliseconds) override;
    void FillNetState(NetObjectState& state) const override;

    ObjectLink owner;
    int32_t missileLureChance = 0;   // per cent
    int32_t craftLureChance = 0;     // per cent
    int32_t lureDone = 0;
};
