#include "objects/ships/Craft.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "engine/Clock.h"
#include "engine/Saturate.h"
#include "game/CareerRecord.h"
#include "game/Cockpit.h"
#include "game/GameState.h"
#include "game/LightHolder.h"
#include "net/NetSession.h"
#include "objects/ships/AiShip.h"
#include "objects/space/ObjectPart.h"
#include "objects/space/PartAttachment.h"
#include "objects/effects/FxObject.h"
#include "objects/systems/CountermeasureSystems.h"
#include "objects/systems/EnergySystem.h"
#include "objects/systems/EngineSystem.h"
#include "objects/systems/RepairSystem.h"
#include "objects/systems/ShieldSystem.h"
#include "objects/systems/ShipSystem.h"
#include "objects/systems/TargetingSystem.h"
#include "objects/effects/EffectSupport.h"
#include "objects/weapons/GunWeapon.h"
#include "objects/weapons/ProjectileWeapon.h"
#include "objects/weapons/Weapon.h"
#include "display/Palette.h"
#include "scene/FaceRecord.h"
#include "scene/Light.h"
#include "scene/Model.h"

namespace {

constexpr float kDegreesPerRadian = 57.29578f;
constexpr uint32_t kShieldFaceFlags = 0x900;
constexpr uint8_t kShieldFaceAlpha = 128;

// The cache slot of a cached kind, or -1.
int CacheSlot(int32_t kind) {
    switch (kind) {
        case ShipSystem::kTargeting: return 0;
        case ShipSystem::kShield: return 1;
        case ShipSystem::kRadar: return 2;
        case ShipSystem::kEnergy: return 3;
        case ShipSystem::kEngine: return 4;
        default: return -1;
    }
}

bool Matches(const ShipSystem& system, int32_t kind) {
    return kind == 0 || system.typeId == kind || (kind == ShipSystem::kAnyWeapon && system.typeId >= ShipSystem::kFirstWeapon);
}

}  // namespace

Craft::Craft(SpaceObject* templateObject) : HullObject(templateObject), createdMs(int32_t(GetMilliseconds())) {
    Deactivate(0);
    Craft::Init();
}

Craft::~Craft() {
    ReleaseFirstExplosion();
    for (Turret* turret : turrets) delete turret;
    delete shieldHit;
    EngineRelease(shieldSectors);
    EngineRelease(faceName);
}

void Craft::ReleaseFirstExplosion() {
    if (firstExplosion != nullptr && firstExplosion->watcher == &firstExplosion) firstExplosion->watcher = nullptr;
    firstExplosion = nullptr;
}

int32_t Craft::ShieldSector(const Vector3& d) {
    const float azimuth = 180.0f + std::atan2(d.x, d.z) * 57.29578f;
    if (d.y > 0.33f) return int32_t(azimuth / 72.0f) % 5;
    if (d.y < -0.33f) return int32_t(azimuth / 72.0f) % 5 + 5;
    return int32_t(azimuth / 36.0f) % 10 + 10;
}

