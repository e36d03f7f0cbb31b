#include "scene/SceneObject.h"

#include <algorithm>
#include <cmath>

#include "display/Canvas.h"
#include "engine/Arena.h"
#include "engine/MathRoutineTable.h"
#include "engine/WorldContext.h"
#include "scene/Camera.h"
#include "scene/Light.h"
#include "scene/Material.h"
#include "scene/Model.h"
#include "scene/RenderPath.h"
#include "scene/ViewContext.h"

namespace {

constexpr uint32_t kScratchPerVertex = 84;
constexpr uint32_t kClearedOnAttach = SceneObject::kFlagOwnsMaterials | SceneObject::kFlagSharedBitmaps |
                                      SceneObject::kFlagSharedAnimations | SceneObject::kFlagSharedKind768;
constexpr uint32_t kTransformed = 0x1;   // per-vertex state of one draw; 0x2 is the render path's
constexpr uint32_t kPlacedInWorld = 0x8;   // a flat face may transform a vertex a smooth face lights later
constexpr uint32_t kLit = 0x4;
constexpr uint32_t kCameraObjectSpace = 0x8000;
constexpr uint32_t kCameraCullBack = 0x100;
constexpr float kCullPadding = 1.05f;

struct VertexMaths {
    Vector3* (*transformPoint)(const Vector3*, const Matrix34*, Vector3*);
    Vector3* (*transformVector)(const Vector3*, const Matrix34*, Vector3*);
    Vector3* (*normalize)(Vector3*);
};

}  // namespace

SceneObject::SceneObject(Model* attached) {
    type = kTypeSceneObject;
    if (attached != nullptr) AttachModel(attached, kAttachFlags);
}

SceneObject::SceneObject(const char* path, const char* meshName, Palette* palette, Model* target, char* parentName,
                         uint32_t mode) {
    type = kTypeSceneObject;
    LoadModel(path, meshName, palette, target, parentName, mode);
}

SceneObject& SceneObject::operator=(const SceneObject& other) {
    if (this == &other) return *this;
    DetachModel();
    Frame::operator=(other);
    flags &= ~(kFlagOwnsModel | kClearedOnAttach);
    AttachModel(other.model, kAttachFlags);
    materialCount = other.materialCount;
    materials = other.materials;
    return *this;
}

SceneObject::~SceneObject() { DetachModel(); }

Status SceneObject::AttachModel(Model* attached, uint32_t attachFlags) {
    if (attached == nullptr) return 1;
    if (model != nullptr) DetachModel();
    model = attached;
    ++model->refCount;
    name = model->name;
    ownSphere = &model->sphere;
    materialCount = model->materialCount;
    materials = model->materials;
    flags &= ~kClearedOnAttach;
    if (g_worldContext != nullptr) {
        g_worldContext->attachedFaces += model->faceCount;
        g_worldContext->attachedVertices += model->vertexCount;
        g_worldContext->objectScratchBytes =
            std::max<uint32_t>(g_worldContext->objectScratchBytes, kScratchPerVertex * model->vertexCount);
    }
    if ((attachFlags & kAttachUpdateBounds) != 0) UpdateBounds(0, 1);
    return kStatusOk;
}

void SceneObject::DetachModel() {
    if (model == nullptr) return;
    name = kDefaultName;
    if (g_worldContext != nullptr) {
        g_worldContext->attachedFaces -= model->faceCount;
        g_worldContext->attachedVertices -= model->vertexCount;
    }
    if (model->refCount > 0) --model->refCount;
    // A model this object made goes with it, unless another still holds it:
    // then the last holder deletes it, since copies never own what they share.
    if ((flags & kFlagOwnsModel) != 0 || model->deleteWithLastHolder) {
        if (model->refCount == 0) {
            delete model;
        } else {
            model->deleteWithLastHolder = true;
        }
    }
    model = nullptr;
    ownSphere = nullptr;
    if ((flags & kFlagOwnsMaterials) != 0 && materials != nullptr) {
        for (uint32_t i = 0; i < materialCount; ++i) {
            Material* const material = materials[i];
            if (material == nullptr) continue;
            const bool shared = (material->kind == Material::kKindBitmap && (flags & kFlagSharedBitmaps) != 0) ||
                                (material->kind == Material::kKindAnimated && (flags & kFlagSharedAnimations) != 0) ||
                                (material->kind == 0x300 && (flags & kFlagSharedKind768) != 0);
            if (!shared) delete material;
        }
        EngineRelease(materials);
    }
    materials = nullptr;
    materialCount = 0;
    flags &= ~(kFlagOwnsModel | kClearedOnAttach);
}

