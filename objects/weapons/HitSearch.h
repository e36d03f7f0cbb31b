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

// How a search narrows the field: which object types count, a coarse
// distance from `centre` beyond which an object is not even ray-tested (0:
// none), and how much every sphere grows for the test.
struct HitRules {
    uint32_t typeMask = 0xFFFFFFFFu;
    float coarseReach = 0.0f;
    Vector3 centre{};
    float growth = 0.0f;
};

// The closest active part that a ray from `origin` along the unit
// `direction` meets nearer than `best`, over the world's objects except the
// shooter and hidden ones. An object's sphere (a copy, at the object's
// radius) must be met first; an object whose sphere is met but none of
// whose parts is lets the ray go on.
WeaponHit FindWeaponHit(const SpaceObject* shooter, const Vector3& origin, const Vector3& direction, float best,
                        const HitRules& rules = {});