void Craft::Init() {
    navTarget = nullptr;
    collisionMask = kCollisionMask;
    if (g_gameState != nullptr) {
        auto* const light = new FrameAttenuatedLight(Vector3{0.0f, 0.0f, 0.0f}, 0.0f, Radius());
        flashLight = new FlashLightHolder(light, this);
        g_gameState->Lights().Add(flashLight);
    }
    powerDrawCache = -1;
    decalSet = -1;
    lastAttacker = nullptr;
    lastHitAge = 0;
    jumpDeadline = jumpedOut = dead = 0;
    type = kTypeCraft;
    for (const ObjectPart* part : parts) {
        if (part->kind == ObjectPart::kShield) shieldMesh = part->node;
        if (part->kind == ObjectPart::kAttachment) engineGlow = part->node;
    }
    if (shieldMesh != nullptr) {
        shieldMesh->flags |= kFlagHiddenObject;
        shieldSectors = static_cast<int32_t*>(EngineAllocate(sizeof(int32_t) * kShieldSectors));
        Model* const mesh = shieldMesh->model;
        if (shieldSectors != nullptr) {
            std::memset(shieldSectors, 0, sizeof(int32_t) * kShieldSectors);
            for (uint32_t j = 0; mesh != nullptr && j < mesh->faceCount; ++j) {
                FaceRecord& face = mesh->faces[j];
                face.flags = kShieldFaceFlags;
                face.translucency[0] = face.translucency[1] = face.translucency[2] = kShieldFaceAlpha;
                // The face's normal, not the record's first words (flags and indices).
                const Vector3 normal{face.normal[0], face.normal[1], face.normal[2]};
                shieldSectors[ShieldSector(normal)] = int32_t(j);
            }
            for (int k = 1; k < kShieldSectors; ++k) {
                if (shieldSectors[k] == 0) shieldSectors[k] = shieldSectors[k - 1];
            }
        }
    }
    if (engineGlow != nullptr) engineGlow->flags |= kFlagHiddenObject;
}

bool Craft::AddSystem(int32_t part, ShipSystem* system) {
    if (system == nullptr || part < 0 || part >= parts.Count()) return false;
    if (IsLauncher(*system)) HoldInReserve(static_cast<Weapon&>(*system));
    if (!parts[part]->systems.Append(system)) return false;
    if (system->typeId == ShipSystem::kAnyWeapon) ++tailWords[1];
    return true;
}

bool Craft::IsLauncher(const ShipSystem& system) {
    return system.typeId == Weapon::kMissileLauncher || system.typeId == Weapon::kObjectLauncher;
}

void Craft::HoldInReserve(Weapon& launcher) {
    // Launchers of one loadout entry form a magazine: the first fires, the
    // others wait without a group and take it over one by one as each runs
    // dry (the hand-over of a spent shot).
    if (launcher.group <= 0 || launcher.equipmentId[0] == '\0') return;
    for (ShipSystem* system = GetSystem(ShipSystem::kAnyWeapon, nullptr); system != nullptr;
         system = GetSystem(ShipSystem::kAnyWeapon, system)) {
        const auto* const carried = static_cast<const Weapon*>(system);
        if (carried != &launcher && carried->typeId == launcher.typeId && carried->group == launcher.group &&
            std::strcmp(carried->equipmentId, launcher.equipmentId) == 0) {
            launcher.group = Weapon::kNoGroup;
            return;
        }
    }
}

void Craft::TakeGroupBack(Weapon& weapon) {
    if (weapon.group != Weapon::kNoGroup || weapon.initialGroup <= Weapon::kNoGroup || weapon.ammunition == 0) return;
    if (weapon.maxDamage > 0 && weapon.damage == weapon.maxDamage) return;
    weapon.group = weapon.initialGroup;
    if (IsLauncher(weapon)) HoldInReserve(weapon);
}

ShipSystem* Craft::GetSystem(int32_t kind, const ShipSystem* after) {
    const int slot = CacheSlot(kind);
    // The search itself changes nothing: the systems it finds are this craft's own.
    ShipSystem* const found = const_cast<ShipSystem*>(std::as_const(*this).GetSystem(kind, after));
    if (slot >= 0) {
        ShipSystem** const caches[5] = {&targetingCache, &shieldCache, &radarCache, &energyCache, &engineCache};
        *caches[slot] = found;
    }
    return found;
}

const ShipSystem* Craft::GetSystem(int32_t kind, const ShipSystem* after) const {
    const int slot = CacheSlot(kind);
    const ShipSystem* const caches[5] = {targetingCache, shieldCache, radarCache, energyCache, engineCache};
    if (slot >= 0 && caches[slot] != nullptr) return caches[slot];
    bool passed = after == nullptr;
    for (int32_t p = 0; p < parts.Count(); ++p) {
        for (const ShipSystem* system : parts[p]->systems) {
            if (!Matches(*system, kind)) continue;
            if (passed) return system;
            if (system == after) passed = true;
        }
    }
    return nullptr;
}

