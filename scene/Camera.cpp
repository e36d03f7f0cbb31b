#include "scene/Camera.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

#include "display/Canvas.h"
#include "engine/ByteOrder.h"
#include "engine/FileWrappers.h"
#include "engine/IffFile.h"
#include "engine/IffWalk.h"
#include "engine/MathRoutineTable.h"
#include "engine/NamedObject.h"
#include "scene/Light.h"
#include "scene/SortedPrimitive.h"
#include "scene/ViewContext.h"

namespace {

constexpr uint32_t kFixedRecord = MakeTag("ECAM");
constexpr uint32_t kFloatRecord = MakeTag("ECA1");
constexpr uint32_t kSceneForm = MakeTag("ESEN");
constexpr uint32_t kRecordBytes = 64;
constexpr float kDegreesToRadians = 0.017453292f;
constexpr float kRadiansToDegrees = 57.29578f;
constexpr uint32_t kObjectHidden = 0x1;
constexpr uint32_t kClearColourToo = 0x10;   // the canvas flag BeginFrame clears
constexpr uint32_t kDepthAll = 0xFFFFFFFF;
// The rotation after this many incremental ones re-aligns the up vector.
constexpr uint32_t kRealignAfter = Transform::kMaxIncrementalRotations + 1;

float Dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

Vector3 Normalized(Vector3 v) {
    g_mathRoutineTable.normalizeVector(&v);
    return v;
}

Vector3 Row(const Matrix34& m, int row) { return {m.rows[row][0], m.rows[row][1], m.rows[row][2]}; }

void SetRow(Matrix34& m, int row, const Vector3& v) {
    m.rows[row][0] = v.x;
    m.rows[row][1] = v.y;
    m.rows[row][2] = v.z;
}

}  // namespace

Camera::Camera(Canvas* newCanvas) {
    InstallSceneViewHooks();
    SetName(nullptr);
    SetDefaults();
    if (newCanvas != nullptr) SetCanvas(newCanvas);
}

Camera::Camera(const char* fileName, const char* cameraName) {
    InstallSceneViewHooks();
    SetName(cameraName);
    if (Load(fileName, cameraName) != kStatusOk) SetDefaults();
}

Camera::Camera(const Camera& other) : EngineObject() { *this = other; }

Camera& Camera::operator=(const Camera& other) {
    if (this == &other) return *this;
    transform = other.transform;
    up = other.up;
    upW = other.upW;
    flags = other.flags;
    canvas = other.canvas;
    scaleX = other.scaleX;
    scaleY = other.scaleY;
    halfWidth = other.halfWidth;
    halfHeight = other.halfHeight;
    pixelAspect = other.pixelAspect;
    zoom = other.zoom;
    nearZ = other.nearZ;
    farZ = other.farZ;
    fieldOfView = other.fieldOfView;
    orthoWidth = other.orthoWidth;
    orthoHeight = other.orthoHeight;
    background = other.background;
    sideFactor = other.sideFactor;
    depthScale = other.depthScale;
    std::memcpy(name_, other.name_, sizeof name_);
    std::copy(std::begin(other.planes), std::end(other.planes), std::begin(planes));
    lastWord = other.lastWord;
    // A copy is in no list, and this object leaves the one it was in.
    Unlink();
    return *this;
}

Camera::~Camera() { Unlink(); }

// --- Frame -------------------------------------------------------------------

uint32_t Camera::BeginFrame() {
    flags &= ~kFlagWasLocked;
    if (canvas == nullptr) return 1;
    const int32_t previous = canvas->Lock();
    if (previous == -1) return 1;
    if (previous != 0) flags |= kFlagWasLocked;
    if ((flags & kFlagNoClear) == 0) {
        canvas->flags &= ~kClearColourToo;
        canvas->Clear(background, kDepthAll);
    }
    Light::BeginDrawing();
    return 0;
}

void Camera::DrawScene() {
    if (g_viewContext == nullptr) return;
    for (NamedObject* object = g_viewContext->objectList; object != nullptr; object = object->next) {
        if ((object->flags & kObjectHidden) == 0) object->Draw();
    }
}

