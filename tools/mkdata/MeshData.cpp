#include "tools/mkdata/MeshData.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "engine/ByteOrder.h"
#include "engine/FileWrappers.h"
#include "engine/IffFile.h"
#include "tools/mkdata/MaterialData.h"
#include "tools/mkdata/MeshShape.h"
#include "tools/mkdata/ShipMeshes.h"

namespace {

constexpr uint32_t kMeshForm = MakeTag("EMSH");

using Point = MeshPoint;
using Face = MeshFace;
using Mesh = MeshShape;

constexpr uint32_t kSolid = kFaceSolid;
constexpr uint32_t kTextured = kFaceTextured;
constexpr uint32_t kTranslucent = kFaceTranslucent;

// What a part of "ships.iff" is written with as its bounds, whatever its
// shape: the unit box and the sphere through its corners. The definitions'
// sizes, the hit tests and the flights scripted on the sample missions were
// all set on those bounds.
constexpr float kPartBox = 1.0f;

Point Sub(Point a, Point b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

Point Normal(const Mesh& m, const Face& f) {
    const Point e1 = Sub(m.points[f.b], m.points[f.a]), e2 = Sub(m.points[f.c], m.points[f.a]);
    Point n{e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x};
    const float length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    if (length > 0.0f) n = {n.x / length, n.y / length, n.z / length};
    return n;
}

void PutFloat(uint8_t* at, float value) {
    uint32_t word;
    std::memcpy(&word, &value, sizeof word);
    StoreLe32(at, word);
}

// One FORM "EMSH" at the current level; with a parent name, a "HIER"
// chunk, and with a placement (12 floats: three axes, then the position),
// an "MTR1" chunk. A part's bounds are its unit box, and it carries the
// textures it names (the flight reads no material library).
Status WriteMeshForm(IffFile& iff, const char* name, const Mesh& m, const char* parent = nullptr,
                     const float* placement = nullptr, bool partBounds = false) {
    Status status = iff.BeginForm(kMeshForm);

    uint8_t header[64] = {};
    std::strncpy(reinterpret_cast<char*>(header), name, 16);
    StoreLe32(header + 20, uint32_t(m.points.size()));
    StoreLe32(header + 24, uint32_t(m.faces.size()));
    StoreLe32(header + 28, uint32_t(m.materials.size()));
    if (status == kStatusOk) status = iff.WriteChunk(MakeTag("HDR "), header, sizeof header);

    // Vertex normals: the mean of the normals of the faces around each.
    std::vector<Point> normals(m.points.size(), Point{0, 0, 0});
    for (const Face& f : m.faces) {
        const Point n = Normal(m, f);
        for (const uint16_t i : {f.a, f.b, f.c}) normals[i] = {normals[i].x + n.x, normals[i].y + n.y, normals[i].z + n.z};
    }
    std::vector<uint8_t> vertices(m.points.size() * 32, 0);
    for (size_t i = 0; i < m.points.size(); ++i) {
        uint8_t* const v = vertices.data() + 32 * i;
        Point n = normals[i];
        const float length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
        if (length > 0.0f) n = {n.x / length, n.y / length, n.z / length};
        PutFloat(v, m.points[i].x);
        PutFloat(v + 4, m.points[i].y);
        PutFloat(v + 8, m.points[i].z);
        PutFloat(v + 16, n.x);
        PutFloat(v + 20, n.y);
        PutFloat(v + 24, n.z);
    }
    if (status == kStatusOk) status = iff.WriteChunk(MakeTag("VER1"), vertices.data(), uint32_t(vertices.size()));

    std::vector<uint8_t> faces(m.faces.size() * 64, 0);
    for (size_t i = 0; i < m.faces.size(); ++i) {
        const Face& f = m.faces[i];
        uint8_t* const r = faces.data() + 64 * i;
        StoreLe32(r, f.flags);
        StoreLe16(r + 4, f.a);
        StoreLe16(r + 6, f.b);
        StoreLe16(r + 8, f.c);
        StoreLe16(r + 10, f.material);
        // Texture coordinates across each triangle: (0,0), (1,0), (0,1).
        PutFloat(r + 16, 1.0f);
        PutFloat(r + 32, 1.0f);
        StoreLe32(r + 36, f.colour);
        const Point n = Normal(m, f);
        PutFloat(r + 40, n.x);
        PutFloat(r + 44, n.y);
        PutFloat(r + 48, n.z);
        r[57] = r[58] = r[59] = f.level;
    }
    if (status == kStatusOk) status = iff.WriteChunk(MakeTag("FAC2"), faces.data(), uint32_t(faces.size()));

    // Bounds: the sphere around the origin through the farthest point.
    float radius = 0.0f;
    Point low = m.points[0], high = m.points[0];
    for (const Point& p : m.points) {
        radius = std::max(radius, std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z));
        low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
    }
    if (partBounds) {
        low = {-kPartBox, -kPartBox, -kPartBox};
        high = {kPartBox, kPartBox, kPartBox};
        radius = std::sqrt(3.0f) * kPartBox;
    }
    uint8_t bounds[48] = {};
    const float values[10] = {0, 0, 0, radius, low.x, low.y, low.z, high.x, high.y, high.z};
    for (int i = 0; i < 10; ++i) PutFloat(bounds + 4 * i, values[i]);
    if (status == kStatusOk) status = iff.WriteChunk(MakeTag("EXN1"), bounds, sizeof bounds);

    if (!m.materials.empty()) {
        std::vector<uint8_t> names(16 * m.materials.size(), 0);
        for (size_t i = 0; i < m.materials.size(); ++i) {
            std::strncpy(reinterpret_cast<char*>(names.data() + 16 * i), m.materials[i].c_str(), 16);
        }
        if (status == kStatusOk) status = iff.WriteChunk(MakeTag("MTL "), names.data(), uint32_t(names.size()));
        for (size_t i = 0; i < m.materials.size() && partBounds; ++i) {
            if (status == kStatusOk) status = WriteMaterialForm(iff, m.materials[i].c_str());
        }
    }
    if (parent != nullptr) {
        uint8_t hierarchy[16] = {};
        // A 16-character name fills the field without a terminator.
        std::memcpy(hierarchy, parent, std::min(std::strlen(parent), sizeof hierarchy));
        if (status == kStatusOk) status = iff.WriteChunk(MakeTag("HIER"), hierarchy, sizeof hierarchy);
    }
    if (placement != nullptr) {
        uint8_t matrix[48];
        for (int i = 0; i < 12; ++i) PutFloat(matrix + 4 * i, placement[i]);
        if (status == kStatusOk) status = iff.WriteChunk(MakeTag("MTR1"), matrix, sizeof matrix);
    }
    if (status == kStatusOk) status = iff.Ascend();
    return status;
}

Status WriteMesh(const char* path, const char* name, const Mesh& m) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = WriteMeshForm(iff, name, m);
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}