DynArray<ShipSystem*>& Craft::GetWeaponList() {
    if (weapons.Count() == 0) {
        for (ObjectPart* part : parts) {
            for (ShipSystem* system : part->systems) {
                if (system->typeId >= ShipSystem::kFirstWeapon) weapons.Append(system);
            }
        }
    }
    return weapons;
}

int32_t Craft::GetTotalPowerDraw() {
    if (powerDrawCache >= 0) return powerDrawCache;
    int64_t sum = 0;
    for (ObjectPart* part : parts) {
        for (ShipSystem* system : part->systems) sum += system->GetPowerDraw();
    }
    int32_t total = int32_t(std::clamp<int64_t>(sum, INT32_MIN, INT32_MAX));
    if (auto* const cloak = static_cast<CloakSystem*>(GetSystem(ShipSystem::kCloak, nullptr))) {
        total = cloak->MaskEmissions(total);
    }
    return total;
}

int32_t Craft::FireWeaponGroup(int32_t group) {
    // The aim point: the node of the target's selected part.
    SceneObject* aim = nullptr;
    if (auto* const targeting = static_cast<TargetingSystem*>(GetSystem(ShipSystem::kTargeting, nullptr))) {
        SpaceObject* const target = targeting->GetTarget();
        const int32_t sub = targeting->GetSubTarget();
        if (target != nullptr && sub >= 0 && sub < target->parts.Count()) aim = target->parts[sub]->node;
    }
    int32_t fired = 0;
    for (ShipSystem* system = GetSystem(ShipSystem::kAnyWeapon, nullptr); system != nullptr;
         system = GetSystem(ShipSystem::kAnyWeapon, system)) {
        auto* const weapon = static_cast<Weapon*>(system);
        if (!FiredWithGroup(*weapon, group)) continue;
        SceneObject* const from =
            weapon->partIndex >= 0 && weapon->partIndex < parts.Count() ? parts[weapon->partIndex]->node : nullptr;
        fired |= weapon->Fire(from, aim);
    }
    return fired;
}

bool Craft::OnTurretBarrel(const ShipSystem& system) const {
    const int32_t index = system.partIndex;
    if (index < 0 || index >= parts.Count()) return false;
    const Turret* const turret = parts[index]->turret;
    return turret != nullptr && turret->barrelPart == index;
}

bool Craft::FiredWithGroup(const Weapon& weapon, int32_t group) const {
    return weapon.group == group && !OnTurretBarrel(weapon);
}

SpaceObject* Craft::HostileTargetInCone() const {
    const auto* const targeting = static_cast<const TargetingSystem*>(GetSystem(ShipSystem::kTargeting, nullptr));
    SpaceObject* const target = targeting != nullptr ? targeting->GetTarget() : nullptr;
    if (target == nullptr || target->active == 0 || !IsHostile(target)) return nullptr;
    const Vector3 local = effects::DirectionToLocal(world, target->Position().Difference(Position()));
    const float length = local.Length();
    if (!(length > 0.0f) || local.z <= 0.0f) return nullptr;
    if (std::acos(std::clamp(local.z / length, -1.0f, 1.0f)) * kDegreesPerRadian >= targeting->cone) return nullptr;
    return target;
}

int32_t Craft::AimGunsAtTarget(int32_t group) {
    SpaceObject* const target = HostileTargetInCone();
    if (target == nullptr) return 0;
    const float distance = target->Position().Difference(Position()).Length();
    int32_t aimed = 0;
    for (ShipSystem* system = GetSystem(ShipSystem::kAnyWeapon, nullptr); system != nullptr;
         system = GetSystem(ShipSystem::kAnyWeapon, system)) {
        auto* const weapon = static_cast<Weapon*>(system);
        if (!FiredWithGroup(*weapon, group) || weapon->typeId != Weapon::kGun || distance > float(weapon->GetRange())) {
            continue;
        }
        static_cast<GunWeapon*>(weapon)->aimTarget = target;
        ++aimed;
    }
    return aimed;
}

