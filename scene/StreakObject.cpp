#include "scene/StreakObject.h"

#include "display/Canvas.h"
#include "display/Palette.h"
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
    // The level at which a shade shows its colour unaltered.
    float level = 0.0f;
    if (camera.canvas != nullptr && camera.canvas->palette != nullptr && camera.canvas->palette->Shades() != nullptr) {
        level = float(camera.canvas->palette->Shades()->pivot);
    }
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
