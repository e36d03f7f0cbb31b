#include "navmap/MapProjection.h"

#include "engine/MathRoutineTable.h"
#include "scene/Transform.h"

namespace map_projection {
namespace {

// Each bracketed term is truncated on its own, so a screen coordinate is a
// difference of two truncated values, not a truncated difference. The
// polynomial c + b t + a t^2 is evaluated as c - ((-a t - b) t).
int32_t Term(double c, double b, double a, double t) { return int32_t(c - ((-a * t - b) * t)); }

}  // namespace

Vector3 ToMapSpace(const Transform& camera, const Vector3& world) {
    Vector3 out{};
    TransformPoint(&world, &camera.inverse, &out);
    return out;
}

bool Project(MapTwin twin, const Vector3& p, int32_t range, MapPoint* out) {
    const double r = range;
    const double x = p.x;
    const double y = p.y;
    const double z = p.z;
    if (!(x < 2.0 * r && x > -2.0 * r && y < r && y > -r && z < 2.0 * r && z > -2.0 * r)) return false;
    const double u = x / (2.0 * r) + 0.5;
    const bool warRoom = twin == MapTwin::kWarRoom;
    const double w = warRoom ? 0.5 - z / (2.0 * r) : z / (2.0 * r) + 0.5;
    out->x = Term(264.0, 216.0, 44.0, u) - Term(70.0, -159.0, 38.0, w);
    out->barY = warRoom ? Term(175.0, 32.0, 4.0, u) - Term(-34.0, 75.0, -14.0, w)
                        : Term(160.0, 31.0, 6.0, u) - Term(-35.0, 79.0, -18.0, w);
    out->y = out->barY - int32_t(kBarPixels * y / r);
    out->depthKey = int32_t(p.z) + range;
    return true;
}

bool InSymbolWindow(const MapPoint& point) {
    return point.x > kWindowLeft && point.x < kWindowRight && point.y > kWindowTop && point.y < kWindowBottom;
}

}  // namespace map_projection
