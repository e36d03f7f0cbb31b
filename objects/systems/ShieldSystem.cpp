#include "objects/systems/ShieldSystem.h"

#include <algorithm>
#include <cmath>

#include "engine/MathRoutineTable.h"
#include "engine/Saturate.h"
#include "game/Cockpit.h"
#include "game/GameState.h"
#include "objects/ships/Craft.h"
#include "objects/systems/EnergySystem.h"
#include "sound/SoundDevice.h"
#include "sound/SoundObject.h"

namespace {

constexpr float kQuarter = 0.78539816f;
constexpr float kThreeQuarters = 2.3561945f;

void MarkAllFacings(const Craft* owner) {
    if (owner == nullptr || owner->type != Craft::kTypePlayerShip || g_gameState == nullptr) return;
    for (int32_t& flag : g_gameState->TheCockpit().shieldHits) flag = 2;
}

void MarkFacing(const Craft* owner, int32_t facing) {
    if (owner == nullptr || owner->type != Craft::kTypePlayerShip || g_gameState == nullptr) return;
    g_gameState->TheCockpit().shieldHits[facing] = 2;
}

}  // namespace

int32_t FacingOf(const SpaceObject& owner, const Vector3& point) {
    Transform frame = owner.world;
    frame.UpdateInverse();
    Vector3 local;
    g_mathRoutineTable.transformPoint(&point, &frame.inverse, &local);
    const float a = std::atan2(local.x, local.z);
    if (a > -kQuarter && a < kQuarter) return 0;
    if (a > kThreeQuarters || a < -kThreeQuarters) return 2;
    return a > 0.0f ? 3 : 1;
}

ShieldSystem::ShieldSystem(Craft* owner, int32_t partIndex, int32_t efficiency, int32_t capacityUnits,
                           int32_t maximumAllocation, int32_t absorption, int32_t maximum, const DynArray16* names)
    : ShipSystem(owner, partIndex, kShield, names),
      maximumAllocation(maximumAllocation),
      capacity(Saturate32(int64_t(capacityUnits) * 100)),
      absorption(absorption),
      efficiency(efficiency),
      capacityUnits_(capacityUnits) {
    maxDamage = maximum;
    for (int32_t& facing : facings) facing = Saturate32(int64_t(capacityUnits) * 25);
    hitSound = MakeSound(0, 2);
    drainSound = MakeSound(1, 2);
}

ShieldSystem* ShieldSystem::FromWords(Craft* owner, int32_t partIndex, const int16_t words[4], int32_t maximum,
                                      const DynArray16* names) {
    return new ShieldSystem(owner, partIndex, words[0], words[1], words[2], words[3], maximum, names);
}

ShieldSystem::~ShieldSystem() {
    Drop(hitSound);
    Drop(drainSound);
}

ShipSystem* ShieldSystem::Clone(Craft* newOwner, int32_t newPartIndex) const {
    auto* const clone = new ShieldSystem(newOwner, newPartIndex, efficiency, capacityUnits_, maximumAllocation, absorption,
                                         maxDamage, &soundNames);
    if (clone != nullptr) CopyInto(*clone);
    return clone;
}

void ShieldSystem::SetDamage(int32_t value) {
    damage = value;
    ShowGauge(4, value);
}

int64_t ShieldSystem::FacingSum() const {
    int64_t sum = 0;
    for (const int32_t facing : facings) sum += facing;
    return sum;
}

int32_t ShieldSystem::GetPowerDraw() const { return int32_t(FacingSum() * powerDraw / 80000); }

int32_t ShieldSystem::GetDepletionPercent() const {
    if (remoteDepletion >= 0) return remoteDepletion;
    // An empty capacity counts as fully depleted.
    if (capacity / 100 <= 0) return 100;
    return int32_t((int64_t(capacity) - FacingSum()) / (capacity / 100));
}

void ShieldSystem::LowerToDepletion(int32_t percent) {
    const int64_t held = FacingSum();
    const int64_t left = int64_t(capacity) * (100 - std::clamp(percent, 0, 100)) / 100;
    if (held <= 0 || left >= held) return;
    for (int32_t& facing : facings) facing = int32_t(int64_t(facing) * left / held);
}

void ShieldSystem::Refill() {
    for (int32_t& facing : facings) facing = Saturate32(int64_t(capacityUnits_) * 25);
    remoteDepletion = -1;
}

void ShieldSystem::Flash(const Vector3& point) {
    if (owner == nullptr) return;
    Vector3 direction = point.Difference(owner->Position());
    Transform frame = owner->world;
    frame.UpdateInverse();
    Vector3 local;
    g_mathRoutineTable.transformVector(&direction, &frame.inverse, &local);
    owner->ShowShieldHit(&local, GetDepletionPercent());
}