void Camera::DrawEach(NamedObject* const* objects, size_t count) {
    ViewContext* const view = g_viewContext;
    if (view == nullptr) return;
    NamedObject* const list = view->objectList;
    for (size_t i = 0; i < count; ++i) {
        NamedObject* const object = objects[i];
        if ((object->flags & kObjectHidden) != 0) continue;
        NamedObject* const next = object->next;
        object->next = nullptr;
        view->objectList = object;
        object->Draw();
        object->next = next;
    }
    view->objectList = list;
}

void Camera::EndFrame() {
    Light::EndDrawing();
    if ((flags & kFlagNoFlush) == 0) FlushFrame();
    if (canvas != nullptr && (flags & kFlagWasLocked) == 0) canvas->Unlock();
    flags &= ~kFlagWasLocked;
}

void Camera::FlushFrame() {
    if (canvas == nullptr) {
        // Nothing to draw on, but the frame's primitives must not pile up.
        DiscardSortedPrimitives();
        return;
    }
    // The flush draws on the current view's canvas: this camera's own view,
    // so that the primitives neither vanish nor land on another canvas.
    ViewContext own;
    own.camera = this;
    PushViewContext(&own);
    if ((flags & kFlagFlushNearFirst) != 0) {
        FlushSortedPrimitivesNearFirst();
    } else {
        FlushSortedPrimitives();
    }
    PopViewContext(&own);
}

// --- List and name -----------------------------------------------------------

Camera* Camera::InsertAfter(Camera* node) {
    prev = node;
    next = node->next;
    node->next = this;
    if (next != nullptr) next->prev = this;
    return next;
}

Camera* Camera::Unlink() {
    if (prev != nullptr) prev->next = next;
    if (next != nullptr) next->prev = prev;
    Camera* const following = next;
    next = nullptr;
    prev = nullptr;
    return following;
}

Camera* Camera::FindByName(const char* name) {
    if (name == nullptr) return nullptr;
    for (Camera* camera = this; camera != nullptr; camera = camera->next) {
        if (std::strncmp(camera->name_, name, kNameBytes) == 0) return camera;
    }
    return nullptr;
}

void Camera::SetName(const char* name) {
    std::memset(name_, 0, sizeof name_);
    std::strncpy(name_, name != nullptr ? name : "NoName", kNameBytes);
}

// --- Settings ----------------------------------------------------------------

void Camera::SetCanvas(Canvas* newCanvas) {
    canvas = newCanvas;
    if (canvas == nullptr) return;
    if ((canvas->flags & Canvas::kFlagHasDepth) != 0) {
        flags &= ~kFlagNoDepthBuffer;
    } else {
        flags |= kFlagNoDepthBuffer;
    }
    UpdateProjection();
    UpdateClipPlanes();
    UpdateDepthScale();
}

void Camera::SetPosition(const Vector3& position) {
    SetRow(transform.matrix, Matrix34::kTranslationRow, position);
    transform.UpdateInverse();
}

void Camera::SetDefaults() {
    SetPosition({0.0f, 0.0f, 0.0f});
    transform.forward = {0.0f, 0.0f, 1.0f};
    up = {0.0f, 1.0f, 0.0f};
    nearZ = 1.0f;
    farZ = 4096.0f;
    fieldOfView = 48.0f;
    orthoWidth = 100.0f;
    orthoHeight = 0.0f;
    zoom = 1.0f;
    UpdateProjection();
    UpdateClipPlanes();
    UpdateDepthScale();
    UpdateMatrix(kAllFlags);
}

void Camera::AfterAim(uint32_t followUp) {
    if ((followUp & kAlignUp) != 0) {
        AlignUp(followUp);
    } else if ((followUp & kUpdateMatrix) != 0) {
        UpdateMatrix(followUp);
    }
}

void Camera::AfterRotation(uint32_t followUp) {
    if ((followUp & kAlignUp) != 0 && transform.changeCount >= kRealignAfter) AlignUp(followUp);
    up = Normalized(Row(transform.matrix, 1));
}

void Camera::SetUp(const Vector3& newUp, uint32_t followUp) {
    up = Normalized(newUp);
    AfterAim(followUp);
}

void Camera::SetUpXyz(float x, float y, float z, uint32_t followUp) { SetUp({x, y, z}, followUp); }

void Camera::SetForward(const Vector3& forward, uint32_t followUp) {
    transform.forward = Normalized(forward);
    AfterAim(followUp);
}

