#pragma once
#include "objects/space/SpaceObject.h"

// The hull (type 2), the motion of every craft: spin with damping and a
// decaying tumble, a forward speed it settles at, sideways drift that drag
// takes away, and a top speed near 200 that turns toward the nose.
class HullObject : public SpaceObject {
public:
    static constexpr uint32_t kCollisionMask = 0x1FDA4;
    static constexpr float kTopSpeed = 200.0f;

    explicit HullObject(SpaceObject* templateObject);

    void SetHandlingFactor(float factor) override { turnFactor = factor; }
    void SetRotationRates(float pitch, float yaw, float roll) override;
    void SetVelocity(float x, float y, float z) override;
    void SetThrottle(float value) override { localVelocity.z = value; }
    void Damp(float percent) override;
    SpaceObject* Clone(SpaceObject* placementSource, int32_t = 0, int32_t = 0) override;
    void Init() override;
    void Simulate(uint32_t milliseconds) override;

    virtual void SetDrag(float value) { drag = value; }
    // A vector with a component above the turn rate is normalised and scaled to it.
    virtual void SetRotationVector(const Vector3& vector);
    virtual void GetRotationRates(Vector3* out) const { *out = rotationRates; }
    // Percentages: roll coupling, drag, third factor.
    virtual void SetHullFactors(int32_t a, int32_t b, int32_t c);

    uint32_t firstWord = 0;
    Vector3 tumble{};
    uint32_t freeDrift = 0;
    float turnFactor = 0.1f;
    float rollCoupling = 0.0f;
    float drag = 0.5f;
    float thirdFactor = 0.0f;

private:
    // The local player's ship while the career keeps inertial flight off.
    bool StrongDamping() const;
};