Status SceneObject::Readied(Model* target, bool created, Status read) {
    if (read != kStatusOk) {
        if (created) delete target;
        flags &= ~kFlagOwnsModel;
        return read;
    }
    const Status attached = AttachModel(target, kAttachFlags);
    if (attached != kStatusOk) return attached;
    if (created) flags |= kFlagOwnsModel;
    local.forward = {local.matrix.rows[2][0], local.matrix.rows[2][1], local.matrix.rows[2][2]};
    local.UpdateInverse();
    UpdateWorldTransform(0xFF);
    return kStatusOk;
}

Status SceneObject::ReadModel(IffFile& source, const char* meshName, Palette* palette, Model* target,
                              char* parentName, uint32_t mode) {
    DetachModel();
    const bool created = target == nullptr;
    if (created) target = new Model;
    if (target == nullptr) return 2;
    local.matrix.SetIdentity();
    return Readied(target, created, target->ReadMeshForm(source, meshName, palette, &local.matrix, parentName, mode));
}

Status SceneObject::LoadModel(const char* path, const char* meshName, Palette* palette, Model* target,
                              char* parentName, uint32_t mode) {
    DetachModel();
    const bool created = target == nullptr;
    if (created) target = new Model;
    if (target == nullptr) return 2;
    local.matrix.SetIdentity();
    return Readied(target, created, target->Load(path, meshName, palette, &local.matrix, parentName, mode));
}

void SceneObject::Update() {
    if (materials == nullptr) return;
    for (uint32_t i = 0; i < materialCount; ++i) {
        Material* const material = materials[i];
        if (material != nullptr && (material->flags & Material::kFlagNotStepped) == 0) material->Animate();
    }
    Frame::Update();
}

float SceneObject::RayDistance(const Vector3* origin, const Vector3* direction, int32_t sphereOnly) const {
    if (origin == nullptr || direction == nullptr) return 0.0f;
    Vector3 localOrigin, localDirection;
    g_mathRoutineTable.transformPoint(origin, &world.inverse, &localOrigin);
    g_mathRoutineTable.transformVector(direction, &world.inverse, &localDirection);
    g_mathRoutineTable.normalizeVector(&localDirection);
    float d = ownSphere != nullptr ? ownSphere->RayDistance(localOrigin, localDirection) : 0.0f;
    if (!(d > 0.0f)) return 0.0f;
    if (sphereOnly == 0 && model != nullptr) {
        d = model->box.RayDistance(localOrigin, localDirection);
        if (!(d > 0.0f)) return 0.0f;
    }
    return world.scale != 1.0f ? d * world.scale : d;
}

int32_t SceneObject::ContainsPoint(const Vector3* point, float radius, int32_t) const {
    if (point == nullptr || model == nullptr) return 0;
    Vector3 localPoint;
    g_mathRoutineTable.transformPoint(point, &world.inverse, &localPoint);
    if (world.scale != 1.0f) radius /= world.scale;
    return model->box.OverlapsSphere(localPoint, radius) ? 1 : 0;
}

