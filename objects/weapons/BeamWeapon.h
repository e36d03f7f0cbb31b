#pragma once
#include <cstdint>

#include "objects/space/ObjectLink.h"
#include "objects/weapons/Weapon.h"
#include "scene/ParticleSystem.h"

class BeamEffect;
struct BeamType;
class SceneObject;

// A beam held on while the trigger is (type 20, chunk BEAM): no ammunition,
// energy per second, heat that forces a cool-down above its maximum, one or
// three beam layers following the muzzle and the locked part, damage per
// second to the part hit, sparks along the beam, BEAM_HIT for the others.
// `Fire` starts or keeps the beam for the next update.
class BeamWeapon : public Weapon {
public:
    static constexpr float kMaximumHeat = 4.0f;
    static constexpr float kHeatingRate = 1.0f;   // per second of fire
    static constexpr float kCoolingRate = 1.5f;   // per second at rest
    static constexpr int kLayers = 3;

    BeamWeapon(Craft* owner, int32_t partIndex, int32_t maxDamage, int32_t group, int32_t energyPerSecond, int32_t range,
               const int32_t damage[5], const char* beamName, const DynArray16* soundNames, const Light& light = {});
    // Ends its layers: they lose their owner and go at the next walk.
    ~BeamWeapon() override;

    ShipSystem* Clone(Craft* newOwner, int32_t newPartIndex) const override;
    int32_t GetPowerDraw() const override;
    int32_t Fire(SceneObject* launchNode, SceneObject* targetNode) override;
    // "Cooling down" until it has cooled, else the common checks.
    const char* Refusing(const EnergySystem* energy) const override;
    int32_t GetRange() const override { return range; }
    void UpdateWeapon(int32_t milliseconds) override;

    float heat = 0.0f;
    RateCarry energyCarry;   // weapon energy a frame of fire left unpaid
    float coolDownLevel = 0.0f;
    float maximumHeat = kMaximumHeat;
    float heatingRate = kHeatingRate;
    float coolingRate = kCoolingRate;
    int32_t cooling = 0;
    int32_t firing = 0;
    int32_t beamOn = 0;
    BeamEffect* layers[kLayers] = {};   // owned by the object groups
    BeamType* beamType = nullptr;
    char beamName[17] = {};
    int32_t range;
    ObjectLink target;
    int32_t targetPart = -1;
    SoundObject* firingSound = nullptr;

private:
    void EndLayers();
    void Burn(int32_t milliseconds, EnergySystem* energy);
};

// Sparks strewn along a beam in three shades of its colour, for six updates.
class BeamHitSparks : public ParticleSystem {
public:
    static constexpr int32_t kLife = 6;   // updates

    BeamHitSparks(int32_t count, uint32_t colour, const Vector3& start, const Vector3& vector);
    void Update() override;

    int32_t framesLeft = kLife;
};
