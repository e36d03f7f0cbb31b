#include "scene/StreakObject.h"

#include "display/Canvas.h"
#include "engine/MathRoutineTable.h"
#include "scene/Camera.h"
#include "scene/RenderPath.h"
#include "scene/ViewContext.h"

void StreakObject::Draw() {
    if (g_viewContext == nullptr || g_viewContext->camera == nullptr) return;
    ViewContext view = *g_viewContext;
    view.object = this;
    PushViewContext(&view);
    Camera& camera = *view.camera;
    const float level = camera.canvas != nullptr ? float(CanvasFullLevel(*camera.canvas)) : 0.0f;
    Vector3 start, end;
    g_mathRoutineTable.transformPoint(&from, &camera.transform.inverse, &start);
    g_mathRoutineTable.transformPoint(&to, &camera.transform.inverse, &end);
    g_primScratch = ScreenVertex{};
    g_primScratch.x = start.x;
    g_primScratch.y = start.y;
    g_primScratch.depth = start.z;
    g_primScratch.colour = colour;
    g_primScratch.intensity = level;
    ScreenVertex finish{};
    finish.x = end.x;
    finish.y = end.y;
    finish.depth = end.z;
    finish.colour = colour;
    finish.intensity = level;
    EmitSortedLine(finish, kDrawClip);
    PopViewContext(&view);
}