// Face colours are true colours, red in the low byte: the readers match them
// to the palette the scene is loaded with.
constexpr uint32_t kGrey = Rgb(0x84, 0x84, 0x84);
constexpr uint32_t kLightGrey = Rgb(0xB8, 0xB8, 0xB8);
constexpr uint32_t kRed = Rgb(0xFF, 0, 0);
constexpr uint32_t kCanopy = Rgb(0x66, 0xCC, 0xFF);

Mesh CubeMesh() {
    Mesh m;
    for (int i = 0; i < 8; ++i) m.points.push_back({i & 1 ? 1.0f : -1.0f, i & 2 ? 1.0f : -1.0f, i & 4 ? 1.0f : -1.0f});
    // Each side as two triangles, wound clockwise seen from outside.
    const uint16_t sides[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    for (int s = 0; s < 6; ++s) {
        const uint32_t colour = Rgb(uint32_t(s % 3 + 2) * 51, uint32_t((s + 1) % 3 + 1) * 51, uint32_t(s % 2) * 153);
        const uint16_t* q = sides[s];
        m.faces.push_back({q[0], q[1], q[2], kSolid, colour});
        m.faces.push_back({q[0], q[2], q[3], kSolid, colour});
    }
    return m;
}

// A limb: the cube made thin and hung below its joint, so that turning
// the joint swings it.
Mesh LimbMesh() {
    Mesh m = CubeMesh();
    for (Point& p : m.points) p = {p.x * 0.3f, p.y * 0.75f - 0.75f, p.z * 0.3f};
    return m;
}

// The cube stretched upright; its children are placed unscaled.
Mesh TorsoMesh() {
    Mesh m = CubeMesh();
    for (Point& p : m.points) p = {p.x * 0.9f, p.y * 1.4f, p.z * 0.5f};
    return m;
}

Mesh HullMesh() {
    Mesh m;
    m.materials.push_back(kHullMaterial);
    constexpr int kSides = 6;
    m.points.push_back({0.0f, 0.0f, 6.0f});    // 0: nose
    m.points.push_back({0.0f, 0.0f, -4.0f});   // 1: tail centre
    const auto ring = [&](float z, float rx, float ry) {
        for (int i = 0; i < kSides; ++i) {
            const float angle = float(i) * 6.2831853f / kSides;
            m.points.push_back({rx * std::cos(angle), ry * std::sin(angle), z});
        }
    };
    ring(2.0f, 1.6f, 1.0f);    // 2..7: forward ring
    ring(-3.0f, 1.2f, 0.8f);   // 8..13: rear ring
    for (int i = 0; i < kSides; ++i) {
        const uint16_t a = uint16_t(2 + i), b = uint16_t(2 + (i + 1) % kSides);
        const uint16_t c = uint16_t(8 + i), d = uint16_t(8 + (i + 1) % kSides);
        // Wound so that each face's normal points out of the hull.
        m.faces.push_back({0, a, b, kSolid, kLightGrey});
        m.faces.push_back({a, d, b, kSolid, kGrey});
        m.faces.push_back({a, c, d, kSolid, kGrey});
        m.faces.push_back({1, d, c, kSolid, kRed});
    }
    // Wings: a flat plate on each side.
    const uint16_t base = uint16_t(m.points.size());
    m.points.push_back({1.6f, 0.0f, 1.0f});
    m.points.push_back({4.5f, 0.0f, -2.5f});
    m.points.push_back({1.2f, 0.0f, -2.5f});
    m.points.push_back({-1.6f, 0.0f, 1.0f});
    m.points.push_back({-4.5f, 0.0f, -2.5f});
    m.points.push_back({-1.2f, 0.0f, -2.5f});
    m.faces.push_back({base, uint16_t(base + 1), uint16_t(base + 2), 0x4, kGrey});
    m.faces.push_back({uint16_t(base + 3), uint16_t(base + 5), uint16_t(base + 4), 0x4, kGrey});
    // The top of the forward section carries the material; a canopy in
    // front of it lets the hull show through.
    m.faces[4 * 1].flags |= kTextured;
    m.faces[4 * 1].material = 1;
    m.faces[4 * 0].flags |= kTranslucent;
    m.faces[4 * 0].colour = kCanopy;
    m.faces[4 * 0].level = 128;
    return m;
}

void PutName(uint8_t* record, const char* name) { std::strncpy(reinterpret_cast<char*>(record), name, 16); }

void PutFloats(uint8_t* at, std::initializer_list<float> values) {
    for (const float v : values) {
        PutFloat(at, v);
        at += 4;
    }
}

}  // namespace

