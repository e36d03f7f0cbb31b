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

void DrawFan(Canvas* canvas, int32_t count, uint32_t mode, const ScreenVertex* vertices,
             const SoftTexture* texture, uint32_t level, TriangleFill16 fill) {
    if ((mode & kPerspectiveTextured) != kPerspectiveTextured) {
        for (int32_t i = 1; i + 1 < count; ++i) {
            fill(canvas, mode, &vertices[0], &vertices[i], &vertices[i + 1], texture, level);
        }
        return;
    }
    const ScreenVertex first = Weighted(vertices[0]);
    for (int32_t i = 1; i + 1 < count; ++i) {
        if (!Measurable(vertices[0]) || !Measurable(vertices[i]) || !Measurable(vertices[i + 1])) {
            continue;
        }
        const ScreenVertex second = Weighted(vertices[i]);
        const ScreenVertex third = Weighted(vertices[i + 1]);
        SubdividePerspectiveTriangle16(canvas, mode, first, second, third, texture, level, fill);
    }
}

}  // namespace

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
    if (image != nullptr && image->palette != nullptr && !image->palette->IsIndexed8()) {
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
