#include "objects/systems/TargetingSystem.h"

#include <algorithm>
#include <cmath>

#include "engine/ByteOrder.h"
#include "engine/MathRoutineTable.h"
#include "engine/Random.h"
#include "engine/TimeStamp.h"
#include "game/CareerRecord.h"
#include "game/Cockpit.h"
#include "game/GameState.h"
#include "objects/effects/Turret.h"
#include "objects/ships/Craft.h"
#include "objects/space/ObjectPart.h"
#include "objects/systems/RadarSystem.h"
#include "scene/Model.h"

namespace {

constexpr float kLockCaps[TargetingSystem::kLockClasses] = {0.0f, 110.0f, 110.0f, 100.0f, 150.0f, 0.0f};

RadarSystem* RadarOf(Craft* owner) {
    return owner != nullptr ? static_cast<RadarSystem*>(owner->GetSystem(ShipSystem::kRadar, nullptr)) : nullptr;
}

}  // namespace

TargetingSystem::TargetingSystem(Craft* owner, int32_t partIndex, int32_t gain, int32_t loss, int32_t range, float cone,
                                 int32_t maximum, const DynArray16* names)
    : ShipSystem(owner, partIndex, kTargeting, names), range(range), cone(cone), gain0_(gain), loss0_(loss) {
    maxDamage = maximum;
    for (int i = 0; i < kLockClasses; ++i) {
        gainRate[i] = gain;
        lossRate[i] = loss;
    }
    gainRate[1] = gain / 5;
    lossRate[1] = loss / 6;
    gainRate[3] = gain * 2;
    lossRate[3] = loss * 2;
    selectSound = MakeSound(0, 3);
    lockToneA = MakeSound(1, 3);
    lockToneB = MakeSound(2, 3);
}

TargetingSystem* TargetingSystem::FromChunk(Craft* owner, int32_t partIndex, const uint8_t* bytes, uint32_t size,
                                            int32_t maximum, const DynArray16* names) {
    if (bytes == nullptr || size < 10) return nullptr;
    const float cone = float(int32_t(LoadLe32(bytes + 6))) / 65536.0f;
    if (!std::isfinite(cone)) return nullptr;
    return new TargetingSystem(owner, partIndex, int16_t(LoadLe16(bytes)), int16_t(LoadLe16(bytes + 2)),
                               int16_t(LoadLe16(bytes + 4)), cone, maximum, names);
}

TargetingSystem::~TargetingSystem() {
    Drop(selectSound);
    Drop(lockToneA);
    Drop(lockToneB);
}

ShipSystem* TargetingSystem::Clone(Craft* newOwner, int32_t newPartIndex) const {
    auto* const clone = new TargetingSystem(newOwner, newPartIndex, gain0_, loss0_, range, cone, maxDamage, &soundNames);
    if (clone != nullptr) CopyInto(*clone);
    return clone;
}

void TargetingSystem::SetDamage(int32_t value) {
    damage = value;
    ShowGauge(2, value);
}

void TargetingSystem::ClearTarget() {
    target = nullptr;
    subTarget = identification = 0;
    std::fill(lock, lock + kLockClasses, 0.0f);
    std::fill(previousLock, previousLock + kLockClasses, 0.0f);
}

void TargetingSystem::Take(SpaceObject* object) {
    Play(selectSound, 4, 1);
    target = object;
    subTarget = identification = 0;
    std::fill(lock, lock + kLockClasses, 0.0f);
}

bool TargetingSystem::InReach(const SpaceObject& object, int32_t* distance) {
    RadarSystem* const radar = RadarOf(owner);
    if (radar == nullptr) return false;
    const SpaceObject* const from = radar->GetViewpoint();
    const float d = from != nullptr ? from->DistanceTo(object) : 0.0f;
    *distance = int32_t(std::min(d, 2.0e9f));
    const int64_t reach = int64_t(range) * (radar->passive != 0 ? 2 : 1);
    return d <= float(reach);
}

bool TargetingSystem::CanTarget(const SpaceObject* object) {
    RadarSystem* const radar = RadarOf(owner);
    if (radar == nullptr) return false;
    if (maxDamage > 0 && damage > 0 && int64_t(GameRandom() % damage) * 3 > maxDamage) return false;
    if (object == nullptr || object == owner || object->active == 0 || object->type == SpaceObject::kTypeAsteroid ||
        object->type == SpaceObject::kTypeMissile || object->isNavPoint != 0) {
        return false;
    }
    if (object->type == SpaceObject::kTypePlayerShip && g_gameState != nullptr && g_gameState->career != nullptr &&
        g_gameState->career->options.invisibility != 0) {
        return false;
    }
    int32_t d;
    if (!InReach(*object, &d)) return false;
    return radar->CanDetect(object, d);
}

