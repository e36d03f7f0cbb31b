#include "engine/BoundingSphere.h"

#include <cmath>

// The sphere tests run on the x87 unit: intermediates in double, as wide as
// its registers keep them.

bool BoundingSphere::ContainsPoint(const Vector3& point, float margin) const {
    const double reach = double{radius} + margin;
    const double dx = double{point.x} - centre.x;
    const double dy = double{point.y} - centre.y;
    const double dz = double{point.z} - centre.z;
    // The per-axis tests reject most points before the square root.
    if (std::fabs(dx) > reach || std::fabs(dy) > reach || std::fabs(dz) > reach) {
        return false;
    }
    return std::sqrt(dx * dx + dy * dy + dz * dz) < reach;
}

bool BoundingSphere::ContainsPointExact(const Vector3& point) const {
    return ContainsPoint(point, 0.0f);
}

float BoundingSphere::RayDistance(const Vector3& origin, const Vector3& direction) const {
    const double lx = double{centre.x} - origin.x;
    const double ly = double{centre.y} - origin.y;
    const double lz = double{centre.z} - origin.z;
    // t: where along the ray it comes closest to the centre; q: the squared
    // half-chord there, negative when the closest approach is outside.
    const double t = lx * direction.x + ly * direction.y + lz * direction.z;
    const double q = double{radius} * radius - (lx * lx + ly * ly + lz * lz) + t * t;
    if (q < 0.0) {
        return 0.0f;
    }
    const double s = std::sqrt(q);
    const double farSide = t + s;
    if (farSide <= 0.0) {
        return 0.0f;
    }
    const double nearSide = t - s;
    return static_cast<float>(nearSide <= 0.0 ? farSide : nearSide);
}