int32_t Craft::AimProjectilesAtTarget(int32_t group) {
    int32_t aimed = 0;
    for (ShipSystem* system = GetSystem(ShipSystem::kAnyWeapon, nullptr); system != nullptr;
         system = GetSystem(ShipSystem::kAnyWeapon, system)) {
        auto* const weapon = static_cast<Weapon*>(system);
        if (!FiredWithGroup(*weapon, group) || weapon->typeId != Weapon::kProjectileWeapon) continue;
        auto* const gun = static_cast<ProjectileWeapon*>(weapon);
        Vector3 direction;
        gun->aimOverride = ProjectileAimAtTarget(*gun, &direction) ? 1 : 0;
        if (gun->aimOverride == 0) continue;
        gun->aimDirection = direction;
        ++aimed;
    }
    return aimed;
}

bool Craft::ProjectileAimAtTarget(const ProjectileWeapon& gun, Vector3* direction) const {
    if (OnTurretBarrel(gun)) return false;
    const SpaceObject* const target = HostileTargetInCone();
    if (target == nullptr || target->Position().Difference(Position()).Length() > float(gun.GetRange())) return false;
    const SceneObject* const node =
        gun.partIndex >= 0 && gun.partIndex < parts.Count() ? parts[gun.partIndex]->node : nullptr;
    const Vector3 toTarget = target->Position().Difference(node != nullptr ? effects::WorldPosition(*node) : Position());
    if (!(toTarget.Length() > 0.0f)) return false;
    *direction = toTarget;
    return true;
}

int32_t Craft::SetTarget(SpaceObject* object) {
    if (object != nullptr && object->isNavPoint != 0) {
        navTarget = object;
        return 1;
    }
    auto* const targeting = static_cast<TargetingSystem*>(GetSystem(ShipSystem::kTargeting, nullptr));
    return targeting != nullptr ? targeting->SelectTarget(object) : 0;
}

SpaceObject* Craft::GetTarget() {
    auto* const targeting = static_cast<TargetingSystem*>(GetSystem(ShipSystem::kTargeting, nullptr));
    return targeting != nullptr ? targeting->GetTarget() : nullptr;
}

void Craft::CollectShips(int32_t hostile, DynArray<SpaceObject*>& list) {
    list.Clear();
    auto* const targeting = static_cast<TargetingSystem*>(GetSystem(ShipSystem::kTargeting, nullptr));
    Mission* const mission = g_gameState != nullptr ? g_gameState->mission : nullptr;
    if (targeting == nullptr || side == 0 || mission == nullptr) return;
    for (SpaceObject* object = mission->firstObject; object != nullptr; object = object->GetNext()) {
        if (object == this || object->type < kTypePlayerShip || object->side == 0) continue;
        if ((hostile != 0) != (object->side != side)) continue;
        if (targeting->CanTarget(object)) list.Append(object);
    }
}

bool Craft::AddTurret(const Turret::Record& record) {
    if (record.turnRate < 0 || record.greatestPitch < 0) return false;
    for (int32_t i = 0; i < parts.Count(); ++i) {
        const SceneObject* const node = parts[i]->node;
        if (node == nullptr || node->model == nullptr ||
            std::strncmp(node->model->name, record.baseName, Turret::Record::kNameChars) != 0) {
            continue;
        }
        turrets.Append(new Turret(this, i, record.greatestPitch, record.turnRate, record.yawAxis, record.barrelAxis));
        return true;
    }
    return false;
}

