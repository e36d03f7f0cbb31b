#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The shapes the sample meshes are built from: points, triangles with a
// true colour each (red in the low byte), and the names of the materials
// that textured faces take (numbered from 1).
struct MeshPoint {
    float x, y, z;
};

struct MeshFace {
    uint16_t a, b, c;
    uint32_t flags;
    uint32_t colour;
    uint16_t material = 0;
    uint8_t level = 255;   // opacity of a translucent face
};

// Flat-lit, filled, back faces culled.
inline constexpr uint32_t kFaceSolid = 0x4 | 0x100;
inline constexpr uint32_t kFaceTextured = 0x200;
inline constexpr uint32_t kFaceTranslucent = 0x800;

constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | g << 8 | b << 16; }

// A point of a cross-section: across (u) and up (v) from the section's axis.
struct SectionPoint {
    float u, v;
};

struct MeshShape {
    // The axis a loft runs along; u and v are the other two in turn
    // (z: u = x, v = y; x: u = y, v = z; y: u = z, v = x).
    enum class Axis { kX, kY, kZ };
    struct Section {
        float along;
        std::vector<SectionPoint> outline;   // convex, the same count in every section
    };

    std::vector<MeshPoint> points;
    std::vector<MeshFace> faces;
    std::vector<std::string> materials;

    uint16_t Add(MeshPoint p);
    // A triangle wound to face away from `inside`; none when it has no area.
    void Triangle(uint16_t a, uint16_t b, uint16_t c, MeshPoint inside, uint32_t colour, uint32_t flags = kFaceSolid);
    // A body through the sections in turn, closed at both ends. `colour`
    // gives the colour of the band after section i at outline point j
    // (caps: band -1 and the last section's index).
    template <typename ColourOf>
    void Loft(Axis axis, const std::vector<Section>& sections, ColourOf colour);
    void Loft(Axis axis, const std::vector<Section>& sections, uint32_t colour);
    // A convex outline pushed from `from` to `to` along the axis.
    void Prism(Axis axis, const std::vector<SectionPoint>& outline, float from, float to, uint32_t colour);
    void Box(MeshPoint low, MeshPoint high, uint32_t colour);
    // The faces from `first` on take the material (added once), drawn textured.
    void Texture(size_t first, const char* material);
    // The faces from `first` on are see-through to `level` (0..255).
    void Translucent(size_t first, uint8_t level);
    // Points from `first` on mirrored across x = 0, their faces rewound.
    void MirrorX(size_t firstPoint, size_t firstFace);
    // Every point scaled towards the origin when one lies farther than `reach`.
    void ShrinkWithin(float reach);

    MeshPoint Place(Axis axis, float along, SectionPoint p) const;
};

// An outline of `sides` points around an ellipse of half-widths ru, rv
// centred at (cu, cv), starting at angle `turn` (radians).
std::vector<SectionPoint> Ellipse(int sides, float ru, float rv, float cu = 0.0f, float cv = 0.0f, float turn = 0.0f);

template <typename ColourOf>
void MeshShape::Loft(Axis axis, const std::vector<Section>& sections, ColourOf colour) {
    if (sections.size() < 2) return;
    const size_t n = sections.front().outline.size();
    std::vector<std::vector<uint16_t>> rings;
    std::vector<MeshPoint> centres;
    MeshPoint middle{0, 0, 0};
    for (const Section& s : sections) {
        std::vector<uint16_t> ring;
        SectionPoint c{0, 0};
        for (const SectionPoint& p : s.outline) {
            ring.push_back(Add(Place(axis, s.along, p)));
            c = {c.u + p.u / float(n), c.v + p.v / float(n)};
        }
        rings.push_back(ring);
        centres.push_back(Place(axis, s.along, c));
        middle = {middle.x + centres.back().x, middle.y + centres.back().y, middle.z + centres.back().z};
    }
    const float k = 1.0f / float(sections.size());
    middle = {middle.x * k, middle.y * k, middle.z * k};
    for (size_t i = 0; i + 1 < sections.size(); ++i) {
        const MeshPoint inside{(centres[i].x + centres[i + 1].x) / 2, (centres[i].y + centres[i + 1].y) / 2,
                               (centres[i].z + centres[i + 1].z) / 2};
        for (size_t j = 0; j < n; ++j) {
            const size_t next = (j + 1) % n;
            const uint32_t c = colour(int(i), int(j));
            Triangle(rings[i][j], rings[i][next], rings[i + 1][next], inside, c);
            Triangle(rings[i][j], rings[i + 1][next], rings[i + 1][j], inside, c);
        }
    }
    for (const size_t end : {size_t(0), sections.size() - 1}) {
        const std::vector<uint16_t>& ring = rings[end];
        const uint32_t c = colour(end == 0 ? -1 : int(end), 0);
        for (size_t j = 1; j + 1 < n; ++j) Triangle(ring[0], ring[j], ring[j + 1], middle, c);
    }
}