bool TargetingSystem::CanTargetIgnoringDamage(const SpaceObject* object) {
    RadarSystem* const radar = RadarOf(owner);
    if (radar == nullptr || object == nullptr || object->active == 0) return false;
    int32_t d;
    if (!InReach(*object, &d)) return false;
    return radar->CanDetect(object, d);
}

int32_t TargetingSystem::SelectTarget(SpaceObject* object) {
    if (object == nullptr) {
        ClearTarget();
        return 1;
    }
    if (object == target.Get()) return 1;
    if (!CanTarget(object)) return 0;
    Take(object);
    return 1;
}

int32_t TargetingSystem::CycleTarget(int32_t forward) {
    Mission* const mission = g_gameState != nullptr ? g_gameState->mission : nullptr;
    if (mission == nullptr || mission->firstObject == nullptr) return 1;
    const auto last = [mission] {
        SpaceObject* object = mission->firstObject;
        while (object->GetNext() != nullptr) object = object->GetNext();
        return object;
    };
    const auto step = [forward](SpaceObject* object) { return forward != 0 ? object->GetNext() : object->GetPrevious(); };
    SpaceObject* const current = target;
    SpaceObject* candidate = current != nullptr ? step(current) : nullptr;
    if (candidate == nullptr) candidate = forward != 0 ? mission->firstObject : last();
    int64_t count = 0;
    for (SpaceObject* object = mission->firstObject; object != nullptr; object = object->GetNext()) ++count;
    SpaceObject* found = nullptr;
    // One walk of the world at most: with nothing targetable it ends.
    for (int64_t visited = 0; visited < count && candidate != nullptr; ++visited) {
        if (candidate == current) break;
        if (CanTarget(candidate)) {
            found = candidate;
            break;
        }
        candidate = step(candidate);
        if (candidate == nullptr) candidate = forward != 0 ? mission->firstObject : last();
    }
    if (found != nullptr && found != current) {
        Take(found);
    } else if (owner != nullptr && owner->type == Craft::kTypePlayerShip && g_gameState != nullptr) {
        g_gameState->TheCockpit().PlayClick(2);
    }
    return 1;
}

void TargetingSystem::StoreTarget(int32_t slot) {
    if (slot >= 1 && slot <= kSlots) slots[slot - 1] = target.Get();
}

void TargetingSystem::RecallTarget(int32_t slot) {
    if (slot >= 1 && slot <= kSlots) SelectTarget(slots[slot - 1]);
}

int32_t TargetingSystem::CycleSubTarget(int32_t forward) {
    SpaceObject* const object = target;
    if (object == nullptr) return 0;
    const int32_t parts = object->parts.Count();
    subTarget += forward != 0 ? 1 : -1;
    if (subTarget >= parts) subTarget = 0;
    if (subTarget < 0) subTarget = std::max(0, parts - 1);
    return 1;
}

int32_t TargetingSystem::SetSubTarget(int32_t index) {
    SpaceObject* const object = target;
    if (object == nullptr || index < 0 || index >= object->parts.Count()) return 0;
    subTarget = index;
    return 1;
}

const char* TargetingSystem::GetTargetClass() const {
    const SpaceObject* const object = target;
    if (object == nullptr) return nullptr;
    return identification < 34 ? "unknown" : object->label;
}

const char* TargetingSystem::GetTargetCallsign() {
    SpaceObject* const object = target;
    if (object == nullptr) return nullptr;
    if (identification < 41) return "unknown";
    // The one flag the maps read: the player's side now knows the object.
    if (owner != nullptr && owner->type == Craft::kTypePlayerShip) object->identified = 1;
    return object->callsign != nullptr ? object->callsign : "";
}

const char* TargetingSystem::GetSubTargetName() const {
    const SpaceObject* const object = target;
    if (object == nullptr) return nullptr;
    if (identification < 56) return "none";
    if (subTarget < 0 || subTarget >= object->parts.Count()) return "";
    const char* const name = object->parts[subTarget]->displayName;
    return name != nullptr ? name : "";
}

