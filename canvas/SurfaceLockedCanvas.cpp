#include "canvas/SurfaceLockedCanvas.h"

template <class SoftBase>
SurfaceLockedCanvas<SoftBase>::~SurfaceLockedCanvas() {
    // A surface left locked could be neither shown nor drawn into again.
    if (this->locked != 0) Unlock();
    this->pixels = nullptr;
    SurfaceBinding::Release(*this);
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::Setup(const CanvasRect*, Palette*, uint32_t) {
    return kStatusNothingToDo;
}

template <class SoftBase>
int32_t SurfaceLockedCanvas<SoftBase>::Unlock() {
    return surface.Unlock(*this);
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::Clear(uint32_t colour, uint32_t depthValue) {
    return Canvas::Clear(colour, depthValue);
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::FillRectRgbClipped(const CanvasRect* rect, const uint8_t* rgb,
                                                         const CanvasRect* clip) {
    return Canvas::FillRectRgbClipped(rect, rgb, clip);
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::FillRectClipped(const CanvasRect* rect, uint32_t colour, const CanvasRect* clip) {
    return Canvas::FillRectClipped(rect, colour, clip);
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::DrawLineShadedAlt(const ScreenVertex*, const ScreenVertex*) {
    return this->IsUsable() ? kStatusNothingToDo : kStatusPlatformFailed;
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::DrawLineShadedAltInt(const ViewVertex*, const ViewVertex*) {
    return this->IsUsable() ? kStatusNothingToDo : kStatusPlatformFailed;
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::DrawLineShadedAltClipped(const ScreenVertex*, const ScreenVertex*,
                                                               const CanvasRect*) {
    return this->IsUsable() ? kStatusNothingToDo : kStatusPlatformFailed;
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::DrawLineShadedAltClippedInt(const ViewVertex*, const ViewVertex*,
                                                                  const CanvasRect*) {
    return this->IsUsable() ? kStatusNothingToDo : kStatusPlatformFailed;
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::CopyToImage(Bitmap* image) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftBase::CopyToImage(image); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::PlotPixel(const ScreenVertex* v, const uint8_t* rgb) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftBase::PlotPixel(v, rgb); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::PlotPixelInt(const ViewVertex* v, const uint8_t* rgb) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftBase::PlotPixelInt(v, rgb); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::PlotPixelClipped(const ScreenVertex* v, const uint8_t* rgb,
                                                       const CanvasRect* clip) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftBase::PlotPixelClipped(v, rgb, clip); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::PlotPixelClippedInt(const ViewVertex* v, const uint8_t* rgb,
                                                          const CanvasRect* clip) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftBase::PlotPixelClippedInt(v, rgb, clip); });
}

template <class SoftBase>
int32_t SurfaceLockedCanvas<SoftBase>::ReadPixel(int32_t x, int32_t y, ViewVertex* out) {
    return WithSurfaceLocked<int32_t>(*this, [&] { return SoftBase::ReadPixel(x, y, out); });
}

template <class SoftBase>
int32_t SurfaceLockedCanvas<SoftBase>::ReadPixelAt(const ViewVertex* at, ViewVertex* out) {
    return WithSurfaceLocked<int32_t>(*this, [&] { return SoftBase::ReadPixelAt(at, out); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::BlitImage(const CanvasRect* rect, PixelImage* image, uint32_t mode) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftBase::BlitImage(rect, image, mode); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::DrawMonoImage(const CanvasRect* rect, PixelImage* image, uint32_t fg,
                                                    uint32_t bg) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftBase::DrawMonoImage(rect, image, fg, bg); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::DrawMonoImageRaw(const CanvasRect* rect, MonoMaskRecord* mask, uint32_t setValue,
                                                       uint32_t clearValue) {
    return WithSurfaceLocked<Status>(*this,
                                     [&] { return SoftBase::DrawMonoImageRaw(rect, mask, setValue, clearValue); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::DrawLine(const ScreenVertex* a, const ScreenVertex* b, const uint8_t* rgb) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftBase::DrawLine(a, b, rgb); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::DrawLineInt(const ViewVertex* a, const ViewVertex* b, const uint8_t* rgb) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftBase::DrawLineInt(a, b, rgb); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::DrawLineShaded(const ScreenVertex* a, const ScreenVertex* b) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftBase::DrawLineShaded(a, b); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::DrawLineShadedInt(const ViewVertex* a, const ViewVertex* b) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftBase::DrawLineShadedInt(a, b); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::DrawLineClipped(const ScreenVertex* a, const ScreenVertex* b, const uint8_t* rgb,
                                                      const CanvasRect* clip) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftBase::DrawLineClipped(a, b, rgb, clip); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::DrawLineClippedInt(const ViewVertex* a, const ViewVertex* b, const uint8_t* rgb,
                                                         const CanvasRect* clip) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftBase::DrawLineClippedInt(a, b, rgb, clip); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::DrawLineShadedClipped(const ScreenVertex* a, const ScreenVertex* b,
                                                            const CanvasRect* clip) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftBase::DrawLineShadedClipped(a, b, clip); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::DrawLineShadedClippedInt(const ViewVertex* a, const ViewVertex* b,
                                                               const CanvasRect* clip) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftBase::DrawLineShadedClippedInt(a, b, clip); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::FillPolygonFlat(int32_t count, const ScreenVertex* v) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftBase::FillPolygonFlat(count, v); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::FillPolygonFlatInt(int32_t count, const ViewVertex* v) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftBase::FillPolygonFlatInt(count, v); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::FillPolygonShaded(int32_t count, const ScreenVertex* v) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftBase::FillPolygonShaded(count, v); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::FillPolygonShadedInt(int32_t count, const ViewVertex* v) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftBase::FillPolygonShadedInt(count, v); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::FillPolygonShadedAlt(int32_t count, const ScreenVertex* v) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftBase::FillPolygonShadedAlt(count, v); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::FillPolygonShadedAltInt(int32_t count, const ViewVertex* v) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftBase::FillPolygonShadedAltInt(count, v); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::FillPolygonTextured(int32_t count, const ScreenVertex* v, PixelImage* image) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftBase::FillPolygonTextured(count, v, image); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::FillPolygonTexturedInt(int32_t count, const ViewVertex* v, PixelImage* image) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftBase::FillPolygonTexturedInt(count, v, image); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::FillPolygonTexturedPersp(int32_t count, const ScreenVertex* v,
                                                               PixelImage* image) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftBase::FillPolygonTexturedPersp(count, v, image); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::FillPolygonTexturedPerspInt(int32_t count, const ViewVertex* v,
                                                                  PixelImage* image) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftBase::FillPolygonTexturedPerspInt(count, v, image); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::FillPolygonTexturedShaded(int32_t count, const ScreenVertex* v,
                                                                PixelImage* image) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftBase::FillPolygonTexturedShaded(count, v, image); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::FillPolygonTexturedShadedInt(int32_t count, const ViewVertex* v,
                                                                   PixelImage* image) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftBase::FillPolygonTexturedShadedInt(count, v, image); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::FillPolygonTexturedShadedPersp(int32_t count, const ScreenVertex* v,
                                                                     PixelImage* image) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftBase::FillPolygonTexturedShadedPersp(count, v, image); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::FillPolygonTexturedShadedPerspInt(int32_t count, const ViewVertex* v,
                                                                        PixelImage* image) {
    return WithSurfaceLocked<Status>(*this,
                                     [&] { return SoftBase::FillPolygonTexturedShadedPerspInt(count, v, image); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::FillPolygonRgb(int32_t count, const ScreenVertex* v) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftBase::FillPolygonRgb(count, v); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::FillPolygonRgbInt(int32_t count, const ViewVertex* v) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftBase::FillPolygonRgbInt(count, v); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::FillPolygonFlatAlpha(int32_t count, const ScreenVertex* v, uint32_t alpha) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftBase::FillPolygonFlatAlpha(count, v, alpha); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::FillPolygonFlatAlphaInt(int32_t count, const ViewVertex* v, uint32_t alpha) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftBase::FillPolygonFlatAlphaInt(count, v, alpha); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::FillPolygonShadedAlpha(int32_t count, const ScreenVertex* v, uint32_t alpha) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftBase::FillPolygonShadedAlpha(count, v, alpha); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::FillPolygonShadedAlphaInt(int32_t count, const ViewVertex* v, uint32_t alpha) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftBase::FillPolygonShadedAlphaInt(count, v, alpha); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::FillPolygonShadedAltAlpha(int32_t count, const ScreenVertex* v, uint32_t alpha) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftBase::FillPolygonShadedAltAlpha(count, v, alpha); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::FillPolygonShadedAltAlphaInt(int32_t count, const ViewVertex* v, uint32_t alpha) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftBase::FillPolygonShadedAltAlphaInt(count, v, alpha); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::FillPolygonTexturedAlpha(int32_t count, const ScreenVertex* v, PixelImage* image,
                                                               uint32_t alpha) {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftBase::FillPolygonTexturedAlpha(count, v, image, alpha); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::FillPolygonTexturedAlphaInt(int32_t count, const ViewVertex* v, PixelImage* image,
                                                                  uint32_t alpha) {
    return WithSurfaceLocked<Status>(*this,
                                     [&] { return SoftBase::FillPolygonTexturedAlphaInt(count, v, image, alpha); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::FillPolygonTexturedPerspAlpha(int32_t count, const ScreenVertex* v,
                                                                    PixelImage* image, uint32_t alpha) {
    return WithSurfaceLocked<Status>(*this,
                                     [&] { return SoftBase::FillPolygonTexturedPerspAlpha(count, v, image, alpha); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::FillPolygonTexturedPerspAlphaInt(int32_t count, const ViewVertex* v,
                                                                       PixelImage* image, uint32_t alpha) {
    return WithSurfaceLocked<Status>(
        *this, [&] { return SoftBase::FillPolygonTexturedPerspAlphaInt(count, v, image, alpha); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::FillPolygonTexturedShadedAlpha(int32_t count, const ScreenVertex* v,
                                                                     PixelImage* image, uint32_t alpha) {
    return WithSurfaceLocked<Status>(*this,
                                     [&] { return SoftBase::FillPolygonTexturedShadedAlpha(count, v, image, alpha); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::FillPolygonTexturedShadedAlphaInt(int32_t count, const ViewVertex* v,
                                                                        PixelImage* image, uint32_t alpha) {
    return WithSurfaceLocked<Status>(
        *this, [&] { return SoftBase::FillPolygonTexturedShadedAlphaInt(count, v, image, alpha); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::FillPolygonTexturedShadedPerspAlpha(int32_t count, const ScreenVertex* v,
                                                                          PixelImage* image, uint32_t alpha) {
    return WithSurfaceLocked<Status>(
        *this, [&] { return SoftBase::FillPolygonTexturedShadedPerspAlpha(count, v, image, alpha); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::FillPolygonTexturedShadedPerspAlphaInt(int32_t count, const ViewVertex* v,
                                                                             PixelImage* image, uint32_t alpha) {
    return WithSurfaceLocked<Status>(
        *this, [&] { return SoftBase::FillPolygonTexturedShadedPerspAlphaInt(count, v, image, alpha); });
}

template <class SoftBase>
Status SurfaceLockedCanvas<SoftBase>::ApplyFog() {
    return WithSurfaceLocked<Status>(*this, [&] { return SoftBase::ApplyFog(); });
}

template class SurfaceLockedCanvas<SoftCanvas8>;
template class SurfaceLockedCanvas<SoftCanvas16>;
