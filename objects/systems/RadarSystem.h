#pragma once
#include "objects/space/ObjectLink.h"
#include "objects/systems/ShipSystem.h"

class SpaceObject;

// The radar (type 4, chunk RADR): what the craft can see, how far it can
// identify, and the colour of each blip; three active ranges, a passive mode
// that sees craft by their emissions, and a setting that follows a probe.
class RadarSystem : public ShipSystem {
public:
    enum Colour { kRed, kGreen, kYellow, kOrange, kBlue, kWhite, kGrey, kColours };
    static constexpr int32_t kMaxRange = 32000;

    // RADR words: short range, long range, passive capable, active near and
    // far chances, passive near and far chances.
    RadarSystem(Craft* owner, int32_t partIndex, const int16_t words[7], int32_t maxDamage,
                const DynArray16* soundNames = nullptr);
    ~RadarSystem() override;

    ShipSystem* Clone(Craft* newOwner, int32_t newPartIndex) const override;
    void SetDamage(int32_t value) override;
    int32_t Update(int32_t milliseconds, EnergySystem* energy) override;
    int32_t GetPowerDraw() const override;

    int32_t GetRange();
    // The range of the current setting in metres, as GetRange has it before
    // EMP and damage shorten it at random: the scale of the cockpit's
    // scope. It steps the setting past its wrap as GetRange does.
    int32_t SettingRange();
    bool CanDetect(const SpaceObject* object, int32_t distance);
    int32_t GetIdentification(const SpaceObject* object, int32_t distance);
    bool CanDetectAny(const SpaceObject* object);
    uint32_t GetContactColour(const SpaceObject* object);
    void SetPassive();
    void SetActive();
    void ToggleMode();
    void CycleRange();
    SpaceObject* GetViewpoint();

    SoundObject* rangeSound = nullptr;
    SoundObject* passiveSound = nullptr;
    SoundObject* activeSound = nullptr;
    ObjectLink probe;
    int32_t probeRange = 0;
    int32_t probeChance = 0;
    int32_t followingProbe = 0;
    int32_t shortRange, longRange;
    int32_t rangeSetting = 3;
    int32_t passiveNear, passiveFar, activeNear, activeFar;
    int32_t passiveCapable;
    int32_t passive = 0;
    int32_t coloursBuilt = 0;
    uint32_t colours[kColours] = {};

private:
    bool DamageRollFails() const;
    int16_t words_[7];
};

// The sensor-probe launcher (type 14, chunks LINK and SENS): one probe of
// the linked definition, followed by the radar while it lives.
class SensorSystem : public ShipSystem {
public:
    SensorSystem(Craft* owner, int32_t partIndex, SpaceObject* probeTemplate, int32_t probeRange, int32_t probeChance,
                 int32_t lifetime, const DynArray16* soundNames = nullptr);
    ~SensorSystem() override;

    ShipSystem* Clone(Craft* newOwner, int32_t newPartIndex) const override;
    int32_t Launch();
    // The probe its ship's pilot launched on another machine, launched here
    // by the host from what this launcher holds: the one kept, or null
    // (none left).
    SpaceObject* LaunchRequested();
    int32_t GetCount() const { return probesLeft; }

    SpaceObject* probeTemplate;   // the definition library's
    int32_t probeRange, probeChance, lifetime;
    int32_t probesLeft = 1;
    SoundObject* launchSound = nullptr;

private:
    // The probe made and sent off, the radar following it; the one kept
    // here, or null.
    SpaceObject* Release();
};
