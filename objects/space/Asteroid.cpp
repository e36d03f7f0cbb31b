#include "objects/space/Asteroid.h"

#include "engine/Random.h"
#include "engine/Saturate.h"
#include "game/GameState.h"
#include "objects/space/KindSupport.h"

Asteroid::Asteroid(SpaceObject* templateObject) : MovingObject(templateObject) { Asteroid::Init(); }

Asteroid::Asteroid(SpaceObject* templateObject, const spawn_records::Rock& record) : MovingObject(templateObject) {
    Vector3 p = record.position;
    Asteroid::Init();
    // Records from elsewhere than the mission reader may hold anything.
    const int32_t scatter = SaturateToInt32(record.scatter);
    if (scatter > 0) {
        for (int attempt = 0; attempt < kPlacementAttempts; ++attempt) {
            p = p.Sum(RandomUnitVector().Scaled(float(GameRandom() % scatter)));
            previousPosition = p;
            SetPositionFlags(p, Transform::kAllFlags | 0x10);
            bool overlapping = false;
            const Mission* const mission = g_gameState != nullptr ? g_gameState->mission : nullptr;
            for (SpaceObject* other = mission != nullptr ? mission->firstObject : nullptr; other != nullptr && !overlapping;
                 other = other->GetNext()) {
                if (other == this || (other->type != kTypeAsteroid && other->type != kTypeJumpGate)) continue;
                overlapping = other->Position().Difference(p).Length() < Radius() + other->Radius();
            }
            if (!overlapping) break;
        }
    }
    SetMass(125.0f);
    spinCap = 25.0f;
    velocityCap = 10.0f;
    const int32_t drift = SaturateToInt32(record.drift);
    angularVelocity = drift != 0 ? kinds::DriftSpin(drift) : RandomUnitVector().Scaled(float(GameRandom() % 15));
}

void Asteroid::Init() {
    previousPosition = {};
    SetPositionFlags({}, Transform::kAllFlags | 0x10);
    type = kTypeAsteroid;
    collisionMask = 0x1f804;
    SetMass(125.0f);
    SetAccelerations(10.0f, 25.0f);
    angularVelocity = RandomUnitVector().Scaled(float(GameRandom() % 15));
    collisionDelay = 0;
    UpdateVisibility();
    words[0] = words[1] = 0;
    Activate(0.0f);
}

SpaceObject* Asteroid::Clone(SpaceObject* placementSource, int32_t, int32_t) {
    auto* const clone = new Asteroid(this);
    if (clone == nullptr) return nullptr;
    CopyInto(*clone, placementSource, false);
    clone->words[1] = words[1];
    clone->UpdateVisibility();
    if (g_gameState != nullptr) g_gameState->AddObjectsToWorld(clone, 0);
    return clone;
}
