#include "objects/systems/EnergySystem.h"

#include <algorithm>

#include "engine/Random.h"
#include "game/CareerRecord.h"
#include "game/Cockpit.h"
#include "game/GameMessages.h"
#include "game/GameState.h"
#include "objects/ships/Craft.h"
#include "objects/systems/EngineSystem.h"
#include "objects/systems/ShieldSystem.h"

namespace {

bool UnlimitedFuel() {
    return g_gameState != nullptr && g_gameState->career != nullptr && g_gameState->career->options.unlimitedFuel != 0;
}

}  // namespace

EnergySystem::EnergySystem(Craft* owner, int32_t partIndex, int32_t fuelCapacity, int32_t output, int32_t burnDivisor,
                           int32_t reserveOutput, int32_t maximum, const DynArray16* names)
    : ShipSystem(owner, partIndex, kEnergy, names),
      weaponMaximum(output / 2),
      allocated(output / 2),
      output(output),
      fuel(int64_t(fuelCapacity) * 1000),
      fuelCapacity(fuelCapacity),
      burnDivisor(burnDivisor),
      reserveOutput(reserveOutput) {
    maxDamage = maximum;
    powerUpSound = MakeSound(0, 2);
    powerDownSound = MakeSound(1, 2);
}

EnergySystem* EnergySystem::FromWords(Craft* owner, int32_t partIndex, const int16_t words[3], int32_t maximum,
                                      const DynArray16* names) {
    // A divisor word of 0 gives a burn divisor of 0, which burns nothing.
    const int32_t divisor = words[1] != 0 ? int32_t(words[0]) / int32_t(words[1]) : 0;
    return new EnergySystem(owner, partIndex, owner != nullptr ? owner->fuelAllowance : 1000, words[0], divisor,
                            words[2], maximum, names);
}

EnergySystem::~EnergySystem() {
    Drop(powerUpSound);
    Drop(powerDownSound);
}

ShipSystem* EnergySystem::Clone(Craft* newOwner, int32_t newPartIndex) const {
    auto* const clone = new EnergySystem(newOwner, newPartIndex, fuelCapacity, output, burnDivisor, reserveOutput,
                                         maxDamage, &soundNames);
    if (clone != nullptr) CopyInto(*clone);
    return clone;
}

void EnergySystem::SetDamage(int32_t value) {
    damage = value;
    ShowGauge(1, value);
}

int32_t EnergySystem::GetPowerDraw() const {
    return int32_t(int64_t(allocated) * powerDraw / 750 + weaponsAllocation / 10);
}

int32_t EnergySystem::ShieldCap() const {
    auto* const shield = owner != nullptr ? static_cast<ShieldSystem*>(owner->GetSystem(kShield, nullptr)) : nullptr;
    return shield != nullptr ? shield->maximumAllocation : 0;
}

int32_t EnergySystem::EngineCap() const {
    auto* const engine = owner != nullptr ? static_cast<EngineSystem*>(owner->GetSystem(kEngine, nullptr)) : nullptr;
    return engine != nullptr ? engine->maximumPower : 0;
}

void EnergySystem::Sound(int32_t newValue, int32_t oldValue) const {
    if (newValue > oldValue) Play(powerUpSound, 0, 1);
    if (newValue < oldValue) Play(powerDownSound, 0, 1);
}

void EnergySystem::SetWeaponPower(int32_t units) {
    const int32_t available = output - reserved;
    const int32_t r = std::max(0, std::min({units, weaponMaximum, available}));
    const int32_t total = r + engineAllocation + shieldAllocation;
    const int32_t old = weaponsAllocation;
    if (total > allocated && total > available) {
        allocated = available;
        weaponsAllocation = r;
        engineAllocation -= total - available;
        if (engineAllocation < 0) {
            shieldAllocation += engineAllocation;
            engineAllocation = 0;
        }
    } else {
        allocated = total;
        weaponsAllocation = r;
    }
    Sound(r, old);
}

void EnergySystem::SetShieldPower(int32_t units) {
    const int32_t available = output - reserved;
    const int32_t r = std::max(0, std::min({units, ShieldCap(), available}));
    const int32_t total = r + engineAllocation + weaponsAllocation;
    const int32_t old = shieldAllocation;
    if (total > allocated && total > available) {
        allocated = available;
        shieldAllocation = r;
        engineAllocation -= total - available;
        if (engineAllocation < 0) {
            weaponsAllocation += engineAllocation;
            engineAllocation = 0;
        }
    } else {
        allocated = total;
        shieldAllocation = r;
    }
    Sound(r, old);
}

