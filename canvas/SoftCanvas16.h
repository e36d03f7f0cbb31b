#pragma once
#include <cstdint>

#include "display/Canvas.h"

// The canvas of 16-bit pixels in memory rows, drawn in software. Its palette
// decides the packing: Palette::kFlagRgb555 means 5-5-5, anything else 5-6-5.
// Palette indices stay the colour currency: they become pixels through the
// palette's colours and its 16-bit shade table. Polygons go to the 16-bit
// polygon filler with a mode word, which splits long perspective triangles
// at this canvas's subdivide lengths.
//
// The canvas frees only the blocks it allocated (kFlagOwnsPixels,
// kFlagOwnsDepth for the colour and depth buffers; row tables, span buffers
// and fog tables always), nulling each pointer as it goes, so that the
// destructor of a derived kind and this one may both run over the fields.
class SoftCanvas16 : public Canvas {
public:
    // Canvas defaults, then Setup; its result is kept in setupResult.
    SoftCanvas16(const CanvasRect* rect, Palette* palette, uint32_t flags);
    ~SoftCanvas16() override;

    // A canvas of rect's width and height with its own colour buffer and,
    // with kFlagHasDepth, its own depth buffer (then the depth test is on).
    // Cleared to 0 and depth 0xFFFF unless kFlagNoClear. Blocks of an earlier
    // set-up are freed first. kStatusOutOfMemory, having freed what it took,
    // when a block cannot be had or a side is not positive.
    virtual Status Setup(const CanvasRect* rect, Palette* palette, uint32_t flags);

    // Packs red, green, blue (null: 0) into every pixel of the rectangle.
    Status FillRectRgb(const CanvasRect* rect, const uint8_t* rgb) override;
    // A raw 5-5-5 or 5-6-5 word goes in as its low 16 bits, whatever this
    // canvas's packing; any other word is a palette index.
    Status FillRect(const CanvasRect* rect, uint32_t colour) override;
    // The packed rgb, or shade entry (colour x 32 + intensity / 8). With the
    // depth test on, written only where depth >> 16 is strictly nearer than
    // the stored depth, which it then replaces: an equal depth is refused.
    // A point off the canvas writes nothing.
    Status PlotPixelInt(const ViewVertex* v, const uint8_t* rgb) override;

    // Plain images of the canvas's packing (kFormat555, kFormat565) or 8-bit
    // ones, cut to the canvas; run-encoded 15/16-bit images (a KeyedSprite
    // passed in the image's place) only when wholly on the canvas. An image
    // with a palette lends it to the canvas for the call. kStatusNothingToDo
    // for a scaled copy (mode 0x100); kStatusCannotDrawFormat for the other
    // 16-bit packing, an 8-bit run-encoded image or one not wholly inside.
    Status BlitImage(const CanvasRect* rect, PixelImage* image, uint32_t mode) override;
    // A 1-bit image, set bits in fg and clear bits in bg, either of which
    // may be transparent. kStatusPlatformFailed for a raw word of the other
    // packing or a direct 0x10RRGGBB word; kStatusCannotDrawFormat for an
    // image that is not 1-bit (colours are checked first).
    Status DrawMonoImage(const CanvasRect* rect, PixelImage* image, uint32_t fg, uint32_t bg) override;
    // The record's 1-bit image into the depth buffer, cut like DrawMonoImage;
    // kStatusNothingToDo without a depth buffer.
    Status DrawMonoImageRaw(const CanvasRect* rect, MonoMaskRecord* mask, uint32_t setValue,
                            uint32_t clearValue) override;

    Status DrawLineInt(const ViewVertex* a, const ViewVertex* b, const uint8_t* rgb) override;
    Status DrawLineShadedInt(const ViewVertex* a, const ViewVertex* b) override;

