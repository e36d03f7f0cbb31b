#include "scene/BoxObject.h"

#include <cstring>
#include <new>

#include "display/Canvas.h"
#include "engine/Arena.h"
#include "engine/MathRoutineTable.h"
#include "engine/WorldContext.h"
#include "scene/Camera.h"
#include "scene/FaceRecord.h"
#include "scene/Material.h"
#include "scene/Model.h"
#include "scene/RenderPath.h"
#include "scene/ViewContext.h"

namespace {

constexpr uint32_t kScratchPerVertex = 84;

// The corners a, b, c, d of each face: triangles (a, b, c) and (b, d, c).
constexpr uint16_t kFaceCorners[6][4] = {{0, 3, 1, 2}, {5, 6, 4, 7}, {0, 1, 4, 5},
                                         {2, 3, 6, 7}, {3, 0, 7, 4}, {1, 2, 5, 6}};
constexpr int kTriangles[2][3] = {{0, 1, 2}, {1, 3, 2}};

}  // namespace

BoxObject::BoxObject() : NamedObject(kTypeBox) {
    if (g_worldContext != nullptr && g_worldContext->objectScratchBytes < 8 * kScratchPerVertex) {
        g_worldContext->objectScratchBytes = 8 * kScratchPerVertex;
    }
}

BoxObject::~BoxObject() { ReleaseMaterials(); }

void BoxObject::ReleaseMaterials() {
    for (Material*& material : faceMaterials) {
        if (material != nullptr && (flags & kFlagOwnsMaterials) != 0) delete material;
        material = nullptr;
    }
    flags &= ~kFlagOwnsMaterials;
}

void BoxObject::Update() {
    for (Material* material : faceMaterials) {
        if (material != nullptr && (material->flags & Material::kFlagNotStepped) == 0) material->Animate();
    }
}

void BoxObject::SetSize(float size) {
    const float h = size / 2.0f;
    const float positions[8][3] = {{-h, h, -h}, {h, h, -h}, {h, h, h}, {-h, h, h},
                                   {-h, -h, -h}, {h, -h, -h}, {h, -h, h}, {-h, -h, h}};
    for (int i = 0; i < 8; ++i) {
        corners[i][0] = positions[i][0];
        corners[i][1] = positions[i][1];
        corners[i][2] = positions[i][2];
    }
    flags |= kAllFaces;
}

void BoxObject::SetFaceMaterial(uint32_t colour, int32_t face) {
    if (face >= kFaces) return;
    for (int i = 0; i < kFaces; ++i) {
        if (face < 0 || face == i) faceColours[i] = colour;
    }
}

void BoxObject::SetFaceMaterialB(Material* material, int32_t face) {
    if (face >= kFaces) return;
    for (int i = 0; i < kFaces; ++i) {
        if (face < 0 || face == i) faceMaterials[i] = material;
    }
}

void BoxObject::Assign(const BoxObject& other) {
    if (this == &other) return;
    ReleaseMaterials();
    NamedObject::operator=(other);
    placement = other.placement;
    std::memcpy(corners, other.corners, sizeof corners);
    std::memcpy(faceColours, other.faceColours, sizeof faceColours);
    std::memcpy(faceMaterials, other.faceMaterials, sizeof faceMaterials);
    std::memcpy(u, other.u, sizeof u);
    std::memcpy(v, other.v, sizeof v);
}

void BoxObject::Draw() {
    ViewContext* const current = g_viewContext;
    if (current == nullptr || current->camera == nullptr || current->camera->canvas == nullptr) return;
    Arena* const arena = g_worldContext != nullptr ? g_worldContext->arena1 : nullptr;
    if (arena == nullptr) return;
    arena->FreeAll();
    Camera& camera = *current->camera;
    const int32_t full = CanvasFullLevel(*camera.canvas);

    auto* const points = static_cast<MeshVertex*>(arena->AllocZeroed(8 * sizeof(MeshVertex)));
    auto* const states = static_cast<uint32_t*>(arena->AllocZeroed(8 * sizeof(uint32_t)));
    auto* const vertices = static_cast<RenderVertex*>(arena->AllocZeroed(8 * sizeof(RenderVertex)));
    if (points == nullptr || states == nullptr || vertices == nullptr) return;

    FaceRecord face;
    ViewContext view = *current;
    view.object = this;
    view.modelPoints = nullptr;
    view.vertexStates = states;
    view.vertices = vertices;
    view.faces = &face;
    view.materials = faceMaterials;
    view.materialCount = kFaces;
    PushViewContext(&view);

    Matrix34 toView;
    g_mathRoutineTable.multiplyMatrix(&placement.matrix, &camera.transform.inverse, &toView);
    uint32_t baseFlags = (uint32_t(renderMask) & 0x303u) | 0x7000u;
    if ((renderMask & FaceRecord::kTranslucent) != 0 && level < 255) {
        baseFlags |= FaceRecord::kTranslucent;
        face.translucency[0] = face.translucency[1] = face.translucency[2] = uint8_t(level);
    }
    uint32_t drawFlags = kDrawClip;
    if ((camera.flags & baseFlags & FaceRecord::kCullBack) != 0) drawFlags |= kDrawCullBack;

    for (int i = 0; i < 8; ++i) {
        points[i] = MeshVertex{corners[i][0], corners[i][1], corners[i][2], 0.0f};
        const Vector3 corner{corners[i][0], corners[i][1], corners[i][2]};
        Vector3 p;
        g_mathRoutineTable.transformPoint(&corner, &toView, &p);
        vertices[i].x = p.x;
        vertices[i].y = p.y;
        vertices[i].z = p.z;
        vertices[i].intensity = full;
    }
    for (int f = 0; f < kFaces; ++f) {
        if ((flags & (kFlagFace0 << f)) == 0) continue;
        face.flags = faceMaterials[f] != nullptr ? baseFlags | FaceRecord::kTextured : baseFlags & ~FaceRecord::kTextured;
        face.material = uint16_t(f + 1);
        for (const auto& triangle : kTriangles) {
            uint16_t* const indices[3] = {&face.a, &face.b, &face.c};
            for (int k = 0; k < 3; ++k) {
                *indices[k] = kFaceCorners[f][triangle[k]];
                face.u[k] = u[triangle[k]];
                face.v[k] = v[triangle[k]];
            }
            vertices[face.a].colour = faceColours[f];
            DrawFace(0, drawFlags);
        }
    }
    PopViewContext(&view);
}
