#pragma once
#include "engine/RateCarry.h"
#include "objects/systems/ShipSystem.h"

// The engine (type 7, chunk ENGI): turns its power allocation into the
// craft's top speed and acceleration each frame, and runs the afterburner.
class EngineSystem : public ShipSystem {
public:
    // ENGI words: thrust scale / 10, acceleration scale x 100, boost cost, maximum power, boost percent.
    EngineSystem(Craft* owner, int32_t partIndex, const int16_t words[5], int32_t maxDamage,
                 const DynArray16* soundNames = nullptr);
    ~EngineSystem() override;

    ShipSystem* Clone(Craft* newOwner, int32_t newPartIndex) const override;
    int32_t Update(int32_t milliseconds, EnergySystem* energy) override;
    int32_t GetPowerDraw() const override;

    void ToggleAfterburner();
    void StartAfterburner();
    void StopAfterburner() { boostOn = 0; }
    // The power allocation that gives a wanted acceleration; 0 when any scale is 0.
    int32_t GetThrustForPower(float acceleration) const;

    SoundObject* engineSound = nullptr;
    SoundObject* boostSound = nullptr;
    int32_t pitchLow = 0, pitchHigh = 0;
    int32_t boostOn = 0;
    int32_t boostAllowed;
    int32_t surgeEnd = 0;
    int32_t thrustScale;
    float accelerationScale;
    int32_t boostCost;
    int32_t maximumPower;
    int32_t boostPercent;
    float thrustFactor = 0.0f;
    float designAcceleration = 0.0f, designTopSpeed = 0.0f, designTurnAcceleration = 0.0f, designTurnRate = 0.0f;
    RateCarry boostCostCarry;   // fuel a frame's boost left unpaid

private:
    int16_t words_[5];
};

// The flight controls (type 6, chunks FLGT and CTRL): shape the pilot's
// stick input and set the craft's handling.
class FlightControlSystem : public ShipSystem {
public:
    // FLGT words: quality floor and ceiling, boost response, boost turn
    // factor, handling factor, turn factor, agility.
    FlightControlSystem(Craft* owner, int32_t partIndex, const int16_t words[7], const char* controlFile, int32_t maxDamage);
    ~FlightControlSystem() override;

    ShipSystem* Clone(Craft* newOwner, int32_t newPartIndex) const override;
    int32_t Update(int32_t milliseconds, EnergySystem* energy) override;
    float ShapeInput(float stick) const;

    int32_t qualityFloor, qualityCeiling, boostResponse, boostTurnFactor, handlingFactor, turnFactor, agility;
    char* controlFile = nullptr;   // owned

private:
    int16_t words_[7];
};
