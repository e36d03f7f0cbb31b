#pragma once
#include <cstdint>

#include "mission/SpawnRecords.h"
#include "objects/space/MovingObject.h"
#include "objects/space/ObjectLink.h"

class Weapon;

// A mine (type 8): a mission's mines are live at once, a dropped one arms
// when it has come to rest; struck or damaged, it blasts everything within
// 100 units of its surface.
class Mine : public MovingObject {
public:
    static constexpr float kBlastReach = 100.0f;

    explicit Mine(SpaceObject* templateObject);
    Mine(SpaceObject* templateObject, const spawn_records::Rock& record);
    void Init() override;
    SpaceObject* Clone(SpaceObject* placementSource, int32_t = 0, int32_t = 0) override;
    int32_t TakeDamage(int32_t part, const DamageRecord& record, SpaceObject* source) override;
    void ApplyImpact(int32_t) override { Detonate(0); }
    void Simulate(uint32_t milliseconds) override;
    void FillNetState(NetObjectState& state) const override;
    // The blast; then the mine explodes. Nothing once it has.
    int32_t Detonate(int32_t unused);

    // The dropping weapon: read only while `owner`, its craft, is there.
    Weapon* launcher = nullptr;
    DamageRecord damage;
    ObjectLink owner;
    int32_t empCharge = 0;
    int32_t visibilityWord = 0;   // -1: laid hidden
};
