#include "raster/PolygonEntry.h"

#include <cmath>

#include "display/Canvas.h"
#include "display/Palette.h"
#include "display/PixelImage.h"
#include "display/SoftTexture.h"
#include "raster/FillTriangle16.h"
#include "raster/RgbTriangles.h"
#include "raster/TriangleFan.h"

namespace {

constexpr uint32_t kPerspectiveTextured = Canvas::kModePerspective | Canvas::kModeTextured;

// u and v weighted by invZ, so that the midpoints the subdivision takes are
// those of the perspective-correct texture coordinates.
ScreenVertex Weighted(const ScreenVertex& p) {
    ScreenVertex out = p;
    out.u = p.u * p.invZ;
    out.v = p.v * p.invZ;
    return out;
}

// A vertex the subdivision can measure: without this an infinite extent
// would be split to the full depth, and a zero invZ divided by.
bool Measurable(const ScreenVertex& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.depth) && std::isfinite(p.intensity) &&
           std::isfinite(p.u) && std::isfinite(p.v) && std::isfinite(p.invZ) && p.invZ > 0.0f;
}

// Perspective triangles are subdivided until their pieces are small, so one
// reaching far past the canvas would cost far more than the pixels it draws.
// Such a triangle is first cut to a band of one canvas size around the
// canvas; triangles inside it are left as they are.
struct Band {
    float left, top, right, bottom;
};

Band BandAround(const Canvas* canvas) {
    const float w = float(canvas->width), h = float(canvas->height);
    return {-w, -h, 2.0f * w, 2.0f * h};
}

bool Inside(const ScreenVertex& p, const Band& band) {
    return p.x >= band.left && p.x <= band.right && p.y >= band.top && p.y <= band.bottom;
}

// In double precision: the ends may lie 10^10 pixels apart, where a float
// step would miss the band's edge by hundreds of pixels.
ScreenVertex Between(const ScreenVertex& p, const ScreenVertex& q, double t) {
    const auto mix = [t](float a, float b) { return float(double(a) + (double(b) - double(a)) * t); };
    ScreenVertex m = p;
    m.x = mix(p.x, q.x);
    m.y = mix(p.y, q.y);
    m.depth = mix(p.depth, q.depth);
    m.intensity = mix(p.intensity, q.intensity);
    m.u = mix(p.u, q.u);
    m.v = mix(p.v, q.v);
    m.invZ = mix(p.invZ, q.invZ);
    return m;
}

// Cuts a convex polygon of weighted vertices by one edge of the band: the
// side where `distance` is >= 0 stays. `out` holds count + 1 vertices.
template <typename Distance>
int32_t CutBy(const ScreenVertex* in, int32_t count, ScreenVertex* out, Distance distance) {
    int32_t kept = 0;
    for (int32_t i = 0; i < count; ++i) {
        const ScreenVertex& p = in[i];
        const ScreenVertex& q = in[(i + 1) % count];
        const double dp = distance(p), dq = distance(q);
        if (dp >= 0.0) out[kept++] = p;
        if ((dp >= 0.0) != (dq >= 0.0)) out[kept++] = Between(p, q, dp / (dp - dq));
    }
    return kept;
}

// Weighted u, v and invZ are linear across the screen, so cutting them
// linearly keeps the texture where it was. At most 3 + 4 vertices come out.
int32_t CutToBand(const ScreenVertex (&triangle)[3], const Band& band, ScreenVertex (&out)[8]) {
    ScreenVertex a[8], b[8];
    int32_t count = CutBy(triangle, 3, a, [&](const ScreenVertex& p) { return double(p.x) - band.left; });
    count = CutBy(a, count, b, [&](const ScreenVertex& p) { return band.right - double(p.x); });
    count = CutBy(b, count, a, [&](const ScreenVertex& p) { return double(p.y) - band.top; });
    count = CutBy(a, count, out, [&](const ScreenVertex& p) { return band.bottom - double(p.y); });
    return count;
}

