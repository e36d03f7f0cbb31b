#pragma once
#include <cstdint>

#include "objects/space/MovingObject.h"
#include "objects/space/ObjectLink.h"
#include "scene/ParticleSystem.h"

class MissileTrail;
class Weapon;

// A missile (type 12): homes on a part of its target with a rate-limited
// steering law, may release a payload of missiles or mines, and deals its
// damage (with an EMP area blast when it carries a charge) on impact.
class Missile : public MovingObject {
public:
    enum Guidance : int32_t { kUnguided = 0, kPowerSeeker = 1, kRadar2 = 2, kRadar3 = 3, kCloakBlind = 4 };
    static constexpr int32_t kDefaultLifetime = 30000;
    static constexpr int32_t kHomingPause = 1000;
    static constexpr int32_t kLowPowerSignature = 166;
    static constexpr float kBlastReach = 2000.0f;
    // How long after its launch a missile first meets anything: it clears
    // the launching craft's hull first. Its template never collides, nor
    // would a clone of it, so whatever launches one arms it.
    static constexpr int32_t kArmingMs = 250;

    explicit Missile(SpaceObject* templateObject);
    ~Missile() override;
    void Init() override;
    SpaceObject* Clone(SpaceObject* placementSource, int32_t = 0, int32_t = 0) override;
    int32_t TakeDamage(int32_t part, const DamageRecord& record, SpaceObject* source) override;
    void ApplyImpact(int32_t) override { Detonate(0); }
    void Simulate(uint32_t milliseconds) override;
    void FillNetState(NetObjectState& state) const override;

    // The warhead on what it struck (and the area blast); then it explodes.
    int32_t Detonate(int32_t unused);
    void SetLaunchParams(SpaceObject* payloadTemplate, int32_t count, int32_t delay, float spread);
    // Collides from kArmingMs on.
    void Arm();

    // The launching weapon: read only while `owner`, its craft, is there.
    Weapon* launcher = nullptr;
    DamageRecord damage;
    ObjectLink owner;
    ObjectLink target;      // null: unguided
    int32_t targetPart = 0;
    int32_t turnRate = 0;   // degrees per second; negative once spoofed
    int32_t lifetime = kDefaultLifetime;   // ms
    int32_t empCharge = 0;
    int32_t guidance = kUnguided;
    int32_t homingHold = kHomingPause;     // ms of age; -1 while the target is ahead
    int32_t lastPitchCommand = 0;
    int32_t lastYawCommand = 0;
    MissileTrail* trail = nullptr;   // owned by the object groups; cleared when it goes
    ObjectLink payload;
    int32_t payloadCount = 0;
    int32_t payloadDelay = 0;        // ms
    float payloadSpread = 0.0f;      // units per second
    int32_t visibilityWord = 0;      // 0: seen

private:
    void StartTrail(float t);
    void CheckLock();
    void ReleasePayload();
    void Home(float t);
    void Drive(float t);
};

// The exhaust of a missile: a few sparks a frame between its last two
// positions; it outlives its missile by 14 updates.
class MissileTrail : public ParticleSystem {
public:
    static constexpr uint32_t kCapacity = 56;
    static constexpr int32_t kFadeUpdates = 15;

    explicit MissileTrail(Missile* missile);
    ~MissileTrail() override;
    void Emit();
    void Update() override;

    ObjectLink missile;
    uint32_t red = 0, brown = 0, amber = 0;
    int32_t age = 0;
};
