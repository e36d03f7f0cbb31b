#pragma once
#include <cstdint>

#include "raster/ByteBlits.h"
#include "display/Canvas.h"

class SoftTexture;

// The canvas whose pixels are 8-bit palette indices in ordinary memory
// rows, drawn entirely in software. Shading, fog and colour matching go
// through the canvas's palette: its shade table turns an index and an
// intensity into an index, its MatchColor turns red, green and blue into
// the closest index. Polygons go to the rasterizer's 8-bit choosers, one
// per shading mode, which pick the depth-tested triangles by themselves;
// no mode word is passed, so texture filtering has no effect here.
//
// Ownership: the colour and depth buffers are freed only when the canvas
// allocated them (kFlagOwnsPixels, kFlagOwnsDepth); the row tables, span
// buffers and fog table always belong to the canvas. The screen and surface
// kinds derive from this class and run their own set-up instead.
class SoftCanvas8 : public Canvas {
public:
    // Runs Setup; its result is kept in setupResult.
    SoftCanvas8(const CanvasRect* rect, Palette* canvasPalette, uint32_t creationFlags);
    ~SoftCanvas8() override;

    // Allocates a colour buffer of the rectangle's size and, with
    // kFlagHasDepth, a depth buffer (and turns the depth test on), the row
    // tables and the span buffers, then clears unless kFlagNoClear. Buffers
    // of an earlier set-up are given back first. kStatusOutOfMemory when a
    // block cannot be had (or the size is not positive); what the set-up
    // allocated is freed again.
    virtual Status Setup(const CanvasRect* rect, Palette* canvasPalette, uint32_t creationFlags);

    // Rectangles: the colour word's low byte; the rgb forms match the colour
    // in the palette first (null rgb: black).
    Status FillRectRgb(const CanvasRect* rect, const uint8_t* rgb) override;
    Status FillRect(const CanvasRect* rect, uint32_t colour) override;
    Status FillRectRgbClipped(const CanvasRect* rect, const uint8_t* rgb, const CanvasRect* clip) override;

    // Writes shade entry (colour x 32 + intensity / 8); with rgb, the
    // matched index at the shade table's pivot. With the depth test on, a
    // depth equal to the stored one still draws.
    Status PlotPixelInt(const ViewVertex* v, const uint8_t* rgb) override;
    // The stored index; fills out's position, colour, intensity (the shade
    // pivot) and, with the depth test on, depth (the stored u16 in the low
    // half). kStatusPlatformFailed on a canvas whose set-up failed.
    int32_t ReadPixel(int32_t x, int32_t y, ViewVertex* out) override;

    // 8-bit images only (else kStatusCannotDrawFormat). A mode with any bit
    // of its top byte leaves index 255 out; mode 0x100 stretches the image
    // over the whole rectangle, always leaving 255 out. A run-encoded image
    // (a KeyedSprite passed as the image) is drawn whole and only when it
    // lies wholly inside the canvas, else kStatusCannotDrawFormat.
    Status BlitImage(const CanvasRect* rect, PixelImage* image, uint32_t mode) override;
    // 1-bit images only. Colours are taken by their low byte as they are;
    // kMaskTransparent or kMaskTransparentIndex leaves those pixels.
    Status DrawMonoImage(const CanvasRect* rect, PixelImage* image, uint32_t fg, uint32_t bg) override;
    // Writes the mask into the depth buffer: setValue's and clearValue's
    // low 16 bits. kStatusNothingToDo without a depth buffer.
    Status DrawMonoImageRaw(const CanvasRect* rect, MonoMaskRecord* mask, uint32_t setValue,
                            uint32_t clearValue) override;

    Status DrawLineInt(const ViewVertex* a, const ViewVertex* b, const uint8_t* rgb) override;
    Status DrawLineShadedInt(const ViewVertex* a, const ViewVertex* b) override;

    // Polygons are built as fixed-point vertices straight from either
    // record, so the Int forms do not go through ScreenVertex. Textured
    // forms take the image's software texture (made on first use) and
    // return kStatusCannotDrawFormat, drawing nothing, when it cannot be
    // made or the image is not 8-bit. Every form fills the perspective
    // weight, which only the perspective forms read.
    Status FillPolygonFlat(int32_t count, const ScreenVertex* v) override;
    Status FillPolygonFlatInt(int32_t count, const ViewVertex* v) override;
    Status FillPolygonShaded(int32_t count, const ScreenVertex* v) override;
    Status FillPolygonShadedInt(int32_t count, const ViewVertex* v) override;
    Status FillPolygonTextured(int32_t count, const ScreenVertex* v, PixelImage* image) override;
    Status FillPolygonTexturedInt(int32_t count, const ViewVertex* v, PixelImage* image) override;
    Status FillPolygonTexturedPersp(int32_t count, const ScreenVertex* v, PixelImage* image) override;
    Status FillPolygonTexturedPerspInt(int32_t count, const ViewVertex* v, PixelImage* image) override;
    Status FillPolygonTexturedShaded(int32_t count, const ScreenVertex* v, PixelImage* image) override;
    Status FillPolygonTexturedShadedInt(int32_t count, const ViewVertex* v, PixelImage* image) override;
    Status FillPolygonTexturedShadedPersp(int32_t count, const ScreenVertex* v, PixelImage* image) override;
    Status FillPolygonTexturedShadedPerspInt(int32_t count, const ViewVertex* v, PixelImage* image) override;
    // Palette indices become the direct colour of their shade entry.
    Status FillPolygonRgb(int32_t count, const ScreenVertex* v) override;
    Status FillPolygonRgbInt(int32_t count, const ViewVertex* v) override;
    Status FillPolygonFlatAlpha(int32_t count, const ScreenVertex* v, uint32_t alpha) override;
    Status FillPolygonFlatAlphaInt(int32_t count, const ViewVertex* v, uint32_t alpha) override;
    Status FillPolygonShadedAlpha(int32_t count, const ScreenVertex* v, uint32_t alpha) override;
    Status FillPolygonShadedAlphaInt(int32_t count, const ViewVertex* v, uint32_t alpha) override;
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

    // Builds the fog table from the palette's colours; kStatusNothingToDo
    // without a palette.
    Status SetFog(const FogParams* fogParams) override;
    // Each pixel of stored depth d, fog start <= d <= 0xFFFE, becomes the
    // table's entry at level d >> 9; the cleared depth 0xFFFF stays.
    Status ApplyFog() override;

protected:
    // Canvas defaults only, for the kinds that run their own set-up.
    SoftCanvas8();

    // The set-up every 8-bit memory kind shares. pixels or depth null:
    // allocated and owned (depth only with kFlagHasDepth); pitch 0: the
    // width; depthPitch 0: 2 x pitch, and 2 x width with kFlagHasDepth.
    // kStatusOutOfMemory when a block cannot be had (or the size is not
    // positive), everything this set-up allocated freed again.
    Status SetupBuffers(int32_t canvasWidth, int32_t canvasHeight, uint8_t* givenPixels, uint16_t* givenDepth,
                        Palette* canvasPalette, uint32_t creationFlags, int32_t givenPitch, int32_t givenDepthPitch);
    // Lock, Clear(0, farthest), Unlock, unless kFlagNoClear.
    void ClearUnlessAsked();
    // Frees the owned buffers, tables and span buffers and nulls each
    // pointer, so that a derived destructor and this one may both run it.
    void ReleaseBuffers();

    // The canvas as the byte-blit routines address it.
    ByteTarget Target() const;
};
