#pragma once
#include <cstdint>

#include "display/canvas/SoftCanvas8.h"
#include "display/canvas/SurfaceBinding.h"

struct FrameSurfaces;

// The 8-bit software canvas over the DirectDraw driver's drawing surface,
// whose memory is addressable only while locked. Every drawing operation is
// the base's, run with the surface locked: locked for the call and unlocked
// after it unless the caller held a lock already. Rectangle fills and the
// colour part of Clear are colour-fill blits instead, which need the surface
// unlocked. The depth buffer is ordinary memory, the caller's or one the
// canvas makes and owns; the surface and the driver's record are the
// driver's.
//
// The canvas must be deleted before the driver frees its FrameSurfaces.
class SurfaceCanvas8 : public SoftCanvas8 {
public:
    // A canvas over the whole drawing surface of the record. flags | 0x1;
    // with kFlagHasDepth the given depth buffer (one u16 per pixel, the
    // caller's) or, when null, one of its own, and the depth test on;
    // without it depth is not used. Cleared to index 0 and the farthest depth
    // unless kFlagNoClear. setupResult: kStatusPlatformFailed when the
    // surface cannot be locked, kStatusWrongSurface when its pixels are not
    // 8 bits (the canvas is then unusable), kStatusOutOfMemory when a table
    // or buffer cannot be had.
    SurfaceCanvas8(FrameSurfaces* surfaces, uint16_t* depth, Palette* palette, uint32_t flags);
    // A canvas over area of the surface only (kStatusWrongSurface unless it
    // lies wholly on it); fills are moved by its corner.
    SurfaceCanvas8(FrameSurfaces* surfaces, const CanvasRect* area, uint16_t* depth, Palette* palette,
                   uint32_t flags);
    // Gives back a lock it still holds, then frees its depth buffer (only
    // when its own), row tables and span buffers; never the surface's memory.
    ~SurfaceCanvas8() override;

    // The colour buffer is the surface's: kStatusNothingToDo, nothing changes.
    Status Setup(const CanvasRect* rect, Palette* palette, uint32_t flags) override;

    // 0 when the surface was locked now, 1 when it was locked already, -1
    // when it cannot be: after kSurfaceLockAttempts8 failed locks, a lost
    // surface that cannot be restored, a surface another canvas holds, or an
    // unusable canvas. Every lock may move the memory; the rows follow a
    // new pitch.
    int32_t Lock() override;
    // Clears pixels and gives the surface back when this canvas holds it;
    // returns the shared lock word it found.
    int32_t Unlock() override;

    // The colour by colour-fill blit (unless kFlagClearDepthOnly), then with
    // the depth test on the memory depth buffer as the base does.
    Status Clear(uint32_t colour, uint32_t depthValue) override;
    // Colour-fill blits of a palette index (the colour word's low byte, or
    // the palette's closest match to rgb, null being black), cut to the
    // canvas; a locked canvas is unlocked for the blit and locked again.
    Status FillRectRgb(const CanvasRect* rect, const uint8_t* rgb) override;
    Status FillRect(const CanvasRect* rect, uint32_t colour) override;
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

private:
    Status SetupSurface(FrameSurfaces* surfaces, const CanvasRect* area, uint16_t* givenDepth, Palette* palette,
                        uint32_t flags);
};
