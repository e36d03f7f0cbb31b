#include "objects/systems/EngineSystem.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/Random.h"
#include "game/CareerRecord.h"
#include "game/GameState.h"
#include "objects/ships/Craft.h"
#include "objects/systems/EnergySystem.h"
#include "sound/SoundDevice.h"
#include "sound/SoundObject.h"

namespace {

bool UnlimitedFuel() {
    return g_gameState != nullptr && g_gameState->career != nullptr && g_gameState->career->options.unlimitedFuel != 0;
}

void StopLoop(SoundObject* sound) {
    if (sound == nullptr || sound->loop == 0) return;
    sound->loop = 0;
    if (g_gameState != nullptr && g_gameState->Sound() != nullptr) g_gameState->Sound()->StopSound(sound);
}

}  // namespace

EngineSystem::EngineSystem(Craft* owner, int32_t partIndex, const int16_t words[5], int32_t maximum, const DynArray16* names)
    : ShipSystem(owner, partIndex, kEngine, names),
      boostAllowed(int32_t(words[4]) * words[2] > 0 ? 1 : 0),
      thrustScale(int32_t(words[0]) * 10),
      accelerationScale(float(words[1]) * 0.01f),
      boostCost(words[2]),
      maximumPower(words[3]),
      boostPercent(words[4]) {
    std::copy(words, words + 5, words_);
    maxDamage = maximum;
    engineSound = MakeSound(0, 2);
    boostSound = MakeSound(1, 2);
    if (engineSound != nullptr) {
        pitchLow = engineSound->rate * 6 / 10;
        pitchHigh = engineSound->rate * 14 / 10;
    }
    if (owner != nullptr) {
        designAcceleration = owner->velocityCap;
        designTopSpeed = owner->maxSpeed;
        designTurnAcceleration = owner->spinCap;
        designTurnRate = owner->maxTurnRate;
        // The craft does not move until its engine has run.
        owner->SetAccelerations(0.0f, designTurnAcceleration);
        owner->SetMaxRates(0.0f, designTurnRate);
    }
}

EngineSystem::~EngineSystem() {
    Drop(engineSound);
    Drop(boostSound);
}

ShipSystem* EngineSystem::Clone(Craft* newOwner, int32_t newPartIndex) const {
    auto* const clone = new EngineSystem(newOwner, newPartIndex, words_, maxDamage, &soundNames);
    if (clone != nullptr) CopyInto(*clone);
    return clone;
}

int32_t EngineSystem::GetPowerDraw() const {
    const int64_t base = thrustScale != 0 ? int64_t(thrustFactor) * powerDraw / thrustScale : 0;
    return int32_t(base + (boostOn != 0 ? int64_t(boostPercent) * powerDraw / 100 : 0));
}

void EngineSystem::ToggleAfterburner() {
    if (boostOn != 0) {
        boostOn = 0;
        return;
    }
    StartAfterburner();
}

void EngineSystem::StartAfterburner() {
    if (boostOn != 0 || boostAllowed == 0 || owner == nullptr) return;
    boostOn = 1;
    surgeEnd = int32_t(owner->Age()) + 1000;
}

int32_t EngineSystem::GetThrustForPower(float acceleration) const {
    const double divisor = double(designAcceleration) * accelerationScale;
    if (thrustScale == 0 || divisor == 0.0) return 0;
    const double wanted = std::trunc(double(thrustScale) * acceleration / divisor);
    if (!std::isfinite(wanted)) return 0;
    return int32_t(std::clamp(wanted * maximumPower / thrustScale, -2.0e9, 2.0e9));
}