void Craft::CycleNavPoint(int32_t backwards) {
    Mission* const mission = g_gameState != nullptr ? g_gameState->mission : nullptr;
    if (mission == nullptr || mission->firstObject == nullptr) return;
    SpaceObject* const current = navTarget;
    const auto last = [mission] {
        SpaceObject* object = mission->firstObject;
        while (object->GetNext() != nullptr) object = object->GetNext();
        return object;
    };
    int64_t count = 0;
    for (SpaceObject* object = mission->firstObject; object != nullptr; object = object->GetNext()) ++count;
    const auto step = [backwards](SpaceObject* object) { return backwards != 0 ? object->GetPrevious() : object->GetNext(); };
    SpaceObject* candidate = current != nullptr ? step(current) : (backwards != 0 ? last() : mission->firstObject);
    bool wrapped = false;
    SpaceObject* found = nullptr;
    // One lap at most: a target that left the list is never met again.
    for (int64_t visited = 0; visited <= count; ++visited) {
        if (candidate == nullptr) {
            if (current == nullptr || wrapped) break;
            wrapped = true;
            candidate = backwards != 0 ? last() : mission->firstObject;
        }
        if (candidate == current) break;
        if (candidate->active != 0 && candidate->isNavPoint != 0 && candidate->classWord != kNeverSeenClass) {
            found = candidate;
            break;
        }
        candidate = step(candidate);
    }
    if (found != nullptr && found != current) {
        navTarget = found;
    } else if (type == kTypePlayerShip && g_gameState != nullptr) {
        g_gameState->TheCockpit().PlayClick(2);
    }
}

void Craft::SelectClosestNavPoint() {
    Mission* const mission = g_gameState != nullptr ? g_gameState->mission : nullptr;
    SpaceObject* best = nullptr;
    float bestDistance = kNavPointRange;
    for (SpaceObject* object = mission != nullptr ? mission->firstObject : nullptr; object != nullptr; object = object->GetNext()) {
        if (object->isNavPoint == 0) continue;
        const float distance = DistanceTo(*object);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = object;
        }
    }
    if (best != nullptr) {
        navTarget = best;
    } else if (type == kTypePlayerShip && g_gameState != nullptr) {
        g_gameState->TheCockpit().PlayClick(2);
    }
}

void Craft::OnObjectRemoved(SpaceObject* removed) {
    if (navTarget.Get() != removed) return;
    CycleNavPoint(0);
    if (navTarget.Get() == removed) navTarget = nullptr;
}

void Craft::AddEmp(int32_t amount) { empLevel = Saturate32(int64_t(empLevel) + amount); }

void Craft::CountWeaponHit(const ShipSystem* weapon) {
    if (accuracy == nullptr || weapon == nullptr || weapon->owner != this) return;
    if (AccuracyRecord::Count* const count = accuracy->ForKind(weapon->typeId)) ++count->hits;
}

void Craft::CountWeaponShot(const ShipSystem* weapon) {
    if (accuracy == nullptr || weapon == nullptr || weapon->owner != this) return;
    if (AccuracyRecord::Count* const count = accuracy->ForKind(weapon->typeId)) ++count->shots;
}

void Craft::CountKill(const SpaceObject* victim) {
    if (accuracy == nullptr || victim == nullptr || victim->side == side) return;
    if (g_gameState != nullptr && g_gameState->IsNetworkGame()) return;
    ++accuracy->kills;
}