Status WriteCubeMesh(const char* path) { return WriteMesh(path, kCubeMeshName, CubeMesh()); }

Status WriteHullMesh(const char* path) { return WriteMesh(path, kHullMeshName, HullMesh()); }

Status WriteSampleScene(const char* path) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(MakeTag("ESEN"));
    uint8_t header[64] = {};
    PutName(header, kSampleSceneName);
    StoreLe32(header + 16, 1);   // cameras
    StoreLe32(header + 20, 2);   // objects
    StoreLe32(header + 28, 1);   // lights besides the ambient one
    if (status == kStatusOk) status = iff.WriteChunk(MakeTag("HDR "), header, sizeof header);

    // The camera above the hull's right side, looking at its middle.
    uint8_t camera[64] = {};
    PutName(camera, "Chase");
    StoreLe32(camera + 16, 0x8B8F);
    const float eye[3] = {8.0f, 6.0f, 12.0f}, at[3] = {0.0f, 0.0f, 0.5f};
    float forward[3] = {at[0] - eye[0], at[1] - eye[1], at[2] - eye[2]};
    const float length = std::sqrt(forward[0] * forward[0] + forward[1] * forward[1] + forward[2] * forward[2]);
    for (float& f : forward) f /= length;
    PutFloats(camera + 20, {eye[0], eye[1], eye[2], forward[0], forward[1], forward[2], 0.0f, 1.0f, 0.0f, 48.0f});
    if (status == kStatusOk) status = iff.WriteChunk(MakeTag("ECA1"), camera, sizeof camera);

    uint8_t ambient[32] = {};
    PutName(ambient, "Ambient");
    StoreLe32(ambient + 20, 0x464646);
    if (status == kStatusOk) status = iff.WriteChunk(MakeTag("EAMB"), ambient, sizeof ambient);
    uint8_t sun[48] = {};
    PutName(sun, "Sun");
    PutFloats(sun + 20, {-0.7f, -0.5f, -0.5f});
    StoreLe32(sun + 32, 0xFFFFFF);
    if (status == kStatusOk) status = iff.WriteChunk(MakeTag("EVE1"), sun, sizeof sun);

    // The pod comes before the hull it hangs under, so that linking it takes
    // a second pass.
    const float pod[12] = {0.4f, 0.0f, 0.0f, 0.0f, 0.4f, 0.0f, 0.0f, 0.0f, 0.4f, 3.0f, -0.6f, -1.5f};
    if (status == kStatusOk) status = WriteMeshForm(iff, kPodMeshName, CubeMesh(), kHullMeshName, pod);
    if (status == kStatusOk) status = WriteMeshForm(iff, kHullMeshName, HullMesh());
    if (status == kStatusOk) status = iff.Ascend();
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}