void Camera::SetForwardXyz(float x, float y, float z, uint32_t followUp) { SetForward({x, y, z}, followUp); }

void Camera::SetOrientation(const Vector3& newUp, const Vector3& forward, uint32_t followUp) {
    up = Normalized(newUp);
    transform.forward = Normalized(forward);
    AfterAim(followUp);
}

void Camera::LookAt(const Vector3& point, uint32_t followUp) {
    const Vector3 position = Row(transform.matrix, Matrix34::kTranslationRow);
    transform.forward = Normalized({point.x - position.x, point.y - position.y, point.z - position.z});
    AfterAim(followUp);
}

void Camera::RotateX(float degrees, uint32_t followUp) {
    transform.RotateX(degrees, followUp & ~kAlignUp);
    AfterRotation(followUp);
}

void Camera::RotateY(float degrees, uint32_t followUp) {
    transform.RotateY(degrees, followUp & ~kAlignUp);
    AfterRotation(followUp);
}

void Camera::RotateZ(float degrees, uint32_t followUp) {
    transform.RotateZ(degrees, followUp & ~kAlignUp);
    AfterRotation(followUp);
}

void Camera::Pitch(float degrees, uint32_t followUp) {
    transform.RotateAboutLocalX(degrees, followUp & ~kAlignUp);
    AfterRotation(followUp);
}

void Camera::Yaw(float degrees, uint32_t followUp) {
    transform.RotateAboutLocalY(degrees, followUp & ~kAlignUp);
    AfterRotation(followUp);
}

void Camera::Roll(float degrees, uint32_t followUp) {
    transform.RotateAboutForward(degrees, followUp & ~kAlignUp);
    AfterRotation(followUp);
}

void Camera::AlignUp(uint32_t followUp) {
    transform.changeCount = 0;
    transform.forward = Normalized(transform.forward);
    const float along = Dot(up, transform.forward);
    up = Normalized({up.x - along * transform.forward.x, up.y - along * transform.forward.y,
                     up.z - along * transform.forward.z});
    if ((followUp & kUpdateMatrix) != 0) UpdateMatrix(followUp);
}

void Camera::AlignForward(uint32_t) {
    up = Normalized(up);
    const Vector3& f = transform.forward;
    const float along = Dot(f, up);
    transform.forward = Normalized({f.x - along * up.x, f.y - along * up.y, f.z - along * up.z});
}

void Camera::UpdateMatrix(uint32_t followUp) {
    transform.changeCount = 0;
    Vector3 right;
    g_mathRoutineTable.crossProduct(&up, &transform.forward, &right);
    SetRow(transform.matrix, 0, right);
    SetRow(transform.matrix, 1, up);
    SetRow(transform.matrix, 2, transform.forward);
    if ((followUp & kUpdateInverse) != 0) transform.UpdateInverse();
}

// --- Derived values ----------------------------------------------------------

void Camera::UpdateProjection() {
    if (canvas == nullptr) return;
    const bool oneMore = (canvas->flags & Canvas::kFlag16Bit) != 0;
    const float w = float(canvas->width + (oneMore ? 1 : 0));
    const float h = float(canvas->height + (oneMore ? 1 : 0));
    if ((flags & kFlagOrthographic) == 0) {
        const float r = fieldOfView * 0.5f * kDegreesToRadians;
        const float t = std::sin(r) / std::cos(r);
        halfWidth = t / zoom;
        sideFactor = zoom / std::cos(r);
        halfHeight = h * halfWidth / w * pixelAspect;
        scaleX = w * 0.5f * zoom / t;
        scaleY = scaleX / pixelAspect;
        return;
    }
    const float b = oneMore ? 1.0f : 0.0f;
    const float hw = (orthoWidth + b) * 0.5f;
    const float hh = (orthoHeight + b) * 0.5f;
    sideFactor = zoom;
    halfWidth = hw / zoom;
    // The horizontal scale first: the vertical one may follow from it.
    scaleX = w * zoom * 0.5f / hw;
    if (orthoHeight > 0.0f) {
        halfHeight = hh / zoom;
        scaleY = h * zoom * 0.5f / hh;
    } else {
        halfHeight = h * halfWidth / w * pixelAspect;
        scaleY = scaleX / pixelAspect;
    }
}

