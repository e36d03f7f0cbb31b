#pragma once
#include <cstdint>

#include "engine/Status.h"
#include "engine/Vector3.h"

class Camera;
class NamedObject;

// What the picks of named objects need of the 3D view, which lives in a
// higher layer: the view installs these once it exists. Until then there is
// no view, so no object list and no camera.
struct ViewHooks {
    // The object list of the current view, or null.
    NamedObject* (*currentObjectList)() = nullptr;
    // The ray from the camera (null: the current view's) through screen
    // point (x, y): kStatusOk with the origin and unit direction, or
    // kStatusNoCamera when there is no camera or it has no canvas.
    Status (*screenRay)(Camera* camera, int32_t x, int32_t y, Vector3* origin, Vector3* direction) = nullptr;
};

void InstallViewHooks(const ViewHooks& hooks);
const ViewHooks& CurrentViewHooks();
