#pragma once
#include <cstdint>

#include "canvas/SurfaceBinding.h"
#include "canvas/SurfaceLockedCanvas.h"

struct FrameSurfaces;

// The 16-bit software canvas over the DirectDraw driver's drawing surface,
// whose memory is addressable only while locked (SurfaceLockedCanvas runs the
// base's drawing with the surface locked around it). The depth buffer, when
// asked for, is ordinary memory the canvas owns; the surface and the
// driver's record are the driver's.
//
// The canvas must be deleted before the driver frees its FrameSurfaces.
class SurfaceCanvas16 : public SurfaceLockedCanvas<SoftCanvas16> {
public:
    // A canvas over the whole drawing surface of the record. The second
    // word is not read (the 8-bit kind takes a depth buffer there; this kind
    // always makes its own). flags | 0x801; with kFlagHasDepth a depth
    // buffer of its own and the depth test on; cleared to palette index 0
    // and the farthest depth unless kFlagNoClear. setupResult:
    // kStatusPlatformFailed when the surface cannot be locked,
    // kStatusWrongSurface when its pixels are not 16 bits,
    // kStatusOutOfMemory when a table or buffer cannot be had.
    SurfaceCanvas16(FrameSurfaces* surfaces, uint32_t unused, Palette* palette, uint32_t flags);
    // A canvas over area of the surface only (kStatusWrongSurface unless it
    // lies wholly on it); fills are moved by its corner.
    SurfaceCanvas16(FrameSurfaces* surfaces, const CanvasRect* area, uint32_t unused, Palette* palette,
                    uint32_t flags);

    // 0 when the surface was locked now, 1 when it was locked already (this
    // canvas's own locked word counts too), -1 when it cannot be: after
    // kSurfaceLockAttempts16 failed locks, a lost surface that cannot be
    // restored, a surface another canvas holds, or an unusable canvas.
    // Every lock may move the memory; the rows follow a new pitch.
    int32_t Lock() override;
    // Colour-fill blits, cut to the canvas; a locked canvas is unlocked for
    // the blit and locked again. rgb packed in the palette's format (null:
    // black). A raw 5-5-5 or 5-6-5 word goes in as its low 16 bits; any
    // other word is a palette index, its low byte.
    Status FillRectRgb(const CanvasRect* rect, const uint8_t* rgb) override;
    Status FillRect(const CanvasRect* rect, uint32_t colour) override;

private:
    Status SetupSurface(FrameSurfaces* surfaces, const CanvasRect* area, Palette* palette, uint32_t flags);
};
