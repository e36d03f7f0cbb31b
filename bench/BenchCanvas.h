#pragma once
#include <cstdint>
#include <vector>

#include "display/Canvas.h"

// The one concrete canvas of the benchmarks (they cannot link the test
// doubles). Over a palette alone it is what the span routines read; with a
// size it also owns pixel rows (1 or 2 bytes per pixel), their row table and
// the two edge buffers, and its subdivision thresholds are those a software
// canvas of that width sets up, so the triangle set-ups can draw into it.
// It has no depth buffer, and the drawing operations that each kind
// implements for itself do nothing.
class BenchCanvas final : public Canvas {
public:
    explicit BenchCanvas(Palette* shades, int32_t canvasWidth = 0, int32_t canvasHeight = 0,
                         int32_t bytesPerPixel = 2);

    Status FillRectRgb(const CanvasRect*, const uint8_t*) override { return kStatusNothingToDo; }
    Status FillRect(const CanvasRect*, uint32_t) override { return kStatusNothingToDo; }
    Status PlotPixelInt(const ViewVertex*, const uint8_t*) override { return kStatusNothingToDo; }
    Status BlitImage(const CanvasRect*, PixelImage*, uint32_t) override { return kStatusNothingToDo; }
    Status DrawMonoImage(const CanvasRect*, PixelImage*, uint32_t, uint32_t) override { return kStatusNothingToDo; }
    Status DrawMonoImageRaw(const CanvasRect*, MonoMaskRecord*, uint32_t, uint32_t) override {
        return kStatusNothingToDo;
    }
    Status DrawLineInt(const ViewVertex*, const ViewVertex*, const uint8_t*) override { return kStatusNothingToDo; }
    Status DrawLineShadedInt(const ViewVertex*, const ViewVertex*) override { return kStatusNothingToDo; }
    Status FillPolygonFlat(int32_t, const ScreenVertex*) override { return kStatusNothingToDo; }
    Status FillPolygonShaded(int32_t, const ScreenVertex*) override { return kStatusNothingToDo; }
    Status FillPolygonTextured(int32_t, const ScreenVertex*, PixelImage*) override { return kStatusNothingToDo; }
    Status FillPolygonTexturedPersp(int32_t, const ScreenVertex*, PixelImage*) override {
        return kStatusNothingToDo;
    }
    Status FillPolygonTexturedShaded(int32_t, const ScreenVertex*, PixelImage*) override {
        return kStatusNothingToDo;
    }
    Status FillPolygonTexturedShadedPersp(int32_t, const ScreenVertex*, PixelImage*) override {
        return kStatusNothingToDo;
    }
    Status FillPolygonRgb(int32_t, const ScreenVertex*) override { return kStatusNothingToDo; }
    Status FillPolygonRgbInt(int32_t, const ViewVertex*) override { return kStatusNothingToDo; }
    Status FillPolygonFlatAlpha(int32_t, const ScreenVertex*, uint32_t) override { return kStatusNothingToDo; }
    Status FillPolygonShadedAlpha(int32_t, const ScreenVertex*, uint32_t) override { return kStatusNothingToDo; }
    Status FillPolygonTexturedAlpha(int32_t, const ScreenVertex*, PixelImage*, uint32_t) override {
        return kStatusNothingToDo;
    }
    Status FillPolygonTexturedPerspAlpha(int32_t, const ScreenVertex*, PixelImage*, uint32_t) override {
        return kStatusNothingToDo;
    }
    Status FillPolygonTexturedShadedAlpha(int32_t, const ScreenVertex*, PixelImage*, uint32_t) override {
        return kStatusNothingToDo;
    }
    Status FillPolygonTexturedShadedPerspAlpha(int32_t, const ScreenVertex*, PixelImage*, uint32_t) override {
        return kStatusNothingToDo;
    }
    Status SetFog(const FogParams*) override { return kStatusNothingToDo; }

private:
    std::vector<uint8_t> pixelBlock_;
    std::vector<uint32_t> rowOffsetBlock_;
    std::vector<uint8_t> edgeBlockA_;
    std::vector<uint8_t> edgeBlockB_;
};
