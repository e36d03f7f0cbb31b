#include "objects/space/ChaseObject.h"

#include "game/GameState.h"

ChaseObject::ChaseObject(SpaceObject* templateObject) : SpaceObject(templateObject) { ChaseObject::Init(); }

void ChaseObject::Init() {
    type = kTypeChase;
    SetAccelerations(999.0f, 999.0f);
    SetMaxRates(999.0f, 999.0f);
    for (Vector3& sample : trail) sample = Vector3{0.0f, 0.0f, 10.0f};
    trailDistance = 10.0f;
    trailFactor = 1.0f;
    trailIndex = 0;
    words[0] = words[1] = 0;
    collisionMask = 0;
    mass = 0.0f;
    UpdateVisibility();
    UpdateVisibility();
    Activate(0);
    flags |= kFlagHiddenObject;
    if (g_gameState != nullptr && g_gameState->playerShip != nullptr && g_gameState->mission != nullptr) {
        const float* const reference = g_gameState->mission->referencePosition;
        SetPositionFlags(Vector3{reference[0], reference[1], reference[2] - 50.0f}, Transform::kAllFlags);
        targetPreviousPosition = Position();
    }
}

void ChaseObject::Simulate(uint32_t) {
    SpaceObject* const followed = target;
    if (followed == nullptr) return;
    targetPreviousPosition = followed->previousPosition;
    const Vector3 moved = followed->Position().Difference(targetPreviousPosition);
    const float length = moved.Length();
    const Vector3 sample = length > 0.0f ? moved.Scaled(trailDistance / length) : trail[trailIndex % kTrail];
    ++trailIndex;
    trail[trailIndex % kTrail] = sample;
    Vector3 mean{0.0f, 0.0f, 0.0f};
    for (const Vector3& entry : trail) mean.AddAssign(entry);
    mean.DivideScalar(float(kTrail));
    SetPositionFlags(followed->Position().Difference(mean), Transform::kAllFlags);
}