void Craft::ResetSystems() {
    // Switched off through their own steps, so that their reserves, lists
    // and indicators follow; a system already off is left alone.
    if (auto* const cloak = static_cast<CloakSystem*>(GetSystem(ShipSystem::kCloak, nullptr)); cloak && cloak->active) {
        cloak->TurnOff();
    }
    if (auto* const ecm = static_cast<EcmSystem*>(GetSystem(ShipSystem::kEcm, nullptr)); ecm && ecm->switchedOn) {
        ecm->TurnOff();
    }
    if (auto* const jammer = static_cast<JammerSystem*>(GetSystem(ShipSystem::kJammer, nullptr)); jammer && jammer->active) {
        jammer->TurnOff();
    }
    if (auto* const repair = static_cast<RepairSystem*>(GetSystem(ShipSystem::kRepair, nullptr))) repair->Refill();
    if (auto* const shield = static_cast<ShieldSystem*>(GetSystem(ShipSystem::kShield, nullptr))) shield->Refill();
    if (auto* const engine = static_cast<EngineSystem*>(GetSystem(ShipSystem::kEngine, nullptr))) engine->StopAfterburner();
    if (auto* const energy = static_cast<EnergySystem*>(GetSystem(ShipSystem::kEnergy, nullptr))) {
        energy->fuel = int64_t(std::min(fuelAllowance, energy->fuelCapacity)) * 1000;
        energy->InitPowerSplit();
    }
    hitPoints = maxHitPoints;
    if (parts.Count() > 0) {
        delete parts[0]->attached;
        parts[0]->attached = nullptr;
    }
    for (int32_t i = 0; i < HitPointRecordCount(); ++i) {
        const HitPoints record = HitPointRecord(i);
        SetHitPointRecord(i, record.max);
    }
    for (ObjectPart* part : parts) {
        for (ShipSystem* system : part->systems) {
            if (system->typeId == Weapon::kGun) static_cast<Weapon*>(system)->Refill();
            system->SetDamage(0);
        }
    }
    if (ShipRecord* const record = FlownRecord()) record->hullRepairMoney = 0;
    dead = 0;
}

ShipRecord* Craft::FlownRecord() const {
    const CareerRecord* const career = g_gameState != nullptr ? g_gameState->career : nullptr;
    return shipSerial != 0 && career != nullptr ? career->FindShipBySerial(shipSerial) : nullptr;
}

void Craft::Rearm() {
    if (auto* const energy = static_cast<EnergySystem*>(GetSystem(ShipSystem::kEnergy, nullptr))) {
        energy->fuel = int64_t(std::min(fuelAllowance, energy->fuelCapacity)) * 1000;
    }
    int64_t charged = 0;
    const bool player = type == kTypePlayerShip;
    CareerRecord* const career = g_gameState != nullptr ? g_gameState->career : nullptr;
    for (ShipSystem* system = GetSystem(ShipSystem::kAnyWeapon, nullptr); system != nullptr;
         system = GetSystem(ShipSystem::kAnyWeapon, system)) {
        auto* const weapon = static_cast<Weapon*>(system);
        const int32_t cost = weapon->GetReloadCost();
        if (player && !(int64_t(cost) < (career != nullptr ? career->funds : 0) - charged)) continue;
        charged += cost;
        weapon->Refill();
        TakeGroupBack(*weapon);
    }
    if (player && charged >= 1 && career != nullptr && g_gameState != nullptr) {
        career->funds = int32_t(career->funds - charged);
        g_gameState->TheCockpit().lastCharge = int32_t(charged);
    }
}

void Craft::ResetSystemLevels() {
    for (ObjectPart* part : parts) {
        for (ShipSystem* system : part->systems) {
            const int64_t maximum = system->maxDamage;
            if (system->typeId >= ShipSystem::kFirstWeapon) {
                system->SetDamage(int32_t(maximum));
            } else if (system->typeId == ShipSystem::kEngine) {
                system->SetDamage(int32_t(maximum * 2 / 3));
            } else if (system->typeId == ShipSystem::kShield) {
                system->SetDamage(int32_t(maximum * 4 / 10));
            } else if (system->typeId == ShipSystem::kEnergy) {
                system->SetDamage(int32_t(maximum / 2));
            }
        }
    }
}

void Craft::UpdateParts(uint32_t milliseconds) { StepSystems(milliseconds, true); }

void Craft::UpdatePartsWithoutFlight(uint32_t milliseconds) { StepSystems(milliseconds, false); }

