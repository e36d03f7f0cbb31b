#pragma once
#include <cstdint>

#include "engine/Vector3.h"

class SpaceObject;

// What a gun's or a beam's ray meets first.
struct WeaponHit {
    SpaceObject* object = nullptr;
    int32_t part = -1;
    float distance = 0.0f;   // the best distance when nothing was hit
};

// The closest active part that a ray from `origin` along the unit
// `direction` meets nearer than `best`, over the world's objects except the
// shooter and hidden ones. An object's sphere (a copy, at the object's
// radius) must be met first; an object whose sphere is met but none of
// whose parts is lets the ray go on.
WeaponHit FindWeaponHit(const SpaceObject* shooter, const Vector3& origin, const Vector3& direction, float best);
