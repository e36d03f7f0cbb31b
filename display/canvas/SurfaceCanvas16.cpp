#include "display/canvas/SurfaceCanvas16.h"

#include "display/Palette.h"

namespace {

constexpr int32_t kBitsPerPixel = 16;

}  // namespace

SurfaceCanvas16::SurfaceCanvas16(FrameSurfaces* surfaces, uint32_t, Palette* canvasPalette, uint32_t canvasFlags) {
    setupResult = SetupSurface(surfaces, nullptr, canvasPalette, canvasFlags);
}

SurfaceCanvas16::SurfaceCanvas16(FrameSurfaces* surfaces, const CanvasRect* area, uint32_t, Palette* canvasPalette,
                                 uint32_t canvasFlags) {
    // Without a rectangle there is no part of the surface to cover.
    setupResult = area != nullptr ? SetupSurface(surfaces, area, canvasPalette, canvasFlags) : kStatusWrongSurface;
}

SurfaceCanvas16::~SurfaceCanvas16() {
    // A surface left locked could be neither shown nor drawn into again.
    if (locked != 0) Unlock();
    pixels = nullptr;
    SurfaceBinding::Release(*this);
}

Status SurfaceCanvas16::SetupSurface(FrameSurfaces* surfaces, const CanvasRect* area, Palette* canvasPalette,
                                     uint32_t canvasFlags) {
    flags = canvasFlags | kFlagSetUp | kFlag16Bit;
    const Status status = surface.SetUp(*this, surfaces, area, nullptr, canvasPalette, kBitsPerPixel);
    if (status != kStatusOk) return status;
    subdivideLength = float(double(width) * 7.0 * 0.01);
    subdivideLongLength = 4.0f * subdivideLength;
    return kStatusOk;
}

Status SurfaceCanvas16::Setup(const CanvasRect*, Palette*, uint32_t) { return kStatusNothingToDo; }

int32_t SurfaceCanvas16::Lock() { return surface.Lock(*this, kSurfaceLockAttempts16, true); }

int32_t SurfaceCanvas16::Unlock() { return surface.Unlock(*this); }

Status SurfaceCanvas16::Clear(uint32_t colour, uint32_t depthValue) { return Canvas::Clear(colour, depthValue); }

Status SurfaceCanvas16::FillRectRgb(const CanvasRect* rect, const uint8_t* rgb) {
    return surface.ColorFill(*this, *rect, PackRgb(rgb));
}

Status SurfaceCanvas16::FillRect(const CanvasRect* rect, uint32_t colour) {
    if ((colour & (kColorRaw555 | kColorRaw565)) != 0) return surface.ColorFill(*this, *rect, colour & 0xFFFF);
    // Any other word names one of the palette's 256 colours.
    const uint32_t c = palette != nullptr ? palette->GetColor(colour & 0xFF) : 0;
    const uint8_t rgb[3] = {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)};
    return FillRectRgb(rect, rgb);
}

Status SurfaceCanvas16::FillRectRgbClipped(const CanvasRect* rect, const uint8_t* rgb, const CanvasRect* clip) {
    return Canvas::FillRectRgbClipped(rect, rgb, clip);
}

Status SurfaceCanvas16::FillRectClipped(const CanvasRect* rect, uint32_t colour, const CanvasRect* clip) {
    return Canvas::FillRectClipped(rect, colour, clip);
}

Status SurfaceCanvas16::DrawLineShadedAlt(const ScreenVertex*, const ScreenVertex*) {
    return IsUsable() ? kStatusNothingToDo : kStatusPlatformFailed;
}

Status SurfaceCanvas16::DrawLineShadedAltInt(const ViewVertex*, const ViewVertex*) {
    return IsUsable() ? kStatusNothingToDo : kStatusPlatformFailed;
}

Status SurfaceCanvas16::DrawLineShadedAltClipped(const ScreenVertex*, const ScreenVertex*, const CanvasRect*) {
    return IsUsable() ? kStatusNothingToDo : kStatusPlatformFailed;
}

