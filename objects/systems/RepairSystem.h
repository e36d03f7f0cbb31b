#pragma once
#include <cstdint>

#include "engine/RateCarry.h"
#include "objects/systems/ShipSystem.h"

// The repair unit (type 13, REPR): a pool of points spent at a steady rate
// on one damaged system at a time, chosen by importance. It cannot itself
// be damaged.
class RepairSystem : public ShipSystem {
public:
    // The order in which a damaged system is chosen.
    static constexpr int32_t kOrder[6] = {kEnergy, kEngine, kFlightControl, kShield, kRadar, kTargeting};
    static constexpr int32_t kSelectionPeriod = 1500;   // ms

    RepairSystem(Craft* owner, int32_t partIndex, int32_t points, int32_t rate);
    ~RepairSystem() override;

    ShipSystem* Clone(Craft* newOwner, int32_t newPartIndex) const override;
    int32_t Update(int32_t milliseconds, EnergySystem* energy) override;
    int32_t GetPowerDraw() const override { return target != nullptr ? powerDraw : 0; }

    // Only a damaged, damageable system of the same craft.
    bool SetRepairTarget(ShipSystem* system);
    // A full pool again.
    void Refill() { pointsLeft = startPoints; }

    int32_t pointsLeft;
    int32_t startPoints;
    int32_t rate;             // points per second
    RateCarry carry;          // the part of a point not yet repaired
    int32_t selectionTimer;   // ms
    ShipSystem* target = nullptr;
};
