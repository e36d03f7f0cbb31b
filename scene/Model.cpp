#include "scene/Model.h"

#include <cstring>
#include <vector>

#include "display/Palette.h"
#include "engine/ByteOrder.h"
#include "engine/FileWrappers.h"
#include "engine/IffFile.h"
#include "engine/IffWalk.h"
#include "engine/ScopedEngineBlock.h"
#include "engine/WorldContext.h"
#include "scene/AnimatedMaterial.h"
#include "scene/Material.h"
#include "scene/MaterialForm.h"
#include "scene/MaterialLibrary.h"
#include "scene/WorldImageTable.h"

namespace {

constexpr uint32_t kMeshForm = MakeTag("EMSH");
constexpr uint32_t kSceneForm = MakeTag("ESEN");
constexpr uint32_t kHeaderChunk = MakeTag("HDR ");
constexpr uint32_t kFloatVertices = MakeTag("VER1");
constexpr uint32_t kFixedVertices = MakeTag("VERT");
constexpr uint32_t kFaces64 = MakeTag("FAC2");
constexpr uint32_t kFloatFaces56 = MakeTag("FAC1");
constexpr uint32_t kFixedFaces56 = MakeTag("FACE");
constexpr uint32_t kFloatBounds = MakeTag("EXN1");
constexpr uint32_t kFixedBounds = MakeTag("EXNT");
constexpr uint32_t kFloatMatrix = MakeTag("MTR1");
constexpr uint32_t kFixedMatrix = MakeTag("MTRX");
constexpr uint32_t kHierarchy = MakeTag("HIER");
constexpr uint32_t kMaterialNames = MakeTag("MTL ");

constexpr uint32_t kHeaderBytes = 64;
constexpr uint32_t kVertexBytes = 32;
constexpr uint32_t kFace64Bytes = 64;
constexpr uint32_t kFace56Bytes = 56;
constexpr uint32_t kBoundsBytes = 48;
constexpr uint32_t kMatrixBytes = 48;
constexpr uint32_t kHierarchyBytes = 16;
constexpr uint32_t kNameBytes = Material::kNameLength + 1;

// The material read flags: share through the world table with mode bit 0x2.
uint32_t ReadFlags(uint32_t mode) { return (mode & Model::kModeWorldImages) != 0 ? 15 : 14; }

FaceRecord Face64(const uint8_t* p) {
    FaceRecord f;
    f.flags = LoadLe32(p);
    f.a = LoadLe16(p + 4);
    f.b = LoadLe16(p + 6);
    f.c = LoadLe16(p + 8);
    f.material = LoadLe16(p + 10);
    for (int i = 0; i < 3; ++i) {
        f.u[i] = LoadLeFloat(p + 12 + 4 * i);
        f.v[i] = LoadLeFloat(p + 24 + 4 * i);
        f.normal[i] = LoadLeFloat(p + 40 + 4 * i);
    }
    f.colour = LoadLe32(p + 36);
    f.stored52 = LoadLe32(p + 52);
    f.lightFloor = p[56];
    f.translucency[0] = p[57];
    f.translucency[1] = p[58];
    f.translucency[2] = p[59];
    f.zero60 = 0;
    return f;
}

// FAC1 (floats) and FACE (16.16): the light floor and translucency come
// from nibbles of the stored flags.
FaceRecord Face56(const uint8_t* p, bool fixed) {
    FaceRecord f;
    const uint32_t stored = LoadLe32(p);
    f.flags = stored & ~0x0FF00000u;
    f.a = LoadLe16(p + 4);
    f.b = LoadLe16(p + 6);
    f.c = LoadLe16(p + 8);
    f.material = LoadLe16(p + 10);
    const auto value = [&](int offset) { return LoadLeFixedOrFloat(p + offset, fixed); };
    for (int i = 0; i < 3; ++i) {
        f.u[i] = value(12 + 4 * i);
        f.v[i] = value(24 + 4 * i);
        f.normal[i] = value(40 + 4 * i);
    }
    f.colour = LoadLe32(p + 36);
    f.lightFloor = uint8_t((stored >> 16) & 0xF0);
    const uint8_t level = (stored & FaceRecord::kTranslucent) != 0 ? uint8_t((stored >> 20) & 0xF0) : 255;
    f.translucency[0] = f.translucency[1] = f.translucency[2] = level;
    return f;
}

}  // namespace

Model::Model() = default;

Model::Model(const char* path, const char* meshName, Palette* palette, Matrix34* matrixOut, char* parentName,
             uint32_t mode) {
    Load(path, meshName, palette, matrixOut, parentName, mode);
}

Model::Model(const Model& other) : EngineObject() { CopyFrom(other); }