bool SceneObject::Visible(bool* needsClipping) const {
    const Camera& camera = *g_viewContext->camera;
    *needsClipping = true;
    if ((flags & kFlagNeverCulled) != 0) return true;
    Vector3 inWorld, eye;
    g_mathRoutineTable.transformPoint(&subtreeSphere.centre, &world.matrix, &inWorld);
    g_mathRoutineTable.transformPoint(&inWorld, &camera.transform.inverse, &eye);
    const float r = world.scale * subtreeSphere.radius * camera.sideFactor * kCullPadding;
    if (eye.z + r < camera.nearZ || camera.farZ < eye.z - r) return false;
    if (!(eye.z > 0.0f)) return true;
    const bool orthographic = (camera.flags & Camera::kFlagOrthographic) != 0;
    const float hx = orthographic ? camera.halfWidth : camera.halfWidth * eye.z;
    const float hy = orthographic ? camera.halfHeight : camera.halfHeight * eye.z;
    if (eye.x + r < -hx || hx < eye.x - r || eye.y + r < -hy || hy < eye.y - r) return false;
    *needsClipping = !(camera.nearZ < eye.z - r && eye.z + r < camera.farZ && -hx < eye.x - r && eye.x + r < hx &&
                       -hy < eye.y - r && eye.y + r < hy);
    return true;
}

