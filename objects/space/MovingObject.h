#pragma once
#include "objects/space/SpaceObject.h"

// A free-flying object (type 1): it turns by its spin and pushes along its
// nose; the base of the asteroids, mines, debris, decoys and missiles.
class MovingObject : public SpaceObject {
public:
    explicit MovingObject(SpaceObject* templateObject);

    void SetRotationRates(float pitch, float yaw, float roll) override;
    void SetVelocity(float x, float y, float z) override;
    void Accelerate(float dv) override;
    void Decelerate(float dv) override;
    void SetThrottle(float percent) override;
    void Damp(float percent) override;
    SpaceObject* Clone(SpaceObject* placementSource, int32_t = 0, int32_t = 0) override;
    void Simulate(uint32_t milliseconds) override;
    // Longer than the turn rate: normalised; then scaled by the turn rate.
    virtual void ScaleTurnVector(Vector3& vector) const;
};
