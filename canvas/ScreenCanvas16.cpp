#include "canvas/ScreenCanvas16.h"

ScreenCanvas16::ScreenCanvas16(int32_t canvasWidth, int32_t canvasHeight, uint8_t* givenPixels,
                               uint16_t* givenDepth, Palette* canvasPalette, uint32_t canvasFlags,
                               int32_t givenPitch, int32_t givenDepthPitch) {
    setupResult = SetupScreen(canvasWidth, canvasHeight, givenPixels, givenDepth, canvasPalette, canvasFlags,
                              givenPitch, givenDepthPitch);
}

ScreenCanvas16::~ScreenCanvas16() {
    // The base destructor runs next over the same fields; what is freed here
    // is nulled, so it finds only the fog tables left to free.
    ReleaseBuffers();
}

Status ScreenCanvas16::SetupScreen(int32_t canvasWidth, int32_t canvasHeight, uint8_t* givenPixels,
                                   uint16_t* givenDepth, Palette* canvasPalette, uint32_t canvasFlags,
                                   int32_t givenPitch, int32_t givenDepthPitch) {
    return SetupBuffers(canvasWidth, canvasHeight, givenPixels, givenDepth, canvasPalette, canvasFlags, givenPitch,
                        givenDepthPitch);
}
