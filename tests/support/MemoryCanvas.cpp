#include "tests/support/MemoryCanvas.h"

#include <algorithm>
#include <cstring>

MemoryCanvas::MemoryCanvas(int32_t canvasWidth, int32_t canvasHeight, int32_t bytesPerPixel, bool withDepth,
                           Palette* canvasPalette)
    : bytesPerPixel_(bytesPerPixel == 1 ? 1 : 2), edgeRecords_(std::max(canvasWidth, canvasHeight)) {
    width = canvasWidth;
    height = canvasHeight;
    palette = canvasPalette;
    flags = kFlagSetUp | (bytesPerPixel_ == 2 ? kFlag16Bit : 0);
    pitch = width * bytesPerPixel_;
    bufferSize = uint32_t(pitch * height);

    pixelBlock_.reset(new uint8_t[bufferSize]());
    rowOffsetBlock_.reset(new uint32_t[size_t(height)]);
    for (int32_t y = 0; y < height; ++y) rowOffsetBlock_[size_t(y)] = uint32_t(y * pitch);
    pixels = pixelBlock_.get();
    rowOffsets = rowOffsetBlock_.get();

    if (withDepth) {
        flags |= kFlagHasDepth;
        depthBits = 16;
        depthPitch = width * 2;
        depthBlock_.reset(new uint16_t[size_t(width * height)]);
        std::fill_n(depthBlock_.get(), width * height, uint16_t(0xFFFF));
        depthRowOffsetBlock_.reset(new uint32_t[size_t(height)]);
        for (int32_t y = 0; y < height; ++y) depthRowOffsetBlock_[size_t(y)] = uint32_t(y * depthPitch);
        depth = depthBlock_.get();
        depthRowOffsets = depthRowOffsetBlock_.get();
    }

    const size_t edgeBytes = size_t(edgeRecords_) * kSpanBytesPerEntry;
    edgeBlockA_.reset(new uint8_t[edgeBytes]());
    edgeBlockB_.reset(new uint8_t[edgeBytes]());
    spanBufferA = edgeBlockA_.get();
    spanBufferB = edgeBlockB_.get();
}

// The blocks are ours; the base must not be left pointing at them.
MemoryCanvas::~MemoryCanvas() {
    pixels = nullptr;
    rowOffsets = nullptr;
    depth = nullptr;
    depthRowOffsets = nullptr;
    spanBufferA = nullptr;
    spanBufferB = nullptr;
}

uint8_t& MemoryCanvas::Pixel8(int32_t x, int32_t y) { return Row(y)[x]; }

uint16_t& MemoryCanvas::Pixel16(int32_t x, int32_t y) { return reinterpret_cast<uint16_t*>(Row(y))[x]; }

uint16_t& MemoryCanvas::DepthAt(int32_t x, int32_t y) { return DepthRow(y)[x]; }

void MemoryCanvas::FillPixels(uint16_t value) {
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            if (bytesPerPixel_ == 1) {
                Pixel8(x, y) = uint8_t(value);
            } else {
                Pixel16(x, y) = value;
            }
        }
    }
}

void MemoryCanvas::FillDepth(uint16_t value) {
    if (depthBlock_ != nullptr) std::fill_n(depthBlock_.get(), width * height, value);
}

std::vector<uint16_t> MemoryCanvas::PixelValues() const {
    std::vector<uint16_t> values;
    values.reserve(size_t(width * height));
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            if (bytesPerPixel_ == 1) {
                values.push_back(Row(y)[x]);
            } else {
                uint16_t pixel;
                std::memcpy(&pixel, Row(y) + x * 2, sizeof(pixel));
                values.push_back(pixel);
            }
        }
    }
    return values;
}

std::vector<uint16_t> MemoryCanvas::DepthValues() const {
    if (depthBlock_ == nullptr) return {};
    return {depthBlock_.get(), depthBlock_.get() + width * height};
}

int32_t MemoryCanvas::CountPixelsOtherThan(uint16_t value) const {
    const std::vector<uint16_t> values = PixelValues();
    return int32_t(std::count_if(values.begin(), values.end(), [value](uint16_t p) { return p != value; }));
}

// The kinds' own drawing operations: nothing to draw in a test canvas.

Status MemoryCanvas::FillRectRgb(const CanvasRect*, const uint8_t*) { return kStatusOk; }
Status MemoryCanvas::FillRect(const CanvasRect*, uint32_t) { return kStatusOk; }
Status MemoryCanvas::PlotPixelInt(const ViewVertex*, const uint8_t*) { return kStatusOk; }
Status MemoryCanvas::BlitImage(const CanvasRect*, PixelImage*, uint32_t) { return kStatusOk; }
Status MemoryCanvas::DrawMonoImage(const CanvasRect*, PixelImage*, uint32_t, uint32_t) { return kStatusOk; }
Status MemoryCanvas::DrawMonoImageRaw(const CanvasRect*, MonoMaskRecord*, uint32_t, uint32_t) { return kStatusOk; }
Status MemoryCanvas::DrawLineInt(const ViewVertex*, const ViewVertex*, const uint8_t*) { return kStatusOk; }
Status MemoryCanvas::DrawLineShadedInt(const ViewVertex*, const ViewVertex*) { return kStatusOk; }
Status MemoryCanvas::FillPolygonFlat(int32_t, const ScreenVertex*) { return kStatusOk; }
Status MemoryCanvas::FillPolygonShaded(int32_t, const ScreenVertex*) { return kStatusOk; }
Status MemoryCanvas::FillPolygonTextured(int32_t, const ScreenVertex*, PixelImage*) { return kStatusOk; }
Status MemoryCanvas::FillPolygonTexturedPersp(int32_t, const ScreenVertex*, PixelImage*) { return kStatusOk; }
Status MemoryCanvas::FillPolygonTexturedShaded(int32_t, const ScreenVertex*, PixelImage*) { return kStatusOk; }
Status MemoryCanvas::FillPolygonTexturedShadedPersp(int32_t, const ScreenVertex*, PixelImage*) { return kStatusOk; }
Status MemoryCanvas::FillPolygonRgb(int32_t, const ScreenVertex*) { return kStatusOk; }
Status MemoryCanvas::FillPolygonRgbInt(int32_t, const ViewVertex*) { return kStatusOk; }
Status MemoryCanvas::FillPolygonFlatAlpha(int32_t, const ScreenVertex*, uint32_t) { return kStatusOk; }
Status MemoryCanvas::FillPolygonShadedAlpha(int32_t, const ScreenVertex*, uint32_t) { return kStatusOk; }
Status MemoryCanvas::FillPolygonTexturedAlpha(int32_t, const ScreenVertex*, PixelImage*, uint32_t) {
    return kStatusOk;
}
Status MemoryCanvas::FillPolygonTexturedPerspAlpha(int32_t, const ScreenVertex*, PixelImage*, uint32_t) {
    return kStatusOk;
}
Status MemoryCanvas::FillPolygonTexturedShadedAlpha(int32_t, const ScreenVertex*, PixelImage*, uint32_t) {
    return kStatusOk;
}
Status MemoryCanvas::FillPolygonTexturedShadedPerspAlpha(int32_t, const ScreenVertex*, PixelImage*, uint32_t) {
    return kStatusOk;
}
Status MemoryCanvas::SetFog(const FogParams*) { return kStatusOk; }
