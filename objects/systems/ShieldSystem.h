#pragma once
#include "engine/RateCarry.h"
#include "engine/Vector3.h"
#include "objects/space/SpaceObject.h"
#include "objects/systems/ShipSystem.h"

// The facing of a hit from a point, in the owner's frame: 0 front, 1 the
// -x side, 2 rear, 3 the +x side.
int32_t FacingOf(const SpaceObject& owner, const Vector3& point);

// Shields (type 2, chunk SHLD): four facings that take hits first, recharge
// from the generator and drain at rest.
class ShieldSystem : public ShipSystem {
public:
    static constexpr int kFacings = 4;

    ShieldSystem(Craft* owner, int32_t partIndex, int32_t efficiency, int32_t capacityUnits, int32_t maximumAllocation,
                 int32_t absorption, int32_t maxDamage, const DynArray16* soundNames = nullptr);
    // From the SHLD words: efficiency, capacity in hundreds, maximum allocation, absorption reference.
    static ShieldSystem* FromWords(Craft* owner, int32_t partIndex, const int16_t words[4], int32_t maxDamage,
                                   const DynArray16* soundNames = nullptr);
    ~ShieldSystem() override;

    ShipSystem* Clone(Craft* newOwner, int32_t newPartIndex) const override;
    void SetDamage(int32_t value) override;
    int32_t Update(int32_t milliseconds, EnergySystem* energy) override;
    int32_t GetPowerDraw() const override;

    // 1 when the shield absorbed or scaled the hit, 0 when it passed.
    int32_t AbsorbHit(DamageRecord& impact);
    void AbsorbHitFrom(const SpaceObject* source);
    void AbsorbHitAt(const Vector3& point);
    int32_t GetDepletionPercent() const;
    void SetRemoteDepletion(int32_t percent) { remoteDepletion = percent; }
    // A pilot's word of its own ship's depletion, on the copy whose hits
    // this machine judges: the facings come down, each keeping its share,
    // to what the word leaves; a word above what they hold raises nothing.
    void LowerToDepletion(int32_t percent);
    // Every facing full again, as the shield was built.
    void Refill();
    int64_t FacingSum() const;

    SoundObject* hitSound = nullptr;
    SoundObject* drainSound = nullptr;
    int32_t facings[kFacings];
    int32_t maximumAllocation;
    int32_t capacity;
    int32_t hundred = 100;
    int32_t absorption;
    int32_t efficiency;
    int32_t remoteDepletion = -1;
    int32_t drainedThisFrame = 0;
    RateCarry rechargeCarry;   // the fed shield's extra gain a frame left over
    RateCarry decayCarry;      // what the facings' decay left over
    // The record words (2, 3 and 5) a weakened facing lets through in part,
    // and the fraction of each that the last hit kept back.
    static constexpr int kPassedWords[3] = {1, 2, 4};
    RateCarry passCarry[3];

private:
    void Flash(const Vector3& point);
    int32_t capacityUnits_;
};

// Armour (type 3, INFO only): four facings of points that soak a hit's
// armour words and spare the hull while they hold; it never regenerates.
class ArmorSystem : public ShipSystem {
public:
    ArmorSystem(Craft* owner, int32_t partIndex, int32_t points, const DynArray16* soundNames = nullptr);
    ~ArmorSystem() override;

    ShipSystem* Clone(Craft* newOwner, int32_t newPartIndex) const override;
    // One byte per facing, facing 0 lowest: 0 intact to 250 gone.
    int32_t GetDamage() const override;
    int32_t GetDamagePercent() const override;
    void SetDamage(int32_t packed) override;
    int32_t Update(int32_t, EnergySystem*) override { return 1; }
    int32_t AbsorbHit(DamageRecord& impact);

    SoundObject* hitSound = nullptr;
    int32_t facings[4];
    int32_t points;
};

// Hardening (type 9, chunk HARD): cuts the structural damage by a share and
// speeds the craft's recovery from EMP.
class HardeningSystem : public ShipSystem {
public:
    HardeningSystem(Craft* owner, int32_t partIndex, int32_t reduction, int32_t empRecovery);
    ShipSystem* Clone(Craft* newOwner, int32_t newPartIndex) const override;
    int32_t Update(int32_t milliseconds, EnergySystem* energy) override;
    int32_t ReduceDamage(DamageRecord& impact) const;

    int32_t reduction;
    int32_t empRecovery;
    RateCarry recoveryCarry;   // EMP recovery a frame left over
};