Status WriteSampleFigure(const char* path) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(MakeTag("ESEN"));
    uint8_t header[64] = {};
    PutName(header, kSampleFigureName);
    StoreLe32(header + 16, 1);   // cameras
    StoreLe32(header + 20, 3);   // objects
    StoreLe32(header + 28, 1);   // lights besides the ambient one
    if (status == kStatusOk) status = iff.WriteChunk(MakeTag("HDR "), header, sizeof header);

    // Level with the figure's chest, a little to its right, drawing a sky.
    uint8_t camera[64] = {};
    PutName(camera, "Sky");
    StoreLe32(camera + 16, 0x8B8F | 0x200000);
    const float eye[3] = {9.0f, 3.0f, 8.0f}, at[3] = {0.6f, 0.0f, 0.0f};
    float forward[3] = {at[0] - eye[0], at[1] - eye[1], at[2] - eye[2]};
    const float length = std::sqrt(forward[0] * forward[0] + forward[1] * forward[1] + forward[2] * forward[2]);
    for (float& f : forward) f /= length;
    PutFloats(camera + 20, {eye[0], eye[1], eye[2], forward[0], forward[1], forward[2], 0.0f, 1.0f, 0.0f, 48.0f});
    if (status == kStatusOk) status = iff.WriteChunk(MakeTag("ECA1"), camera, sizeof camera);

    uint8_t ambient[32] = {};
    PutName(ambient, "Ambient");
    StoreLe32(ambient + 20, 0x505050);
    if (status == kStatusOk) status = iff.WriteChunk(MakeTag("EAMB"), ambient, sizeof ambient);
    uint8_t sun[48] = {};
    PutName(sun, "Sun");
    PutFloats(sun + 20, {-0.6f, -0.4f, -0.7f});
    StoreLe32(sun + 32, 0xFFFFFF);
    if (status == kStatusOk) status = iff.WriteChunk(MakeTag("EVE1"), sun, sizeof sun);

    // "Wave": the left upper arm swings forward and up, the forearm bends.
    if (status == kStatusOk) status = iff.BeginForm(MakeTag("KEYF"));
    uint8_t keyHeader[168] = {};
    std::strncpy(reinterpret_cast<char*>(keyHeader), kSampleFigureAnimation, 80);
    StoreLe32(keyHeader + 80, 0x1);  // loops
    StoreLe32(keyHeader + 84, 4);    // frames 0 (the rest pose) to 3
    if (status == kStatusOk) status = iff.WriteChunk(MakeTag("HDR "), keyHeader, sizeof keyHeader);
    struct Key {
        uint32_t mask;
        int32_t time;
        float x;
    };
    const Key keys[] = {{0x15008, 0, 0.0f},  {0x15008, 1, -30.0f}, {0x15008, 2, -60.0f},  {0x15008, 3, -90.0f},
                        {0x15010, 0, 0.0f},  {0x15010, 1, -20.0f}, {0x15010, 2, -40.0f},  {0x15010, 3, -60.0f}};
    for (const Key& k : keys) {
        uint8_t chunk[20] = {};
        StoreLe32(chunk, k.mask);
        StoreLe32(chunk + 4, uint32_t(k.time));
        PutFloats(chunk + 8, {k.x, 0.0f, 0.0f});
        if (status == kStatusOk) status = iff.WriteChunk(MakeTag("KEY1"), chunk, sizeof chunk);
    }
    if (status == kStatusOk) status = iff.Ascend();

    // A torso, the left upper arm hanging from its shoulder along -y, the
    // forearm below the elbow; each joint's origin is where it turns.
    const float upper[12] = {1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 1.3f, 1.2f, 0.0f};
    const float fore[12] = {1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, -1.6f, 0.0f};
    if (status == kStatusOk) status = WriteMeshForm(iff, "TORSO", TorsoMesh());
    if (status == kStatusOk) status = WriteMeshForm(iff, "U_ARML", LimbMesh(), "TORSO", upper);
    if (status == kStatusOk) status = WriteMeshForm(iff, "F_ARML", LimbMesh(), "U_ARML", fore);
    if (status == kStatusOk) status = iff.Ascend();
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}

