#include "scene/PointField.h"

#include "engine/EngineAllocation.h"
#include "engine/MathRoutineTable.h"
#include "engine/Random.h"
#include "scene/Camera.h"
#include "scene/RenderPath.h"
#include "scene/ViewContext.h"

namespace {

constexpr float kOneOver65536 = 1.52587890625e-5f;
// Views test and the fixed far depth.
constexpr uint32_t kPointDrawFlags = kDrawClip | kDrawFarDepth;

}  // namespace

PointField::PointField() : NamedObject(kTypePointField) {}

PointField& PointField::operator=(const PointField& other) {
    if (this == &other) return *this;
    Clear();
    NamedObject::operator=(other);
    pointCount = other.pointCount;
    points = other.points;
    brightness = other.brightness;
    colour = other.colour;
    return *this;
}

PointField::~PointField() { PointField::Clear(); }

Status PointField::Create(uint32_t n, bool withBrightness) {
    Clear();
    auto* const pointBlock = static_cast<Point*>(EngineAllocate(size_t(n) * sizeof(Point)));
    if (pointBlock == nullptr && n != 0) return 2;
    uint32_t* values = nullptr;
    if (withBrightness) {
        values = static_cast<uint32_t*>(EngineAllocate(size_t(n) * sizeof(uint32_t)));
        if (values == nullptr && n != 0) {
            EngineRelease(pointBlock);
            return 2;
        }
    }
    for (uint32_t i = 0; i < n; ++i) {
        Point& p = pointBlock[i];
        p.x = float(RandomNext()) * kOneOver65536;
        p.y = float(RandomNext()) * kOneOver65536;
        p.z = float(RandomNext()) * kOneOver65536;
        p.w = 0.0f;
        if (values != nullptr) values[i] = ((uint32_t(RandomNext()) & 14) * 16) | 31;
    }
    points = pointBlock;
    brightness = values;
    pointCount = n;
    flags |= kFlagOwnsPoints;
    return kStatusOk;
}

void PointField::Clear() {
    if ((flags & kFlagOwnsPoints) != 0) {
        EngineRelease(points);
        EngineRelease(brightness);
    }
    points = nullptr;
    brightness = nullptr;
    pointCount = 0;
    flags &= ~kFlagOwnsPoints;
}

void PointField::Draw() {
    if (points == nullptr || pointCount == 0) return;
    ViewContext* const current = g_viewContext;
    if (current == nullptr || current->camera == nullptr || current->camera->canvas == nullptr) return;
    const Camera& camera = *current->camera;
    ViewContext view = *current;
    view.object = this;
    PushViewContext(&view);
    const float full = float(CanvasFullLevel(*camera.canvas));
    const bool world = (flags & kFlagWorldPoints) != 0;
    for (uint32_t i = 0; i < pointCount; ++i) {
        const Vector3 p{points[i].x, points[i].y, points[i].z};
        Vector3 eye;
        if (world) {
            g_mathRoutineTable.transformPoint(&p, &camera.transform.inverse, &eye);
        } else {
            g_mathRoutineTable.transformVector(&p, &camera.transform.inverse, &eye);
        }
        g_primScratch.x = eye.x;
        g_primScratch.y = eye.y;
        g_primScratch.depth = eye.z;
        g_primScratch.colour = colour;
        g_primScratch.intensity = brightness != nullptr ? float(brightness[i]) : full;
        EmitSortedPrimitive(kPointDrawFlags);
    }
    PopViewContext(&view);
}
