#include "display/canvas/SurfaceCanvas8.h"

#include "display/Palette.h"

namespace {

constexpr int32_t kBitsPerPixel = 8;

}  // namespace

SurfaceCanvas8::SurfaceCanvas8(FrameSurfaces* surfaces, uint16_t* givenDepth, Palette* canvasPalette,
                               uint32_t canvasFlags) {
    setupResult = SetupSurface(surfaces, nullptr, givenDepth, canvasPalette, canvasFlags);
}

SurfaceCanvas8::SurfaceCanvas8(FrameSurfaces* surfaces, const CanvasRect* area, uint16_t* givenDepth,
                               Palette* canvasPalette, uint32_t canvasFlags) {
    // Without a rectangle there is no part of the surface to cover.
    setupResult =
        area != nullptr ? SetupSurface(surfaces, area, givenDepth, canvasPalette, canvasFlags) : kStatusWrongSurface;
}

SurfaceCanvas8::~SurfaceCanvas8() {
    // A surface left locked could be neither shown nor drawn into again.
    if (locked != 0) Unlock();
    pixels = nullptr;
    SurfaceBinding::Release(*this);
}

Status SurfaceCanvas8::SetupSurface(FrameSurfaces* surfaces, const CanvasRect* area, uint16_t* givenDepth,
                                    Palette* canvasPalette, uint32_t canvasFlags) {
    flags = canvasFlags | kFlagSetUp;
    subdivideLength = kDefaultSubdivideLength;
    return surface.SetUp(*this, surfaces, area, givenDepth, canvasPalette, kBitsPerPixel);
}

Status SurfaceCanvas8::Setup(const CanvasRect*, Palette*, uint32_t) { return kStatusNothingToDo; }

int32_t SurfaceCanvas8::Lock() { return surface.Lock(*this, kSurfaceLockAttempts8, false); }

int32_t SurfaceCanvas8::Unlock() { return surface.Unlock(*this); }

Status SurfaceCanvas8::Clear(uint32_t colour, uint32_t depthValue) { return Canvas::Clear(colour, depthValue); }

Status SurfaceCanvas8::FillRectRgb(const CanvasRect* rect, const uint8_t* rgb) {
    const uint32_t index = palette != nullptr ? palette->MatchColor(RgbToColor(rgb)) : 0;
    return surface.ColorFill(*this, *rect, index);
}

Status SurfaceCanvas8::FillRect(const CanvasRect* rect, uint32_t colour) {
    return surface.ColorFill(*this, *rect, colour & 0xFF);
}

Status SurfaceCanvas8::FillRectRgbClipped(const CanvasRect* rect, const uint8_t* rgb, const CanvasRect* clip) {
    return Canvas::FillRectRgbClipped(rect, rgb, clip);
}

Status SurfaceCanvas8::FillRectClipped(const CanvasRect* rect, uint32_t colour, const CanvasRect* clip) {
    return Canvas::FillRectClipped(rect, colour, clip);
}

Status SurfaceCanvas8::DrawLineShadedAlt(const ScreenVertex*, const ScreenVertex*) {
    return IsUsable() ? kStatusNothingToDo : kStatusPlatformFailed;
}

Status SurfaceCanvas8::DrawLineShadedAltInt(const ViewVertex*, const ViewVertex*) {
    return IsUsable() ? kStatusNothingToDo : kStatusPlatformFailed;
}

Status SurfaceCanvas8::DrawLineShadedAltClipped(const ScreenVertex*, const ScreenVertex*, const CanvasRect*) {
    return IsUsable() ? kStatusNothingToDo : kStatusPlatformFailed;
}

Status SurfaceCanvas8::DrawLineShadedAltClippedInt(const ViewVertex*, const ViewVertex*, const CanvasRect*) {
    return IsUsable() ? kStatusNothingToDo : kStatusPlatformFailed;
}