void Camera::UpdateClipPlanes() {
    // Inside is normal . p >= distance: the near plane keeps z >= nearZ.
    planes[kPlaneNear] = {{0.0f, 0.0f, 1.0f}, 0.0f, nearZ};
    planes[kPlaneFar] = {{0.0f, 0.0f, -1.0f}, 0.0f, -(farZ * 0.99f)};
    if ((flags & kFlagOrthographic) != 0) {
        planes[kPlaneLeft] = {{1.0f, 0.0f, 0.0f}, 0.0f, -halfWidth};
        planes[kPlaneRight] = {{-1.0f, 0.0f, 0.0f}, 0.0f, -halfWidth};
        planes[kPlaneTop] = {{0.0f, -1.0f, 0.0f}, 0.0f, -halfHeight};
        planes[kPlaneBottom] = {{0.0f, 1.0f, 0.0f}, 0.0f, -halfHeight};
        return;
    }
    const float ax = std::atan2(halfWidth, 1.0f) * kRadiansToDegrees;
    const float ay = std::atan2(halfHeight, 1.0f) * kRadiansToDegrees;
    const float a = (90.0f - ax) * kDegreesToRadians;
    const float b = (90.0f - ay) * kDegreesToRadians;
    planes[kPlaneLeft] = {{std::sin(a), 0.0f, std::cos(a)}, 0.0f, -0.001f};
    planes[kPlaneRight] = {{-std::sin(a), 0.0f, std::cos(a)}, 0.0f, -0.001f};
    planes[kPlaneTop] = {{0.0f, -std::sin(b), std::cos(b)}, 0.0f, -0.001f};
    planes[kPlaneBottom] = {{0.0f, std::sin(b), std::cos(b)}, 0.0f, -0.001f};
}

void Camera::UpdateDepthScale() { depthScale = 0.9999f / (farZ - nearZ + 1.0f); }

// --- Files -------------------------------------------------------------------

Status Camera::ReadRecord(IffFile& iff, const char* name) {
    const uint32_t id = iff.ChunkId();
    if (id != kFixedRecord && id != kFloatRecord) return kStatusCameraNotFound;
    if (iff.ChunkSize() != kRecordBytes) return kStatusCameraBadSize;
    uint8_t record[kRecordBytes];
    if (iff.ReadChunk(record, kRecordBytes) != kStatusOk) return kStatusCameraReadFailed;
    // All 16 bytes count, terminated or not.
    char recordName[kNameBytes + 1] = {};
    std::memcpy(recordName, record, kNameBytes);
    if (name != nullptr && std::strncmp(recordName, name, kNameBytes) != 0) return kStatusCameraNotFound;

    float values[10];
    for (int i = 0; i < 10; ++i) values[i] = LoadLeFixedOrFloat(record + 20 + 4 * i, id == kFixedRecord);
    SetName(recordName);
    flags = LoadLe32(record + 16);
    SetPosition({values[0], values[1], values[2]});
    transform.forward = {values[3], values[4], values[5]};
    up = {values[6], values[7], values[8]};
    fieldOfView = values[9];
    zoom = 1.0f;
    UpdateProjection();
    UpdateClipPlanes();
    UpdateDepthScale();
    UpdateMatrix(kAllFlags);
    return kStatusOk;
}

Status Camera::Load(const char* fileName, const char* cameraName) {
    IffFile iff(0);
    if (fileName == nullptr || iff.OpenFile(fileName, kOpenRead) != kStatusOk) return kStatusCameraReadFailed;
    Status result = kStatusCameraNotFound;
    const Status walked = iff_walk::Walk(iff, [&](IffFile& at) {
        const uint32_t id = at.ChunkId();
        if (id == kFixedRecord || id == kFloatRecord) {
            result = ReadRecord(at, cameraName);
            return result == kStatusCameraNotFound ? iff_walk::Choice::kPass : iff_walk::Choice::kStop;
        }
        return id == IffFile::kFormId && at.FormType() == kSceneForm ? iff_walk::Choice::kEnter
                                                                     : iff_walk::Choice::kPass;
    });
    if (walked == kStatusCannotOpen) result = kStatusCameraReadFailed;
    iff.CloseFile();
    return result;
}
