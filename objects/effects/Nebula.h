#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/Vector3.h"
#include "scene/Frame.h"

class BitmapMaterial;
class IffFile;
class Model;
class Palette;
class SceneObject;

// A large flat translucent cloud in a mission's backdrop, grown from a
// definition's FORM "NEBU" and a random sequence seeded by where it stands:
// a wandering spine, points to both sides of each segment, a triangle mesh
// with the picture spread once across it, and a random turn in space.
class Nebula : public Frame {
public:
    struct Info {
        int32_t leastPoints = 0, greatestPoints = 0;
        int32_t greatestTurn = 0;   // degrees
        int32_t leastLength = 0, greatestLength = 0;
        int32_t margin = 0;         // per cent of a segment left free at each end
        int32_t leastSide = 0, greatestSide = 0;
        int32_t leastValue = 0, greatestValue = 0;   // the spine's translucency
        uint32_t colour = 0;
        float textureScale = 1.0f;
        float height = 0.0f;
        // Whether every count, turn, margin and range can be drawn from.
        bool Valid() const;
    };
    struct Vertex {
        uint32_t colour = 0;
        int32_t value = 0;
        Vector3 position{};
    };
    struct Face {
        uint16_t index[3] = {};
        float u[3] = {}, v[3] = {};
        uint32_t flag = 1;
    };
    static constexpr size_t kInfoBytes = 52;
    // Far more than any cloud needs; the mesh's 16-bit indices allow no more than 21845.
    static constexpr int32_t kMostPoints = 1024;

    // The named definition's nebula, for a spawn position; null when the
    // definition is missing or refused.
    static Nebula* NebulaFromIff(IffFile& iff, const char* definitionName, const Vector3& position);
    Nebula(const Info& info, uint32_t seed);
    ~Nebula() override;

    // The shape, once; the same for the same definition and seed.
    void Build();

    Palette* palette = nullptr;
    uint32_t seed = 0;
    Info info;
    BitmapMaterial* cloud = nullptr;   // owned
    int32_t pointCount = 0;
    std::vector<Vector3> spine;
    std::vector<int32_t> lengths;
    std::vector<int32_t> angles;       // degrees
    std::vector<Vector3> sideA, sideB;
    std::vector<Vertex> vertices;
    std::vector<Face> faces;
    Vector3 boxCentre{};
    float boxWidth = 1.0f, boxHeight = 1.0f;

private:
    void BuildSpine();
    void BuildSides();
    void BuildMesh();
    void Turn();
    void MakeModel();
    void DropModel();

    std::unique_ptr<Model> model_;
    SceneObject* shape_ = nullptr;     // a child of this frame
};
