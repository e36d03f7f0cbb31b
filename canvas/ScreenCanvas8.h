#pragma once
#include <cstdint>

#include "canvas/SoftCanvas8.h"

// The 8-bit software canvas over memory that somebody else owns, in
// practice the DIB display driver's frame buffer, which must outlive the
// canvas. Every drawing operation is the base's; locking is the base's
// lock word only, as the memory is always addressable.
//
// A colour or depth buffer handed in stays the caller's; the canvas frees
// only what its own set-up allocated (kFlagOwnsPixels, kFlagOwnsDepth).
class ScreenCanvas8 : public SoftCanvas8 {
public:
    // pixels null: the canvas allocates its colour buffer. depth null with
    // kFlagHasDepth: it allocates its depth buffer. rowPitch 0: the width;
    // depthRowPitch 0: twice the row pitch, though with kFlagHasDepth the
    // depth pitch is always twice the width. Runs SetupScreen; its result
    // is kept in setupResult.
    ScreenCanvas8(int32_t canvasWidth, int32_t canvasHeight, uint8_t* canvasPixels, uint16_t* canvasDepth,
                  Palette* canvasPalette, uint32_t creationFlags, int32_t rowPitch, int32_t depthRowPitch);
    ~ScreenCanvas8() override;

    // kStatusOutOfMemory when a buffer or table cannot be had (or the size
    // is not positive); everything this set-up allocated is freed again.
    Status SetupScreen(int32_t canvasWidth, int32_t canvasHeight, uint8_t* canvasPixels, uint16_t* canvasDepth,
                       Palette* canvasPalette, uint32_t creationFlags, int32_t rowPitch, int32_t depthRowPitch);
};
