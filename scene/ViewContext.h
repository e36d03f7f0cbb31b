#pragma once
#include <cstdint>

#include "engine/Vector3.h"
#include "scene/RenderVertex.h"

class Camera;
class Material;
class NamedObject;
struct FaceRecord;

// What a frame tells the camera and the render path to draw. Every drawer
// pushes a record of its own (usually a copy of the current one), makes it
// current, and pops it before it returns; the camera itself pushes one only
// to flush its frame's sorted primitives onto its own canvas.
struct ViewContext {
    ViewContext* previous = nullptr;   // current before this one was pushed
    Camera* camera = nullptr;
    void* lights = nullptr;            // head of the active light chain
    NamedObject* objectList = nullptr; // first object to draw, linked through `next`
    NamedObject* object = nullptr;     // the object being drawn
    Vector3* modelPoints = nullptr;
    uint32_t* vertexStates = nullptr;  // per vertex; kProjected once projected this frame
    RenderVertex* vertices = nullptr;  // view space
    FaceRecord* faces = nullptr;
    uint32_t materialCount = 0;        // entries of `materials`
    Material** materials = nullptr;    // by a face's material number minus one
    uint32_t fixedColour = 0;          // with the draw flag for a fixed colour
    uint32_t fixedLevel = 0;           // with the draw flag for a fixed translucency

    static constexpr uint32_t kProjected = 0x2;
};

extern ViewContext* g_viewContext;

// Links the record to the current one and makes it current.
void PushViewContext(ViewContext* context);
// Makes current again whatever was current when `context` was pushed.
void PopViewContext(ViewContext* context);

// The named objects' picks reach the view through hooks in the engine
// layer; pushing a view or making a camera installs them.
void InstallSceneViewHooks();
