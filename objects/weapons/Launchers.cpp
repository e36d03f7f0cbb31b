#include "objects/weapons/Launchers.h"

#include <cstring>

#include "engine/MathRoutineTable.h"
#include "engine/Random.h"
#include "game/GameState.h"
#include "mission/Loadout.h"
#include "objects/effects/EffectSupport.h"
#include "objects/ships/Craft.h"
#include "objects/space/ObjectPart.h"
#include "objects/systems/EnergySystem.h"
#include "objects/systems/TargetingSystem.h"
#include "objects/space/Mine.h"
#include "objects/space/Missile.h"
#include "scene/SceneObject.h"
#include "sound/SoundObject.h"

namespace {

constexpr float kMineSpeed = 25.0f;
constexpr float kMineScatter = 5.0f;
constexpr int32_t kFullLock = 100;

int32_t ReloadCost(int32_t maximum, int32_t ammunition, int32_t unitPrice) {
    if (maximum <= 0) return 0;
    return int32_t(int64_t(maximum - ammunition) * unitPrice / maximum);
}

// Launched objects leave from the launching node, moved by the muzzle offset.
SpaceObject* Launch(SpaceObject& launchTemplate, Frame* from, SpaceObject* owner, const Vector3& muzzle) {
    SpaceObject* const placement = effects::SpaceObjectOf(from) != nullptr ? effects::SpaceObjectOf(from) : owner;
    SpaceObject* const object = launchTemplate.Clone(placement);
    if (object == nullptr) return nullptr;
    if (from != nullptr && from != placement) object->TakePlacement(from->world);
    // The muzzle offset runs along the launching node's axes, at its size.
    if (const Frame* const along = from != nullptr ? from : placement) {
        Vector3 offset;
        TransformVector(&muzzle, &along->world.matrix, &offset);
        object->local.Translate(&offset, Transform::kAllFlags);
    }
    object->UpdateWorldTransform(Transform::kAllFlags);
    return object;
}

// The host makes what a client launches; the client's own copy goes.
bool KeepLocally(SpaceObject*& object) {
    if (g_gameState == nullptr || g_gameState->NetCreateObject(object) != 0) return true;
    object->OnRemove(1);
    delete object;
    object = nullptr;
    return false;
}

}  // namespace

MissileLauncher::MissileLauncher(Craft* owner, int32_t partIndex, int32_t maximum, int32_t weaponGroup, int32_t refire,
                                 int32_t energy, int32_t ammo, int32_t lifetime, const int32_t damage[5],
                                 SpaceObject* missileTemplate, const DynArray16* names, const Light& lightValues)
    : Weapon(owner, partIndex, maximum, weaponGroup, refire, energy, ammo, damage, lightValues, names),
      lifetimeMs(lifetime),
      launchTemplate(missileTemplate) {
    typeId = kMissileLauncher;
    firingSound = MakeFiringSound();
}

MissileLauncher::~MissileLauncher() { Drop(firingSound); }

ShipSystem* MissileLauncher::Clone(Craft* newOwner, int32_t newPartIndex) const {
    auto* const clone = new MissileLauncher(newOwner, newPartIndex, maxDamage, group, refireDelay, energyPerShot,
                                            maxAmmunition, lifetimeMs, damageRecord.amounts, launchTemplate, &soundNames,
                                            light);
    if (clone != nullptr) CopyWeaponInto(*clone);
    return clone;
}

int32_t MissileLauncher::GetRange() const {
    if (launchTemplate == nullptr) return 0;
    return int32_t(int64_t(launchTemplate->velocityCap) * lifetimeMs / 1000);
}

int32_t MissileLauncher::GetReloadCost() const { return ReloadCost(maxAmmunition, ammunition, unitPrice); }

int32_t MissileLauncher::Fire(SceneObject* launchNode, SceneObject* targetNode) {
    if (owner == nullptr) return 0;
    auto* const energy = static_cast<EnergySystem*>(owner->GetSystem(kEnergy, nullptr));
    if (CanFire(energy) == 0 || launchTemplate == nullptr) return 0;
    auto* const targeting = static_cast<TargetingSystem*>(owner->GetSystem(kTargeting, nullptr));
    SpaceObject* const target = effects::SpaceObjectOf(targetNode);
    int32_t targetPart = 0;
    for (int32_t i = 0; target != nullptr && i < target->parts.Count(); ++i) {
        if (target->parts[i]->node == targetNode) targetPart = i;
    }
    Frame* const from = launchNode != nullptr ? static_cast<Frame*>(launchNode) : owner;
    SpaceObject* object = Launch(*launchTemplate, from, owner, muzzleOffset);
    // A missile that could not be made is no shot: nothing is spent.
    if (object == nullptr) return 0;
    SpendShot(energy);
    const bool locked = targeting != nullptr && targeting->GetLockStrength(this, lockClass) >= kFullLock;
    SendOff(*object, *from, locked ? target : nullptr, targetPart);
    KeepLocally(object);
    PlayFiring(firingSound, 5, 1, 1);
    GameState* const game = g_gameState;
    if (game != nullptr) {
        if (game->novaFired == 0 && object != nullptr && owner->type == SpaceObject::kTypePlayerShip) {
            game->trackedPlayerMissile = object;
        }
        if (name != nullptr && std::strstr(name, "Nova") != nullptr) game->novaFired = 1;
    }
    return 1;
}

