#pragma once
#include <cstdint>

#include "canvas/SoftCanvas16.h"
#include "canvas/SoftCanvas8.h"
#include "canvas/SurfaceBinding.h"

// What the 8-bit and 16-bit surface canvases share over their software base:
// the surface's memory is addressable only while locked, so every drawing
// operation is the base's, run with the surface locked around it (locked for
// the call and unlocked after it unless the caller held a lock already).
// Rectangle fills and the colour part of Clear go by colour-fill blits
// instead, which need the surface unlocked; the kinds supply the fills'
// colour decoding and their own Lock.
template <class SoftBase>
class SurfaceLockedCanvas : public SoftBase {
public:
    // Gives back a lock it still holds, then frees its depth buffer (only
    // when its own), row tables and span buffers; never the surface's memory.
    ~SurfaceLockedCanvas() override;

    // The colour buffer is the surface's: kStatusNothingToDo, nothing changes.
    Status Setup(const CanvasRect* rect, Palette* palette, uint32_t flags) override;

    // Clears pixels and gives the surface back when this canvas holds it;
    // returns the shared lock word it found.
    int32_t Unlock() override;

    // The colour by colour-fill blit (unless kFlagClearDepthOnly), then with
    // the depth test on the memory depth buffer as the base does.
    Status Clear(uint32_t colour, uint32_t depthValue) override;
    // Cut to the clip, then the kind's own colour-fill FillRect/FillRectRgb.
    Status FillRectRgbClipped(const CanvasRect* rect, const uint8_t* rgb, const CanvasRect* clip) override;
    Status FillRectClipped(const CanvasRect* rect, uint32_t colour, const CanvasRect* clip) override;

    // Not drawn on a surface: kStatusNothingToDo.
    Status DrawLineShadedAlt(const ScreenVertex* a, const ScreenVertex* b) override;
    Status DrawLineShadedAltInt(const ViewVertex* a, const ViewVertex* b) override;
    Status DrawLineShadedAltClipped(const ScreenVertex* a, const ScreenVertex* b, const CanvasRect* clip) override;
    Status DrawLineShadedAltClippedInt(const ViewVertex* a, const ViewVertex* b, const CanvasRect* clip) override;