void ShieldSystem::AbsorbHitFrom(const SpaceObject* source) {
    if (source != nullptr) Flash(source->Position());
}

void ShieldSystem::AbsorbHitAt(const Vector3& point) { Flash(point); }

int32_t ShieldSystem::AbsorbHit(DamageRecord& impact) {
    const int64_t drain = std::max<int64_t>(0, int64_t(owner != nullptr ? owner->empLevel : 0) + impact.amounts[0]);
    impact.amounts[0] = 0;
    const auto clearStructure = [&impact] { impact.amounts[1] = impact.amounts[2] = impact.amounts[4] = 0; };
    if (impact.source == nullptr || owner == nullptr) {
        MarkAllFacings(owner);
        for (int32_t& facing : facings) {
            const int32_t taken = int32_t(std::min<int64_t>(facing, drain * 25));
            facing -= taken;
            drainedThisFrame += taken;
        }
        Play(hitSound, 5, 1);
        if (FacingSum() > capacity / 10) {
            clearStructure();
            return 1;
        }
        return 0;
    }
    const int32_t facing = FacingOf(*owner, impact.source->Position());
    Flash(impact.source->Position());
    facings[facing] -= int32_t(std::min<int64_t>(facings[facing], drain * 100));
    if (facings[facing] <= 0) return 0;
    MarkFacing(owner, facing);
    Play(hitSound, 5, 1);
    if (int64_t(facings[facing]) > int64_t(absorption) * 25) {
        clearStructure();
    } else if (absorption != 0) {
        const int64_t f = 100 - int64_t(facings[facing]) * 4 / absorption;
        // Short frames of fire pass small amounts: each word's carry keeps
        // the fractions the scaling would drop.
        for (int k = 0; k < 3; ++k) {
            const int i = kPassedWords[k];
            impact.amounts[i] = Saturate32(passCarry[k].Take(f * impact.amounts[i], 100));
        }
    }
    return 1;
}

int32_t ShieldSystem::Update(int32_t milliseconds, EnergySystem* energy) {
    if (milliseconds < 0) {
        if (drainSound != nullptr && g_gameState != nullptr && g_gameState->Sound() != nullptr) {
            g_gameState->Sound()->StopSound(drainSound);
        }
        return 0;
    }
    if (energy == nullptr) return 0;
    const int64_t t = std::min(milliseconds, 1000);
    if (drainSound != nullptr) {
        drainSound->loop = drainedThisFrame > 0 ? 1 : 0;
        if (drainedThisFrame > 0) Play(drainSound, 5, 0);
    }
    drainedThisFrame = 0;

    const int64_t got = energy->DrawPower(maximumAllocation, int32_t(t), EnergySystem::kShields);
    int64_t gain = 0;
    if (maximumAllocation > 0) {
        gain = got * capacity / maximumAllocation;
        // A fed shield gains one power unit's worth more every 50 ms (what
        // lets a full allocation hold full strength despite the recharge
        // efficiency): a rate, so that short frames are not given it more
        // often.
        if (energy->shieldAllocation > 0) gain += rechargeCarry.Take(int64_t(capacity / maximumAllocation) * t, 50);
    }
    if (maxDamage > 0 && damage > 0) gain = (int64_t(maxDamage) - damage) * gain / maxDamage;
    int64_t net = gain - decayCarry.TakeRate(FacingSum(), t);
    if (net > 0) net = net * efficiency / 100;

    const int32_t full = capacity / 4;
    while (net < 0) {
        const int32_t strongest = *std::max_element(facings, facings + kFacings);
        int32_t count = 0;
        int32_t next = 0;   // the next lower value; 0 counts as one
        for (const int32_t facing : facings) {
            if (strongest > 0 && facing == strongest) ++count;
            if (facing < strongest) next = std::max(next, facing);
        }
        if (count == 0) break;
        const int64_t gap = int64_t(strongest) - next;
        const int64_t take = std::max(net, -gap * count);
        net -= take;
        for (int32_t& facing : facings) {
            if (facing == strongest) facing = int32_t(std::max<int64_t>(0, strongest + take / count - 1));
        }
    }
    while (net > 0) {
        const int32_t weakest = *std::min_element(facings, facings + kFacings);
        if (weakest >= full) break;   // every facing is full: nothing left to level
        int32_t count = 0;
        int32_t next = full;   // the next higher value, or the top when all are equal
        for (const int32_t facing : facings) {
            if (facing == weakest) ++count;
            if (facing > weakest) next = std::min(next, facing);
        }
        const int64_t gap = int64_t(next) - weakest;
        const int64_t take = std::min(net, gap * count);
        net -= take;
        for (int32_t& facing : facings) {
            if (facing == weakest) facing = int32_t(std::min<int64_t>(weakest + take / count + 1, full));
        }
        if (take == 0) break;
    }
    return 1;
}

