#include "objects/effects/Nebula.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "display/PixelImage.h"
#include "engine/ByteOrder.h"
#include "engine/EngineAllocation.h"
#include "engine/IffFile.h"
#include "engine/IffWalk.h"
#include "engine/Random.h"
#include "game/GameState.h"
#include "game/SceneLoaders.h"
#include "game/Definitions.h"
#include "scene/FaceRecord.h"
#include "scene/Material.h"
#include "scene/Model.h"
#include "scene/SceneObject.h"
#include "scene/Transform.h"

namespace {

constexpr float kRadiansPerDegree = 0.0174533f;
constexpr uint32_t kNebulaForm = MakeTag("NEBU");

// In 64 bits: the file's ranges may span every 32-bit value.
int32_t Between(int32_t least, int32_t greatest) {
    return int32_t(int64_t(least) + GameRandom() % (int64_t(greatest) - least + 1));
}

Vector3 Heading(int32_t degrees) {
    const float a = float(degrees) * kRadiansPerDegree;
    return {std::cos(a), std::sin(a), 0.0f};
}

}  // namespace

bool Nebula::Info::Valid() const {
    return leastPoints >= 2 && greatestPoints >= leastPoints && greatestPoints <= kMostPoints && greatestTurn >= 1 &&
           greatestLength >= leastLength && margin >= 0 && margin < 50 && greatestSide >= leastSide &&
           greatestValue >= leastValue;
}

Nebula* Nebula::NebulaFromIff(IffFile& iff, const char* definitionName, const Vector3& position) {
    if (definitions::FindSpobForm(iff, definitionName) != kStatusOk) return nullptr;
    if (iff_walk::FindNext(iff, IffFile::kFormId, kNebulaForm) != kStatusOk || iff.Descend() != kStatusOk) return nullptr;
    const uint32_t level = iff.Level();
    uint8_t bytes[kInfoBytes] = {};
    Info info;
    const bool haveInfo = iff_walk::FindNext(iff, MakeTag("INFO")) == kStatusOk &&
                          iff_walk::ReadBounded(iff, bytes, sizeof bytes) == sizeof bytes;
    if (haveInfo) {
        int32_t w[13];
        for (int i = 0; i < 13; ++i) w[i] = int32_t(LoadLe32(bytes + 4 * i));
        info.leastPoints = w[0];
        info.greatestPoints = w[1];
        info.greatestTurn = w[2];
        info.leastLength = w[3];
        info.greatestLength = w[4];
        info.margin = w[5];
        info.leastSide = w[6];
        info.greatestSide = w[7];
        info.leastValue = w[8];
        info.greatestValue = w[9];
        info.colour = uint32_t(w[10]);
        std::memcpy(&info.textureScale, bytes + 44, 4);
        std::memcpy(&info.height, bytes + 48, 4);
    }
    char paletteName[17] = {};
    const bool havePalette = haveInfo && iff_walk::FindNext(iff, MakeTag("PALT")) == kStatusOk &&
                             iff_walk::ReadBounded(iff, paletteName, sizeof paletteName - 1) > 0;
    BitmapMaterial* picture = nullptr;
    if (havePalette && iff_walk::FindNext(iff, IffFile::kFormId, MakeTag("XFEB")) == kStatusOk) {
        picture = LoadCelMaterial(iff, 0, nullptr);
    }
    while (iff.Level() >= level) {
        if (iff.Ascend() != kStatusOk) break;
    }
    if (!haveInfo || !info.Valid() || !std::isfinite(info.textureScale) || !std::isfinite(info.height)) {
        delete picture;
        return nullptr;
    }
    const uint32_t seed = uint32_t(int32_t(position.x) + int32_t(position.y) + int32_t(position.z));
    auto* const nebula = new Nebula(info, seed);
    nebula->local.SetPosition(&position, Transform::kAllFlags);
    nebula->UpdateWorldTransform(Transform::kAllFlags);
    nebula->cloud = picture;
    if (havePalette && g_gameState != nullptr) nebula->palette = g_gameState->LoadPalette(paletteName);
    if (picture != nullptr && picture->block != nullptr) picture->block->palette = nebula->palette;
    return nebula;
}

Nebula::Nebula(const Info& values, uint32_t randomSeed) : seed(randomSeed), info(values) {}

Nebula::~Nebula() {
    DropModel();
    delete cloud;
}

