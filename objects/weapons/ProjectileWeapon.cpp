#include "objects/weapons/ProjectileWeapon.h"

#include <algorithm>
#include <cstring>

#include "engine/MathRoutineTable.h"
#include "engine/Random.h"
#include "engine/TextCompare.h"
#include "game/CareerRecord.h"
#include "game/EffectTypes.h"
#include "game/GameState.h"
#include "game/LightHolder.h"
#include "objects/effects/StreamEffect.h"
#include "objects/effects/TimedEffect.h"
#include "objects/effects/Turret.h"
#include "objects/ships/Craft.h"
#include "objects/space/ObjectPart.h"
#include "objects/systems/EnergySystem.h"
#include "objects/weapons/Projectile.h"
#include "scene/SceneObject.h"

ProjectileWeapon::ProjectileWeapon(Craft* owner, int32_t partIndex, int32_t maximum, int32_t weaponGroup, int32_t refire,
                                   int32_t energy, int32_t ammo, int32_t lifetime, const int32_t damage[5],
                                   const char* name, const DynArray16* names, const Light& lightValues)
    : Weapon(owner, partIndex, maximum, weaponGroup, refire, energy, ammo, damage, lightValues, names),
      shotLifetime(lifetime) {
    typeId = kProjectileWeapon;
    if (name != nullptr) std::memcpy(projectileName, name, strnlen(name, sizeof projectileName - 1));
    for (ProjectileType* type = g_projectileTypes; type != nullptr; type = type->next) {
        if (text::_stricmp(type->name, projectileName) == 0) {
            projectileType = type;
            break;
        }
    }
    firingSound = MakeFiringSound();
}

ProjectileWeapon::~ProjectileWeapon() { Drop(firingSound); }

ShipSystem* ProjectileWeapon::Clone(Craft* newOwner, int32_t newPartIndex) const {
    auto* const clone = new ProjectileWeapon(newOwner, newPartIndex, maxDamage, group, refireDelay, energyPerShot,
                                             maxAmmunition, shotLifetime, damageRecord.amounts, projectileName,
                                             &soundNames, light);
    if (clone != nullptr) {
        CopyWeaponInto(*clone);
        clone->streamType = streamType;
    }
    return clone;
}

Vector3 ProjectileWeapon::BaseVelocity(bool useTurret) const {
    if (owner == nullptr || owner->parts.Count() == 0 || projectileType == nullptr) return {};
    ObjectPart& part = *owner->parts[std::clamp(partIndex, 0, owner->parts.Count() - 1)];
    Vector3 direction{0.0f, 0.0f, 1.0f};
    if (useTurret && part.turret != nullptr) {
        part.turret->GetAimDirection(&direction);
    } else if (part.node != nullptr) {
        const Vector3 ahead{0.0f, 0.0f, 1.0f};
        TransformVector(&ahead, &part.node->world.matrix, &direction);
        direction.Normalize();   // the node's scale sizes the part, not the shot's speed
    }
    Vector3 v = direction.Scaled(projectileType->speed);
    if (maxDamage > 0 && damage > 0) {
        // In floating point: a damaged weapon's shots are slower.
        const int32_t r = GameRandom() % damage - damage;
        v = v.Scaled(float(r) / float(maxDamage) + 1.0f);
    }
    return v.Sum(owner->velocity).Scaled(projectileType->speedFactor);
}

Vector3 ProjectileWeapon::ShotVelocity(const Vector3* aim) const {
    const Vector3 v = BaseVelocity(true);
    if (aim == nullptr) return v;
    Vector3 direction = *aim;
    direction.Normalize();
    return direction.Scaled(v.Length());
}

int32_t ProjectileWeapon::GetRange() const {
    const Vector3 v = BaseVelocity(false);
    return int32_t(double(shotLifetime) * v.Length() * 0.001);
}

int32_t ProjectileWeapon::Fire(SceneObject* launchNode, SceneObject*) {
    if (owner == nullptr || projectileType == nullptr) return 0;
    auto* const energy = static_cast<EnergySystem*>(owner->GetSystem(kEnergy, nullptr));
    const Vector3 velocity = AimShot();
    aimOverride = 0;
    if (CanFire(energy) == 0) return 0;
    SpendShot(energy);
    heat = 3;
    StreamEffect* const trail = streamType != nullptr ? new StreamEffect(streamType) : nullptr;

    const Frame* const from = launchNode != nullptr ? static_cast<const Frame*>(launchNode) : owner;
    Vector3 point;
    from->local.matrix.GetTranslation(&point);
    if (from->parent != nullptr) {
        Vector3 inWorld;
        TransformPoint(&point, &from->parent->world.matrix, &inWorld);
        point = inWorld;
    }
    Vector3 offset;
    TransformVector(&muzzleOffset, &owner->world.matrix, &offset);
    point = point.Sum(offset);

    int32_t lifetime = shotLifetime;
    if (maxDamage > 0 && damage > 0) {
        // In floating point: a damaged weapon's shots die sooner.
        lifetime = int32_t(double(shotLifetime) * (1.0 - double(GameRandom() % damage) / maxDamage));
    }
    auto* const shot = new Projectile(projectileType, damageRecord, empCharge, velocity, point, owner, this, lifetime, trail);

    GameState* const game = g_gameState;
    if (game != nullptr && game->weaponFlash != nullptr && owner->flashLight != nullptr && game->career != nullptr &&
        game->career->options.extraLights != 0) {
        game->weaponFlash->Flash();
    }
    if (game != nullptr && projectileType->muzzleFlashName[0] != 0 && game->weaponFlash != nullptr) {
        if (AnimationType* const flash = FindAnimationType(projectileType->muzzleFlashName)) {
            auto* const effect = new TimedEffect(flash, point, nullptr, owner->world.forward, Vector3{});
            game->RegisterObjectGroup(effect, game->currentPalette, 1);
        }
    }
    PlayFiring(firingSound, 5, 1, 1);
    KeepProjectile(shot);
    return 1;
}