Status SurfaceCanvas16::DrawLineShadedAltClippedInt(const ViewVertex*, const ViewVertex*, const CanvasRect*) {
    return IsUsable() ? kStatusNothingToDo : kStatusPlatformFailed;
}

Status SurfaceCanvas16::CopyToImage(Bitmap* image) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas16::CopyToImage(image); });
}

Status SurfaceCanvas16::PlotPixel(const ScreenVertex* v, const uint8_t* rgb) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas16::PlotPixel(v, rgb); });
}

Status SurfaceCanvas16::PlotPixelInt(const ViewVertex* v, const uint8_t* rgb) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas16::PlotPixelInt(v, rgb); });
}

Status SurfaceCanvas16::PlotPixelClipped(const ScreenVertex* v, const uint8_t* rgb, const CanvasRect* clip) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas16::PlotPixelClipped(v, rgb, clip); });
}

Status SurfaceCanvas16::PlotPixelClippedInt(const ViewVertex* v, const uint8_t* rgb, const CanvasRect* clip) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas16::PlotPixelClippedInt(v, rgb, clip); });
}

int32_t SurfaceCanvas16::ReadPixel(int32_t x, int32_t y, ViewVertex* out) {
    return WithSurfaceLocked<int32_t>(*this, [&] { return SoftCanvas16::ReadPixel(x, y, out); });
}

int32_t SurfaceCanvas16::ReadPixelAt(const ViewVertex* at, ViewVertex* out) {
    return WithSurfaceLocked<int32_t>(*this, [&] { return SoftCanvas16::ReadPixelAt(at, out); });
}

Status SurfaceCanvas16::BlitImage(const CanvasRect* rect, PixelImage* image, uint32_t mode) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas16::BlitImage(rect, image, mode); });
}

Status SurfaceCanvas16::DrawMonoImage(const CanvasRect* rect, PixelImage* image, uint32_t fg, uint32_t bg) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas16::DrawMonoImage(rect, image, fg, bg); });
}

Status SurfaceCanvas16::DrawMonoImageRaw(const CanvasRect* rect, MonoMaskRecord* mask, uint32_t setValue,
                                         uint32_t clearValue) {
    return WithSurfaceLocked<Status>(*this, [&] {
        return SoftCanvas16::DrawMonoImageRaw(rect, mask, setValue, clearValue);
    });
}

Status SurfaceCanvas16::DrawLine(const ScreenVertex* a, const ScreenVertex* b, const uint8_t* rgb) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas16::DrawLine(a, b, rgb); });
}

Status SurfaceCanvas16::DrawLineInt(const ViewVertex* a, const ViewVertex* b, const uint8_t* rgb) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas16::DrawLineInt(a, b, rgb); });
}

Status SurfaceCanvas16::DrawLineShaded(const ScreenVertex* a, const ScreenVertex* b) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas16::DrawLineShaded(a, b); });
}

Status SurfaceCanvas16::DrawLineShadedInt(const ViewVertex* a, const ViewVertex* b) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas16::DrawLineShadedInt(a, b); });
}

Status SurfaceCanvas16::DrawLineClipped(const ScreenVertex* a, const ScreenVertex* b, const uint8_t* rgb,
                                        const CanvasRect* clip) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas16::DrawLineClipped(a, b, rgb, clip); });
}

Status SurfaceCanvas16::DrawLineClippedInt(const ViewVertex* a, const ViewVertex* b, const uint8_t* rgb,
                                           const CanvasRect* clip) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas16::DrawLineClippedInt(a, b, rgb, clip); });
}

Status SurfaceCanvas16::DrawLineShadedClipped(const ScreenVertex* a, const ScreenVertex* b,
                                              const CanvasRect* clip) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas16::DrawLineShadedClipped(a, b, clip); });
}

Status SurfaceCanvas16::DrawLineShadedClippedInt(const ViewVertex* a, const ViewVertex* b, const CanvasRect* clip) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas16::DrawLineShadedClippedInt(a, b, clip); });
}