Model& Model::operator=(const Model& other) {
    if (this == &other) return *this;
    Release();
    CopyFrom(other);
    return *this;
}

void Model::CopyFrom(const Model& other) {
    flags = other.flags & ~(kOwnsArrays | kOwnsMaterials);
    std::memcpy(name, other.name, sizeof name);
    sphere = other.sphere;
    box = other.box;
    vertexCount = other.vertexCount;
    vertices = other.vertices;
    faceCount = other.faceCount;
    faces = other.faces;
    materialCount = other.materialCount;
    materials = other.materials;
}

Model::~Model() {
    // An attached model going away still gives back what it owns.
    refCount = 0;
    Release();
}

Status Model::Release() {
    if (refCount != 0) return kStatusModelAttached;
    if ((flags & kOwnsArrays) != 0) {
        EngineRelease(vertices);
        EngineRelease(faces);
        if (g_worldContext != nullptr) {
            g_worldContext->loadedFaces -= faceCount;
            g_worldContext->loadedVertices -= vertexCount;
        }
    }
    vertices = nullptr;
    faces = nullptr;
    vertexCount = 0;
    faceCount = 0;
    if ((flags & kOwnsMaterials) != 0 && materials != nullptr) {
        for (uint32_t i = 0; i < materialCount; ++i) delete materials[i];
        EngineRelease(materials);
    }
    materials = nullptr;
    materialCount = 0;
    flags &= ~(kOwnsArrays | kOwnsMaterials);
    return kStatusOk;
}

Status Model::Fail(IffFile& iff, Status status, char* nameTable) {
    EngineRelease(vertices);
    EngineRelease(faces);
    vertices = nullptr;
    faces = nullptr;
    vertexCount = 0;
    faceCount = 0;
    if (materials != nullptr) {
        for (uint32_t i = 0; i < materialCount; ++i) delete materials[i];
        EngineRelease(materials);
    }
    materials = nullptr;
    materialCount = 0;
    flags &= ~(kOwnsArrays | kOwnsMaterials);
    EngineRelease(nameTable);
    return LeaveForm(iff, status);
}

Status Model::ReadMeshForm(IffFile& iff, const char* meshName, Palette* palette, Matrix34* matrixOut,
                           char* parentName, uint32_t mode) {
    // The arrays of an attached model are in use: reading over them would
    // pull them from under the objects that draw them.
    if (refCount != 0) return kStatusModelAttached;
    Release();
    if (iff.ChunkId() != IffFile::kFormId || iff.FormType() != kMeshForm) return kStatusMaterialNotFound;
    if (iff.Descend() != kStatusOk) return kStatusMaterialReadFailed;
    if (iff.FindChunk(kHeaderChunk) != kStatusOk || iff.ChunkSize() != kHeaderBytes) {
        return LeaveForm(iff, kStatusMaterialBadData);
    }
    uint8_t header[kHeaderBytes];
    if (iff.ReadChunk(header, sizeof header) != kStatusOk) return LeaveForm(iff, kStatusMaterialReadFailed);
    char headerName[kNameLength + 1] = {};
    std::memcpy(headerName, header, kNameLength);
    if (meshName != nullptr && std::strncmp(headerName, meshName, kNameLength) != 0) {
        return LeaveForm(iff, kStatusMaterialNotFound);
    }
    const uint32_t vertexTotal = LoadLe32(header + 20);
    const uint32_t faceTotal = LoadLe32(header + 24);
    const uint32_t declaredMaterials = LoadLe32(header + 28);
    if (vertexTotal == 0 || faceTotal == 0) return LeaveForm(iff, kStatusMaterialBadData);
    std::memcpy(name, headerName, sizeof name);
    vertexCount = vertexTotal;
    faceCount = faceTotal;
    flags = LoadLe32(header + 16) | kOwnsArrays;
    if (parentName != nullptr) parentName[0] = '\0';

    char* nameTable = nullptr;
    Status status = ReadChunks(iff, palette, matrixOut, parentName, mode, declaredMaterials, &nameTable);
    if (status != kStatusOk) return Fail(iff, status, nameTable);

    if (materials != nullptr) {
        for (uint32_t i = 0; i < declaredMaterials && i < materialCount; ++i) {
            if (materials[i] == nullptr) return Fail(iff, kStatusMaterialFewerNames, nameTable);
        }
    } else if (faces == nullptr) {
        return Fail(iff, kStatusModelNoFaces, nameTable);
    } else {
        for (uint32_t i = 0; i < faceCount; ++i) {
            faces[i].material = 0;
            faces[i].flags &= ~FaceRecord::kTextured;
        }
    }
    EngineRelease(nameTable);
    nameTable = nullptr;
    // Face chunks may come before vertex chunks, so the indices are checked
    // once everything is in; a mesh without vertices draws nothing sound.
    if (vertices == nullptr) return Fail(iff, kStatusMaterialBadData, nameTable);
    if (faces != nullptr) {
        for (uint32_t i = 0; i < faceCount; ++i) {
            const FaceRecord& f = faces[i];
            if (f.a >= vertexCount || f.b >= vertexCount || f.c >= vertexCount) {
                return Fail(iff, kStatusMaterialBadData, nameTable);
            }
        }
    }
    if (palette != nullptr) {
        if (faces == nullptr) return Fail(iff, kStatusModelNoFaces, nameTable);
        for (uint32_t i = 0; i < faceCount; ++i) faces[i].colour = palette->MatchColor(faces[i].colour);
    }
    if (g_worldContext != nullptr) {
        g_worldContext->loadedFaces += faceCount;
        g_worldContext->loadedVertices += vertexCount;
    }
    return LeaveForm(iff, kStatusOk);
}

