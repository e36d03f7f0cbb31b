#include "tools/mkdata/MeshShape.h"

#include <algorithm>
#include <cmath>

namespace {

MeshPoint Sub(MeshPoint a, MeshPoint b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
MeshPoint Cross(MeshPoint a, MeshPoint b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
float Dot(MeshPoint a, MeshPoint b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

}  // namespace

uint16_t MeshShape::Add(MeshPoint p) {
    points.push_back(p);
    return uint16_t(points.size() - 1);
}

void MeshShape::Triangle(uint16_t a, uint16_t b, uint16_t c, MeshPoint inside, uint32_t colour, uint32_t flags) {
    const MeshPoint n = Cross(Sub(points[b], points[a]), Sub(points[c], points[a]));
    if (Dot(n, n) < 1e-12f) return;
    const MeshPoint centre{(points[a].x + points[b].x + points[c].x) / 3, (points[a].y + points[b].y + points[c].y) / 3,
                           (points[a].z + points[b].z + points[c].z) / 3};
    // The mesh's faces show the side their normal, (b - a) x (c - a), points to.
    if (Dot(n, Sub(centre, inside)) < 0.0f) std::swap(b, c);
    faces.push_back({a, b, c, flags, colour});
}

MeshPoint MeshShape::Place(Axis axis, float along, SectionPoint p) const {
    switch (axis) {
        case Axis::kX: return {along, p.u, p.v};
        case Axis::kY: return {p.v, along, p.u};
        case Axis::kZ:
        default: return {p.u, p.v, along};
    }
}

void MeshShape::Loft(Axis axis, const std::vector<Section>& sections, uint32_t colour) {
    Loft(axis, sections, [colour](int, int) { return colour; });
}

void MeshShape::Prism(Axis axis, const std::vector<SectionPoint>& outline, float from, float to, uint32_t colour) {
    Loft(axis, {{from, outline}, {to, outline}}, colour);
}

void MeshShape::Box(MeshPoint low, MeshPoint high, uint32_t colour) {
    Prism(Axis::kZ, {{low.x, low.y}, {high.x, low.y}, {high.x, high.y}, {low.x, high.y}}, low.z, high.z, colour);
}

void MeshShape::Texture(size_t first, const char* material) {
    auto found = std::find(materials.begin(), materials.end(), material);
    if (found == materials.end()) found = materials.insert(materials.end(), material);
    const uint16_t index = uint16_t(found - materials.begin() + 1);
    for (size_t i = first; i < faces.size(); ++i) {
        faces[i].flags |= kFaceTextured;
        faces[i].material = index;
    }
}

void MeshShape::Translucent(size_t first, uint8_t level) {
    for (size_t i = first; i < faces.size(); ++i) {
        faces[i].flags |= kFaceTranslucent;
        faces[i].level = level;
    }
}

void MeshShape::MirrorX(size_t firstPoint, size_t firstFace) {
    for (size_t i = firstPoint; i < points.size(); ++i) points[i].x = -points[i].x;
    for (size_t i = firstFace; i < faces.size(); ++i) std::swap(faces[i].b, faces[i].c);
}

void MeshShape::ShrinkWithin(float reach) {
    float farthest = 0.0f;
    for (const MeshPoint& p : points) farthest = std::max(farthest, std::sqrt(Dot(p, p)));
    if (!(farthest > reach)) return;
    const float k = reach / farthest;
    for (MeshPoint& p : points) p = {p.x * k, p.y * k, p.z * k};
}

std::vector<SectionPoint> Ellipse(int sides, float ru, float rv, float cu, float cv, float turn) {
    std::vector<SectionPoint> outline;
    for (int i = 0; i < sides; ++i) {
        const float a = turn + 6.2831853f * float(i) / float(sides);
        outline.push_back({cu + ru * std::cos(a), cv + rv * std::sin(a)});
    }
    return outline;
}