Status SurfaceCanvas16::FillPolygonFlat(int32_t count, const ScreenVertex* v) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas16::FillPolygonFlat(count, v); });
}

Status SurfaceCanvas16::FillPolygonFlatInt(int32_t count, const ViewVertex* v) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas16::FillPolygonFlatInt(count, v); });
}

Status SurfaceCanvas16::FillPolygonShaded(int32_t count, const ScreenVertex* v) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas16::FillPolygonShaded(count, v); });
}

Status SurfaceCanvas16::FillPolygonShadedInt(int32_t count, const ViewVertex* v) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas16::FillPolygonShadedInt(count, v); });
}

Status SurfaceCanvas16::FillPolygonShadedAlt(int32_t count, const ScreenVertex* v) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas16::FillPolygonShadedAlt(count, v); });
}

Status SurfaceCanvas16::FillPolygonShadedAltInt(int32_t count, const ViewVertex* v) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas16::FillPolygonShadedAltInt(count, v); });
}

Status SurfaceCanvas16::FillPolygonTextured(int32_t count, const ScreenVertex* v, PixelImage* image) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas16::FillPolygonTextured(count, v, image); });
}

Status SurfaceCanvas16::FillPolygonTexturedInt(int32_t count, const ViewVertex* v, PixelImage* image) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas16::FillPolygonTexturedInt(count, v, image); });
}

Status SurfaceCanvas16::FillPolygonTexturedPersp(int32_t count, const ScreenVertex* v, PixelImage* image) {
    return WithSurfaceLocked<Status>(*this, [&] {
        return SoftCanvas16::FillPolygonTexturedPersp(count, v, image);
    });
}

Status SurfaceCanvas16::FillPolygonTexturedPerspInt(int32_t count, const ViewVertex* v, PixelImage* image) {
    return WithSurfaceLocked<Status>(*this, [&] {
        return SoftCanvas16::FillPolygonTexturedPerspInt(count, v, image);
    });
}

Status SurfaceCanvas16::FillPolygonTexturedShaded(int32_t count, const ScreenVertex* v, PixelImage* image) {
    return WithSurfaceLocked<Status>(*this, [&] {
        return SoftCanvas16::FillPolygonTexturedShaded(count, v, image);
    });
}

Status SurfaceCanvas16::FillPolygonTexturedShadedInt(int32_t count, const ViewVertex* v, PixelImage* image) {
    return WithSurfaceLocked<Status>(*this, [&] {
        return SoftCanvas16::FillPolygonTexturedShadedInt(count, v, image);
    });
}

Status SurfaceCanvas16::FillPolygonTexturedShadedPersp(int32_t count, const ScreenVertex* v, PixelImage* image) {
    return WithSurfaceLocked<Status>(*this, [&] {
        return SoftCanvas16::FillPolygonTexturedShadedPersp(count, v, image);
    });
}

Status SurfaceCanvas16::FillPolygonTexturedShadedPerspInt(int32_t count, const ViewVertex* v, PixelImage* image) {
    return WithSurfaceLocked<Status>(*this, [&] {
        return SoftCanvas16::FillPolygonTexturedShadedPerspInt(count, v, image);
    });
}

Status SurfaceCanvas16::FillPolygonRgb(int32_t count, const ScreenVertex* v) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas16::FillPolygonRgb(count, v); });
}

Status SurfaceCanvas16::FillPolygonRgbInt(int32_t count, const ViewVertex* v) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas16::FillPolygonRgbInt(count, v); });
}

Status SurfaceCanvas16::FillPolygonFlatAlpha(int32_t count, const ScreenVertex* v, uint32_t alpha) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas16::FillPolygonFlatAlpha(count, v, alpha); });
}

Status SurfaceCanvas16::FillPolygonFlatAlphaInt(int32_t count, const ViewVertex* v, uint32_t alpha) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas16::FillPolygonFlatAlphaInt(count, v, alpha); });
}

Status SurfaceCanvas16::FillPolygonShadedAlpha(int32_t count, const ScreenVertex* v, uint32_t alpha) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas16::FillPolygonShadedAlpha(count, v, alpha); });
}

