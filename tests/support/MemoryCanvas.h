#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "display/Canvas.h"

// A canvas with real pixel memory, for tests of the routines that write a
// canvas's raster target directly (triangle set-ups, span loops, pixel and
// rectangle fills). Pixel rows of 1 or 2 bytes per pixel, an optional u16
// depth buffer, the two row-offset tables and the two edge buffers, each its
// own heap block of exactly its size, so the sanitizers catch any access
// outside the canvas. The drawing operations each software kind implements
// for itself do nothing here and return 0; the palette is the caller's.
class MemoryCanvas final : public Canvas {
public:
    // bytesPerPixel 1 (palette indices) or 2 (16-bit pixels, kFlag16Bit);
    // withDepth adds the depth buffer and kFlagHasDepth. Pixels start 0,
    // depth values 0xFFFF (farthest), edge records zero.
    MemoryCanvas(int32_t canvasWidth, int32_t canvasHeight, int32_t bytesPerPixel, bool withDepth,
                 Palette* canvasPalette = nullptr);
    ~MemoryCanvas() override;

    int32_t BytesPerPixel() const { return bytesPerPixel_; }
    bool HasDepth() const { return depthBlock_ != nullptr; }

    // Direct access; coordinates must lie inside the canvas.
    uint8_t& Pixel8(int32_t x, int32_t y);
    uint16_t& Pixel16(int32_t x, int32_t y);
    uint16_t& DepthAt(int32_t x, int32_t y);

    // Every pixel (as 8- or 16-bit values) or depth value, row after row.
    void FillPixels(uint16_t value);
    void FillDepth(uint16_t value);
    std::vector<uint16_t> PixelValues() const;
    std::vector<uint16_t> DepthValues() const;
    // Pixels that differ from value.
    int32_t CountPixelsOtherThan(uint16_t value) const;

    // The edge buffers, max(width, height) records each.
    int32_t EdgeRecords() const { return edgeRecords_; }

    Status FillRectRgb(const CanvasRect* rect, const uint8_t* rgb) override;
    Status FillRect(const CanvasRect* rect, uint32_t colour) override;
    Status PlotPixelInt(const ViewVertex* v, const uint8_t* rgb) override;
    Status BlitImage(const CanvasRect* rect, PixelImage* image, uint32_t mode) override;
    Status DrawMonoImage(const CanvasRect* rect, PixelImage* image, uint32_t fg, uint32_t bg) override;
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
    Status SetFog(const FogParams* fogParams) override;

private:
    const int32_t bytesPerPixel_;
    const int32_t edgeRecords_;
    std::unique_ptr<uint8_t[]> pixelBlock_;
    std::unique_ptr<uint32_t[]> rowOffsetBlock_;
    std::unique_ptr<uint16_t[]> depthBlock_;
    std::unique_ptr<uint32_t[]> depthRowOffsetBlock_;
    std::unique_ptr<uint8_t[]> edgeBlockA_;
    std::unique_ptr<uint8_t[]> edgeBlockB_;
};