Status WriteSampleShips(const char* path) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(MakeTag("ESEN"));
    // Each part sits where its position code says: a placement of scale s at (x, y, z).
    const auto at = [](float scale, float x, float y, float z) {
        return std::array<float, 12>{scale, 0.0f, 0.0f, 0.0f, scale, 0.0f, 0.0f, 0.0f, scale, x, y, z};
    };
    struct Node {
        const char* name;
        const char* parent;
        std::array<float, 12> placement;
    };
    const Node nodes[] = {
        // A fighter: wings left and right, an engine at the rear, a shield bubble and an engine glow.
        {"FIGHT0000", nullptr, at(4.0f, 0, 0, 0)},     {"WING0FLHW", "FIGHT0000", at(0.5f, -2, 0, 0)},
        {"WING0FRHW", "FIGHT0000", at(0.5f, 2, 0, 0)}, {"ENGN0RR0E", "FIGHT0000", at(0.4f, 0, 0, -2)},
        {"SHLD0S00S", "FIGHT0000", at(1.6f, 0, 0, 0)}, {"GLOW0R00A", "FIGHT0000", at(0.3f, 0, 0, -3)},
        // A raider flown by the AI: its name leads with the digits the pilot
        // tables are read by (race 3, ship number 05).
        {"2305RAIDR", nullptr, at(3.0f, 0, 0, 0)},     {"RWNG0FLHW", "2305RAIDR", at(0.5f, -2, 0, 0)},
        {"RWNG0FRHW", "2305RAIDR", at(0.5f, 2, 0, 0)}, {"RENG0RR0E", "2305RAIDR", at(0.4f, 0, 0, -2)},
        {"RSHL0S00S", "2305RAIDR", at(1.6f, 0, 0, 0)}, {"RCKP0F00C", "2305RAIDR", at(0.8f, 0, 0, 0.5f)},
        // A capital ship with two turrets.
        {"CAPIT0000", nullptr, at(40.0f, 0, 0, 0)},    {"TURR0FLHL", "CAPIT0000", at(0.1f, -0.5f, 1.1f, 0.5f)},
        {"TURR0RRHL", "CAPIT0000", at(0.1f, 0.5f, 1.1f, -0.5f)},
        {"BARL0FLHG", "TURR0FLHL", at(0.5f, 0.0f, 1.0f, 1.0f)},   // the barrels, kind 10
        {"BARL0RRHG", "TURR0RRHL", at(0.5f, 0.0f, 1.0f, 1.0f)},
        {"ROCK00000", nullptr, at(12.0f, 0, 0, 0)},    {"MINE00000", nullptr, at(2.0f, 0, 0, 0)},
        {"MISSL0000", nullptr, at(0.5f, 0, 0, 0)},     {"CARRI0000", nullptr, at(20.0f, 0, 0, 0)},
        {"GATE00000", nullptr, at(60.0f, 0, 0, 0)},    {"DEBRI0000", nullptr, at(1.5f, 0, 0, 0)},
        {"BUOY00000", nullptr, at(3.0f, 0, 0, 0)},     {"TURRT0000", nullptr, at(3.0f, 0, 0, 0)},
        // The models the navigation maps class by name (the map test mission's).
        {"ROCK-01", nullptr, at(10.0f, 0, 0, 0)},      {"ROCK-02", nullptr, at(14.0f, 0, 0, 0)},
        {"ROCK-03", nullptr, at(18.0f, 0, 0, 0)},      {"ROCK-04", nullptr, at(22.0f, 0, 0, 0)},
        {"ROCK-05", nullptr, at(26.0f, 0, 0, 0)},      {"BASE-CCCH9", nullptr, at(60.0f, 0, 0, 0)},
        {"MULT-CCHH4", nullptr, at(30.0f, 0, 0, 0)},
    };
    uint8_t header[64] = {};
    PutName(header, "Ships");
    StoreLe32(header + 20, uint32_t(std::size(nodes)));   // objects
    if (status == kStatusOk) status = iff.WriteChunk(MakeTag("HDR "), header, sizeof header);
    for (const Node& node : nodes) {
        if (status == kStatusOk) {
            status = WriteMeshForm(iff, node.name, ShipPartShape(node.name), node.parent, node.placement.data(), true);
        }
    }
    if (status == kStatusOk) status = iff.Ascend();
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}