ArmorSystem::ArmorSystem(Craft* owner, int32_t partIndex, int32_t points, const DynArray16* names)
    : ShipSystem(owner, partIndex, kArmor, names), points(points) {
    maxDamage = -1;
    for (int32_t& facing : facings) facing = Saturate32(int64_t(points) * 100 / 4);
    hitSound = MakeSound(0, 1);
}

ArmorSystem::~ArmorSystem() { Drop(hitSound); }

ShipSystem* ArmorSystem::Clone(Craft* newOwner, int32_t newPartIndex) const {
    auto* const clone = new ArmorSystem(newOwner, newPartIndex, points, &soundNames);
    if (clone != nullptr) CopyInto(*clone);
    return clone;
}

int32_t ArmorSystem::GetDamage() const {
    // Armour of 0 points reports no damage.
    if (points <= 0) return 0;
    uint32_t packed = 0;
    for (int i = 0; i < 4; ++i) {
        const int64_t byte = (int64_t(points) * 25 - facings[i]) * 10 / points;
        packed |= uint32_t(std::clamp<int64_t>(byte, 0, 255)) << (8 * i);
    }
    return int32_t(packed);
}

int32_t ArmorSystem::GetDamagePercent() const {
    if (points <= 0) return 0;
    int64_t remaining = 0;
    for (const int32_t facing : facings) remaining += facing;
    return int32_t(100 - remaining / points);
}

void ArmorSystem::SetDamage(int32_t packed) {
    for (int i = 0; i < 4; ++i) {
        const int64_t byte = (uint32_t(packed) >> (8 * i)) & 0xFF;
        facings[i] = Saturate32(int64_t(points) * 25 - byte * points / 10);
    }
}

int32_t ArmorSystem::AbsorbHit(DamageRecord& impact) {
    const int64_t drain = int64_t(impact.amounts[1]) + impact.amounts[3];
    impact.amounts[1] = 0;
    if (impact.source != nullptr && owner != nullptr) {
        const int32_t facing = FacingOf(*owner, impact.source->Position());
        const int32_t before = facings[facing];
        const int32_t taken = int32_t(std::min<int64_t>(before, std::max<int64_t>(0, drain) * 100));
        impact.amounts[3] = std::max(0, impact.amounts[3] - before / 100);
        facings[facing] -= taken;
        if (facings[facing] > 0) {
            MarkFacing(owner, facing);
            Play(hitSound, 5, 1);
            impact.amounts[2] = 0;
        }
        return 1;
    }
    impact.amounts[3] = 0;
    MarkAllFacings(owner);
    int64_t remaining = 0;
    for (int32_t& facing : facings) {
        facing -= int32_t(std::min<int64_t>(facing, std::max<int64_t>(0, drain) * 25));
        remaining += facing;
    }
    if (remaining > 0) {
        Play(hitSound, 4, 1);
        impact.amounts[2] = 0;
    }
    return 1;
}

HardeningSystem::HardeningSystem(Craft* owner, int32_t partIndex, int32_t reduction, int32_t empRecovery)
    : ShipSystem(owner, partIndex, kHardening), reduction(reduction), empRecovery(empRecovery) {
    maxDamage = -1;
}

ShipSystem* HardeningSystem::Clone(Craft* newOwner, int32_t newPartIndex) const {
    auto* const clone = new HardeningSystem(newOwner, newPartIndex, reduction, empRecovery);
    if (clone != nullptr) CopyInto(*clone);
    return clone;
}

int32_t HardeningSystem::ReduceDamage(DamageRecord& impact) const {
    impact.amounts[2] = Saturate32(int64_t(impact.amounts[2]) - int64_t(reduction) * impact.amounts[2] / 100);
    return 1;
}

int32_t HardeningSystem::Update(int32_t milliseconds, EnergySystem*) {
    if (milliseconds < 0) return 0;
    const int64_t t = std::min(milliseconds, 1000);
    if (owner != nullptr && owner->empLevel > 0) {
        const int64_t e = owner->empLevel;
        // One a frame, and recovery per cent of the level a second.
        const int64_t fall = 1 + recoveryCarry.Take(int64_t(empRecovery) * e * t, 100000);
        owner->empLevel = int32_t(std::max<int64_t>(0, e - fall));
    }
    return 1;
}