int32_t EngineSystem::Update(int32_t milliseconds, EnergySystem* energy) {
    if (milliseconds < 0) {
        StopLoop(boostSound);
        StopLoop(engineSound);
        return 0;
    }
    if (energy == nullptr || owner == nullptr) return 1;
    const int64_t t = std::min(milliseconds, 1000);
    // The thrust follows the power's true share of the frame: the whole
    // units alone would, in frames too short for one, make the top speed
    // flicker between nothing and more than the throttle asks.
    double got = 0.0;
    energy->DrawPower(maximumPower, int32_t(t), EnergySystem::kEngine, &got);
    // A 0 ms frame or no maximum power keeps the last thrust.
    if (t > 0 && maximumPower > 0) thrustFactor = float(got * thrustScale * 1000.0 / (double(t) * maximumPower));
    float f = thrustFactor;
    if (engineSound != nullptr) {
        if (f <= 0.0f) {
            StopLoop(engineSound);
        } else {
            if (thrustScale != 0) engineSound->SetRate(pitchLow + int32_t(f) * (pitchHigh - pitchLow) / thrustScale);
            engineSound->loop = 1;
            Play(engineSound, 10, 0);
        }
    }
    if (boostOn == 0) {
        StopLoop(boostSound);
    } else {
        const int32_t age = int32_t(owner->Age());
        if (age < surgeEnd) owner->tumble.AddAssign(RandomUnitVector().Scaled(3.0f * float(surgeEnd - age) / 1000.0f));
        const int64_t cost = boostCostCarry.TakeRate(boostCost, t);
        if (!UnlimitedFuel()) {
            if (cost > energy->fuel) {
                boostOn = 0;
            } else {
                energy->fuel -= cost;
            }
        }
        if (boostOn != 0) {
            f += float(int64_t(boostPercent) * thrustScale / 100);
            if (boostSound != nullptr) {
                boostSound->loop = 1;
                Play(boostSound, 10, 0);
            }
        }
    }
    if (damage > 0 && maxDamage > 0) f = (1.0f - float(damage) * 0.9f / float(maxDamage)) * f;
    // A zero thrust scale or mass divides nothing: the limits stay.
    if (thrustScale != 0) owner->SetAccelerations(accelerationScale * designAcceleration * f / float(thrustScale), designTurnAcceleration);
    if (owner->mass != 0.0f) owner->SetMaxRates(f * 50.0f / owner->mass, designTurnRate);
    return 1;
}

FlightControlSystem::FlightControlSystem(Craft* owner, int32_t partIndex, const int16_t words[7], const char* file,
                                         int32_t maximum)
    : ShipSystem(owner, partIndex, kFlightControl),
      qualityFloor(words[0]),
      qualityCeiling(words[1]),
      boostResponse(words[2]),
      boostTurnFactor(words[3]),
      handlingFactor(words[4]),
      turnFactor(words[5]),
      agility(words[6]) {
    std::copy(words, words + 7, words_);
    maxDamage = maximum;
    if (file != nullptr) controlFile = EngineCopyText(file);
}

FlightControlSystem::~FlightControlSystem() { EngineRelease(controlFile); }

ShipSystem* FlightControlSystem::Clone(Craft* newOwner, int32_t newPartIndex) const {
    auto* const clone = new FlightControlSystem(newOwner, newPartIndex, words_, controlFile, maxDamage);
    if (clone != nullptr) CopyInto(*clone);
    return clone;
}

int32_t FlightControlSystem::Update(int32_t milliseconds, EnergySystem*) {
    if (milliseconds < 0) return 0;
    if (owner == nullptr) return 1;
    owner->SetHandlingFactor(float(handlingFactor) * 0.01f);
    auto* const engine = static_cast<EngineSystem*>(owner->GetSystem(kEngine, nullptr));
    const float factor = engine != nullptr && engine->boostOn != 0 ? float(boostTurnFactor) : float(turnFactor);
    if (owner->mass != 0.0f) owner->SetDrag(float(agility) * factor / owner->mass * 0.01f);
    return 1;
}

float FlightControlSystem::ShapeInput(float stick) const {
    double x = double(stick) * 100.0;
    if (owner != nullptr && owner->type == Craft::kTypePlayerShip && g_gameState != nullptr) {
        const DynArray20& curve = g_gameState->responseCurve;
        for (int32_t i = 0; i < curve.Count(); ++i) {
            const double low = int32_t(curve[i].words[0]), high = int32_t(curve[i].words[1]);
            const double outLow = int32_t(curve[i].words[3]), outHigh = int32_t(curve[i].words[4]);
            if (high <= low) continue;
            // In per cent both ways, mirrored for the other side of the stick.
            if (low <= x && x <= high) x = outLow + (outHigh - outLow) * (x - low) / (high - low);
            if (low <= -x && -x <= high) {
                x = -(outLow + (outHigh - outLow) * (-x - low) / (high - low));
            }
        }
    }
    auto* const engine = owner != nullptr ? static_cast<EngineSystem*>(owner->GetSystem(kEngine, nullptr)) : nullptr;
    if (engine != nullptr && engine->boostOn != 0) x = boostResponse * x * 0.01;
    if (owner != nullptr && owner->mass != 0.0f) x = agility * x / owner->mass;
    int32_t d = maxDamage >= 1 ? int32_t(int64_t(damage) * 100 / maxDamage) : 0;
    d = std::max(d, 100 - qualityCeiling);
    d = std::min(d, 100 - qualityFloor);
    int32_t r;
    if (d > 50) {
        r = GameRandom() % 100 - d + 50;
    } else if (d <= 0) {
        r = 100;
    } else {
        r = 100 - GameRandom() % (2 * d);
    }
    return float(r * x * 0.0001);
}
