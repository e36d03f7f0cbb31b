#include "objects/systems/RepairSystem.h"

#include <algorithm>
#include <iterator>

#include "engine/Random.h"
#include "objects/ships/Craft.h"

RepairSystem::RepairSystem(Craft* owner, int32_t partIndex, int32_t points, int32_t repairRate)
    : ShipSystem(owner, partIndex, kRepair), pointsLeft(points), startPoints(points), rate(repairRate) {
    maxDamage = -1;
    selectionTimer = GameRandom() % kSelectionPeriod;
}

RepairSystem::~RepairSystem() = default;

ShipSystem* RepairSystem::Clone(Craft* newOwner, int32_t newPartIndex) const {
    auto* const clone = new RepairSystem(newOwner, newPartIndex, startPoints, rate);
    if (clone != nullptr) CopyInto(*clone);
    return clone;
}

bool RepairSystem::SetRepairTarget(ShipSystem* system) {
    if (system == nullptr || system->owner != owner || system->GetDamage() <= 0 || system->maxDamage <= 0) return false;
    target = system;
    return true;
}

int32_t RepairSystem::Update(int32_t milliseconds, EnergySystem*) {
    const int32_t t = std::min(milliseconds, 1000);
    if (t < 0 || pointsLeft <= 0) return 0;
    // Without a positive rate nothing is ever repaired.
    const int32_t amount = rate > 0 ? int32_t(carry.TakeRate(rate, t)) : 0;
    selectionTimer += t;
    if (selectionTimer > kSelectionPeriod) {
        selectionTimer = 0;
        for (int32_t i = 0; target == nullptr && owner != nullptr && i < int32_t(std::size(kOrder)); ++i) {
            ShipSystem* const candidate = owner->GetSystem(kOrder[i], nullptr);
            if (candidate != nullptr && candidate->GetDamage() > 0) target = candidate;
        }
    }
    if (target != nullptr) {
        const int32_t d = target->GetDamage();
        const int32_t repair = std::max(0, std::min({amount, d, pointsLeft}));
        pointsLeft -= repair;
        target->SetDamage(d - repair);
        if (d - repair <= 0 || pointsLeft <= 0) target = nullptr;
    }
    return 1;
}
