#include "canvas/ScreenCanvas8.h"

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
    return SetupBuffers(canvasWidth, canvasHeight, canvasPixels, canvasDepth, canvasPalette, creationFlags, rowPitch,
                        depthRowPitch);
}
