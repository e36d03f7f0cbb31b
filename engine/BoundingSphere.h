#pragma once
#include "engine/Vector3.h"

// The sphere that bounds an object for picks and collisions.
struct BoundingSphere {
    Vector3 centre;
    float spare;  // nothing reads it; keeps the record at five floats
    float radius;

    // True when the point lies within radius + margin of the centre (the
    // distance strictly below it).
    bool ContainsPoint(const Vector3& point, float margin) const;
    // ContainsPoint with no margin.
    bool ContainsPointExact(const Vector3& point) const;
    // Distance along the ray (direction of unit length) to where it meets
    // the sphere: the far side when the origin is inside, 0 when the ray
    // misses or the sphere lies wholly behind the origin.
    float RayDistance(const Vector3& origin, const Vector3& direction) const;
};
static_assert(sizeof(BoundingSphere) == 20);
