#pragma once
#include <cstddef>
#include <cstdint>

#include "engine/EngineAllocation.h"
#include "engine/Status.h"
#include "engine/Vector3.h"
#include "scene/Transform.h"

class Canvas;
class NamedObject;
class IffFile;

// Results of the camera's record readers besides kStatusOk.
inline constexpr Status kStatusCameraReadFailed = 10;   // unreadable file or chunk
inline constexpr Status kStatusCameraNotFound = 11;     // not a camera record, or another name
inline constexpr Status kStatusCameraBadSize = 12;      // a record chunk of the wrong size

// A view-volume plane: a point p is inside when normal . p >= distance.
struct ClipPlane {
    Vector3 normal;
    float unused;      // nothing writes it
    float distance;
};

// The view through which a list of 3D objects is drawn on one canvas. Its
// transform's rows are the right, up and forward axes and its translation
// the position; the projection, the six view-volume planes and the depth
// scale follow from the field of view, the distances and the canvas, and
// every setter keeps them current. A frame is BeginFrame, any number of
// DrawScene calls (one per pushed view context) and one EndFrame.
class Camera : public EngineObject {
public:
    // Flag bits this class sets or tests; the render path reads others.
    static constexpr uint32_t kFlagAllEdges = 0x1000;
    static constexpr uint32_t kFlagWasLocked = 0x2000;       // only between BeginFrame and EndFrame
    static constexpr uint32_t kFlagNoClear = 0x4000;
    static constexpr uint32_t kFlagNoDepthBuffer = 0x10000;  // the render path sorts every primitive
    static constexpr uint32_t kFlagNoFlush = 0x20000;
    static constexpr uint32_t kFlagFlushNearFirst = 0x40000;
    static constexpr uint32_t kFlagOrthographic = 0x80000;
    // The flight frame's camera.
    static constexpr uint32_t kFlightFlags = 0x8B8F;
    // Follow-up bits of the setters' flags argument; the game passes 255.
    static constexpr uint32_t kUpdateInverse = 0x1;
    static constexpr uint32_t kAlignUp = 0x2;
    static constexpr uint32_t kUpdateMatrix = 0x10;
    static constexpr uint32_t kAllFlags = 0xFF;

    static constexpr int kPlaneNear = 0;
    static constexpr int kPlaneFar = 1;
    static constexpr int kPlaneLeft = 2;
    static constexpr int kPlaneRight = 3;
    static constexpr int kPlaneTop = 4;
    static constexpr int kPlaneBottom = 5;
    static constexpr int kNameBytes = 16;

    explicit Camera(Canvas* canvas = nullptr);
    // Reads the named record (null: the first) from a chunk file; the
    // defaults stand when none can be read.
    Camera(const char* fileName, const char* cameraName);
    Camera(const Camera& other);
    Camera& operator=(const Camera& other);
    virtual ~Camera();

    // One frame. BeginFrame: 0, or 1 without a canvas or when its lock fails.
    virtual uint32_t BeginFrame();
    // Draws the objects of the current view context's list that are not hidden.
    virtual void DrawScene();
    // Draws those of `count` objects that are not hidden, in order, in the
    // current view context, each the whole of its list while it draws: one
    // pass for objects kept in an array rather than a list.
    void DrawEach(NamedObject* const* objects, size_t count);
    virtual void EndFrame();

    virtual void SetCanvas(Canvas* canvas);
    virtual Camera* InsertAfter(Camera* node);
    virtual Camera* Unlink();
    virtual Camera* FindByName(const char* name);
    virtual void SetDefaults();
    // The current chunk of `iff` as an "ECAM" (16.16) or "ECA1" (float)
    // record, when it carries `name` (null: any).
    virtual Status ReadRecord(IffFile& iff, const char* name);
    virtual Status Load(const char* fileName, const char* cameraName);

    // Orientation and its follow-ups (see kAlignUp, kUpdateMatrix).
    void SetUp(const Vector3& up, uint32_t flags);
    void SetUpXyz(float x, float y, float z, uint32_t flags);
    void SetForward(const Vector3& forward, uint32_t flags);
    void SetForwardXyz(float x, float y, float z, uint32_t flags);
    void SetOrientation(const Vector3& up, const Vector3& forward, uint32_t flags);
    void LookAt(const Vector3& point, uint32_t flags);
    void RotateX(float degrees, uint32_t flags);
    void RotateY(float degrees, uint32_t flags);
    void RotateZ(float degrees, uint32_t flags);
    void Pitch(float degrees, uint32_t flags);
    void Yaw(float degrees, uint32_t flags);
    void Roll(float degrees, uint32_t flags);
    void AlignUp(uint32_t flags);
    void AlignForward(uint32_t flags);
    void UpdateMatrix(uint32_t flags);

    // Derived values; the projection waits for a canvas.
    void UpdateProjection();
    void UpdateClipPlanes();
    void UpdateDepthScale();

    const char* Name() const { return name_; }
    // Moves the camera, keeping the inverse current.
    void SetPosition(const Vector3& position);

    Camera* next = nullptr;
    Camera* prev = nullptr;
    Transform transform;
    Vector3 up{0.0f, 1.0f, 0.0f};  // kept normalised
    float upW = 0.0f;              // carried along with `up`
    uint32_t flags = 0;
    Canvas* canvas = nullptr;      // not owned
    float scaleX = 0.0f;           // pixels per unit of x / z
    float scaleY = 0.0f;
    float halfWidth = 0.0f;        // the view's half extents at unit depth, or in world units
    float halfHeight = 0.0f;
    float pixelAspect = 1.0f;
    float zoom = 1.0f;
    float nearZ = 1.0f;
    float farZ = 4096.0f;
    float fieldOfView = 48.0f;     // full horizontal, degrees
    float orthoWidth = 100.0f;
    float orthoHeight = 0.0f;      // 0 or less: from the canvas's proportions
    uint32_t background = 0;
    float sideFactor = 0.0f;
    float depthScale = 0.0f;
    ClipPlane planes[6] = {};
    uint32_t lastWord = 0;         // copied, read nowhere

protected:
    // Draws the frame's sorted primitives on this camera's canvas (none:
    // drops them), whatever view is current when the frame ends: a frame's
    // passes may all have popped their views by then.
    void FlushFrame();

private:
    void SetName(const char* name);
    void AfterAim(uint32_t flags);
    void AfterRotation(uint32_t flags);

    char name_[kNameBytes + 1] = {};
};
