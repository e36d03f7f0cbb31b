#pragma once
#include <array>
#include <cstdint>

#include "platform/Render3d.h"

namespace platform {

class Surface;

// The 3D device stand-in's own small renderer: transformed-and-lit
// triangles and lines into a 16-bit target, with the depth test, flat or
// Gouraud colour, perspective-correct nearest-texel texturing with the
// colour key, decal or modulate, source-alpha blending and vertex fog.
// Pixels are covered when their centres lie inside a triangle, edges going
// to the triangle on their top or left side, so that triangles sharing an
// edge cover each pixel once.
class SoftRenderer {
public:
    using States = std::array<uint32_t, size_t(RenderState::kCount)>;

    SoftRenderer(Surface& target, Surface* depth, Surface* texture, const States& states);

    void Triangle(const TlVertex& a, const TlVertex& b, const TlVertex& c);
    void Line(const TlVertex& a, const TlVertex& b);

    struct Color {
        float r, g, b, a;
    };

private:
    // Shades and writes one pixel; `w` are the weights of the three
    // vertices (a line passes two and a zero).
    void Shade(int32_t x, int32_t y, const TlVertex* v[3], const float w[3]);
    bool Texel(float u, float v, Color* out) const;
    Color Unpack(uint32_t pixel, const Surface& from) const;
    uint16_t Pack(const Color& c) const;
    uint32_t State(RenderState s) const { return states_[size_t(s)]; }

    Surface& target_;
    Surface* depth_;
    Surface* texture_;
    const States& states_;
};

}  // namespace platform