SpaceObject* MissileLauncher::LaunchRequested(SpaceObject* target, int32_t targetPart) {
    if (owner == nullptr || launchTemplate == nullptr || !RequestDue()) return nullptr;
    Frame* const from = LaunchFrame();
    SpaceObject* object = Launch(*launchTemplate, from, owner, muzzleOffset);
    if (object == nullptr) return nullptr;
    TakeRequestedRound();
    const bool aimed = target != nullptr && targetPart >= 0 && targetPart < target->parts.Count();
    SendOff(*object, *from, aimed ? target : nullptr, aimed ? targetPart : 0);
    KeepLocally(object);
    PlayFiring(firingSound, 5, 1, 1);
    return object;
}

void MissileLauncher::SendOff(SpaceObject& object, const Frame& from, SpaceObject* target, int32_t targetPart) {
    auto* const missile = dynamic_cast<Missile*>(&object);
    if (missile != nullptr) {
        missile->visibilityWord = 0;
        missile->Arm();
    }
    object.UpdateVisibility();
    if (missile != nullptr) {
        missile->target = target;
        missile->targetPart = targetPart;
    }
    // Along the launch direction: a third of the missile's acceleration on
    // top of the owner's own speed.
    const Vector3 ahead{0.0f, 0.0f, 1.0f};
    Vector3 direction;
    TransformVector(&ahead, &from.world.matrix, &direction);
    direction.Normalize();
    object.velocity = direction.Scaled(object.velocityCap / 3.0f + owner->velocity.Length());
    object.SetSide(owner->side);
    object.Accelerate(1000.0f);
    if (maxDamage > 0 && GameRandom() % maxDamage < damage) {
        object.Activate(1.0f);
    } else {
        object.Activate(float(lifetimeMs / 1000));
    }
    if (missile != nullptr) {
        missile->lifetime = lifetimeMs;
        missile->owner = owner;
        missile->launcher = this;
        missile->guidance = lockClass;
        missile->damage = damageRecord;
        missile->empCharge = empCharge;
    }
}

ObjectLauncher::ObjectLauncher(Craft* owner, int32_t partIndex, int32_t maximum, int32_t weaponGroup, int32_t refire,
                               int32_t energy, int32_t ammo, const int32_t damage[5], SpaceObject* objectTemplate,
                               const DynArray16* names, const Light& lightValues)
    : Weapon(owner, partIndex, maximum, weaponGroup, refire, energy, ammo, damage, lightValues, names),
      launchTemplate(objectTemplate) {
    typeId = kObjectLauncher;
    firingSound = MakeFiringSound();
}

ObjectLauncher::~ObjectLauncher() { Drop(firingSound); }

ShipSystem* ObjectLauncher::Clone(Craft* newOwner, int32_t newPartIndex) const {
    auto* const clone = new ObjectLauncher(newOwner, newPartIndex, maxDamage, group, refireDelay, energyPerShot,
                                           maxAmmunition, damageRecord.amounts, launchTemplate, &soundNames, light);
    if (clone != nullptr) CopyWeaponInto(*clone);
    return clone;
}

int32_t ObjectLauncher::GetReloadCost() const { return ReloadCost(maxAmmunition, ammunition, unitPrice); }

int32_t ObjectLauncher::Fire(SceneObject* launchNode, SceneObject*) {
    if (owner == nullptr) return 0;
    auto* const energy = static_cast<EnergySystem*>(owner->GetSystem(kEnergy, nullptr));
    if (CanFire(energy) == 0) return 0;
    SpendShot(energy);
    if (launchTemplate == nullptr) {
        loadout::LoadLoadout(owner);
    } else {
        DropMine(launchNode != nullptr ? static_cast<Frame*>(launchNode) : owner);
    }
    PlayFiring(firingSound, 5, 1, 1);
    return 1;
}

SpaceObject* ObjectLauncher::LaunchRequested() {
    if (owner == nullptr || launchTemplate == nullptr || !RequestDue()) return nullptr;
    TakeRequestedRound();
    SpaceObject* const object = DropMine(LaunchFrame());
    PlayFiring(firingSound, 5, 1, 1);
    return object;
}

SpaceObject* ObjectLauncher::DropMine(Frame* from) {
    SpaceObject* object = Launch(*launchTemplate, from, owner, muzzleOffset);
    if (object == nullptr) return nullptr;
    // Backwards from the owner, whatever the launching node faces.
    const Vector3 behind{0.0f, 0.0f, -1.0f};
    Vector3 direction;
    TransformVector(&behind, &owner->world.matrix, &direction);
    direction.Normalize();   // the owner's scale sizes it, not the mine's speed
    Vector3 scatter = RandomDifferenceVector();
    scatter.Normalize();
    object->velocity = direction.Scaled(kMineSpeed).Sum(scatter.Scaled(kMineScatter));
    object->Accelerate(0.0f);
    auto* const mine = dynamic_cast<Mine*>(object);
    if (mine != nullptr) mine->visibilityWord = -1;
    object->UpdateVisibility();
    object->SetSide(owner->side);
    object->Activate(0.0f);
    if (mine != nullptr) {
        mine->owner = owner;
        mine->launcher = this;
        mine->damage = damageRecord;
        mine->empCharge = empCharge;
    }
    KeepLocally(object);
    return object;
}
