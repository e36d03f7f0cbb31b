#include "objects/weapons/GunWeapon.h"

#include <algorithm>
#include <cstring>

#include "engine/MathRoutineTable.h"
#include "engine/Random.h"
#include "game/CareerRecord.h"
#include "game/GameState.h"
#include "game/LightHolder.h"
#include "net/NetPacket.h"
#include "net/NetPacketType.h"
#include "net/NetSession.h"
#include "objects/effects/EffectSupport.h"
#include "objects/effects/ShotEffect.h"
#include "objects/effects/Turret.h"
#include "objects/ships/Craft.h"
#include "objects/space/ObjectPart.h"
#include "objects/systems/EnergySystem.h"
#include "objects/weapons/HitSearch.h"
#include "objects/weapons/WeaponNet.h"
#include "scene/Particle.h"
#include "scene/ParticleSystem.h"
#include "scene/SceneObject.h"
#include "sound/SoundDevice.h"
#include "sound/SoundObject.h"

namespace {

constexpr float kSegment = 100.0f;

// A part's point in the world: its local position through its parent.
Vector3 PartPoint(const SceneObject& node) {
    Vector3 at;
    node.local.matrix.GetTranslation(&at);
    if (node.parent == nullptr) return at;
    Vector3 world;
    TransformPoint(&at, &node.parent->world.matrix, &world);
    return world;
}

}  // namespace

GunWeapon::GunWeapon(Craft* owner, int32_t partIndex, int32_t maximum, int32_t weaponGroup, int32_t rate,
                     int32_t energy, int32_t ammo, int32_t gunRange, const int32_t damage[5], const char* explosion,
                     const DynArray16* names, const Light& lightValues)
    : Weapon(owner, partIndex, maximum, weaponGroup, 0, energy, ammo, damage, lightValues, names),
      range(gunRange),
      rateOfFire(rate) {
    typeId = kGun;
    if (explosion != nullptr) std::memcpy(explosionName, explosion, strnlen(explosion, kNameBytes));
    firingSound = MakeFiringSound();
}

GunWeapon::~GunWeapon() { Drop(firingSound); }

ShipSystem* GunWeapon::Clone(Craft* newOwner, int32_t newPartIndex) const {
    auto* const clone = new GunWeapon(newOwner, newPartIndex, maxDamage, group, rateOfFire, energyPerShot,
                                      maxAmmunition, range, damageRecord.amounts, explosionName, &soundNames, light);
    if (clone != nullptr) CopyWeaponInto(*clone);
    return clone;
}

int32_t GunWeapon::Fire(SceneObject* launch, SceneObject*) {
    triggerLatch = 1;
    launchNode = launch;
    return 1;
}

void GunWeapon::StopSound() {
    if (firingSound != nullptr && g_gameState != nullptr && g_gameState->Sound() != nullptr) {
        g_gameState->Sound()->StopSound(firingSound);
    }
}

void GunWeapon::UpdateWeapon(int32_t milliseconds) {
    auto* const energy = owner != nullptr ? static_cast<EnergySystem*>(owner->GetSystem(kEnergy, nullptr)) : nullptr;
    if (milliseconds < 0) {
        StopSound();
        triggerLatch = 0;
        firing = 0;
        return;
    }
    if (triggerLatch != 0) {
        if (CanFire(energy) != 0) {
            if (firing != 0) {
                FireShots(milliseconds, energy);
            } else {
                // The first accepted frame of a burst starts the sound and fires nothing.
                firing = 1;
                shotCarry.Clear();
                unshotMs = 0;
                if (firingSound != nullptr) firingSound->repeat = 1;
                PlayFiring(firingSound, 5, 1, 0);
            }
        }
    } else {
        firing = 0;
        if (firingSound != nullptr) firingSound->repeat = 0;
    }
    triggerLatch = 0;
}