void Craft::StepSystems(uint32_t milliseconds, bool flying) {
    auto* const energy = static_cast<EnergySystem*>(GetSystem(ShipSystem::kEnergy, nullptr));
    for (ObjectPart* part : parts) {
        if (energy != nullptr && dead == 0) {
            for (ShipSystem* system : part->systems) {
                // The engine sets the speeds the hull flies at, the flight
                // controls its drag and turning.
                if (!flying && (system->typeId == ShipSystem::kEngine || system->typeId == ShipSystem::kFlightControl)) continue;
                system->Update(int32_t(std::min<uint32_t>(milliseconds, INT32_MAX)), energy);
            }
        }
        if (part->node != nullptr && (part->node->flags & kFlagHiddenObject) == 0) part->UpdateAttached(velocity);
    }
}

void Craft::ShowShieldHit(const Vector3* direction, int32_t strength) {
    if (shieldColoursResolved == 0 && g_gameState != nullptr && g_gameState->currentPalette != nullptr) {
        // Colours as 0xBBGGRR: one race's shields glow blue, every other craft's amber.
        const auto* const ai = type == kTypeAiShip ? dynamic_cast<const AiShip*>(this) : nullptr;
        const bool blue = ai != nullptr && ai->race == AiShip::kBlueShieldRace;
        static constexpr uint32_t kAmber[4] = {0x00C0FF, 0x0080C0, 0x004080, 0x000040};
        static constexpr uint32_t kBlue[4] = {0xFF0000, 0xC00000, 0x800000, 0x400000};
        for (int i = 0; i < 4; ++i) shieldColours[i] = g_gameState->currentPalette->MatchColor(blue ? kBlue[i] : kAmber[i]);
        shieldColoursResolved = 1;
    }
    if (shieldHit != nullptr || direction == nullptr || shieldMesh == nullptr || shieldSectors == nullptr ||
        shieldMesh->model == nullptr || shieldMesh->model->faceCount == 0) {
        return;
    }
    Vector3 d = *direction;
    if (d.Length() > 0.0f) d.Normalize();
    auto* const ripple = new ShieldRipple;
    if (ripple == nullptr) return;
    const uint32_t faces = shieldMesh->model->faceCount;
    ripple->faceCounters = static_cast<int8_t*>(EngineAllocate(faces));
    if (ripple->faceCounters == nullptr) {
        delete ripple;
        return;
    }
    std::memset(ripple->faceCounters, -1, faces);
    ripple->hitAt = uint32_t(GetMilliseconds() - uint32_t(createdMs));
    const int32_t quotient = strength / 25;
    ripple->colour = shieldColours[quotient <= 0 ? 0 : std::min(quotient, 3)];
    const int32_t start = shieldSectors[ShieldSector(d)];
    if (start >= 0 && uint32_t(start) < faces) ripple->faceCounters[start] = 4;
    shieldHit = ripple;
}

void Craft::FillNetState(NetObjectState& state) const {
    state = NetObjectState{};
    state.tail[0] = uint32_t(decalSet);
    // The class word goes along: a station the host made a spawn point is one everywhere.
    state.tail[1] = uint32_t(classWord);
    state.tailWords = 2;
    state.explodeFlag = dead;
    auto* const self = const_cast<Craft*>(this);
    if (auto* const shield = static_cast<ShieldSystem*>(self->GetSystem(ShipSystem::kShield, nullptr))) {
        state.shieldDepletion = shield->GetDepletionPercent();
    }
    state.cloaked = cloaked;
    state.powerDraw = self->GetTotalPowerDraw();

}

int32_t Craft::TakeJammerReport() const {
    auto* const jammer = static_cast<JammerSystem*>(const_cast<Craft*>(this)->GetSystem(ShipSystem::kJammer, nullptr));
    return jammer != nullptr ? jammer->GetNetState() : 0;
}

SpaceObject* Craft::Clone(SpaceObject* placementSource, int32_t, int32_t) {
    auto* const clone = new Craft(this);
    if (clone == nullptr) return nullptr;
    CopyInto(*clone, placementSource, false);
    clone->decalSet = decalSet;
    clone->UpdateVisibility();
    if (g_gameState != nullptr) g_gameState->AddObjectsToWorld(clone, 0);
    return clone;
}