void Nebula::DropModel() {
    if (shape_ != nullptr) {
        shape_->Detach(0, 0);
        delete shape_;
        shape_ = nullptr;
    }
    ownSphere = nullptr;
    if (model_ == nullptr) return;
    // The material list is ours; the material is the cloud, kept.
    EngineRelease(model_->materials);
    model_->materials = nullptr;
    model_->materialCount = 0;
    model_->Release();
    model_.reset();
}

void Nebula::Build() {
    if (!info.Valid()) return;
    GameRandomSeed(seed);
    BuildSpine();
    BuildSides();
    BuildMesh();
    Turn();
    MakeModel();
}

void Nebula::BuildSpine() {
    pointCount = Between(info.leastPoints, info.greatestPoints);
    const int32_t n = pointCount;
    spine.assign(size_t(n), Vector3{});
    lengths.assign(size_t(n), 0);
    angles.assign(size_t(n), 0);
    spine[0] = {0.0f, 0.0f, info.height};
    angles[0] = GameRandom() % 360;
    for (int32_t i = 1; i < n; ++i) {
        lengths[size_t(i - 1)] = Between(info.leastLength, info.greatestLength);
        const bool left = (GameRandom() & 1) != 0;
        const int32_t turn = GameRandom() % info.greatestTurn;
        // Kept within a turn: the same heading, and no overflow however many turns add up.
        angles[size_t(i)] = (angles[size_t(i - 1)] + (left ? turn : -turn)) % 360;
        spine[size_t(i)] = spine[size_t(i - 1)].Sum(Heading(angles[size_t(i)]).Scaled(float(lengths[size_t(i - 1)])));
    }
}

void Nebula::BuildSides() {
    const int32_t n = pointCount;
    for (int side = 0; side < 2; ++side) {
        std::vector<Vector3>& points = side == 0 ? sideA : sideB;
        points.assign(size_t(n - 1), Vector3{});
        for (int32_t i = 0; i + 1 < n; ++i) {
            const int64_t along = int64_t(info.margin + GameRandom() % (101 - 2 * info.margin)) * lengths[size_t(i)] / 100;
            const int32_t away = Between(info.leastSide, info.greatestSide);
            const int32_t heading = angles[size_t(i + 1)];
            points[size_t(i)] = spine[size_t(i)]
                                    .Sum(Heading(heading).Scaled(float(along)))
                                    .Sum(Heading(side == 0 ? heading + 90 : heading - 90).Scaled(float(away)));
        }
    }
}

void Nebula::BuildMesh() {
    const int32_t n = pointCount;
    float minX = 10000.0f, minY = 10000.0f, maxX = -10000.0f, maxY = -10000.0f;
    const auto take = [&](const std::vector<Vector3>& points) {
        for (const Vector3& p : points) {
            minX = std::min(minX, p.x);
            minY = std::min(minY, p.y);
            maxX = std::max(maxX, p.x);
            maxY = std::max(maxY, p.y);
        }
    };
    take(spine);
    take(sideA);
    take(sideB);
    // A box of no width would spread the picture over nothing.
    boxWidth = std::max(maxX - minX, 1.0f);
    boxHeight = std::max(maxY - minY, 1.0f);
    boxCentre = {(minX + maxX) * 0.5f, (minY + maxY) * 0.5f, info.height};
    const float originX = minX - 0.01f * boxWidth, originY = minY - 0.01f * boxHeight;

    vertices.assign(size_t(3 * n - 2), Vertex{});
    for (int32_t i = 0; i < n; ++i) {
        vertices[size_t(i)] = {info.colour, Between(info.leastValue, info.greatestValue), spine[size_t(i)]};
    }
    vertices[0].value = 0;
    vertices[size_t(n - 1)].value = 0;
    for (int32_t i = 0; i + 1 < n; ++i) {
        vertices[size_t(n + i)] = {info.colour, 0, sideA[size_t(i)]};
        vertices[size_t(2 * n - 1 + i)] = {info.colour, 0, sideB[size_t(i)]};
    }

    faces.clear();
    faces.reserve(size_t(4 * n - 6));
    const auto face = [&](int32_t a, int32_t b, int32_t c) {
        Face f;
        const int32_t corner[3] = {a, b, c};
        for (int k = 0; k < 3; ++k) {
            f.index[k] = uint16_t(corner[k]);
            const Vector3& p = vertices[size_t(corner[k])].position;
            f.u[k] = (p.x - originX) / boxWidth;
            f.v[k] = (p.y - originY) / boxHeight;
        }
        faces.push_back(f);
    };
    for (int32_t i = 0; i + 1 < n; ++i) face(i, n + i, i + 1);
    for (int32_t i = 0; i + 2 < n; ++i) face(i + 1, n + i, n + i + 1);
    for (int32_t i = 0; i + 1 < n; ++i) face(i, i + 1, 2 * n - 1 + i);
    for (int32_t i = 0; i + 2 < n; ++i) face(i + 1, 2 * n + i, 2 * n - 1 + i);

    // One of four quarter turns of the picture about its centre, scaled.
    const int32_t quarter = GameRandom() & 3;
    for (Face& f : faces) {
        for (int k = 0; k < 3; ++k) {
            float du = f.u[k] - 0.5f, dv = f.v[k] - 0.5f;
            for (int32_t q = 0; q < quarter; ++q) {
                const float turned = -dv;
                dv = du;
                du = turned;
            }
            f.u[k] = 0.5f + du * info.textureScale;
            f.v[k] = 0.5f + dv * info.textureScale;
        }
    }
}