namespace {

// A globe of `rings` bands and `segments` slices around the origin.
Mesh SphereMesh(int segments, int rings, float radius, uint32_t colour) {
    Mesh m;
    constexpr float kPi = 3.14159265f;
    m.points.push_back({0.0f, radius, 0.0f});
    for (int r = 1; r < rings; ++r) {
        const float polar = kPi * float(r) / float(rings);
        for (int s = 0; s < segments; ++s) {
            const float around = 2.0f * kPi * float(s) / float(segments);
            m.points.push_back({radius * std::sin(polar) * std::cos(around), radius * std::cos(polar),
                                radius * std::sin(polar) * std::sin(around)});
        }
    }
    m.points.push_back({0.0f, -radius, 0.0f});
    const auto ring = [segments](int r, int s) { return uint16_t(1 + (r - 1) * segments + (s % segments)); };
    const uint16_t bottom = uint16_t(m.points.size() - 1);
    for (int s = 0; s < segments; ++s) {
        m.faces.push_back({0, ring(1, s + 1), ring(1, s), kSolid, colour});
        for (int r = 1; r + 1 < rings; ++r) {
            m.faces.push_back({ring(r, s), ring(r, s + 1), ring(r + 1, s + 1), kSolid, colour});
            m.faces.push_back({ring(r, s), ring(r + 1, s + 1), ring(r + 1, s), kSolid, colour});
        }
        m.faces.push_back({bottom, ring(rings - 1, s), ring(rings - 1, s + 1), kSolid, colour});
    }
    return m;
}

// A flat ring in the x-y plane, seen from both sides.
Mesh RingMesh(int segments, float inner, float outer, uint32_t colour) {
    Mesh m;
    constexpr float kPi = 3.14159265f;
    for (int s = 0; s < segments; ++s) {
        const float a = 2.0f * kPi * float(s) / float(segments);
        m.points.push_back({inner * std::cos(a), inner * std::sin(a), 0.0f});
        m.points.push_back({outer * std::cos(a), outer * std::sin(a), 0.0f});
    }
    for (int s = 0; s < segments; ++s) {
        const uint16_t i0 = uint16_t(2 * s), o0 = uint16_t(2 * s + 1);
        const uint16_t i1 = uint16_t(2 * ((s + 1) % segments)), o1 = uint16_t(i1 + 1);
        m.faces.push_back({i0, o0, o1, 0x4, colour});
        m.faces.push_back({i0, o1, i1, 0x4, colour});
    }
    return m;
}

Status WriteScene(const char* path, const char* name, const std::vector<std::pair<std::string, Mesh>>& objects) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(MakeTag("ESEN"));
    uint8_t header[64] = {};
    PutName(header, name);
    StoreLe32(header + 20, uint32_t(objects.size()));
    if (status == kStatusOk) status = iff.WriteChunk(MakeTag("HDR "), header, sizeof header);
    for (const auto& [object, mesh] : objects) {
        if (status == kStatusOk) status = WriteMeshForm(iff, object.c_str(), mesh);
    }
    if (status == kStatusOk) status = iff.Ascend();
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}

}  // namespace