Status SurfaceCanvas16::FillPolygonShadedAlphaInt(int32_t count, const ViewVertex* v, uint32_t alpha) {
    return WithSurfaceLocked<Status>(*this, [&] {
        return SoftCanvas16::FillPolygonShadedAlphaInt(count, v, alpha);
    });
}

Status SurfaceCanvas16::FillPolygonShadedAltAlpha(int32_t count, const ScreenVertex* v, uint32_t alpha) {
    return WithSurfaceLocked<Status>(*this, [&] {
        return SoftCanvas16::FillPolygonShadedAltAlpha(count, v, alpha);
    });
}

Status SurfaceCanvas16::FillPolygonShadedAltAlphaInt(int32_t count, const ViewVertex* v, uint32_t alpha) {
    return WithSurfaceLocked<Status>(*this, [&] {
        return SoftCanvas16::FillPolygonShadedAltAlphaInt(count, v, alpha);
    });
}

Status SurfaceCanvas16::FillPolygonTexturedAlpha(int32_t count, const ScreenVertex* v, PixelImage* image,
                                                 uint32_t alpha) {
    return WithSurfaceLocked<Status>(*this, [&] {
        return SoftCanvas16::FillPolygonTexturedAlpha(count, v, image, alpha);
    });
}

Status SurfaceCanvas16::FillPolygonTexturedAlphaInt(int32_t count, const ViewVertex* v, PixelImage* image,
                                                    uint32_t alpha) {
    return WithSurfaceLocked<Status>(*this, [&] {
        return SoftCanvas16::FillPolygonTexturedAlphaInt(count, v, image, alpha);
    });
}

Status SurfaceCanvas16::FillPolygonTexturedPerspAlpha(int32_t count, const ScreenVertex* v, PixelImage* image,
                                                      uint32_t alpha) {
    return WithSurfaceLocked<Status>(*this, [&] {
        return SoftCanvas16::FillPolygonTexturedPerspAlpha(count, v, image, alpha);
    });
}

Status SurfaceCanvas16::FillPolygonTexturedPerspAlphaInt(int32_t count, const ViewVertex* v, PixelImage* image,
                                                         uint32_t alpha) {
    return WithSurfaceLocked<Status>(*this, [&] {
        return SoftCanvas16::FillPolygonTexturedPerspAlphaInt(count, v, image, alpha);
    });
}

Status SurfaceCanvas16::FillPolygonTexturedShadedAlpha(int32_t count, const ScreenVertex* v, PixelImage* image,
                                                       uint32_t alpha) {
    return WithSurfaceLocked<Status>(*this, [&] {
        return SoftCanvas16::FillPolygonTexturedShadedAlpha(count, v, image, alpha);
    });
}

Status SurfaceCanvas16::FillPolygonTexturedShadedAlphaInt(int32_t count, const ViewVertex* v, PixelImage* image,
                                                          uint32_t alpha) {
    return WithSurfaceLocked<Status>(*this, [&] {
        return SoftCanvas16::FillPolygonTexturedShadedAlphaInt(count, v, image, alpha);
    });
}

Status SurfaceCanvas16::FillPolygonTexturedShadedPerspAlpha(int32_t count, const ScreenVertex* v, PixelImage* image,
                                                            uint32_t alpha) {
    return WithSurfaceLocked<Status>(*this, [&] {
        return SoftCanvas16::FillPolygonTexturedShadedPerspAlpha(count, v, image, alpha);
    });
}

Status SurfaceCanvas16::FillPolygonTexturedShadedPerspAlphaInt(int32_t count, const ViewVertex* v, PixelImage* image,
                                                               uint32_t alpha) {
    return WithSurfaceLocked<Status>(*this, [&] {
        return SoftCanvas16::FillPolygonTexturedShadedPerspAlphaInt(count, v, image, alpha);
    });
}

Status SurfaceCanvas16::ApplyFog() {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftCanvas16::ApplyFog(); });
}