void EnergySystem::SetEnginePower(int32_t units) {
    const int32_t available = output - reserved;
    const int32_t r = std::max(0, std::min({units, EngineCap(), available}));
    const int32_t total = r + shieldAllocation + weaponsAllocation;
    if (total > allocated && total > available) {
        const int32_t excess = total - available;
        const int32_t half = excess >> 1;
        weaponsAllocation -= half;
        shieldAllocation -= excess - half;
        if (weaponsAllocation < 0) {
            shieldAllocation += weaponsAllocation;
            weaponsAllocation = 0;
        } else if (shieldAllocation < 0) {
            weaponsAllocation += shieldAllocation;
            shieldAllocation = 0;
        }
        allocated = available;
    } else {
        allocated = total;
    }
    engineAllocation = r;
}

void EnergySystem::ResetPowerSplit(int32_t full) {
    if (full == 0) {
        SetWeaponPower(0);
        SetShieldPower(0);
        SetEnginePower(0);
        return;
    }
    SetWeaponPower(weaponMaximum);
    SetShieldPower(ShieldCap());
}

void EnergySystem::InitPowerSplit() {
    splitInitialised = 1;
    SetWeaponPower(weaponMaximum / 2);
    SetShieldPower(ShieldCap());
}

int32_t EnergySystem::DrawPower(int32_t request, int32_t milliseconds, int32_t consumer, double* exact) {
    if (exact != nullptr) *exact = 0.0;
    const int64_t t = std::min(milliseconds, 1000);
    // The level runs up to the top of its word: the modulus is taken wider.
    const int64_t emp = owner != nullptr ? std::max(0, owner->empLevel) : 0;
    if (GameRandom() % (emp + 100) > 100) return 0;
    int32_t allocation = 0;
    RateCarry* carry = nullptr;
    switch (consumer) {
        case kShields: allocation = shieldAllocation; carry = &shieldCarry; break;
        case kEngine: allocation = engineAllocation; carry = &engineCarry; break;
        case kWeapons: allocation = weaponsAllocation; carry = &weaponsCarry; break;
        default: return 0;
    }
    // In thousandths of a unit, so that the consumer's carry keeps what a
    // short frame cannot grant whole; the request caps before the damage
    // scales, as it would in whole units.
    const int64_t wanted = std::min<int64_t>(int64_t(request) * 1000, int64_t(allocation) * t);
    if (maxDamage >= 1 && damage >= 1) {
        const int64_t factor = GameRandom() % damage - damage + maxDamage;
        if (exact != nullptr) *exact = double(factor) * double(wanted) / (double(maxDamage) * 1000.0);
        return int32_t(carry->Take(factor * wanted, int64_t(maxDamage) * 1000));
    }
    if (exact != nullptr) *exact = double(wanted) / 1000.0;
    return int32_t(carry->Take(wanted, 1000));
}

int32_t EnergySystem::ReservePower(int32_t units) {
    int32_t excess = units - output + allocated + reserved;
    if (excess > 0) {
        for (int32_t* allocation : {&weaponsAllocation, &engineAllocation, &shieldAllocation}) {
            const int32_t given = std::min(excess, *allocation);
            if (given <= 0) continue;
            *allocation -= given;
            allocated -= given;
            excess -= given;
        }
        if (excess > 0) return 0;
    }
    reserved += units;
    return 1;
}

int32_t EnergySystem::ReleasePower(int32_t units) {
    reserved = std::max(0, reserved - units);
    return units;
}

int32_t EnergySystem::ConsumeFuel(int32_t amount) {
    if (UnlimitedFuel()) return 1;
    if (fuel < amount) return 0;
    fuel -= amount;
    return 1;
}

int32_t EnergySystem::Update(int32_t milliseconds, EnergySystem*) {
    if (milliseconds < 0) return 0;
    const int64_t t = std::min(milliseconds, 1000);
    if (splitInitialised == 0) InitPowerSplit();
    if (!UnlimitedFuel()) {
        // A divisor of 0 or less burns nothing.
        const int64_t burn = burnDivisor > 0 ? burnCarry.Take((int64_t(reserved) + allocated) * t, burnDivisor) : 0;
        if (OwnedByPlayer() && g_gameState != nullptr) {
            // A capacity of 0 or less has no level to warn about.
            if (fuelCapacity > 0 && fuel / fuelCapacity >= 100 && (fuel - burn) / fuelCapacity < 100) {
                g_gameState->TheCockpit().ShowWarning(msg::kWarningLowFuel, 10000);
            }
            if (fuel > 0 && fuel - burn < 1) {
                fuel = reserved = allocated = output = 0;
                engineAllocation = shieldAllocation = weaponsAllocation = 0;
                g_gameState->TheCockpit().ShowWarning(msg::kWarningReservePower, 10000);
                output = reserveOutput;
            }
        }
        fuel -= burn;
    }
    // The pool leaks its whole content per second.
    weaponPool -= int32_t(poolDecayCarry.Take(t * weaponPool, 1000));
    weaponPool += DrawPower(weaponMaximum - weaponPool, int32_t(t), kWeapons);
    return 1;
}