Status Model::ReadChunks(IffFile& iff, Palette* palette, Matrix34* matrixOut, char* parentName, uint32_t mode,
                         uint32_t declaredMaterials, char** nameTable) {
    for (;;) {
        const Status step = iff.NextChunk();
        if (step == kStatusEndOfData) return kStatusOk;
        // A failed step leaves the reader where it was.
        if (step != kStatusOk) return kStatusMaterialReadFailed;
        const uint32_t id = iff.ChunkId();
        const uint32_t size = iff.ChunkSize();

        if (id == kFloatVertices || id == kFixedVertices) {
            if (vertices != nullptr || uint64_t(size) != uint64_t(kVertexBytes) * vertexCount) {
                return kStatusModelBadVertices;
            }
            ScopedEngineBlock bytes(size);
            vertices = static_cast<MeshVertex*>(EngineAllocate(size_t(vertexCount) * sizeof(MeshVertex)));
            if (bytes.Get() == nullptr || vertices == nullptr) return kStatusMaterialNoMemory;
            if (iff.ReadChunk(bytes.Get(), size) != kStatusOk) return kStatusMaterialReadFailed;
            const bool fixed = id == kFixedVertices;
            for (uint32_t i = 0; i < vertexCount; ++i) {
                const uint8_t* p = bytes.Get() + size_t(i) * kVertexBytes;
                // The fixed form's fourth words are not read.
                const auto value = [&](int offset) { return LoadLeFixedOrFloat(p + offset, fixed); };
                const auto spare = [&](int offset) { return fixed ? 0.0f : LoadLeFloat(p + offset); };
                vertices[i] = MeshVertex{value(0),  value(4),  value(8),  spare(12),
                                         value(16), value(20), value(24), spare(28)};
            }
        } else if (id == kFaces64 || id == kFloatFaces56 || id == kFixedFaces56) {
            const uint32_t recordBytes = id == kFaces64 ? kFace64Bytes : kFace56Bytes;
            if (faces != nullptr || uint64_t(size) != uint64_t(recordBytes) * faceCount) return kStatusModelBadFaces;
            ScopedEngineBlock bytes(size);
            faces = static_cast<FaceRecord*>(EngineAllocate(size_t(faceCount) * sizeof(FaceRecord)));
            if (bytes.Get() == nullptr || faces == nullptr) return kStatusMaterialNoMemory;
            if (iff.ReadChunk(bytes.Get(), size) != kStatusOk) return kStatusMaterialReadFailed;
            for (uint32_t i = 0; i < faceCount; ++i) {
                const uint8_t* p = bytes.Get() + size_t(i) * recordBytes;
                faces[i] = id == kFaces64 ? Face64(p) : Face56(p, id == kFixedFaces56);
            }
        } else if (id == kFloatBounds || id == kFixedBounds) {
            if (size != kBoundsBytes) return kStatusMaterialBadData;
            uint8_t b[kBoundsBytes];
            if (iff.ReadChunk(b, sizeof b) != kStatusOk) return kStatusMaterialReadFailed;
            const auto value = [&](int i) { return LoadLeFixedOrFloat(b + 4 * i, id == kFixedBounds); };
            sphere.centre = {value(0), value(1), value(2)};
            sphere.radius = value(3);
            box.min = {value(4), value(5), value(6)};
            box.max = {value(7), value(8), value(9)};
        } else if ((id == kFloatMatrix || id == kFixedMatrix) && matrixOut != nullptr) {
            if (size != kMatrixBytes) return kStatusMaterialBadData;
            uint8_t m[kMatrixBytes];
            if (iff.ReadChunk(m, sizeof m) != kStatusOk) return kStatusMaterialReadFailed;
            for (int row = 0; row < 4; ++row) {
                for (int column = 0; column < 3; ++column) {
                    const uint8_t* p = m + 4 * (row * 3 + column);
                    matrixOut->rows[row][column] = LoadLeFixedOrFloat(p, id == kFixedMatrix);
                }
            }
        } else if (id == kHierarchy && parentName != nullptr) {
            if (size != kHierarchyBytes) return kStatusModelBadHierarchy;
            if (iff.ReadChunk(parentName, kHierarchyBytes) != kStatusOk) return kStatusMaterialReadFailed;
        } else if (declaredMaterials != 0 && id == kMaterialNames) {
            if (*nameTable != nullptr || materials != nullptr) return kStatusMaterialBadData;
            if (uint64_t(size) != uint64_t(Material::kNameLength) * declaredMaterials) return kStatusMaterialBadData;
            ScopedEngineBlock bytes(size);
            *nameTable = static_cast<char*>(EngineAllocate(size_t(declaredMaterials) * kNameBytes));
            materials = static_cast<Material**>(EngineAllocate(size_t(declaredMaterials) * sizeof(Material*)));
            if (bytes.Get() == nullptr || *nameTable == nullptr || materials == nullptr) return kStatusMaterialNoMemory;
            std::memset(*nameTable, 0, size_t(declaredMaterials) * kNameBytes);
            std::memset(static_cast<void*>(materials), 0, size_t(declaredMaterials) * sizeof(Material*));
            materialCount = declaredMaterials;
            flags |= kOwnsMaterials;
            if (iff.ReadChunk(bytes.Get(), size) != kStatusOk) return kStatusMaterialReadFailed;
            for (uint32_t i = 0; i < declaredMaterials; ++i) {
                char* const entryName = *nameTable + size_t(i) * kNameBytes;
                std::memcpy(entryName, bytes.Get() + size_t(i) * Material::kNameLength, Material::kNameLength);
                if ((mode & kModeWorldImages) != 0) materials[i] = FindWorldMaterial(entryName);
                if (materials[i] == nullptr && (mode & kModeLibraries) != 0) {
                    materials[i] = LoadLibraryMaterial(entryName, palette, ReadFlags(mode));
                }
            }
        } else if (declaredMaterials != 0 && IsMaterialForm(iff, true)) {
            if (materials == nullptr) {
                materials = static_cast<Material**>(EngineAllocate(size_t(declaredMaterials) * sizeof(Material*)));
                if (materials == nullptr) return kStatusMaterialNoMemory;
                std::memset(static_cast<void*>(materials), 0, size_t(declaredMaterials) * sizeof(Material*));
                materialCount = declaredMaterials;
                flags |= kOwnsMaterials;
            }
            uint32_t slot = 0;
            while (slot < materialCount && materials[slot] != nullptr) ++slot;
            if (slot == materialCount) continue;
            const bool animated = (mode & kModeAnimated) != 0 && IsMaterialForm(iff, false);
            Material* const material = animated ? static_cast<Material*>(new AnimatedMaterial)
                                                : static_cast<Material*>(new BitmapMaterial);
            if (material == nullptr) return kStatusMaterialNoMemory;
            const char* const wanted = *nameTable != nullptr ? *nameTable + size_t(slot) * kNameBytes : nullptr;
            const Status read = material->ReadForm(iff, wanted, ReadFlags(mode), palette);
            if (read == kStatusOk) {
                materials[slot] = material;
                continue;
            }
            delete material;
            if (read != kStatusMaterialNotFound) return read;
        }
    }
}

Status Model::Load(const char* path, const char* meshName, Palette* palette, Matrix34* matrixOut, char* parentName,
                   uint32_t mode) {
    if (Release() != kStatusOk) return kStatusModelAttached;
    IffFile iff(0);
    if (path == nullptr || iff.OpenFile(path, kOpenRead) != kStatusOk) return kStatusMaterialReadFailed;
    Status result = kStatusMaterialNotFound;
    const Status walked = iff_walk::Walk(iff, [&](IffFile& at) {
        if (at.ChunkId() != IffFile::kFormId) return iff_walk::Choice::kPass;
        if (at.FormType() == kSceneForm) return iff_walk::Choice::kEnter;
        if (at.FormType() != kMeshForm) return iff_walk::Choice::kPass;
        result = ReadMeshForm(at, meshName, palette, matrixOut, parentName, mode);
        return result == kStatusMaterialNotFound ? iff_walk::Choice::kPass : iff_walk::Choice::kStop;
    });
    if (walked == kStatusCannotOpen) result = kStatusMaterialReadFailed;
    iff.CloseFile();
    return result;
}
