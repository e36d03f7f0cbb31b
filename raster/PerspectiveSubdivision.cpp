#include "raster/PerspectiveSubdivision.h"

#include <cmath>

#include "display/Canvas.h"

int32_t g_subdivisionDepth = 0;

namespace {

// Larger over smaller; a ratio that is not a number (an invZ of 0 at both
// ends) compares as no distortion.
float InvZRatio(const ScreenVertex& p, const ScreenVertex& q) {
    return p.invZ > q.invZ ? p.invZ / q.invZ : q.invZ / p.invZ;
}

ScreenVertex Midpoint(const ScreenVertex& p, const ScreenVertex& q) {
    ScreenVertex m;
    m.x = (p.x + q.x) * 0.5f;
    m.y = (p.y + q.y) * 0.5f;
    m.depth = (p.depth + q.depth) * 0.5f;
    m.colour = p.colour;
    m.intensity = (p.intensity + q.intensity) * 0.5f;
    m.u = (p.u + q.u) * 0.5f;
    m.v = (p.v + q.v) * 0.5f;
    m.invZ = (p.invZ + q.invZ) * 0.5f;
    return m;
}

// The x and y extents of the sides ab, bc, ca, in that order.
struct SideExtents {
    float of[6];
};

SideExtents ExtentsOf(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c) {
    return {{std::fabs(a.x - b.x), std::fabs(a.y - b.y), std::fabs(b.x - c.x), std::fabs(b.y - c.y),
             std::fabs(c.x - a.x), std::fabs(c.y - a.y)}};
}

ScreenVertex Unweighted(const ScreenVertex& p) {
    ScreenVertex out = p;
    out.u = p.u / p.invZ;
    out.v = p.v / p.invZ;
    return out;
}

}  // namespace

void SubdividePerspectiveTriangle16(Canvas* canvas, uint32_t mode, const ScreenVertex& a, const ScreenVertex& b,
                                    const ScreenVertex& c, const SoftTexture* texture, uint32_t level,
                                    TriangleFill16 fill) {
    ++g_subdivisionDepth;

    const SideExtents sides = ExtentsOf(a, b, c);
    const float* const extents = sides.of;
    const float ratios[3] = {InvZRatio(a, b), InvZRatio(b, c), InvZRatio(c, a)};
    int32_t chosen = -1;
    for (int32_t i = 0; i < 6; ++i) {
        const bool counts = ratios[i / 2] > kSubdivideInvZRatio || extents[i] > canvas->subdivideLongLength;
        if (counts && (chosen < 0 || extents[i] > extents[chosen])) {
            chosen = i;
        }
    }

    if (chosen < 0 || !(extents[chosen] > canvas->subdivideLength) || g_subdivisionDepth >= kMaxSubdivisionDepth) {
        const ScreenVertex pa = Unweighted(a), pb = Unweighted(b), pc = Unweighted(c);
        fill(canvas, mode, &pa, &pb, &pc, texture, level);
    } else if (chosen / 2 == 0) {
        const ScreenVertex m = Midpoint(a, b);
        SubdividePerspectiveTriangle16(canvas, mode, a, m, c, texture, level, fill);
        SubdividePerspectiveTriangle16(canvas, mode, m, b, c, texture, level, fill);
    } else if (chosen / 2 == 1) {
        const ScreenVertex m = Midpoint(b, c);
        SubdividePerspectiveTriangle16(canvas, mode, a, b, m, texture, level, fill);
        SubdividePerspectiveTriangle16(canvas, mode, a, m, c, texture, level, fill);
    } else {
        const ScreenVertex m = Midpoint(c, a);
        SubdividePerspectiveTriangle16(canvas, mode, a, b, m, texture, level, fill);
        SubdividePerspectiveTriangle16(canvas, mode, m, b, c, texture, level, fill);
    }

    --g_subdivisionDepth;
}

bool FilledUnsplit16(const Canvas& canvas, const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c) {
    for (const float extent : ExtentsOf(a, b, c).of) {
        if (!(extent <= canvas.subdivideLength)) return false;
    }
    return true;
}
