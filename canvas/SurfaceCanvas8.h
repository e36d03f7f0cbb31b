#pragma once
#include <cstdint>

#include "canvas/SurfaceBinding.h"
#include "canvas/SurfaceLockedCanvas.h"

struct FrameSurfaces;

// The 8-bit software canvas over the DirectDraw driver's drawing surface,
// whose memory is addressable only while locked (SurfaceLockedCanvas runs the
// base's drawing with the surface locked around it). The depth buffer is
// ordinary memory, the caller's or one the canvas makes and owns; the
// surface and the driver's record are the driver's.
//
// The canvas must be deleted before the driver frees its FrameSurfaces.
class SurfaceCanvas8 : public SurfaceLockedCanvas<SoftCanvas8> {
public:
    // A canvas over the whole drawing surface of the record. flags | 0x1;
    // with kFlagHasDepth the given depth buffer (one u16 per pixel, the
    // caller's) or, when null, one of its own, and the depth test on;
    // without it depth is not used. Cleared to index 0 and the farthest depth
    // unless kFlagNoClear. setupResult: kStatusPlatformFailed when the
    // surface cannot be locked, kStatusWrongSurface when its pixels are not
    // 8 bits (the canvas is then unusable), kStatusOutOfMemory when a table
    // or buffer cannot be had.
    SurfaceCanvas8(FrameSurfaces* surfaces, uint16_t* depth, Palette* palette, uint32_t flags);
    // A canvas over area of the surface only (kStatusWrongSurface unless it
    // lies wholly on it); fills are moved by its corner.
    SurfaceCanvas8(FrameSurfaces* surfaces, const CanvasRect* area, uint16_t* depth, Palette* palette,
                   uint32_t flags);

    // 0 when the surface was locked now, 1 when it was locked already, -1
    // when it cannot be: after kSurfaceLockAttempts8 failed locks, a lost
    // surface that cannot be restored, a surface another canvas holds, or an
    // unusable canvas. Every lock may move the memory; the rows follow a
    // new pitch.
    int32_t Lock() override;
    // Colour-fill blits of a palette index (the colour word's low byte, or
    // the palette's closest match to rgb, null being black), cut to the
    // canvas; a locked canvas is unlocked for the blit and locked again.
    Status FillRectRgb(const CanvasRect* rect, const uint8_t* rgb) override;
    Status FillRect(const CanvasRect* rect, uint32_t colour) override;

private:
    Status SetupSurface(FrameSurfaces* surfaces, const CanvasRect* area, uint16_t* givenDepth, Palette* palette,
                        uint32_t flags);
};