Status SurfaceCanvas8::CopyToImage(Bitmap* image) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas8::CopyToImage(image); });
}

Status SurfaceCanvas8::PlotPixel(const ScreenVertex* v, const uint8_t* rgb) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas8::PlotPixel(v, rgb); });
}

Status SurfaceCanvas8::PlotPixelInt(const ViewVertex* v, const uint8_t* rgb) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas8::PlotPixelInt(v, rgb); });
}

Status SurfaceCanvas8::PlotPixelClipped(const ScreenVertex* v, const uint8_t* rgb, const CanvasRect* clip) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas8::PlotPixelClipped(v, rgb, clip); });
}

Status SurfaceCanvas8::PlotPixelClippedInt(const ViewVertex* v, const uint8_t* rgb, const CanvasRect* clip) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas8::PlotPixelClippedInt(v, rgb, clip); });
}

int32_t SurfaceCanvas8::ReadPixel(int32_t x, int32_t y, ViewVertex* out) {
    return WithSurfaceLocked<int32_t>(*this, [&] { return SoftCanvas8::ReadPixel(x, y, out); });
}

int32_t SurfaceCanvas8::ReadPixelAt(const ViewVertex* at, ViewVertex* out) {
    return WithSurfaceLocked<int32_t>(*this, [&] { return SoftCanvas8::ReadPixelAt(at, out); });
}

Status SurfaceCanvas8::BlitImage(const CanvasRect* rect, PixelImage* image, uint32_t mode) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas8::BlitImage(rect, image, mode); });
}

Status SurfaceCanvas8::DrawMonoImage(const CanvasRect* rect, PixelImage* image, uint32_t fg, uint32_t bg) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas8::DrawMonoImage(rect, image, fg, bg); });
}

Status SurfaceCanvas8::DrawMonoImageRaw(const CanvasRect* rect, MonoMaskRecord* mask, uint32_t setValue,
                                        uint32_t clearValue) {
    return WithSurfaceLocked<Status>(*this, [&] {
        return SoftCanvas8::DrawMonoImageRaw(rect, mask, setValue, clearValue);
    });
}

Status SurfaceCanvas8::DrawLine(const ScreenVertex* a, const ScreenVertex* b, const uint8_t* rgb) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas8::DrawLine(a, b, rgb); });
}

Status SurfaceCanvas8::DrawLineInt(const ViewVertex* a, const ViewVertex* b, const uint8_t* rgb) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas8::DrawLineInt(a, b, rgb); });
}

Status SurfaceCanvas8::DrawLineShaded(const ScreenVertex* a, const ScreenVertex* b) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas8::DrawLineShaded(a, b); });
}

Status SurfaceCanvas8::DrawLineShadedInt(const ViewVertex* a, const ViewVertex* b) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas8::DrawLineShadedInt(a, b); });
}

Status SurfaceCanvas8::DrawLineClipped(const ScreenVertex* a, const ScreenVertex* b, const uint8_t* rgb,
                                       const CanvasRect* clip) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas8::DrawLineClipped(a, b, rgb, clip); });
}

Status SurfaceCanvas8::DrawLineClippedInt(const ViewVertex* a, const ViewVertex* b, const uint8_t* rgb,
                                          const CanvasRect* clip) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas8::DrawLineClippedInt(a, b, rgb, clip); });
}

Status SurfaceCanvas8::DrawLineShadedClipped(const ScreenVertex* a, const ScreenVertex* b, const CanvasRect* clip) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas8::DrawLineShadedClipped(a, b, clip); });
}

Status SurfaceCanvas8::DrawLineShadedClippedInt(const ViewVertex* a, const ViewVertex* b, const CanvasRect* clip) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas8::DrawLineShadedClippedInt(a, b, clip); });
}

Status SurfaceCanvas8::FillPolygonFlat(int32_t count, const ScreenVertex* v) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas8::FillPolygonFlat(count, v); });
}

