#include "objects/space/MovingObject.h"

#include <algorithm>

#include "game/GameState.h"

MovingObject::MovingObject(SpaceObject* templateObject) : SpaceObject(templateObject) { type = kTypeMoving; }

void MovingObject::SetRotationRates(float pitch, float yaw, float roll) {
    rotationRates = Vector3{pitch, yaw, roll}.Scaled(maxTurnRate);
}

void MovingObject::SetVelocity(float x, float y, float z) { localVelocity = Vector3{x, y, z}.Scaled(maxSpeed); }

void MovingObject::Accelerate(float dv) {
    if (localVelocity.z < 0.0f) localVelocity.z = 0.0f;
    localVelocity.z = std::clamp(localVelocity.z + dv, 0.0f, std::max(0.0f, maxSpeed));
}

void MovingObject::Decelerate(float dv) {
    if (localVelocity.z > 0.0f) localVelocity.z = 0.0f;
    localVelocity.z = std::clamp(localVelocity.z - dv, std::min(0.0f, -0.1f * maxSpeed), 0.0f);
}

void MovingObject::SetThrottle(float percent) { localVelocity.z = maxSpeed * std::clamp(percent, 0.0f, 100.0f) * 0.01f; }

void MovingObject::Damp(float percent) { velocity.MultiplyScalar(1.0f - percent * 0.01f); }

void MovingObject::ScaleTurnVector(Vector3& vector) const {
    if (vector.Length() > maxTurnRate) vector.Normalize();
    vector.MultiplyScalar(maxTurnRate);
}

SpaceObject* MovingObject::Clone(SpaceObject* placementSource, int32_t, int32_t) {
    auto* const clone = new MovingObject(this);
    if (clone == nullptr) return nullptr;
    CopyInto(*clone, placementSource, false);
    clone->UpdateVisibility();
    if (g_gameState != nullptr) g_gameState->AddObjectsToWorld(clone, 0);
    return clone;
}

void MovingObject::Simulate(uint32_t milliseconds) {
    const float t = float(std::min<uint32_t>(milliseconds, 1000)) * 0.001f;
    if (std::abs(rotationRates.x) > 0.01f || std::abs(rotationRates.y) > 0.01f || std::abs(rotationRates.z) > 0.01f) {
        flags |= kFlagChanged;
    }
    angularVelocity.AddAssign(rotationRates.Scaled(t));
    for (float* spin : {&angularVelocity.x, &angularVelocity.y, &angularVelocity.z}) *spin = std::clamp(*spin, -spinCap, spinCap);
    // The three turns compose in the local matrix alone. Every way of
    // keeping the inverse inverts the whole matrix again, and the world
    // placement is the local one carried down the tree, so both are made
    // once, from the last matrix, when they are next read: the same figures
    // as after each turn, for a rock's or a piece of debris's tumble.
    constexpr uint32_t kTurnOnly = Transform::kAllFlags & ~Transform::kUpdateInverse;
    local.RotateAboutLocalX(t * angularVelocity.x, kTurnOnly);
    local.RotateAboutLocalY(t * angularVelocity.y, kTurnOnly);
    local.RotateAboutForward(t * angularVelocity.z, kTurnOnly);
    bool placed = false;
    if (angularVelocity.Length() < 5.0f) angularVelocity = Vector3{0.0f, 0.0f, 0.0f};
    if (localVelocity.z != 0.0f) {
        local.UpdateInverse();
        UpdateWorldTransform(Transform::kAllFlags);
        placed = true;
        flags |= kFlagChanged;
        velocity.AddAssign(world.forward.Scaled(t * localVelocity.z));
    }
    speed = velocity.Length();
    if (speed > velocityCap) {
        velocity.MultiplyScalar(velocityCap / speed);
    }
    if (velocity.x != 0.0f || velocity.y != 0.0f || velocity.z != 0.0f) {
        previousPosition = Position();
        const Vector3 next = previousPosition.Sum(velocity.Scaled(t));
        local.SetPosition(&next, Transform::kAllFlags);
        UpdateWorldTransform(Transform::kAllFlags);
        placed = true;
    }
    if (!placed) {
        local.UpdateInverse();
        UpdateWorldTransform(Transform::kAllFlags);
    }
}
