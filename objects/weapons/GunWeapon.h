#pragma once
#include <cstdint>

#include "objects/space/ObjectLink.h"
#include "objects/weapons/Weapon.h"

class SceneObject;

// A continuous-fire, instant-hit gun (type 21, chunk EXPL): while the
// trigger is held each update fires the shots its rate and the frame allow
// as one ray from the muzzle, damages the first part the ray meets per
// second of fire, draws tracers and impact sparks, and tells the other
// machines with GUN_SHOT. `Fire` only latches the trigger.
class GunWeapon : public Weapon {
public:
    static constexpr int kNameBytes = 16;

    GunWeapon(Craft* owner, int32_t partIndex, int32_t maxDamage, int32_t group, int32_t rateOfFire,
              int32_t energyPerShot, int32_t ammunition, int32_t range, const int32_t damage[5],
              const char* explosionName, const DynArray16* soundNames, const Light& light = {});
    ~GunWeapon() override;

    ShipSystem* Clone(Craft* newOwner, int32_t newPartIndex) const override;
    int32_t Fire(SceneObject* launchNode, SceneObject* targetNode) override;
    int32_t GetRange() const override { return range; }
    void UpdateWeapon(int32_t milliseconds) override;

    int32_t triggerLatch = 0;
    int32_t firing = 0;
    int32_t range;
    int32_t rateOfFire;       // shots per second
    ObjectLink aimTarget;     // aimed at by the next update, then cleared
    SoundObject* firingSound = nullptr;
    SceneObject* launchNode = nullptr;
    char explosionName[kNameBytes + 1] = {};
    RateCarry shotCarry;      // the part of a shot the burst's frames owe
    int32_t unshotMs = 0;     // time of fire since the last shot left, ms

private:
    void FireShots(int32_t milliseconds, EnergySystem* energy);
    void StopSound();
};

// Impact sparks of gun shots, for local hits and for GUN_SHOT packets.
struct RemoteShot {
    static void Create(int32_t shots, const Vector3& point);
};
