#pragma once
#include <cstdint>

#include "objects/weapons/Weapon.h"

struct ProjectileType;
class SceneObject;

// Fires projectiles of an fx.iff PROJ type (type 23, chunk PROJ): aimed
// along its part or turret (or a direction the pilot or AI gives), slower
// and shorter-lived when damaged; heat raises its power draw for three
// updates after each shot.
class ProjectileWeapon : public Weapon {
public:
    ProjectileWeapon(Craft* owner, int32_t partIndex, int32_t maxDamage, int32_t group, int32_t refireDelay,
                     int32_t energyPerShot, int32_t ammunition, int32_t shotLifetime, const int32_t damage[5],
                     const char* projectileName, const DynArray16* soundNames, const Light& light = {});
    ~ProjectileWeapon() override;

    ShipSystem* Clone(Craft* newOwner, int32_t newPartIndex) const override;
    int32_t GetPowerDraw() const override { return group >= 1 ? powerDraw * (heat + 1) : 0; }
    int32_t Fire(SceneObject* launchNode, SceneObject* targetNode) override;
    int32_t GetRange() const override;
    void UpdateWeapon(int32_t) override {
        if (heat > 0) --heat;
    }

    // The velocity a shot fired now would get.
    Vector3 AimShot() const { return ShotVelocity(aimOverride != 0 ? &aimDirection : nullptr); }
    // The same along `aim` when given (as the aim override aims it), else
    // along the turret or the part. Nothing of the weapon changes; a damaged
    // weapon's speed rolls the game's dice.
    Vector3 ShotVelocity(const Vector3* aim) const;

    SoundObject* firingSound = nullptr;
    Vector3 aimDirection{0.0f, 0.0f, 1.0f};
    int32_t aimOverride = 0;
    int32_t heat = 0;
    int32_t shotLifetime;   // ms
    ProjectileType* projectileType = nullptr;
    char projectileName[17] = {};

private:
    // Steps 1-5 of the aim: along the turret or the part, and without the override.
    Vector3 BaseVelocity(bool useTurret) const;
};