void Nebula::Turn() {
    const float ax = float(GameRandom() % 360), ay = float(GameRandom() % 360), az = float(GameRandom() % 360);
    const auto turn = [&](Vector3& p) {
        RotateVectorAboutX(&p, ax, &p);
        RotateVectorAboutY(&p, ay, &p);
        RotateVectorAboutZ(&p, az, &p);
    };
    for (Vector3& p : spine) turn(p);
    for (Vector3& p : sideA) turn(p);
    for (Vector3& p : sideB) turn(p);
    turn(boxCentre);
    const int32_t n = pointCount;
    for (int32_t i = 0; i < n; ++i) vertices[size_t(i)].position = spine[size_t(i)];
    for (int32_t i = 0; i + 1 < n; ++i) {
        vertices[size_t(n + i)].position = sideA[size_t(i)];
        vertices[size_t(2 * n - 1 + i)].position = sideB[size_t(i)];
    }
}

void Nebula::MakeModel() {
    DropModel();
    model_ = std::make_unique<Model>();
    Model& m = *model_;
    std::strncpy(m.name, "Nebula", Model::kNameLength);
    m.vertexCount = uint32_t(vertices.size());
    m.vertices = static_cast<MeshVertex*>(EngineAllocate(sizeof(MeshVertex) * vertices.size()));
    m.faceCount = uint32_t(faces.size());
    m.faces = static_cast<FaceRecord*>(EngineAllocate(sizeof(FaceRecord) * faces.size()));
    if (m.vertices == nullptr || m.faces == nullptr) {
        m.flags |= Model::kOwnsArrays;
        m.Release();
        return;
    }
    m.flags |= Model::kOwnsArrays;
    float reach = 0.0f;
    for (size_t i = 0; i < vertices.size(); ++i) {
        const Vector3& p = vertices[i].position;
        m.vertices[i] = MeshVertex{p.x, p.y, p.z, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f};
        reach = std::max(reach, p.Length());
    }
    for (size_t i = 0; i < faces.size(); ++i) {
        FaceRecord face;
        face.flags = FaceRecord::kFlatLit | FaceRecord::kTranslucent | (cloud != nullptr ? FaceRecord::kTextured : 0u);
        face.a = faces[i].index[0];
        face.b = faces[i].index[1];
        face.c = faces[i].index[2];
        face.material = cloud != nullptr ? 1 : 0;
        for (int k = 0; k < 3; ++k) {
            face.u[k] = faces[i].u[k];
            face.v[k] = faces[i].v[k];
            const int32_t value = vertices[faces[i].index[k]].value;
            face.translucency[k] = uint8_t(std::clamp(value, 0, 255));
        }
        face.colour = vertices[faces[i].index[0]].colour;
        face.normal[2] = 1.0f;
        m.faces[i] = face;
    }
    if (cloud != nullptr) {
        m.materialCount = 1;
        m.materials = static_cast<Material**>(EngineAllocate(sizeof(Material*)));
        if (m.materials != nullptr) {
            m.materials[0] = cloud;
        } else {
            m.materialCount = 0;
        }
    }
    m.sphere.radius = reach;
    m.box.min = {-reach, -reach, -reach};
    m.box.max = {reach, reach, reach};
    shape_ = new SceneObject(&m);
    shape_->AttachToParent(this, Transform::kAllFlags);
    shape_->UpdateWorldTransform(Transform::kAllFlags);
    ownSphere = &m.sphere;
    UpdateBounds(0, 0);
}