Status WriteShieldMesh(const char* path) {
    return WriteMesh(path, kShieldMeshName, SphereMesh(10, 6, 1.0f, Rgb(0x80, 0xC0, 0xFF)));
}

Status WriteProjectileMeshes(const char* path) {
    Mesh bolt = CubeMesh();
    for (Point& p : bolt.points) p = {p.x * 0.15f, p.y * 0.15f, p.z * 1.5f};
    for (Face& f : bolt.faces) f.colour = Rgb(0xFF, 0x40, 0x20);
    Mesh shell = SphereMesh(6, 4, 0.5f, Rgb(0xFF, 0xC0, 0x40));
    Mesh bit = CubeMesh();
    for (Point& p : bit.points) p = {p.x * 0.2f, p.y * 0.2f, p.z * 0.2f};
    return WriteScene(path, "Projectiles", {{"Bolt", bolt}, {"Shell", shell}, {"Bit", bit}});
}

Status WriteAnimationScene(const char* path, const char* name, int frames, uint32_t colour) {
    std::vector<std::pair<std::string, Mesh>> objects;
    for (int i = 1; i <= frames; ++i) {
        const float grow = float(i) / float(frames);
        objects.emplace_back(std::to_string(i), RingMesh(12, 2.0f * grow, 3.0f * grow + 0.5f, colour));
    }
    return WriteScene(path, name, objects);
}
