#include "objects/effects/EffectSupport.h"

#include "display/Palette.h"
#include "engine/MathRoutineTable.h"
#include "game/GameState.h"
#include "objects/space/SpaceObject.h"
#include "scene/BoxObject.h"
#include "scene/Frame.h"
#include "scene/Transform.h"

namespace effects {

namespace {

Palette* PaletteNamed(const char* name) {
    if (g_gameState == nullptr) return nullptr;
    return name != nullptr ? g_gameState->LoadPalette(name) : g_gameState->defaultPalette;
}

}  // namespace

bool Register(NamedObject* object, const char* paletteName) {
    if (object == nullptr) return false;
    if (g_gameState == nullptr) {
        delete object;
        return false;
    }
    g_gameState->RegisterObjectGroup(object, PaletteNamed(paletteName), 1);
    return true;
}

uint32_t ColourIn(const char* paletteName, uint8_t red, uint8_t green, uint8_t blue) {
    const Palette* const palette = PaletteNamed(paletteName);
    if (palette == nullptr) return 0;
    return palette->MatchColor(uint32_t(red) | uint32_t(green) << 8 | uint32_t(blue) << 16);
}

SpaceObject* SpaceObjectOf(Frame* frame) {
    if (frame == nullptr) return nullptr;
    while (frame->parent != nullptr) frame = frame->parent;
    return dynamic_cast<SpaceObject*>(frame);
}

Vector3 WorldPosition(const Frame& frame) {
    Vector3 at;
    frame.world.matrix.GetTranslation(&at);
    return at;
}

Vector3 PointToLocal(const Transform& transform, const Vector3& point) {
    Transform copy = transform;
    copy.UpdateInverse();
    Vector3 out;
    TransformPoint(&point, &copy.inverse, &out);
    return out;
}

Vector3 DirectionToLocal(const Transform& transform, const Vector3& direction) {
    Transform copy = transform;
    copy.UpdateInverse();
    Vector3 out;
    TransformVector(&direction, &copy.inverse, &out);
    return out;
}

void SpanBox(BoxObject& box, const Vector3& start, const Vector3& end, float halfX, float halfY) {
    // The box's corner order: 0-3 on top (+y), 4-7 below; 0, 1, 4, 5 at the
    // near end (-z); 0, 3, 4, 7 on the left (-x).
    constexpr bool kLeft[8] = {true, false, false, true, true, false, false, true};
    constexpr bool kTop[8] = {true, true, true, true, false, false, false, false};
    constexpr bool kNear[8] = {true, true, false, false, true, true, false, false};
    for (int i = 0; i < 8; ++i) {
        const Vector3& at = kNear[i] ? start : end;
        box.corners[i][0] = at.x + (kLeft[i] ? -halfX : halfX);
        box.corners[i][1] = at.y + (kTop[i] ? halfY : -halfY);
        box.corners[i][2] = at.z;
        box.corners[i][3] = 0.0f;
    }
    box.flags |= BoxObject::kAllFaces;
}

}  // namespace effects
