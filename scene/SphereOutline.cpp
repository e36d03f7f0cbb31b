#include "scene/SphereOutline.h"

#include "display/Canvas.h"
#include "display/Circles.h"
#include "engine/BoundingSphere.h"
#include "engine/MathRoutineTable.h"
#include "engine/Saturate.h"
#include "scene/Camera.h"
#include "scene/Transform.h"
#include "scene/ViewContext.h"

void DrawSphereOutline(const BoundingSphere& sphere, const Transform* transform, uint32_t colour) {
    Camera* const camera = g_viewContext != nullptr ? g_viewContext->camera : nullptr;
    if (camera == nullptr || camera->canvas == nullptr) return;
    // World to view space is the inverse of the camera's placement.
    const Matrix34& view = camera->transform.inverse;
    Matrix34 combined;
    const Matrix34* toView = &view;
    if (transform != nullptr) {
        g_mathRoutineTable.multiplyMatrix(&transform->matrix, &view, &combined);
        toView = &combined;
    }
    Vector3 centre;
    g_mathRoutineTable.transformPoint(&sphere.centre, toView, &centre);
    const float radius = camera->sideFactor * (transform != nullptr ? transform->scale : 1.0f) * sphere.radius;
    if (centre.z < camera->nearZ || centre.z > camera->farZ) return;
    if (centre.z + radius < camera->nearZ || centre.z - radius > camera->farZ) return;

    Canvas& canvas = *camera->canvas;
    const float halfW = float(canvas.width >> 1);
    const float halfH = float(canvas.height >> 1);
    float x = centre.x, y = centre.y, edge = centre.x + radius;
    if ((camera->flags & Camera::kFlagOrthographic) == 0) {
        x /= centre.z;
        y /= centre.z;
        edge /= centre.z;
    }
    const float screenX = x * camera->scaleX + halfW;
    const float screenY = halfH - y * camera->scaleY;
    const float screenRadius = edge * camera->scaleX + halfW - screenX;
    DrawCircle(&canvas, SaturateToInt32(screenX), SaturateToInt32(screenY), SaturateToInt32(screenRadius), colour);
}
