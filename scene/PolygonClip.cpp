#include "scene/PolygonClip.h"

#include <algorithm>
#include <cmath>

#include "engine/MathRoutineTable.h"
#include "scene/Camera.h"

namespace {

enum Outcode : uint32_t { kRight = 1, kLeft = 2, kTop = 4, kBottom = 8 };

float Distance(const RenderVertex& v, const ClipPlane& plane) {
    return plane.normal.x * v.x + plane.normal.y * v.y + plane.normal.z * v.z - plane.distance;
}

float Along(const RenderVertex& v, const ClipPlane& plane) {
    return plane.normal.x * v.x + plane.normal.y * v.y + plane.normal.z * v.z;
}

// The point where the edge from `from` to `to` meets the plane.
RenderVertex Crossing(const RenderVertex& from, const RenderVertex& to, const ClipPlane& plane, uint32_t faceFlags) {
    const float alongFrom = Along(from, plane);
    const float t = (plane.distance - alongFrom) / (Along(to, plane) - alongFrom);
    RenderVertex out = from;
    out.x = from.x + t * (to.x - from.x);
    out.y = from.y + t * (to.y - from.y);
    out.z = from.z + t * (to.z - from.z);
    if ((faceFlags & kFaceTextured) != 0) {
        out.u = from.u + t * (to.u - from.u);
        out.v = from.v + t * (to.v - from.v);
    }
    if ((faceFlags & kFaceGouraud) != 0) {
        const float step = t * float(int64_t(to.intensity) - from.intensity);
        out.intensity = from.intensity + int32_t(std::trunc(std::isfinite(step) ? step : 0.0f));
    }
    return out;
}

}  // namespace

int32_t ClipPolygonToPlane(int32_t* count, const RenderVertex* in, RenderVertex* out, const ClipPlane& plane,
                           uint32_t faceFlags) {
    const int32_t n = *count;
    if (n == 2) {
        const bool firstIn = Distance(in[0], plane) >= 0.0f;
        const bool secondIn = Distance(in[1], plane) >= 0.0f;
        int32_t emitted = 0;
        if (firstIn) out[emitted++] = in[0];
        if (secondIn) out[emitted++] = in[1];
        if (firstIn == secondIn) {
            if (!firstIn) {
                // Both outside this plane: passed on unchanged; the canvas
                // cuts every 3D line to itself.
                out[0] = in[0];
                out[1] = in[1];
            }
            return kClipInside;
        }
        out[emitted] = Crossing(in[0], in[1], plane, faceFlags);
        return kClipClipped;
    }
    if (n < 3 || n > kMaxClipVertices) return kClipRejected;

    int32_t emitted = 0;
    bool crossed = false;
    const RenderVertex* previous = &in[n - 1];
    bool previousIn = Distance(*previous, plane) >= 0.0f;
    for (int32_t i = 0; i < n; ++i) {
        const RenderVertex& current = in[i];
        const bool currentIn = Distance(current, plane) >= 0.0f;
        // A convex polygon gains at most one vertex a plane; anything that
        // would overrun the buffer is no polygon this path draws.
        if (previousIn) {
            if (emitted == kMaxClipVertices) return kClipRejected;
            out[emitted++] = *previous;
        }
        if (previousIn != currentIn) {
            if (emitted == kMaxClipVertices) return kClipRejected;
            out[emitted++] = Crossing(*previous, current, plane, faceFlags);
            crossed = true;
        }
        previous = &current;
        previousIn = currentIn;
    }
    if (emitted < 3) return kClipRejected;
    *count = emitted;
    return crossed ? kClipClipped : kClipInside;
}

int32_t ClipPolygonToView(int32_t* count, RenderVertex* in, RenderVertex* out, const Camera& camera,
                          uint32_t faceFlags) {
    const int32_t n = *count;
    if (n < 2 || n > kMaxClipVertices) return kClipRejected;
    int32_t beyondFar = 0, beforeNear = 0;
    uint32_t any = 0, all = kRight | kLeft | kTop | kBottom;
    const bool orthographic = (camera.flags & Camera::kFlagOrthographic) != 0;
    for (int32_t i = 0; i < n; ++i) {
        const RenderVertex& v = in[i];
        if (v.z > camera.farZ) ++beyondFar;
        if (v.z < camera.nearZ) ++beforeNear;
        const float xLimit = orthographic ? camera.halfWidth : camera.halfWidth * v.z;
        const float yLimit = orthographic ? camera.halfHeight : camera.halfHeight * v.z;
        uint32_t code = 0;
        if (v.x > xLimit) code |= kRight;
        if (v.x < -xLimit) code |= kLeft;
        if (v.y > yLimit) code |= kTop;
        if (v.y < -yLimit) code |= kBottom;
        any |= code;
        all &= code;
    }
    if (beyondFar == n || beforeNear == n) return kClipRejected;
    if (any == 0 && beyondFar == 0 && beforeNear == 0) return kClipInside;
    if (all != 0) return kClipRejected;

    struct Step {
        bool needed;
        int plane;
    };
    const Step steps[] = {{beyondFar > 0, Camera::kPlaneFar},     {beforeNear > 0, Camera::kPlaneNear},
                          {(any & kTop) != 0, Camera::kPlaneTop},  {(any & kBottom) != 0, Camera::kPlaneBottom},
                          {(any & kRight) != 0, Camera::kPlaneRight}, {(any & kLeft) != 0, Camera::kPlaneLeft}};
    RenderVertex* current = in;
    RenderVertex* other = out;
    int32_t vertices = n;
    bool clipped = false;
    for (const Step& step : steps) {
        if (!step.needed) continue;
        const int32_t result = ClipPolygonToPlane(&vertices, current, other, camera.planes[step.plane], faceFlags);
        if (result == kClipRejected) return kClipRejected;
        if (result == kClipClipped || (n == 2 && result == kClipInside)) {
            std::swap(current, other);
            clipped = clipped || result == kClipClipped;
        }
    }
    if (current == in) std::copy(in, in + vertices, out);
    *count = vertices;
    return clipped ? kClipClipped : kClipInside;
}

int32_t IsFrontFace(int32_t count, const RenderVertex* v, const Camera&) {
    if (count < 3) return 0;
    const Vector3 e1{v[0].x - v[1].x, v[0].y - v[1].y, v[0].z - v[1].z};
    const Vector3 e2{v[2].x - v[1].x, v[2].y - v[1].y, v[2].z - v[1].z};
    Vector3 n;
    g_mathRoutineTable.crossProduct(&e2, &e1, &n);
    g_mathRoutineTable.normalizeVector(&n);
    Vector3 eye{v[0].x, v[0].y, v[0].z};
    g_mathRoutineTable.normalizeVector(&eye);
    return n.x * eye.x + n.y * eye.y + n.z * eye.z > 0.025f ? 0 : 1;
}
