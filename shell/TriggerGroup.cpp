#include "shell/TriggerGroup.h"

#include <algorithm>

#include "objects/ships/Craft.h"
#include "objects/weapons/Weapon.h"

namespace {

constexpr int32_t kGroups = Weapon::kObjectGroup;

bool Fires(Craft& ship, int32_t group) {
    for (ShipSystem* system = ship.GetSystem(ShipSystem::kAnyWeapon, nullptr); system != nullptr;
         system = ship.GetSystem(ShipSystem::kAnyWeapon, system)) {
        if (ship.FiredWithGroup(*static_cast<const Weapon*>(system), group)) return true;
    }
    return false;
}

// The first group after `group` round the four that fires, or 0.
int32_t After(Craft& ship, int32_t group) {
    const int32_t from = std::clamp(group, 0, kGroups);
    for (int32_t step = 1; step <= kGroups; ++step) {
        const int32_t candidate = (from + step - 1) % kGroups + 1;
        if (Fires(ship, candidate)) return candidate;
    }
    return Weapon::kNoGroup;
}

}  // namespace

int32_t TriggerGroup(Craft& ship, int32_t chosen) {
    if (chosen > Weapon::kNoGroup && chosen <= kGroups && Fires(ship, chosen)) return chosen;
    return After(ship, chosen);
}

int32_t NextTriggerGroup(Craft& ship, int32_t chosen) { return After(ship, TriggerGroup(ship, chosen)); }
