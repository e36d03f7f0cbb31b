#pragma once
#include <cstdint>

#include "canvas/SoftCanvas16.h"

// The 16-bit software canvas over memory that somebody else owns, in
// practice the DIB display driver's frame buffer, which must outlive the
// canvas. Locking is the base behaviour: the memory is always addressable.
class ScreenCanvas16 : public SoftCanvas16 {
public:
    // Canvas defaults, then SetupScreen; its result is kept in setupResult.
    ScreenCanvas16(int32_t width, int32_t height, uint8_t* pixels, uint16_t* depth, Palette* palette,
                   uint32_t flags, int32_t pitch, int32_t depthPitch);
    // Frees the colour and depth buffers only when this canvas allocated
    // them, then the row tables and span buffers; never the caller's memory.
    ~ScreenCanvas16() override;

    // pixels null: the canvas allocates and owns its colour buffer
    // (kFlagOwnsPixels). With kFlagHasDepth and depth null it allocates and
    // owns its depth buffer (kFlagOwnsDepth); with kFlagHasDepth the depth
    // pitch is 2 x width whatever was given. pitch 0: 2 x width; depthPitch
    // 0: 2 x pitch. Cleared unless kFlagNoClear. kStatusOutOfMemory, having
    // freed only what it allocated, when a block cannot be had.
    Status SetupScreen(int32_t width, int32_t height, uint8_t* pixels, uint16_t* depth, Palette* palette,
                       uint32_t flags, int32_t pitch, int32_t depthPitch);
};