void GunWeapon::FireShots(int32_t milliseconds, EnergySystem* energy) {
    if (owner == nullptr || partIndex < 0 || partIndex >= owner->parts.Count()) return;
    int64_t n = energy == nullptr ? 0 : energyPerShot == 0 ? 10000 : energy->weaponPool / energyPerShot;
    n = std::min<int64_t>(n, shotCarry.TakeRate(rateOfFire, milliseconds));
    n = std::min<int64_t>(n, ammunition);
    // The damage is per second of fire: frames too short for a shot of
    // their own hand their time to the next shot that leaves.
    unshotMs = std::min(unshotMs + milliseconds, 1000);
    if (n <= 0) return;
    const int32_t fireMs = unshotMs;
    unshotMs = 0;
    SpendShot(energy);
    if (damage > 0 && maxDamage > 0) {
        // In floating point (in integers the fraction is always 0); the shot
        // booked above stays fired.
        const double loss = double(GameRandom() % damage) / (2.0 * maxDamage);
        n = std::max<int64_t>(1, int64_t(double(n) * (1.0 - loss)));
    }
    if (!UnlimitedAmmunition()) ammunition = int32_t(std::max<int64_t>(0, ammunition - (n - 1)));
    if (energy != nullptr) energy->weaponPool -= int32_t(std::min<int64_t>(int64_t(energyPerShot) * (n - 1), INT32_MAX));
    GameState* const game = g_gameState;
    if (game != nullptr && game->weaponFlash != nullptr && GameRandom() % 3 == 0 && owner->flashLight != nullptr &&
        game->career != nullptr && game->career->options.extraLights != 0) {
        game->weaponFlash->Flash();
    }

    ObjectPart& part = *owner->parts[partIndex];
    SceneObject* const from = launchNode != nullptr ? launchNode : owner;
    Vector3 muzzle = part.node != nullptr ? PartPoint(*part.node) : owner->Position();
    if (part.node != nullptr) {
        Vector3 turned;
        TransformVector(&muzzleOffset, &part.node->world.matrix, &turned);
        muzzle = muzzle.Sum(turned);
    }
    Vector3 direction;
    SpaceObject* const aimed = aimTarget.Get();
    if (aimed != nullptr && aimed->type >= SpaceObject::kTypePlayerShip && aimed->active != 0) {
        direction = aimed->Position().Difference(muzzle);
        direction.Normalize();
    } else if (part.turret != nullptr) {
        part.turret->GetAimDirection(&direction);
    } else {
        const Vector3 ahead{0.0f, 0.0f, 1.0f};
        TransformVector(&ahead, &from->world.matrix, &direction);
        direction.Normalize();
    }
    aimTarget = nullptr;
    if (damage > 0 && maxDamage > 0) {
        const float wander = float(GameRandom() % damage) / (float(maxDamage) * 5.0f);
        direction = direction.Sum(RandomUnitVector().Scaled(wander));
    }

    const WeaponHit hit = FindWeaponHit(owner, muzzle, direction, float(range + 1));
    const Vector3 end = muzzle.Sum(direction.Scaled(hit.distance - 1.0f));

    Vector3 segment = effects::DirectionToLocal(from->world, direction);
    segment.Normalize();
    segment = segment.Scaled(kSegment);
    for (float f = float(GameRandom() % 30) * 0.1f; (f + 1.0f) * kSegment < hit.distance;
         f += 1.0f + float(GameRandom() % 30) * 0.1f) {
        auto* const tracer = new ShotEffect(from, segment.Scaled(f + 1.0f), segment.Scaled(f));
        if (game != nullptr) {
            game->RegisterObjectGroup(tracer, game->effectKey, 1);
        } else {
            delete tracer;
        }
    }

    if (hit.object == nullptr) {
        DamageRecord record;
        record.source = owner;
        weapon_net::SendWeaponFire(kGunShot, record, int32_t(n), nullptr, explosionName, partIndex, -1, end);
        return;
    }
    const bool ship = hit.object->type > SpaceObject::kTypeCraft;
    const int32_t emp = HitEmp(fireMs);
    if (ship) static_cast<Craft*>(hit.object)->AddEmp(emp);
    owner->CountWeaponHit(this);
    DamageRecord record = HitRecord(fireMs);
    hit.object->TakeDamage(hit.part, record, owner);
    RemoteShot::Create(int32_t(n), end);
    if (empCharge > 0 && ship) weapon_net::SendEmpDamage(hit.object, emp);
    weapon_net::SendWeaponFire(kGunShot, record, int32_t(n), hit.object, explosionName, partIndex, hit.part, end);
}

void RemoteShot::Create(int32_t shots, const Vector3& point) {
    GameState* const game = g_gameState;
    if (game == nullptr) return;
    static uint32_t colours[3];
    static bool looked = false;
    if (!looked) {
        colours[0] = effects::ColourIn("explode", 255, 0, 0);
        colours[1] = effects::ColourIn("explode", 255, 200, 0);
        colours[2] = effects::ColourIn("explode", 255, 255, 0);
        looked = true;
    }
    ParticleSystem* const sparks = game->GunSparks();
    if (sparks == nullptr) return;
    for (int32_t i = 0; i < std::max(shots / 3, 1); ++i) {
        Vector3 velocity{float(GameRandom()), float(GameRandom()), float(GameRandom())};
        velocity.Normalize();
        const float sign = (GameRandom() & 1) != 0 ? 3.0f : -3.0f;
        velocity = velocity.Scaled(float(GameRandom()) * sign / 32767.0f);
        uint32_t colour;
        if ((GameRandom() & 1) != 0) {
            colour = colours[1];
        } else {
            colour = (GameRandom() & 1) != 0 ? colours[0] : colours[2];
        }
        auto* const particle = new Particle(&point, &velocity, colour, float(GameRandom()) * (1.0f / 32767.0f));
        particle->flags |= Particle::kFlagLifeBySteps;
        sparks->AddParticle(particle);
    }
}
