#pragma once
#include "engine/RateCarry.h"
#include "objects/systems/ShipSystem.h"

// The generator and fuel tank (type 1, chunk ENRG): its output is split
// between engine, shields and the weapons' pool; it burns fuel by what is
// allocated and falls back to a reserve output when the fuel is gone.
class EnergySystem : public ShipSystem {
public:
    enum Consumer : int32_t { kShields = 2, kEngine = 7, kWeapons = 19 };

    EnergySystem(Craft* owner, int32_t partIndex, int32_t fuelCapacity, int32_t output, int32_t burnDivisor,
                 int32_t reserveOutput, int32_t maxDamage, const DynArray16* soundNames = nullptr);
    // From the ENRG words (output, output / word 1 the burn divisor, reserve output).
    static EnergySystem* FromWords(Craft* owner, int32_t partIndex, const int16_t words[3], int32_t maxDamage,
                                   const DynArray16* soundNames = nullptr);
    ~EnergySystem() override;

    ShipSystem* Clone(Craft* newOwner, int32_t newPartIndex) const override;
    void SetDamage(int32_t value) override;
    int32_t Update(int32_t milliseconds, EnergySystem* energy) override;
    int32_t GetPowerDraw() const override;

    void SetWeaponPower(int32_t units);
    void SetShieldPower(int32_t units);
    void SetEnginePower(int32_t units);
    void ResetPowerSplit(int32_t full);
    void InitPowerSplit();
    // Whole units for the consumer this frame; its carry keeps the fraction.
    // `exact`, when given, receives the grant before rounding: what the
    // consumer's share of this frame really was.
    int32_t DrawPower(int32_t request, int32_t milliseconds, int32_t consumer, double* exact = nullptr);
    int32_t ReservePower(int32_t units);
    int32_t ReleasePower(int32_t units);
    int32_t ConsumeFuel(int32_t amount);

    int32_t engineAllocation = 0;
    int32_t shieldAllocation = 0;
    int32_t weaponsAllocation = 0;
    SoundObject* powerUpSound = nullptr;
    SoundObject* powerDownSound = nullptr;
    int32_t reserved = 0;
    int32_t weaponPool = 0;
    int32_t weaponMaximum;
    int32_t allocated;
    int32_t output;
    int64_t fuel;
    int32_t fuelCapacity;
    int32_t burnDivisor;
    int32_t reserveOutput;
    int32_t splitInitialised = 0;
    // What each consumer's grants, the fuel burn and the pool's decay left
    // over last frame.
    RateCarry shieldCarry;
    RateCarry engineCarry;
    RateCarry weaponsCarry;
    RateCarry burnCarry;
    RateCarry poolDecayCarry;

private:
    int32_t ShieldCap() const;
    int32_t EngineCap() const;
    void Sound(int32_t newValue, int32_t oldValue) const;
};
