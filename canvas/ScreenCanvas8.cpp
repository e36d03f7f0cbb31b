#include "canvas/ScreenCanvas8.h"

#include <limits>

#include "engine/EngineAllocation.h"

ScreenCanvas8::ScreenCanvas8(int32_t canvasWidth, int32_t canvasHeight, uint8_t* canvasPixels,
                             uint16_t* canvasDepth, Palette* canvasPalette, uint32_t creationFlags,
                             int32_t rowPitch, int32_t depthRowPitch) {
    setupResult = SetupScreen(canvasWidth, canvasHeight, canvasPixels, canvasDepth, canvasPalette, creationFlags,
                              rowPitch, depthRowPitch);
}

ScreenCanvas8::~ScreenCanvas8() { ReleaseBuffers(); }

Status ScreenCanvas8::SetupScreen(int32_t canvasWidth, int32_t canvasHeight, uint8_t* canvasPixels,
                                  uint16_t* canvasDepth, Palette* canvasPalette, uint32_t creationFlags,
                                  int32_t rowPitch, int32_t depthRowPitch) {
    ReleaseBuffers();
    subdivideLength = kDefaultSubdivideLength;
    width = canvasWidth;
    height = canvasHeight;
    pitch = rowPitch != 0 ? rowPitch : canvasWidth;
    depthPitch = depthRowPitch != 0 ? depthRowPitch : 2 * pitch;
    depth = canvasDepth;
    depthBits = 0;
    // Ownership comes from this set-up alone.
    flags = (creationFlags | kFlagSetUp) & ~(kFlagOwnsPixels | kFlagOwnsDepth);
    palette = canvasPalette;
    pixels = canvasPixels;
    const int64_t area = int64_t(width) * height;
    if (width <= 0 || height <= 0 || 2 * area > int64_t(std::numeric_limits<uint32_t>::max())) {
        bufferSize = 0;
        return kStatusOutOfMemory;
    }
    bufferSize = uint32_t(area);

    if (pixels == nullptr) {
        pixels = static_cast<uint8_t*>(EngineAllocate(bufferSize));
        if (pixels == nullptr) return kStatusOutOfMemory;
        flags |= kFlagOwnsPixels;
    }

    if ((flags & kFlagHasDepth) != 0) {
        depthBits = 16;
        if (depth == nullptr) {
            depth = static_cast<uint16_t*>(EngineAllocate(size_t(bufferSize) * sizeof(uint16_t)));
            if (depth == nullptr) {
                ReleaseBuffers();
                return kStatusOutOfMemory;
            }
            flags |= kFlagOwnsDepth;
        }
        flags |= kFlagDepthTest;
        depthPitch = 2 * width;
    }

    if (AllocateTables() != kStatusOk) {
        ReleaseBuffers();
        return kStatusOutOfMemory;
    }
    FillRowOffsets();
    ClearUnlessAsked();
    return kStatusOk;
}
