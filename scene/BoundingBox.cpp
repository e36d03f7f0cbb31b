#include "scene/BoundingBox.h"

#include <cmath>

#include "display/Canvas.h"
#include "display/ViewVertex.h"
#include "engine/MathRoutineTable.h"
#include "engine/Saturate.h"
#include "scene/Camera.h"
#include "scene/RenderPath.h"
#include "scene/Transform.h"
#include "scene/ViewContext.h"

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

void BoundingBox::DrawOutline(const Transform* transform, uint32_t colour) const {
    Camera* const camera = g_viewContext != nullptr ? g_viewContext->camera : nullptr;
    if (camera == nullptr || camera->canvas == nullptr) return;
    Canvas& canvas = *camera->canvas;
    const Matrix34& view = camera->transform.inverse;
    Matrix34 combined;
    const Matrix34* toView = &view;
    if (transform != nullptr) {
        g_mathRoutineTable.multiplyMatrix(&transform->matrix, &view, &combined);
        toView = &combined;
    }
    const bool orthographic = (camera->flags & Camera::kFlagOrthographic) != 0;
    const int32_t level = CanvasFullLevel(canvas);
    ViewVertex corners[8];
    for (int i = 0; i < 8; ++i) {
        const Vector3 corner{(i & 1) ? max.x : min.x, (i & 2) ? max.y : min.y, (i & 4) ? max.z : min.z};
        Vector3 p;
        g_mathRoutineTable.transformPoint(&corner, toView, &p);
        if (p.z < camera->nearZ || p.z > camera->farZ) return;
        const float x = orthographic ? camera->scaleX * p.x : camera->scaleX * p.x / p.z;
        const float y = orthographic ? camera->scaleY * p.y : camera->scaleY * p.y / p.z;
        ViewVertex& v = corners[i];
        v = ViewVertex{};
        v.screenX = Saturate32(int64_t(SaturateToInt32(x)) + (canvas.width >> 1));
        v.screenY = Saturate32(int64_t(canvas.height >> 1) - SaturateToInt32(y));
        const double depth = std::trunc(double(p.z) * camera->depthScale * 4294967296.0);
        v.depth = depth <= 0.0 ? 0u : depth >= 4294967295.0 ? 0xFFFFFFFFu : uint32_t(depth);
        v.colour = colour;
        v.intensity = level;
    }
    // The edges join corners that differ in one bit.
    for (int i = 0; i < 8; ++i) {
        for (const int bit : {1, 2, 4}) {
            if ((i & bit) == 0) canvas.DrawLineClippedInt(&corners[i], &corners[i | bit], nullptr, nullptr);
        }
    }
}
