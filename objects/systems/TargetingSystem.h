#pragma once
#include "objects/space/ObjectLink.h"
#include "objects/systems/ShipSystem.h"

class SpaceObject;

// The targeting computer (type 5, chunk TARG): the current target and the
// part of it aimed at, four memory slots, how far the target is identified,
// and six lock values that grow while the target stays in the right place.
class TargetingSystem : public ShipSystem {
public:
    static constexpr int kLockClasses = 6;
    static constexpr int kSlots = 4;
    static constexpr uint32_t kTurretLockMs = 7500;

    // TARG words: gain rate, loss rate, range; the cone in degrees.
    TargetingSystem(Craft* owner, int32_t partIndex, int32_t gain, int32_t loss, int32_t range, float cone,
                    int32_t maxDamage, const DynArray16* soundNames = nullptr);
    // From the TARG chunk's bytes (three i16, the 16.16 cone at bytes 6-9).
    static TargetingSystem* FromChunk(Craft* owner, int32_t partIndex, const uint8_t* bytes, uint32_t size,
                                      int32_t maxDamage, const DynArray16* soundNames = nullptr);
    ~TargetingSystem() override;

    ShipSystem* Clone(Craft* newOwner, int32_t newPartIndex) const override;
    void SetDamage(int32_t value) override;
    int32_t Update(int32_t milliseconds, EnergySystem* energy) override;

    int32_t SelectTarget(SpaceObject* target);
    int32_t CycleTarget(int32_t forward);
    void StoreTarget(int32_t slot);
    void RecallTarget(int32_t slot);
    int32_t CycleSubTarget(int32_t forward);
    int32_t SetSubTarget(int32_t index);
    SpaceObject* GetTarget() const { return target; }
    int32_t GetSubTarget() const { return subTarget; }
    bool CanTarget(const SpaceObject* object);
    bool CanTargetIgnoringDamage(const SpaceObject* object);
    const char* GetTargetClass() const;
    const char* GetTargetCallsign();
    const char* GetSubTargetName() const;
    const char* GetTargetName() const;
    int32_t GetLockValue(int32_t index) const;
    // A turret-mounted weapon locks by its turret; others by their class.
    int32_t GetLockStrength(const ShipSystem* weapon, int32_t weaponClass) const;

    SoundObject* selectSound = nullptr;
    SoundObject* lockToneA = nullptr;
    SoundObject* lockToneB = nullptr;
    int32_t gainRate[kLockClasses] = {};
    int32_t lossRate[kLockClasses] = {};
    int32_t range;
    float cone;
    ObjectLink slots[kSlots];
    ObjectLink target;
    int32_t subTarget = 0;
    int32_t identification = 0;
    float lock[kLockClasses] = {};
    float previousLock[kLockClasses] = {};

private:
    void Take(SpaceObject* object);
    void ClearTarget();
    // Distance from the radar's viewpoint, and the range (doubled when passive).
    bool InReach(const SpaceObject& object, int32_t* distance);
    int32_t gain0_, loss0_;
};