Status SurfaceCanvas8::FillPolygonFlatInt(int32_t count, const ViewVertex* v) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas8::FillPolygonFlatInt(count, v); });
}

Status SurfaceCanvas8::FillPolygonShaded(int32_t count, const ScreenVertex* v) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas8::FillPolygonShaded(count, v); });
}

Status SurfaceCanvas8::FillPolygonShadedInt(int32_t count, const ViewVertex* v) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas8::FillPolygonShadedInt(count, v); });
}

Status SurfaceCanvas8::FillPolygonShadedAlt(int32_t count, const ScreenVertex* v) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas8::FillPolygonShadedAlt(count, v); });
}

Status SurfaceCanvas8::FillPolygonShadedAltInt(int32_t count, const ViewVertex* v) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas8::FillPolygonShadedAltInt(count, v); });
}

Status SurfaceCanvas8::FillPolygonTextured(int32_t count, const ScreenVertex* v, PixelImage* image) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas8::FillPolygonTextured(count, v, image); });
}

Status SurfaceCanvas8::FillPolygonTexturedInt(int32_t count, const ViewVertex* v, PixelImage* image) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas8::FillPolygonTexturedInt(count, v, image); });
}

Status SurfaceCanvas8::FillPolygonTexturedPersp(int32_t count, const ScreenVertex* v, PixelImage* image) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas8::FillPolygonTexturedPersp(count, v, image); });
}

Status SurfaceCanvas8::FillPolygonTexturedPerspInt(int32_t count, const ViewVertex* v, PixelImage* image) {
    return WithSurfaceLocked<Status>(*this, [&] {
        return SoftCanvas8::FillPolygonTexturedPerspInt(count, v, image);
    });
}

Status SurfaceCanvas8::FillPolygonTexturedShaded(int32_t count, const ScreenVertex* v, PixelImage* image) {
    return WithSurfaceLocked<Status>(*this, [&] {
        return SoftCanvas8::FillPolygonTexturedShaded(count, v, image);
    });
}

Status SurfaceCanvas8::FillPolygonTexturedShadedInt(int32_t count, const ViewVertex* v, PixelImage* image) {
    return WithSurfaceLocked<Status>(*this, [&] {
        return SoftCanvas8::FillPolygonTexturedShadedInt(count, v, image);
    });
}

Status SurfaceCanvas8::FillPolygonTexturedShadedPersp(int32_t count, const ScreenVertex* v, PixelImage* image) {
    return WithSurfaceLocked<Status>(*this, [&] {
        return SoftCanvas8::FillPolygonTexturedShadedPersp(count, v, image);
    });
}

Status SurfaceCanvas8::FillPolygonTexturedShadedPerspInt(int32_t count, const ViewVertex* v, PixelImage* image) {
    return WithSurfaceLocked<Status>(*this, [&] {
        return SoftCanvas8::FillPolygonTexturedShadedPerspInt(count, v, image);
    });
}

Status SurfaceCanvas8::FillPolygonRgb(int32_t count, const ScreenVertex* v) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas8::FillPolygonRgb(count, v); });
}

Status SurfaceCanvas8::FillPolygonRgbInt(int32_t count, const ViewVertex* v) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas8::FillPolygonRgbInt(count, v); });
}

Status SurfaceCanvas8::FillPolygonFlatAlpha(int32_t count, const ScreenVertex* v, uint32_t alpha) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas8::FillPolygonFlatAlpha(count, v, alpha); });
}

Status SurfaceCanvas8::FillPolygonFlatAlphaInt(int32_t count, const ViewVertex* v, uint32_t alpha) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas8::FillPolygonFlatAlphaInt(count, v, alpha); });
}

Status SurfaceCanvas8::FillPolygonShadedAlpha(int32_t count, const ScreenVertex* v, uint32_t alpha) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas8::FillPolygonShadedAlpha(count, v, alpha); });
}

