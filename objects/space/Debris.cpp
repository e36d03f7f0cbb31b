#include "objects/space/Debris.h"

#include <cstring>

#include "engine/Random.h"
#include "engine/Saturate.h"
#include "game/GameState.h"
#include "objects/effects/EffectSupport.h"
#include "objects/space/KindSupport.h"
#include "scene/Particle.h"

Debris::Debris(SpaceObject* templateObject) : MovingObject(templateObject) { Debris::Init(); }

Debris::Debris(SpaceObject* templateObject, const spawn_records::Debris& record) : MovingObject(templateObject) {
    previousPosition = {};
    collisionMask = 0;
    type = kTypeDebris;
    SetPositionFlags({}, 0xff);
    SetMass(1.0f);
    SetAccelerations(20.0f, 20.0f);
    collisionDelay = -1;
    uoid = -1;
    Deactivate(0);
    Debris::Activate(0.0f);
    collisionDelay = 0;
    UpdateVisibility();
    recordText = EngineCopyText(record.name, sizeof record.name);
    SetPositionFlags(record.position, Transform::kAllFlags | 0x10);
    velocity = {};
    SetMass(0.1f);
    angularVelocity = kinds::DriftSpin(SaturateToInt32(record.drift));
}

Debris::~Debris() {
    if (sparks != nullptr) sparks->owner = nullptr;
}

void Debris::Init() {
    previousPosition = {};
    SetPositionFlags({}, Transform::kAllFlags | 0x10);
    type = kTypeDebris;
    collisionMask = 0;
    SetMass(1.0f);
    SetAccelerations(20.0f, 20.0f);
    collisionDelay = -1;
    UpdateVisibility();
    uoid = -1;
    active = 0;
    removeWhenDone = 0;
    UpdateVisibility();
}

SpaceObject* Debris::Clone(SpaceObject* placementSource, int32_t, int32_t) {
    auto* const clone = new Debris(this);
    if (clone == nullptr) return nullptr;
    CopyInto(*clone, placementSource, false);
    clone->UpdateVisibility();
    if (g_gameState != nullptr) g_gameState->AddObjectsToWorld(clone, 0);
    return clone;
}

void Debris::Activate(float seconds) {
    active = 1;
    angularVelocity = RandomUnitVector().Scaled(float(16 + (GameRandom() & 15)));
    velocity.AddAssign(RandomUnitVector().Scaled(float(6 + GameRandom() % 6)));
    expiresAt = seconds == 0.0f ? -1 : int32_t(double(Age()) + 1000.0 * double(seconds));
    UpdateVisibility();
}

void Debris::Simulate(uint32_t milliseconds) {
    if (sparks != nullptr) sparks->Emit();
    MovingObject::Simulate(milliseconds);
}

DebrisSparks::DebrisSparks(Debris* debris) : ParticleSystem(kCapacity) {
    owner = debris;
    darkRed = effects::ColourIn("weapons", 200, 0, 0);
    brightRed = effects::ColourIn("weapons", 255, 0, 0);
    SetMemberFactor(0.1f);
}

DebrisSparks::~DebrisSparks() {
    if (auto* const debris = static_cast<Debris*>(owner.Get()); debris != nullptr && debris->sparks == this) {
        debris->sparks = nullptr;
    }
}

void DebrisSparks::Emit() {
    age = 0;
    SpaceObject* const debris = owner.Get();
    if (debris == nullptr) return;
    origin = debris->Position();
    const Vector3 at{};
    const Vector3 slow = RandomUnitVector().Scaled(0.25f);
    AddParticle(new Particle(&at, &slow, brightRed, float(4 + (GameRandom() & 1))));
    const Vector3 fast = RandomUnitVector().Scaled(0.35f);
    AddParticle(new Particle(&at, &fast, darkRed, float(2 + (GameRandom() & 1))));
}

void DebrisSparks::Update() {
    if (++age >= kFadeUpdates) {
        flags |= 0x1000000;
        return;
    }
    ParticleSystem::Update();
}
