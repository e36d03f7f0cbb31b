#include "scene/ViewContext.h"

#include "display/Canvas.h"
#include "engine/MathRoutineTable.h"
#include "engine/PickQuery.h"
#include "engine/ViewHooks.h"
#include "scene/Camera.h"

ViewContext* g_viewContext = nullptr;

namespace {

NamedObject* CurrentObjectList() { return g_viewContext != nullptr ? g_viewContext->objectList : nullptr; }

// The ray from the camera's position through a screen point: the point at
// unit depth in view space, ((x - w/2) / kx, (h/2 - y) / ky, 1), taken to
// world space by the camera's matrix.
Status ScreenRay(Camera* camera, int32_t x, int32_t y, Vector3* origin, Vector3* direction) {
    if (camera == nullptr && g_viewContext != nullptr) camera = g_viewContext->camera;
    if (camera == nullptr || camera->canvas == nullptr) return kStatusNoCamera;
    const Matrix34& matrix = camera->transform.matrix;
    matrix.GetTranslation(origin);
    const Canvas& canvas = *camera->canvas;
    const Vector3 onScreen{float(x - (canvas.width >> 1)) / camera->scaleX,
                           float((canvas.height >> 1) - y) / camera->scaleY, 1.0f};
    Vector3 through;
    g_mathRoutineTable.transformPoint(&onScreen, &matrix, &through);
    *direction = Vector3{through.x - origin->x, through.y - origin->y, through.z - origin->z};
    g_mathRoutineTable.normalizeVector(direction);
    return kStatusOk;
}

}  // namespace

void InstallSceneViewHooks() {
    ViewHooks hooks;
    hooks.currentObjectList = &CurrentObjectList;
    hooks.screenRay = &ScreenRay;
    InstallViewHooks(hooks);
}

void PushViewContext(ViewContext* context) {
    if (CurrentViewHooks().screenRay == nullptr) InstallSceneViewHooks();
    context->previous = g_viewContext;
    g_viewContext = context;
}

void PopViewContext(ViewContext* context) {
    if (g_viewContext == context) g_viewContext = context->previous;
}
