#pragma once
#include <cstdint>

#include "engine/Vector3.h"

struct Transform;

// An axis-aligned box in some object's own space; both faces of every slab
// belong to the box.
struct BoundingBox {
    Vector3 min;
    Vector3 max;

    bool ContainsPoint(const Vector3& point) const;
    // True when the box and the sphere's own bounding box overlap; a sphere
    // near an edge or corner may pass without touching.
    bool OverlapsSphere(const Vector3& centre, float radius) const;
    // Distance parameter along the ray to the face it enters by, 0 for a
    // miss. From inside, the distance to the box's centre instead, so that an
    // object around the origin still reads as hit.
    float RayDistance(const Vector3& origin, const Vector3& direction) const;
    // The twelve edges on the current view's canvas, the box placed by
    // `transform` (null: in world space); nothing when a corner lies
    // outside the camera's depth range.
    void DrawOutline(const Transform* transform, uint32_t colour) const;
};
static_assert(sizeof(BoundingBox) == 24);
