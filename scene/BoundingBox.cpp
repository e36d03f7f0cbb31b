#include "scene/BoundingBox.h"

#include <cmath>

namespace {

// Vector3 as three indexable axes, in order x, y, z.
double Axis(const Vector3& v, int axis) {
    return axis == 0 ? v.x : (axis == 1 ? v.y : v.z);
}

}  // namespace

bool BoundingBox::ContainsPoint(const Vector3& point) const {
    return min.x <= point.x && point.x <= max.x && min.y <= point.y && point.y <= max.y && min.z <= point.z &&
           point.z <= max.z;
}

bool BoundingBox::OverlapsSphere(const Vector3& centre, float radius) const {
    for (int axis = 0; axis < 3; ++axis) {
        const double c = Axis(centre, axis);
        if (Axis(min, axis) > c + radius || Axis(max, axis) < c - radius) {
            return false;
        }
    }
    return true;
}

// The slab method: the ray enters the box through the last of the faces it
// crosses on its way in, so the largest entry distance names the face; the
// hit point must then lie on that face, i.e. within the other two slabs.
// Intermediates in double, as wide as the x87 registers keep them.
float BoundingBox::RayDistance(const Vector3& origin, const Vector3& direction) const {
    double plane[3];
    bool between[3];
    for (int axis = 0; axis < 3; ++axis) {
        const double o = Axis(origin, axis);
        const double d = Axis(direction, axis);
        between[axis] = false;
        if (o < Axis(min, axis)) {
            if (!(d > 0.0)) {
                return 0.0f;
            }
            plane[axis] = Axis(min, axis);
        } else if (o > Axis(max, axis)) {
            if (!(d < 0.0)) {
                return 0.0f;
            }
            plane[axis] = Axis(max, axis);
        } else {
            between[axis] = true;
        }
    }

    if (between[0] && between[1] && between[2]) {
        double squared = 0.0;
        for (int axis = 0; axis < 3; ++axis) {
            const double low = Axis(min, axis);
            const double centre = low + (Axis(max, axis) - low) * 0.5;
            const double offset = centre - Axis(origin, axis);
            squared += offset * offset;
        }
        return static_cast<float>(std::sqrt(squared));
    }

    double t = -1.0;
    int entryAxis = -1;
    for (int axis = 0; axis < 3; ++axis) {
        const double d = Axis(direction, axis);
        if (between[axis] || d == 0.0) {
            continue;
        }
        const double candidate = (plane[axis] - Axis(origin, axis)) / d;
        // Strictly larger: on a tie the earlier axis stays the entry face.
        if (candidate > t) {
            t = candidate;
            entryAxis = axis;
        }
    }
    if (t < 0.0) {
        return 0.0f;
    }

    for (int axis = 0; axis < 3; ++axis) {
        if (axis == entryAxis) {
            continue;
        }
        const double hit = Axis(origin, axis) + t * Axis(direction, axis);
        if (hit < Axis(min, axis) || hit > Axis(max, axis)) {
            return 0.0f;
        }
    }
    return static_cast<float>(t);
}
