#pragma once
#include <cstdint>

#include "engine/BoundingSphere.h"
#include "engine/EngineAllocation.h"
#include "engine/Matrix34.h"
#include "engine/Status.h"
#include "scene/BoundingBox.h"
#include "scene/FaceRecord.h"

class IffFile;
class Material;
class Palette;

// Results of the mesh reader besides those it shares with the material
// readers (2, 10, 11, 12, 17 and any other code a material's reader gives).
inline constexpr Status kStatusModelNoFaces = 3;
inline constexpr Status kStatusModelAttached = 4;      // still attached: nothing done
inline constexpr Status kStatusModelBadVertices = 13;  // a second or wrongly sized vertex chunk
inline constexpr Status kStatusModelBadFaces = 14;     // a second or wrongly sized face chunk
inline constexpr Status kStatusModelBadHierarchy = 18;

// One vertex of a mesh: position and normal.
struct MeshVertex {
    float x = 0.0f, y = 0.0f, z = 0.0f, w = 0.0f;
    float nx = 0.0f, ny = 0.0f, nz = 0.0f, nw = 0.0f;
};

static_assert(sizeof(MeshVertex) == 32);

// One triangle mesh as read from a FORM "EMSH": vertices, faces, bounds and
// materials, shared by the scene objects that attach it (counted in
// refCount).
class Model : public EngineObject {
public:
    static constexpr uint32_t kOwnsArrays = 0x10000;
    static constexpr uint32_t kOwnsMaterials = 0x20000;
    // Mode bits of the readers.
    static constexpr uint32_t kModeAnimated = 0x1;      // EMT1 forms become animated materials
    static constexpr uint32_t kModeWorldImages = 0x2;   // share through the world image table
    static constexpr uint32_t kModeLibraries = 0x4;     // fall back on the material libraries
    static constexpr int kNameLength = 16;

    Model();
    // Loads at once; the result is not kept.
    Model(const char* path, const char* meshName, Palette* palette, Matrix34* matrixOut, char* parentName,
          uint32_t mode);
    // Shares the arrays without owning them.
    Model(const Model& other);
    Model& operator=(const Model& other);
    virtual ~Model();

    // kStatusModelAttached while attached; otherwise gives back what the
    // model owns.
    virtual Status Release();
    // The current chunk of `iff`, a FORM "EMSH", when it carries `meshName`
    // (null: any). parentName: 16 bytes for the HIER chunk, or null.
    virtual Status ReadMeshForm(IffFile& iff, const char* meshName, Palette* palette, Matrix34* matrixOut,
                                char* parentName, uint32_t mode);
    // Finds the mesh in a file, at the top or inside FORM "ESEN".
    virtual Status Load(const char* path, const char* meshName, Palette* palette, Matrix34* matrixOut,
                        char* parentName, uint32_t mode);

    uint32_t refCount = 0;
    // Set when the scene object that made this model let go of it while
    // others still held it: the last holder deletes it then.
    bool deleteWithLastHolder = false;
    uint32_t flags = 0;
    char name[kNameLength + 1] = "NoName";
    BoundingSphere sphere{};
    BoundingBox box{};
    uint32_t vertexCount = 0;
    MeshVertex* vertices = nullptr;
    uint32_t faceCount = 0;
    FaceRecord* faces = nullptr;
    uint32_t materialCount = 0;
    Material** materials = nullptr;

private:
    void CopyFrom(const Model& other);
    // Everything a failed read took, and the form left.
    Status Fail(IffFile& iff, Status status, char* nameTable);
    Status ReadChunks(IffFile& iff, Palette* palette, Matrix34* matrixOut, char* parentName, uint32_t mode,
                      uint32_t declaredMaterials, char** nameTable);
};