void DrawFan(Canvas* canvas, int32_t count, uint32_t mode, const ScreenVertex* vertices,
             const SoftTexture* texture, uint32_t level, TriangleFill16 fill) {
    if ((mode & kPerspectiveTextured) != kPerspectiveTextured) {
        for (int32_t i = 1; i + 1 < count; ++i) {
            fill(canvas, mode, &vertices[0], &vertices[i], &vertices[i + 1], texture, level);
        }
        return;
    }
    const Band band = BandAround(canvas);
    const ScreenVertex first = Weighted(vertices[0]);
    for (int32_t i = 1; i + 1 < count; ++i) {
        if (!Measurable(vertices[0]) || !Measurable(vertices[i]) || !Measurable(vertices[i + 1])) {
            continue;
        }
        const ScreenVertex triangle[3] = {first, Weighted(vertices[i]), Weighted(vertices[i + 1])};
        if (Inside(triangle[0], band) && Inside(triangle[1], band) && Inside(triangle[2], band)) {
            SubdividePerspectiveTriangle16(canvas, mode, triangle[0], triangle[1], triangle[2], texture, level, fill);
            continue;
        }
        ScreenVertex cut[8];
        const int32_t pieces = CutToBand(triangle, band, cut);
        for (int32_t j = 1; j + 1 < pieces; ++j) {
            SubdividePerspectiveTriangle16(canvas, mode, cut[0], cut[j], cut[j + 1], texture, level, fill);
        }
    }
}

}  // namespace

bool PolygonFillsNoPixel16(const Canvas& canvas, int32_t count, const ScreenVertex* v) {
    if (count < 3) return true;
    if (OnOneRowOrColumn16(count, v)) return true;
    // Otherwise each triangle of the fan is walked as the set-up walks it,
    // where every mode fills it whole: not cut to the band, nor split for
    // perspective (no side longer than the subdivision length).
    const Band band = BandAround(&canvas);
    for (int32_t i = 0; i < count; ++i) {
        if (!Inside(v[i], band)) return false;
    }
    for (int32_t i = 1; i + 1 < count; ++i) {
        if (!FilledUnsplit16(canvas, v[0], v[i], v[i + 1])) return false;
        if (!TriangleFillsNoPixel16(canvas, v[0], v[i], v[i + 1])) return false;
    }
    return true;
}

void FillPolygon16(Canvas* canvas, int32_t count, uint32_t mode, const ScreenVertex* vertices, PixelImage* image,
                   uint32_t level) {
    FillPolygon16(canvas, count, mode, vertices, image, level, FillTriangle16);
}

void FillPolygon16(Canvas* canvas, int32_t count, uint32_t mode, const ScreenVertex* vertices, PixelImage* image,
                   uint32_t level, TriangleFill16 fill) {
    const SoftTexture* texture = nullptr;
    if (image != nullptr) {
        // The spans read one byte per texel: any other image is too small
        // for them.
        if (image->Format() != PixelImage::kFormat8Bit) {
            return;
        }
        if (image->palette == nullptr) {
            image->palette = canvas->palette;
        }
        texture = SoftTexture::FindOrCreate(image, image->palette);
        if (texture == nullptr) {
            return;
        }
    }

    Palette* const canvasPalette = canvas->palette;
    // Only a 16-bit palette can stand in for the canvas's: the spans read
    // its shade table as 16-bit entries.
    if (image != nullptr && image->palette != nullptr && image->palette != canvasPalette &&
        !image->palette->IsIndexed8()) {
        canvas->palette = image->palette;
    }
    g_subdivisionDepth = 0;
    if (count >= 3) {
        DrawFan(canvas, count, mode, vertices, texture, level, fill);
    }
    canvas->palette = canvasPalette;
}

void FillPolygonRgb16(Canvas* canvas, int32_t count, const FixedVertex* vertices) {
    const auto draw = (canvas->flags & Canvas::kFlagDepthTest) != 0 ? TriangleRgbDepth16 : TriangleRgb16;
    DrawTriangleFan(count, vertices, [&](const FixedVertex* triangle) { draw(canvas, triangle); });
}