Status SurfaceCanvas8::FillPolygonShadedAlphaInt(int32_t count, const ViewVertex* v, uint32_t alpha) {
    return WithSurfaceLocked<Status>(*this, [&] {
        return SoftCanvas8::FillPolygonShadedAlphaInt(count, v, alpha);
    });
}

Status SurfaceCanvas8::FillPolygonShadedAltAlpha(int32_t count, const ScreenVertex* v, uint32_t alpha) {
    return WithSurfaceLocked<Status>(*this, [&] {
        return SoftCanvas8::FillPolygonShadedAltAlpha(count, v, alpha);
    });
}

Status SurfaceCanvas8::FillPolygonShadedAltAlphaInt(int32_t count, const ViewVertex* v, uint32_t alpha) {
    return WithSurfaceLocked<Status>(*this, [&] {
        return SoftCanvas8::FillPolygonShadedAltAlphaInt(count, v, alpha);
    });
}

Status SurfaceCanvas8::FillPolygonTexturedAlpha(int32_t count, const ScreenVertex* v, PixelImage* image,
                                                uint32_t alpha) {
    return WithSurfaceLocked<Status>(*this, [&] {
        return SoftCanvas8::FillPolygonTexturedAlpha(count, v, image, alpha);
    });
}

Status SurfaceCanvas8::FillPolygonTexturedAlphaInt(int32_t count, const ViewVertex* v, PixelImage* image,
                                                   uint32_t alpha) {
    return WithSurfaceLocked<Status>(*this, [&] {
        return SoftCanvas8::FillPolygonTexturedAlphaInt(count, v, image, alpha);
    });
}

Status SurfaceCanvas8::FillPolygonTexturedPerspAlpha(int32_t count, const ScreenVertex* v, PixelImage* image,
                                                     uint32_t alpha) {
    return WithSurfaceLocked<Status>(*this, [&] {
        return SoftCanvas8::FillPolygonTexturedPerspAlpha(count, v, image, alpha);
    });
}

Status SurfaceCanvas8::FillPolygonTexturedPerspAlphaInt(int32_t count, const ViewVertex* v, PixelImage* image,
                                                        uint32_t alpha) {
    return WithSurfaceLocked<Status>(*this, [&] {
        return SoftCanvas8::FillPolygonTexturedPerspAlphaInt(count, v, image, alpha);
    });
}

Status SurfaceCanvas8::FillPolygonTexturedShadedAlpha(int32_t count, const ScreenVertex* v, PixelImage* image,
                                                      uint32_t alpha) {
    return WithSurfaceLocked<Status>(*this, [&] {
        return SoftCanvas8::FillPolygonTexturedShadedAlpha(count, v, image, alpha);
    });
}

Status SurfaceCanvas8::FillPolygonTexturedShadedAlphaInt(int32_t count, const ViewVertex* v, PixelImage* image,
                                                         uint32_t alpha) {
    return WithSurfaceLocked<Status>(*this, [&] {
        return SoftCanvas8::FillPolygonTexturedShadedAlphaInt(count, v, image, alpha);
    });
}

Status SurfaceCanvas8::FillPolygonTexturedShadedPerspAlpha(int32_t count, const ScreenVertex* v, PixelImage* image,
                                                           uint32_t alpha) {
    return WithSurfaceLocked<Status>(*this, [&] {
        return SoftCanvas8::FillPolygonTexturedShadedPerspAlpha(count, v, image, alpha);
    });
}

Status SurfaceCanvas8::FillPolygonTexturedShadedPerspAlphaInt(int32_t count, const ViewVertex* v, PixelImage* image,
                                                              uint32_t alpha) {
    return WithSurfaceLocked<Status>(*this, [&] {
        return SoftCanvas8::FillPolygonTexturedShadedPerspAlphaInt(count, v, image, alpha);
    });
}

Status SurfaceCanvas8::ApplyFog() {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas8::ApplyFog(); });
}