void SceneObject::Draw() {
    ViewContext* const current = g_viewContext;
    // Without a view, or without a model, there are only the children.
    if (current == nullptr || current->camera == nullptr || current->camera->canvas == nullptr || model == nullptr ||
        model->vertices == nullptr || model->faces == nullptr) {
        Frame::Draw();
        return;
    }
    bool needsClipping = true;
    if (!Visible(&needsClipping)) return;
    Camera& camera = *current->camera;
    const uint32_t cameraFlags = camera.flags;
    const int32_t full = CanvasFullLevel(*camera.canvas);
    Arena* const arena = g_worldContext != nullptr ? g_worldContext->arena1 : nullptr;
    const uint32_t count = model->vertexCount;
    uint32_t* states = nullptr;
    RenderVertex* vertices = nullptr;
    MeshVertex* worldPoints = nullptr;
    if (arena != nullptr) {
        arena->FreeAll();
        states = static_cast<uint32_t*>(arena->AllocZeroed(size_t(count) * sizeof(uint32_t)));
        vertices = static_cast<RenderVertex*>(arena->AllocZeroed(size_t(count) * sizeof(RenderVertex)));
        if ((cameraFlags & kCameraObjectSpace) == 0 && (renderMask & cameraFlags & FaceRecord::kGouraud) != 0) {
            worldPoints = static_cast<MeshVertex*>(arena->Alloc(size_t(count) * sizeof(MeshVertex)));
        }
    }
    // A failed scratch allocation skips the faces.
    if (states == nullptr || vertices == nullptr) {
        Frame::Draw();
        return;
    }

    ViewContext view = *current;
    view.object = this;
    view.modelPoints = nullptr;
    view.vertexStates = states;
    view.vertices = vertices;
    view.faces = model->faces;
    view.materials = materials;
    view.materialCount = materialCount;
    PushViewContext(&view);

    Matrix34 toEye, toModel;
    g_mathRoutineTable.multiplyMatrix(&world.matrix, &camera.transform.inverse, &toEye);
    g_mathRoutineTable.multiplyMatrix(&camera.transform.matrix, &world.inverse, &toModel);
    const bool orthographic = (cameraFlags & Camera::kFlagOrthographic) != 0;
    Vector3 eyeInModel{};
    if ((cameraFlags & kCameraCullBack) != 0) {
        if (orthographic) {
            const Vector3 ahead{0.0f, 0.0f, 1.0f};
            g_mathRoutineTable.transformVector(&ahead, &toModel, &eyeInModel);
        } else {
            const Vector3 origin{0.0f, 0.0f, 0.0f};
            g_mathRoutineTable.transformPoint(&origin, &toModel, &eyeInModel);
        }
    }
    Light* const lights = static_cast<Light*>(view.lights);
    if (lights != nullptr) lights->Prepare(&world);

    const bool use3dNow = g_worldContext != nullptr && (g_worldContext->flags & WorldContext::kFlag3dNow) != 0;
    const VertexMaths maths = use3dNow ? VertexMaths{&TransformPoint3dNow, &RotateVector3dNow, &NormalizeVector3dNow}
                                       : VertexMaths{g_mathRoutineTable.transformPoint,
                                                     g_mathRoutineTable.transformVector,
                                                     g_mathRoutineTable.normalizeVector};
    const uint32_t drawFlags = needsClipping ? kDrawClip : 0;
    const FaceJudge judge(drawFlags);
    for (uint32_t i = 0; i < model->faceCount; ++i) {
        const FaceRecord& face = model->faces[i];
        const uint32_t mask = cameraFlags & face.flags & renderMask;
        const uint16_t corners[3] = {face.a, face.b, face.c};
        if ((mask & FaceRecord::kCullBack) != 0) {
            const MeshVertex& a = model->vertices[face.a];
            const Vector3 d = orthographic ? eyeInModel
                                           : Vector3{a.x - eyeInModel.x, a.y - eyeInModel.y, a.z - eyeInModel.z};
            if (face.normal[0] * d.x + face.normal[1] * d.y + face.normal[2] * d.z > 0.0f) continue;
        }
        const bool smooth = (mask & FaceRecord::kGouraud) != 0;
        for (const uint16_t index : corners) {
            const MeshVertex& m = model->vertices[index];
            const Vector3 position{m.x, m.y, m.z};
            if ((states[index] & kTransformed) == 0) {
                states[index] |= kTransformed;
                Vector3 eye;
                maths.transformPoint(&position, &toEye, &eye);
                vertices[index].x = eye.x;
                vertices[index].y = eye.y;
                vertices[index].z = eye.z;
            }
            if (worldPoints != nullptr && smooth && (states[index] & kPlacedInWorld) == 0) {
                states[index] |= kPlacedInWorld;
                const Vector3 normal{m.nx, m.ny, m.nz};
                Vector3 p, n;
                maths.transformPoint(&position, &world.matrix, &p);
                maths.transformVector(&normal, &world.matrix, &n);
                if (world.scale != 1.0f) maths.normalize(&n);
                worldPoints[index] = MeshVertex{p.x, p.y, p.z, 0.0f, n.x, n.y, n.z, 0.0f};
            }
        }
        if (use3dNow) ExitMmxState();
        if (judge.FillsNothing(i)) continue;
        vertices[face.a].colour = face.colour;

        const int32_t twoSided = (face.flags & FaceRecord::kCullBack) == 0 ? 1 : 0;
        const auto shine = [&](const MeshVertex& point, RenderVertex& vertex) {
            if ((mask & FaceRecord::kAltLight) != 0) {
                lights->LightVertexAlt(point, vertex, twoSided);
            } else {
                lights->LightVertex(point, vertex, twoSided);
            }
        };
        if (lights == nullptr) {
            for (const uint16_t index : corners) vertices[index].intensity = full;
        } else if (smooth) {
            for (const uint16_t index : corners) {
                if ((states[index] & kLit) != 0) continue;
                states[index] |= kLit;
                vertices[index].intensity = 0;
                shine(worldPoints != nullptr ? worldPoints[index] : model->vertices[index], vertices[index]);
            }
        } else if ((mask & FaceRecord::kFlatLit) != 0) {
            const MeshVertex& a = model->vertices[face.a];
            MeshVertex point{a.x, a.y, a.z, 0.0f, face.normal[0], face.normal[1], face.normal[2], 0.0f};
            if ((cameraFlags & kCameraObjectSpace) == 0) {
                const Vector3 position{a.x, a.y, a.z}, normal{face.normal[0], face.normal[1], face.normal[2]};
                Vector3 p, n;
                g_mathRoutineTable.transformPoint(&position, &world.matrix, &p);
                g_mathRoutineTable.transformVector(&normal, &world.matrix, &n);
                point = MeshVertex{p.x, p.y, p.z, 0.0f, n.x, n.y, n.z, 0.0f};
            }
            vertices[face.a].intensity = 0;
            shine(point, vertices[face.a]);
        } else {
            vertices[face.a].intensity = full;
        }

        if (face.lightFloor != 0) {
            const int32_t floor = full * int32_t(face.lightFloor) / 255;
            int32_t kept[3];
            for (int k = 0; k < 3; ++k) {
                kept[k] = vertices[corners[k]].intensity;
                vertices[corners[k]].intensity = std::max(kept[k], floor);
            }
            DrawFace(i, drawFlags);
            for (int k = 0; k < 3; ++k) vertices[corners[k]].intensity = kept[k];
        } else {
            DrawFace(i, drawFlags);
        }
    }
    PopViewContext(&view);
    Frame::Draw();
}