    Status FillPolygonFlat(int32_t count, const ScreenVertex* v) override;
    Status FillPolygonShaded(int32_t count, const ScreenVertex* v) override;
    Status FillPolygonTextured(int32_t count, const ScreenVertex* v, PixelImage* image) override;
    Status FillPolygonTexturedPersp(int32_t count, const ScreenVertex* v, PixelImage* image) override;
    Status FillPolygonTexturedShaded(int32_t count, const ScreenVertex* v, PixelImage* image) override;
    Status FillPolygonTexturedShadedPersp(int32_t count, const ScreenVertex* v, PixelImage* image) override;
    // Vertex colours 0x10RRGGBB are kept; any other word becomes its shade
    // entry, read back as red, green, blue in this canvas's packing.
    Status FillPolygonRgb(int32_t count, const ScreenVertex* v) override;
    Status FillPolygonRgbInt(int32_t count, const ViewVertex* v) override;
    Status FillPolygonFlatAlpha(int32_t count, const ScreenVertex* v, uint32_t alpha) override;
    Status FillPolygonShadedAlpha(int32_t count, const ScreenVertex* v, uint32_t alpha) override;
    Status FillPolygonTexturedAlpha(int32_t count, const ScreenVertex* v, PixelImage* image,
                                    uint32_t alpha) override;
    Status FillPolygonTexturedPerspAlpha(int32_t count, const ScreenVertex* v, PixelImage* image,
                                         uint32_t alpha) override;
    Status FillPolygonTexturedShadedAlpha(int32_t count, const ScreenVertex* v, PixelImage* image,
                                          uint32_t alpha) override;
    Status FillPolygonTexturedShadedPerspAlpha(int32_t count, const ScreenVertex* v, PixelImage* image,
                                               uint32_t alpha) override;
    bool FillsNoPixel(int32_t count, const ScreenVertex* v) const override;
    const NearShapes* EmptyNearShapes() const override;

    // Builds the 16-bit fog tables; returns 0.
    Status SetFog(const FogParams* fogParams) override;
    // Every pixel whose depth d lies in fog start .. 0xFFFE takes, per 5-bit
    // channel, the fog table's value at level d >> 8 (5-6-5 green keeps its
    // top five bits, its lowest bit becomes 0). kStatusNothingToDo unless
    // depth buffer, depth test and fog are all on and the tables exist.
    Status ApplyFog() override;

    // A shade entry as 0x10RRGGBB, read in the canvas's packing.
    uint32_t ShadeToDirect(uint32_t colour, int32_t intensity) const;

protected:
    // Canvas defaults only, for the kinds that run a set-up of their own.
    SoftCanvas16() = default;

    // The set-up every 16-bit memory kind shares. pixels or depth null:
    // allocated and owned (depth only with kFlagHasDepth); pitch 0: 2 x
    // width; depthPitch 0: 2 x pitch, and 2 x width with kFlagHasDepth.
    Status SetupBuffers(int32_t canvasWidth, int32_t canvasHeight, uint8_t* givenPixels, uint16_t* givenDepth,
                        Palette* canvasPalette, uint32_t canvasFlags, int32_t givenPitch, int32_t givenDepthPitch);
    // Frees the owned buffers, the row tables and the span buffers, nulling
    // each pointer and dropping the ownership flags.
    void ReleaseBuffers();

private:
    uint16_t* Pixel(int32_t x, int32_t y) const { return reinterpret_cast<uint16_t*>(Row(y)) + x; }
    Status FillPolygon(int32_t count, uint32_t baseMode, const ScreenVertex* v, PixelImage* image, uint32_t alpha);
    // A colour word of DrawMonoImage as a pixel: false for a word this
    // canvas cannot draw, *transparent for the two transparent words.
    bool MonoColor(uint32_t colour, uint16_t* pixel, bool* transparent) const;
    Status BlitRunEncoded(const CanvasRect* rect, const PixelImage* image);
    void BlitPlain(const CanvasRect* rect, const PixelImage* image, uint32_t mode);
};

// The span routines of the 16-bit canvases. None clips; a count of 0 or
// less writes nothing. A keyed copy (bit 31 of flags, kSpanKeyed) leaves out
// source pixels equal to the key.
void CopySpan16(uint16_t* destination, const uint16_t* source, int32_t count);
void CopySpan16Key555(uint16_t* destination, const uint16_t* source, int32_t count, uint32_t flags);
void CopySpan16Key565(uint16_t* destination, const uint16_t* source, int32_t count, uint32_t flags);
// Index i becomes shadeColumn[i x 32]: the callers pass the column of the
// shade table's pivot, so each index takes its unaltered colour. Keyed:
// index 255 is left out.
void ExpandIndexSpan16(uint16_t* destination, const uint8_t* source, int32_t count, const uint16_t* shadeColumn,
                       uint32_t flags);
