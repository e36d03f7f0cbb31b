#pragma once
#include <cstdint>

#include "display/CanvasRect.h"
#include "display/Canvas.h"
#include "engine/Status.h"
#include "platform/Surface.h"

class Palette;
struct FrameSurfaces;

// The surface does not suit the canvas: its pixels are of another size, or
// the canvas's rectangle does not lie wholly on it.
inline constexpr Status kStatusWrongSurface = 3;

// Lock attempts before a surface canvas gives up on a busy surface.
inline constexpr int32_t kSurfaceLockAttempts8 = 1000;
inline constexpr int32_t kSurfaceLockAttempts16 = 50000;

// What ties a surface canvas to the display driver's drawing surface: where
// the canvas lies on it and how its memory is reached. The surface's memory
// is addressable only while locked, so the canvas's pixels are null between
// locks, and every lock may hand back other memory with another pitch.
//
// All canvases on one surface share the lock word of the driver's
// FrameSurfaces record; a canvas that finds it held by another canvas
// cannot reach the memory and is refused, and its unlock leaves the other
// canvas's lock alone. Game thread only.
//
// The canvas's own fields (pixels, pitch, locked, row tables, depth buffer)
// are set here so that the 8-bit and 16-bit kinds share one account of the
// surface; each kind still decides when to call what.
class SurfaceBinding {
public:
    // The canvas's set-up, before the kind's own last steps: binds to the
    // record's drawing surface, locks once to read the surface's size, pitch
    // and format (kStatusPlatformFailed when it cannot be locked,
    // kStatusWrongSurface when its pixels are not bitsPerPixel wide or area
    // is not wholly on it), takes the size of area (or of the surface when
    // null), makes the depth buffer (with kFlagHasDepth; givenDepth null: its
    // own, kFlagOwnsDepth), the row tables and the span buffers
    // (kStatusOutOfMemory, having freed them again), stores the palette and
    // clears the canvas unless kFlagNoClear. The canvas's flags must already
    // be set.
    Status SetUp(Canvas& canvas, FrameSurfaces* surfaces, const CanvasRect* area, uint16_t* givenDepth,
                 Palette* palette, int32_t bitsPerPixel);
    // Frees the depth buffer when the canvas made it, the row tables and the
    // span buffers, nulling each; never the surface's memory.
    static void Release(Canvas& canvas);

    // Canvas::Lock of a surface canvas: 1 when the surface was locked already
    // (by this canvas), 0 when it was locked now, -1 when it cannot be: the
    // canvas is unusable, another canvas holds the surface, or `attempts`
    // locks failed (a lost surface is restored and tried again; one that
    // cannot be restored ends the attempts). With ownWordHolds, this
    // canvas's own locked word also counts as the surface being locked.
    int32_t Lock(Canvas& canvas, int32_t attempts, bool ownWordHolds);
    // Canvas::Unlock of a surface canvas: clears pixels, and when the canvas
    // holds the surface, gives it back; returns the shared word it took (0
    // when this canvas did not hold the surface).
    int32_t Unlock(Canvas& canvas);

    // Fills rect (canvas coordinates, cut to the canvas) with a pixel value
    // or palette index by a colour-fill blit, which needs the surface
    // unlocked: a locked canvas is unlocked for it and locked again. The
    // blit's own result is not looked at; kStatusPlatformFailed only on an
    // unusable canvas.
    Status ColorFill(Canvas& canvas, const CanvasRect& rect, uint32_t value);

    // Byte offset of the canvas's top-left pixel in the locked memory.
    int32_t pixelOffset = 0;
    // Where the canvas lies on the surface; added to every fill.
    int32_t originX = 0;
    int32_t originY = 0;
    // The surface's size as read at set-up.
    int32_t coveredWidth = 0;
    int32_t coveredHeight = 0;
    // Filled by every lock.
    platform::SurfaceDescription description;
    platform::Surface* drawingSurface = nullptr;   // the record's; not owned
    FrameSurfaces* frameSurfaces = nullptr;        // the driver's; not owned

private:
    // Takes the memory and pitch of a lock that just succeeded, rebuilding
    // the row offsets when the pitch moved.
    void Adopt(Canvas& canvas);
};

// Runs draw() with the canvas locked: the canvas is locked first (a lock
// that fails gives kStatusPlatformFailed without drawing) and unlocked
// afterwards only when this call locked it, so an outer lock stays.
template <typename Result, typename Draw>
Result WithSurfaceLocked(Canvas& canvas, Draw&& draw) {
    const int32_t previous = canvas.Lock();
    if (previous == -1) return Result(kStatusPlatformFailed);
    const Result result = draw();
    if (previous == 0) canvas.Unlock();
    return result;
}
