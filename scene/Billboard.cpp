#include "scene/Billboard.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "display/Canvas.h"
#include "engine/BoundingSphere.h"
#include "engine/MathRoutineTable.h"
#include "scene/Camera.h"
#include "scene/FaceRecord.h"
#include "scene/Light.h"
#include "scene/Material.h"
#include "scene/Model.h"
#include "scene/RenderPath.h"
#include "scene/RenderVertex.h"
#include "scene/Transform.h"
#include "scene/ViewContext.h"

namespace {

constexpr float kLow = 0.0099999998f;
constexpr float kHigh = 0.99000001f;
constexpr uint32_t kCameraOrthographic = 0x80000;
constexpr uint32_t kCameraObjectSpace = 0x8000;
constexpr uint32_t kMaskLit = 0x4;
constexpr uint32_t kMaskTranslucent = 0x800;
constexpr float kRadiansToDegrees = 57.29578f;
constexpr float kDegreesToRadians = 0.017453292f;

// The two faces every billboard shares: corners 0, 1, 2 and 0, 2, 3 of the
// quad (bottom left, bottom right, top right, top left). Their flags and
// first translucency byte are rewritten by each draw.
struct SharedFaceRecords {
    FaceRecord faces[2];
    SharedFaceRecords() {
        faces[0].a = 0, faces[0].b = 1, faces[0].c = 2;
        faces[1].a = 0, faces[1].b = 2, faces[1].c = 3;
        const float u[2][3] = {{kLow, kHigh, kHigh}, {kLow, kHigh, kLow}};
        const float v[2][3] = {{kHigh, kHigh, kLow}, {kHigh, kLow, kLow}};
        for (int i = 0; i < 2; ++i) {
            faces[i].material = 1;
            for (int k = 0; k < 3; ++k) {
                faces[i].u[k] = u[i][k];
                faces[i].v[k] = v[i][k];
            }
        }
    }
};

FaceRecord* SharedFaces() {
    static SharedFaceRecords shared;
    return shared.faces;
}

// The turn of the last sprite drawn, from the camera's up and the sprite's
// roll: every sprite of a frame sees the same up, and most share a roll,
// so the trigonometry is done once for them all. Matched bit for bit.
struct UpTurn {
    float key[4] = {};
    MathRoutineTable::NormalizeRoutine normalize = nullptr;
    bool known = false;
    float c = 0.0f, s = 0.0f;

    bool Matches(const Vector3& up, float roll) const {
        const float wanted[4] = {up.x, up.y, up.z, roll};
        return known && normalize == g_mathRoutineTable.normalizeVector && std::memcmp(key, wanted, sizeof key) == 0;
    }
    void Remember(const Vector3& up, float roll) {
        const float wanted[4] = {up.x, up.y, up.z, roll};
        std::memcpy(key, wanted, sizeof key);
        normalize = g_mathRoutineTable.normalizeVector;
        known = true;
    }
};

UpTurn& LastUpTurn() {
    static UpTurn last;
    return last;
}

}  // namespace

Billboard::Billboard() : NamedObject(kTypeBillboard) {}

Billboard& Billboard::operator=(const Billboard& other) {
    if (this == &other) return *this;
    ReleaseMaterial();
    NamedObject::operator=(other);
    alpha = other.alpha;
    material = other.material;
    position = other.position;
    positionW = other.positionW;
    width = other.width;
    height = other.height;
    return *this;
}

Billboard::~Billboard() { Billboard::ReleaseMaterial(); }

void Billboard::ReleaseMaterial() {
    if ((flags & kFlagOwnsMaterial) != 0) delete material;
    material = nullptr;
    flags &= ~kFlagOwnsMaterial;
}

void Billboard::SetMaterial(Material* newMaterial) {
    if (newMaterial == nullptr) return;
    ReleaseMaterial();
    material = newMaterial;
}

Status Billboard::CreateMaterial(Bitmap* bitmap, float newWidth, float newHeight, bool transparent,
                                 Palette* palette) {
    if (!(newWidth > 0.0f) || !(newHeight > 0.0f)) return 1;
    ReleaseMaterial();
    width = newWidth;
    height = newHeight;
    flags |= kFlagOwnsMaterial;
    auto* const made = new BitmapMaterial;
    material = made;
    if (made == nullptr) return 2;
    return made->CreateFromBitmap(bitmap, transparent, palette);
}

void Billboard::Update() {
    if (material != nullptr && (material->flags & Material::kFlagNotStepped) == 0) material->Animate();
}

int32_t Billboard::GetBoundingSphere(BoundingSphere* out) const {
    if ((flags & kFlagDirection) != 0) return -1;
    if (out != nullptr) {
        out->centre = position;
        out->spare = positionW;
        out->radius = std::max(width, height);
    }
    return 0;
}