const char* TargetingSystem::GetTargetName() const {
    const SpaceObject* const object = target;
    if (object == nullptr) return nullptr;
    if (identification < 76) return "unknown";
    return object->name != nullptr ? object->name : "";
}

int32_t TargetingSystem::GetLockValue(int32_t index) const {
    if (target.Get() == nullptr || index < 0 || index >= kLockClasses) return 0;
    return int32_t(lock[index]);
}

int32_t TargetingSystem::GetLockStrength(const ShipSystem* weapon, int32_t weaponClass) const {
    if (weapon != nullptr && owner != nullptr && weapon->partIndex >= 0 && weapon->partIndex < owner->parts.Count()) {
        const ObjectPart* const part = owner->parts[weapon->partIndex];
        if (part->kind == ObjectPart::kGun) {
            const Turret* const turret = part->turret;
            return turret != nullptr && turret->locked != 0 &&
                           TimeStamp::Elapsed(turret->lockedAt) > kTurretLockMs
                       ? 100
                       : 0;
        }
    }
    if (target.Get() == nullptr || weaponClass < 0 || weaponClass >= kLockClasses) return 0;
    return int32_t(lock[weaponClass]);
}

int32_t TargetingSystem::Update(int32_t milliseconds, EnergySystem*) {
    if (milliseconds < 0) return 0;
    const int64_t t = std::min(milliseconds, 1000);
    SpaceObject* const object = target;
    if (object == nullptr) return 1;
    RadarSystem* const radar = RadarOf(owner);
    int32_t d = 0;
    // The level runs up to the top of its word: the modulus is taken wider.
    const int64_t emp = owner->empLevel;
    if (object->active == 0 || radar == nullptr || !InReach(*object, &d) || !radar->CanDetect(object, d) ||
        GameRandom() % (std::max<int64_t>(0, emp) + 50) < emp) {
        ClearTarget();
        return 1;
    }
    Transform frame = owner->world;
    frame.UpdateInverse();
    Vector3 local;
    const Vector3 at = object->Position();
    g_mathRoutineTable.transformPoint(&at, &frame.inverse, &local);
    const float length = local.Length();
    const float angle = local.z <= 0.0f || length <= 0.0f ? 180.0f : std::acos(std::clamp(local.z / length, -1.0f, 1.0f)) * 57.29578f;

    std::copy(lock, lock + kLockClasses, previousLock);
    bool used[kLockClasses] = {};
    for (ShipSystem* weapon : owner->GetWeaponList()) {
        const int32_t weaponClass = weapon->LockClass();
        if (weapon->Group() > 0 && weaponClass >= 0 && weaponClass < kLockClasses) used[weaponClass] = true;
    }
    // A maximum of 0 counts as undamaged: t / 1000 both ways.
    const double m = maxDamage, dm = damage;
    const double gainFactor = maxDamage > 0 ? double(t) * m / ((m / 2 + dm) * 2000.0) : double(t) / 1000.0;
    const double lossFactor = maxDamage > 0 ? (m / 2 + dm) * double(t) / (m * 500.0) : double(t) / 1000.0;
    const bool fromBehind = object->world.forward.Dot(owner->world.forward) > 0.0f;
    const bool cloakedCraft = object->type >= SpaceObject::kTypeCraft && static_cast<Craft*>(object)->cloaked != 0;
    const bool grows[kLockClasses] = {false, angle < cone && radar->passive != 0, angle < cone && radar->passive == 0,
                                      angle < 2 * cone && fromBehind, angle < 0.6666f * cone && !cloakedCraft, false};
    for (int c = 1; c <= 4; ++c) {
        if (!used[c]) continue;
        const double change = grows[c] ? gainRate[c] * gainFactor : -lossRate[c] * lossFactor;
        lock[c] = std::clamp(float(lock[c] + change), 0.0f, kLockCaps[c]);
        if (previousLock[c] < 100.0f && lock[c] >= 100.0f) Play(c <= 2 ? lockToneA : lockToneB, 5, 1);
    }
    if (object->type >= SpaceObject::kTypeCraft) {
        auto* const craft = static_cast<Craft*>(object);
        if (identification == 0) identification = craft->side == 0 || craft->side == owner->side ? 100 : craft->identification;
        if (identification < 100) {
            const int32_t v = radar->GetIdentification(object, d);
            if (v > identification) identification = craft->identification = v;
        }
    } else if (identification == 0) {
        identification = object->side == 0 || object->side == owner->side ? 100 : 0;
    }
    return 1;
}
