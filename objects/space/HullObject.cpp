#include "objects/space/HullObject.h"

#include <algorithm>
#include <cmath>

#include "engine/MathRoutineTable.h"
#include "engine/TimeStamp.h"
#include "game/CareerRecord.h"
#include "game/GameState.h"

HullObject::HullObject(SpaceObject* templateObject) : SpaceObject(templateObject) { HullObject::Init(); }

void HullObject::Init() {
    type = kTypeHull;
    firstWord = 0;
    tumble = Vector3{0.0f, 0.0f, 0.0f};
    freeDrift = 0;
    turnFactor = 0.1f;
    rollCoupling = 0.0f;
    drag = 0.5f;
    thirdFactor = 0.0f;
    collisionMask = kCollisionMask;
    collisionDelay = 0;
    UpdateVisibility();
    // The craft activates itself and arms its collisions.
    collisionDelay = -1;
    active = 0;
    removeWhenDone = 0;
    UpdateVisibility();
}

bool HullObject::StrongDamping() const {
    if (type != kTypePlayerShip || g_gameState == nullptr || g_gameState->playerShip != this) return false;
    // A game without a career keeps the career's default: inertial flight off.
    return g_gameState->career == nullptr || g_gameState->career->options.InertialFlightOff();
}

void HullObject::SetRotationRates(float pitch, float yaw, float roll) {
    rotationRates = Vector3{pitch, yaw, roll - yaw * rollCoupling}.Scaled(maxTurnRate);
}

void HullObject::SetVelocity(float x, float y, float z) { localVelocity = Vector3{x, y, z}.Scaled(maxSpeed); }

void HullObject::Damp(float percent) {
    const uint32_t age = Age();
    const uint32_t elapsed = age > uint32_t(lastUpdateAge) ? age - uint32_t(lastUpdateAge) : 0;
    const float f = std::clamp(drag + percent, 0.0f, 1.0f);
    velocity.MultiplyScalar(1.0f - float(elapsed) * 0.001f * f);
    if (velocity.Length() < 3.0f) velocity = Vector3{0.0f, 0.0f, 0.0f};
}

void HullObject::SetRotationVector(const Vector3& vector) {
    Vector3 rates = vector;
    // A turn either way is held to the cap: a left turn is no faster than a right.
    if (std::abs(rates.x) > maxTurnRate || std::abs(rates.y) > maxTurnRate || std::abs(rates.z) > maxTurnRate) {
        rates.Normalize().MultiplyScalar(maxTurnRate);
    }
    rotationRates = rates;
}

void HullObject::SetHullFactors(int32_t a, int32_t b, int32_t c) {
    rollCoupling = float(a) * 0.01f;
    drag = float(b) * 0.01f;
    thirdFactor = float(c) * 0.01f;
}

SpaceObject* HullObject::Clone(SpaceObject* placementSource, int32_t, int32_t) {
    auto* const clone = new HullObject(this);
    if (clone == nullptr) return nullptr;
    CopyInto(*clone, placementSource, false);
    clone->rollCoupling = rollCoupling;
    clone->drag = drag;
    clone->thirdFactor = thirdFactor;
    clone->UpdateVisibility();
    if (g_gameState != nullptr) g_gameState->AddObjectsToWorld(clone, 0);
    return clone;
}

void HullObject::Simulate(uint32_t milliseconds) {
    const float t = float(std::min<uint32_t>(milliseconds, 1000)) * 0.001f;
    flags |= kFlagChanged;
    angularVelocity.AddAssign(rotationRates.Scaled(t));
    for (float* spin : {&angularVelocity.x, &angularVelocity.y, &angularVelocity.z}) *spin = std::clamp(*spin, -spinCap, spinCap);

    float push = 1.0f;
    if (tumble.x != 0.0f || tumble.y != 0.0f || tumble.z != 0.0f) {
        tumble.MultiplyScalar(1.0f - 0.75f * t);
        push = 1.0f - std::min(1.0f, tumble.Dot(tumble) * 1e-10f);
        for (float* axis : {&tumble.x, &tumble.y, &tumble.z}) {
            if (std::abs(*axis) < 3.0f) *axis = 0.0f;
        }
    }
    if (angularVelocity.x != 0.0f || tumble.x != 0.0f) {
        local.RotateAboutLocalX((angularVelocity.x + tumble.x) * t, Transform::kAllFlags);
        UpdateWorldTransform(Transform::kAllFlags);
    }
    if (angularVelocity.y != 0.0f || tumble.y != 0.0f) {
        local.RotateAboutLocalY((angularVelocity.y + tumble.y) * t, Transform::kAllFlags);
        UpdateWorldTransform(Transform::kAllFlags);
    }
    if (angularVelocity.z != 0.0f || tumble.z != 0.0f) {
        local.RotateAboutForward((angularVelocity.z + tumble.z) * t, Transform::kAllFlags);
        UpdateWorldTransform(Transform::kAllFlags);
    }

    const bool strong = StrongDamping();
    const float spinDamping = std::max(0.0f, 1.0f - (strong ? 6.0f : turnFactor) * t);
    const float ratio = maxTurnRate != 0.0f ? spinCap / maxTurnRate : 0.0f;
    const float rates[3] = {rotationRates.x, rotationRates.y, rotationRates.z};
    float* const spins[3] = {&angularVelocity.x, &angularVelocity.y, &angularVelocity.z};
    for (int axis = 0; axis < 3; ++axis) {
        if (rates[axis] == 0.0f || *spins[axis] / rates[axis] > ratio) *spins[axis] *= spinDamping;
        if (std::abs(rates[axis]) < 1.0f && std::abs(*spins[axis]) < 1.0f) *spins[axis] = 0.0f;
    }

    // The velocity in the craft's own frame, z forward: turned, not scaled
    // (the frame's scale sizes the craft, not its speeds).
    Transform frame = world;
    frame.UpdateInverse();
    const float size = world.scale > 0.0f ? world.scale : 1.0f;
    Vector3 v;
    g_mathRoutineTable.transformVector(&velocity, &frame.inverse, &v);
    v = v.Scaled(size);
    if (freeDrift == 0 || strong) {
        const float g = std::max(0.0f, 1.0f - (strong ? 6.0f : drag) * t);
        v.x *= g;
        v.y *= g;
        if (v.z > velocityCap) v.z = std::max(v.z * g, velocityCap);
        if (v.z < velocityCap) v.z = std::min(v.z + t * maxSpeed * push, velocityCap);
        const float s = v.Length();
        if (s > kTopSpeed) v = v.Scaled((kTopSpeed - t * maxSpeed) / s).Sum(Vector3{0.0f, 0.0f, t * maxSpeed});
        if (std::abs(v.x) < 1.5f) v.x = 0.0f;
        if (std::abs(v.y) < 1.5f) v.y = 0.0f;
        if (maxSpeed < 0.5f && std::abs(v.z) < 1.5f) v.z = 0.0f;
        speed = std::max(v.z, 0.0f);
        g_mathRoutineTable.transformVector(&v, &world.matrix, &velocity);
        velocity = velocity.Scaled(1.0f / size);
    }
    previousPosition = Position();
    if (velocity.x != 0.0f || velocity.y != 0.0f || velocity.z != 0.0f) {
        const Vector3 next = previousPosition.Sum(velocity.Scaled(t));
        local.SetPosition(&next, Transform::kAllFlags);
        UpdateWorldTransform(Transform::kAllFlags);
    }
}