void Billboard::Draw() {
    FaceRecord* const faces = SharedFaces();
    if (material == nullptr) return;
    ViewContext* const current = g_viewContext;
    if (current == nullptr || current->camera == nullptr || current->camera->canvas == nullptr) return;
    Camera& camera = *current->camera;
    const uint32_t cameraFlags = camera.flags;
    const bool direction = (flags & kFlagDirection) != 0;
    const float w = width * scale;
    const float h = height * scale;

    Vector3 e;
    if (direction) {
        g_mathRoutineTable.transformVector(&position, &camera.transform.inverse, &e);
    } else {
        g_mathRoutineTable.transformPoint(&position, &camera.transform.inverse, &e);
        if (e.z > camera.farZ || e.z < camera.nearZ) return;
    }
    const bool orthographic = (cameraFlags & kCameraOrthographic) != 0;
    const float hx = orthographic ? camera.halfWidth : camera.halfWidth * e.z;
    const float hy = orthographic ? camera.halfHeight : camera.halfHeight * e.z;
    uint32_t drawFlags;
    if (!(e.z > 0.0f)) {
        drawFlags = direction ? 13 : 9;
    } else {
        const float r = camera.sideFactor * std::max(w, h);
        if (e.x + r < -hx || hx < e.x - r || e.y + r < -hy || hy < e.y - r) return;
        drawFlags = direction ? 12 : 8;
    }
    flags |= kFlagSeen;
    const uint32_t mask = cameraFlags & renderMask;
    const int32_t full = CanvasFullLevel(*camera.canvas);

    // The corners live only while the billboard draws (a sorted primitive
    // copies them), so they need no scratch arena.
    uint32_t states[4] = {};
    RenderVertex corners[4];
    ViewContext view = *current;
    view.object = this;
    view.modelPoints = nullptr;
    view.vertexStates = states;
    view.vertices = corners;
    view.faces = faces;
    view.materials = &material;
    view.materialCount = 1;
    PushViewContext(&view);

    // The world's up as the camera sees it, turned by the roll.
    const Vector3 worldUp{0.0f, 1.0f, 0.0f};
    Vector3 u;
    g_mathRoutineTable.transformVector(&worldUp, &camera.transform.inverse, &u);
    UpTurn& turn = LastUpTurn();
    if (!turn.Matches(u, angle)) {
        turn.Remember(u, angle);
        if (angle != 0.0f) {
            const Vector3 unturned = u;
            RotateVectorAboutZ(&unturned, angle, &u);
        }
        if (std::fabs(u.x) >= 0.0001f || std::fabs(u.y) >= 0.0001f) {
            u.z = 0.0f;
            g_mathRoutineTable.normalizeVector(&u);
        } else {
            u = {0.0f, u.z < 0.0f ? -1.0f : 1.0f, 0.0f};
        }
        turn.c = u.y;
        // The argument can stray past 1 by rounding: acos would give NaN.
        float degrees = std::acos(std::clamp(u.y, -1.0f, 1.0f)) * kRadiansToDegrees;
        if (u.x > 0.0f) degrees = -degrees;
        turn.s = std::sin(degrees * kDegreesToRadians);
    }
    const float c = turn.c;
    const float s = turn.s;

    const float a = c * w / 2.0f, b = s * w / 2.0f, p = c * h / 2.0f, q = s * h / 2.0f;
    const float xs[4] = {e.x - a + q, e.x + a + q, e.x + a - q, e.x - a - q};
    const float ys[4] = {e.y - b - p, e.y + b - p, e.y + b + p, e.y - b + p};
    for (int i = 0; i < 4; ++i) {
        corners[i].x = xs[i];
        corners[i].y = ys[i];
        corners[i].z = e.z;
        if ((drawFlags & kDrawClip) == 0 && (xs[i] < -hx || xs[i] > hx || ys[i] < -hy || ys[i] > hy)) {
            drawFlags |= kDrawClip;
        }
    }

    uint32_t faceFlags = (uint32_t(renderMask) & 0x207u) | 0x7000u;
    if ((renderMask & kMaskTranslucent) != 0 && alpha < 255) {
        faceFlags |= FaceRecord::kTranslucent;
        faces[0].translucency[0] = faces[1].translucency[0] = uint8_t(std::clamp(alpha, 0, 255));
    }
    faces[0].flags = faces[1].flags = faceFlags;
    // A far glow often falls between pixel rows or columns: it needs no light.
    const FaceJudge judge(drawFlags);
    const bool drawn[2] = {!judge.FillsNothing(0), !judge.FillsNothing(1)};
    if (!drawn[0] && !drawn[1]) {
        PopViewContext(&view);
        return;
    }

    corners[0].colour = 0;
    corners[0].intensity = full;
    Light* const lights = static_cast<Light*>(current->lights);
    if ((mask & kMaskLit) != 0 && !direction && lights != nullptr) {
        Transform placed;
        placed.SetIdentity();
        placed.SetPosition(&position, Transform::kAllFlags);
        corners[0].intensity = 0;
        MeshVertex point;
        if ((cameraFlags & kCameraObjectSpace) != 0) {
            point = MeshVertex{0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, -1.0f, 0.0f};
        } else {
            const Vector3& forward = camera.transform.forward;
            point = MeshVertex{position.x, position.y, position.z, 0.0f, -forward.x, -forward.y, -forward.z, 0.0f};
        }
        if (!lights->LightLoneVertex(&placed, point, corners[0], 1)) {
            lights->Prepare(&placed);
            lights->LightVertex(point, corners[0], 1);
        }
    }
    for (int i = 1; i < 4; ++i) {
        corners[i].colour = corners[0].colour;
        corners[i].intensity = corners[0].intensity;
    }
    for (uint32_t i = 0; i < 2; ++i) {
        if (drawn[i]) DrawFace(i, drawFlags);
    }
    PopViewContext(&view);
}
