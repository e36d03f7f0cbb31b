#include "bench/BenchCanvas.h"

#include <algorithm>

BenchCanvas::BenchCanvas(Palette* shades, int32_t canvasWidth, int32_t canvasHeight, int32_t bytesPerPixel) {
    palette = shades;
    width = canvasWidth;
    height = canvasHeight;
    flags = kFlagSetUp | (bytesPerPixel == 2 ? kFlag16Bit : 0);
    if (width <= 0 || height <= 0) {
        return;
    }
    pitch = width * bytesPerPixel;
    bufferSize = uint32_t(pitch * height);
    pixelBlock_.resize(bufferSize);
    rowOffsetBlock_.resize(size_t(height));
    for (int32_t y = 0; y < height; ++y) {
        rowOffsetBlock_[size_t(y)] = uint32_t(y * pitch);
    }
    pixels = pixelBlock_.data();
    rowOffsets = rowOffsetBlock_.data();
    const size_t edgeBytes = size_t(std::max(width, height)) * kSpanBytesPerEntry;
    edgeBlockA_.resize(edgeBytes);
    edgeBlockB_.resize(edgeBytes);
    spanBufferA = edgeBlockA_.data();
    spanBufferB = edgeBlockB_.data();
    subdivideLength = 0.07f * float(width);
    subdivideLongLength = 0.28f * float(width);
}
