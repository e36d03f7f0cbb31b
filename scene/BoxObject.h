#pragma once
#include <cstdint>

#include "engine/NamedObject.h"
#include "scene/Transform.h"

class Material;

// A cube of eight corners around its own origin, placed by a transform,
// with six faces of their own colour and optional material: the engine's
// simplest drawable, which the game's shot visuals derive from.
class BoxObject : public NamedObject {
public:
    static constexpr uint16_t kTypeBox = 4608;
    static constexpr uint32_t kFlagOwnsMaterials = 0x2;
    static constexpr uint32_t kFlagFace0 = 0x10000;   // faces 0 to 5: 0x10000 to 0x200000
    static constexpr uint32_t kAllFaces = 0x3F0000;
    static constexpr int kFaces = 6;

    BoxObject();
    BoxObject(const BoxObject&) = delete;
    BoxObject& operator=(const BoxObject&) = delete;
    ~BoxObject() override;

    void Draw() override;
    void Update() override;
    virtual void ReleaseMaterials();

    // Corners for a cube of side `size`, every face drawn.
    void SetSize(float size);
    // Face 0-5; a negative face sets all six, 6 or more nothing.
    void SetFaceMaterial(uint32_t colour, int32_t face);
    void SetFaceMaterialB(Material* material, int32_t face);
    // Shares the other box's materials without owning them.
    void Assign(const BoxObject& other);

    uint32_t level = 255;                 // translucency, 255 opaque
    Transform placement;                  // box space to world space
    float corners[8][4] = {};
    uint32_t faceColours[kFaces] = {};
    Material* faceMaterials[kFaces] = {};
    float u[4] = {0.01f, 0.9f, 0.01f, 0.9f};
    float v[4] = {0.01f, 0.01f, 0.9f, 0.9f};
};
