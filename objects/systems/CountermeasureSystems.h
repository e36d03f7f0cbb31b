#pragma once
#include <cstdint>

#include "objects/systems/ShipSystem.h"

class SpaceObject;

// Electronic countermeasures (type 10, chunk "ECM "): spoofs homing
// missiles within its range and warns of them. Switching the pilot's own
// ship's ECM is told to the others: a client's to the host, which passes
// it on, the host's to everybody.
class EcmSystem : public ShipSystem {
public:
    // ECM words: chance against homing mode 2, against mode 3 (per cent), range.
    EcmSystem(Craft* owner, int32_t partIndex, const int16_t words[3], int32_t maxDamage,
              const DynArray16* soundNames = nullptr);
    ~EcmSystem() override;

    ShipSystem* Clone(Craft* newOwner, int32_t newPartIndex) const override;
    int32_t Update(int32_t milliseconds, EnergySystem* energy) override;
    int32_t GetPowerDraw() const override { return switchedOn != 0 ? powerDraw : 0; }

    void TurnOn();
    void TurnOff();
    // Tells the others again that it is on (nothing when off): the pilot's
    // ship has a new number, which the word said before did not carry.
    void ReportAgain() const;
    void Toggle();
    bool IsInRange(const SpaceObject* object) const;
    // 1 when the missile (homing by radar, mode 2 or 3) is spoofed, by the
    // chance for its mode lowered by the damage; lights the missile warning.
    int32_t TryDeflect(const SpaceObject* missile);

    int32_t chanceMode2;
    int32_t chanceMode3;
    int32_t range;
    int32_t switchedOn = 0;
    int32_t alerted = 0;   // a missile asked this frame
    SoundObject* alertSound = nullptr;
    SoundObject* onSound = nullptr;
    SoundObject* offSound = nullptr;

private:
    void Report(int32_t reportedRange) const;
};

// The cloak (type 11, CLOK): hides the craft from active radar and masks its
// emissions while it holds generator output in reserve; it drops on damage
// rolls and when the generator gives nothing.
class CloakSystem : public ShipSystem {
public:
    // CLOK words: EMP surge, stealth level, a kept word, emission per cent, reserved power.
    CloakSystem(Craft* owner, int32_t partIndex, const int16_t words[5], int32_t maxDamage,
                const DynArray16* soundNames = nullptr);
    ~CloakSystem() override;

    ShipSystem* Clone(Craft* newOwner, int32_t newPartIndex) const override;
    int32_t Update(int32_t milliseconds, EnergySystem* energy) override;
    int32_t GetPowerDraw() const override { return active != 0 ? powerDraw : 0; }

    void TurnOn();
    void TurnOff();
    void Toggle();
    int32_t MaskEmissions(int32_t total) const;

    int32_t active = 0;
    int32_t stealthLevel;
    int32_t keptWord;
    int32_t emissionPercent;
    int32_t empSurge;
    int32_t reservedPower;
    int32_t failureTimer = 0;
    SoundObject* onSound = nullptr;
    SoundObject* offSound = nullptr;
};

// The communications jammer (type 12, JAMM): while on it is in the game
// state's list of active jammers and blocks messages within its range.
class JammerSystem : public ShipSystem {
public:
    JammerSystem(Craft* owner, int32_t partIndex, int32_t range, int32_t percent, int32_t maxDamage,
                 const DynArray16* soundNames = nullptr);
    // Leaves the list of active jammers.
    ~JammerSystem() override;

    ShipSystem* Clone(Craft* newOwner, int32_t newPartIndex) const override;
    int32_t Update(int32_t milliseconds, EnergySystem*) override { return milliseconds < 0 ? 0 : active; }
    int32_t GetPowerDraw() const override { return active != 0 ? powerDraw : 0; }

    void TurnOn();
    void TurnOff();
    void Toggle();
    bool IsJamming(const SpaceObject* craft) const;
    // For the state packet: range | percent << 16 while on; -1 once after
    // it was reported on and has gone off; otherwise 0. Each jammer keeps
    // its own report, so one jammer cannot take another's -1.
    int32_t GetNetState();
    void SetNetState(int32_t value);

    int32_t active = 0;
    int32_t range;
    int32_t percent;
    int32_t reported = 0;
    SoundObject* onSound = nullptr;
    SoundObject* offSound = nullptr;
};

// The decoy launcher (type 15, LINK and DECY): one decoy of the linked
// definition that lures craft and missiles away from its launcher.
class DecoySystem : public ShipSystem {
public:
    // DECY words: craft lure chance, missile lure chance (per cent), lifetime (ms).
    DecoySystem(Craft* owner, int32_t partIndex, SpaceObject* decoyTemplate, const int16_t words[3], int32_t maxDamage,
                const DynArray16* soundNames = nullptr);
    ~DecoySystem() override;

    ShipSystem* Clone(Craft* newOwner, int32_t newPartIndex) const override;
    int32_t Update(int32_t milliseconds, EnergySystem*) override { return milliseconds < 0 ? 0 : 1; }
    int32_t GetDecoyCount() const { return decoysLeft; }
    // One decoy along the owner's nose, luring from its first frame; the
    // refusal click when none is left.
    int32_t Launch();
    // The decoy its ship's pilot launched on another machine, launched here
    // by the host from what this launcher holds: the one kept, or null
    // (none left).
    SpaceObject* LaunchRequested();

    SpaceObject* decoyTemplate;   // the definition library's
    int32_t missileLure;
    int32_t craftLure;
    int32_t lifetime;
    int32_t decoysLeft = 1;
    SoundObject* launchSound = nullptr;

private:
    // The decoy made and sent off; the one kept here, or null.
    SpaceObject* Release();
};