    // The base's operations with the surface locked around them;
    // kStatusPlatformFailed, nothing drawn, when it cannot be locked.
    Status CopyToImage(Bitmap* image) override;
    Status PlotPixel(const ScreenVertex* v, const uint8_t* rgb) override;
    Status PlotPixelInt(const ViewVertex* v, const uint8_t* rgb) override;
    Status PlotPixelClipped(const ScreenVertex* v, const uint8_t* rgb, const CanvasRect* clip) override;
    Status PlotPixelClippedInt(const ViewVertex* v, const uint8_t* rgb, const CanvasRect* clip) override;
    int32_t ReadPixel(int32_t x, int32_t y, ViewVertex* out) override;
    int32_t ReadPixelAt(const ViewVertex* at, ViewVertex* out) override;
    Status BlitImage(const CanvasRect* rect, PixelImage* image, uint32_t mode) override;
    Status DrawMonoImage(const CanvasRect* rect, PixelImage* image, uint32_t fg, uint32_t bg) override;
    Status DrawMonoImageRaw(const CanvasRect* rect, MonoMaskRecord* mask, uint32_t setValue,
                            uint32_t clearValue) override;
    Status DrawLine(const ScreenVertex* a, const ScreenVertex* b, const uint8_t* rgb) override;
    Status DrawLineInt(const ViewVertex* a, const ViewVertex* b, const uint8_t* rgb) override;
    Status DrawLineShaded(const ScreenVertex* a, const ScreenVertex* b) override;
    Status DrawLineShadedInt(const ViewVertex* a, const ViewVertex* b) override;
    Status DrawLineClipped(const ScreenVertex* a, const ScreenVertex* b, const uint8_t* rgb,
                           const CanvasRect* clip) override;
    Status DrawLineClippedInt(const ViewVertex* a, const ViewVertex* b, const uint8_t* rgb,
                              const CanvasRect* clip) override;
    Status DrawLineShadedClipped(const ScreenVertex* a, const ScreenVertex* b, const CanvasRect* clip) override;
    Status DrawLineShadedClippedInt(const ViewVertex* a, const ViewVertex* b, const CanvasRect* clip) override;
    Status FillPolygonFlat(int32_t count, const ScreenVertex* v) override;
    Status FillPolygonFlatInt(int32_t count, const ViewVertex* v) override;
    Status FillPolygonShaded(int32_t count, const ScreenVertex* v) override;
    Status FillPolygonShadedInt(int32_t count, const ViewVertex* v) override;
    Status FillPolygonShadedAlt(int32_t count, const ScreenVertex* v) override;
    Status FillPolygonShadedAltInt(int32_t count, const ViewVertex* v) override;
    Status FillPolygonTextured(int32_t count, const ScreenVertex* v, PixelImage* image) override;
    Status FillPolygonTexturedInt(int32_t count, const ViewVertex* v, PixelImage* image) override;
    Status FillPolygonTexturedPersp(int32_t count, const ScreenVertex* v, PixelImage* image) override;
    Status FillPolygonTexturedPerspInt(int32_t count, const ViewVertex* v, PixelImage* image) override;
    Status FillPolygonTexturedShaded(int32_t count, const ScreenVertex* v, PixelImage* image) override;
    Status FillPolygonTexturedShadedInt(int32_t count, const ViewVertex* v, PixelImage* image) override;
    Status FillPolygonTexturedShadedPersp(int32_t count, const ScreenVertex* v, PixelImage* image) override;
    Status FillPolygonTexturedShadedPerspInt(int32_t count, const ViewVertex* v, PixelImage* image) override;
    Status FillPolygonRgb(int32_t count, const ScreenVertex* v) override;
    Status FillPolygonRgbInt(int32_t count, const ViewVertex* v) override;
    Status FillPolygonFlatAlpha(int32_t count, const ScreenVertex* v, uint32_t alpha) override;
    Status FillPolygonFlatAlphaInt(int32_t count, const ViewVertex* v, uint32_t alpha) override;
    Status FillPolygonShadedAlpha(int32_t count, const ScreenVertex* v, uint32_t alpha) override;
    Status FillPolygonShadedAlphaInt(int32_t count, const ViewVertex* v, uint32_t alpha) override;
    Status FillPolygonShadedAltAlpha(int32_t count, const ScreenVertex* v, uint32_t alpha) override;
    Status FillPolygonShadedAltAlphaInt(int32_t count, const ViewVertex* v, uint32_t alpha) override;
    Status FillPolygonTexturedAlpha(int32_t count, const ScreenVertex* v, PixelImage* image,
                                    uint32_t alpha) override;
    Status FillPolygonTexturedAlphaInt(int32_t count, const ViewVertex* v, PixelImage* image,
                                       uint32_t alpha) override;
    Status FillPolygonTexturedPerspAlpha(int32_t count, const ScreenVertex* v, PixelImage* image,
                                         uint32_t alpha) override;
    Status FillPolygonTexturedPerspAlphaInt(int32_t count, const ViewVertex* v, PixelImage* image,
                                            uint32_t alpha) override;
    Status FillPolygonTexturedShadedAlpha(int32_t count, const ScreenVertex* v, PixelImage* image,
                                          uint32_t alpha) override;
    Status FillPolygonTexturedShadedAlphaInt(int32_t count, const ViewVertex* v, PixelImage* image,
                                             uint32_t alpha) override;
    Status FillPolygonTexturedShadedPerspAlpha(int32_t count, const ScreenVertex* v, PixelImage* image,
                                               uint32_t alpha) override;
    Status FillPolygonTexturedShadedPerspAlphaInt(int32_t count, const ViewVertex* v, PixelImage* image,
                                                  uint32_t alpha) override;
    Status ApplyFog() override;

    SurfaceBinding surface;
};

// Both kinds are made once, in SurfaceLockedCanvas.cpp.
extern template class SurfaceLockedCanvas<SoftCanvas8>;
extern template class SurfaceLockedCanvas<SoftCanvas16>;
