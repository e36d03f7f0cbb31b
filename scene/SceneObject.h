#pragma once
#include <cstdint>

#include "engine/Status.h"
#include "scene/Frame.h"

class IffFile;
class Material;
class Model;
class Palette;

// A frame that carries a model: the drawable 3D object. Several objects may
// share one model (its reference count); the object steps the model's
// materials, answers hit tests against the model's bounds and draws itself:
// culled by its subtree sphere, its front faces' vertices transformed and
// lit once each into per-draw scratch, each face handed to DrawFace.
class SceneObject : public Frame {
public:
    static constexpr uint16_t kTypeSceneObject = 1040;
    static constexpr uint32_t kFlagOwnsModel = 0x2;
    static constexpr uint32_t kFlagOwnsMaterials = 0x10000;
    static constexpr uint32_t kFlagSharedBitmaps = 0x100000;    // kind 256 not deleted with a private array
    static constexpr uint32_t kFlagSharedAnimations = 0x200000; // kind 512
    static constexpr uint32_t kFlagSharedKind768 = 0x400000;
    static constexpr uint32_t kFlagNeverCulled = 0x20000;
    static constexpr uint32_t kAttachFlags = 0xFF;
    static constexpr uint32_t kAttachUpdateBounds = 0x20;

    explicit SceneObject(Model* model = nullptr);
    SceneObject(const char* path, const char* meshName, Palette* palette, Model* model, char* parentName,
                uint32_t mode);
    SceneObject(const SceneObject&) = delete;
    SceneObject& operator=(const SceneObject& other);
    ~SceneObject() override;

    // 1 for a null model; otherwise the model attached and counted.
    Status AttachModel(Model* model, uint32_t flags);
    void DetachModel();
    // Read the mesh into `model` (null: a new one the object owns); the
    // mesh's placement lands in `local`.
    virtual Status ReadModel(IffFile& source, const char* meshName, Palette* palette, Model* model, char* parentName,
                             uint32_t mode);
    virtual Status LoadModel(const char* path, const char* meshName, Palette* palette, Model* model,
                             char* parentName, uint32_t mode);

    void Draw() override;
    void Update() override;
    float RayDistance(const Vector3* origin, const Vector3* direction, int32_t sphereOnly) const override;
    int32_t ContainsPoint(const Vector3* point, float radius, int32_t flag) const override;

    Model* model = nullptr;
    uint32_t materialCount = 0;
    Material** materials = nullptr;

private:
    Status Readied(Model* target, bool created, Status read);
    // Whether the view can see the subtree, and whether it needs clipping.
    bool Visible(bool* needsClipping) const;
};
