#include "canvas/SurfaceBinding.h"

#include <algorithm>

#include "canvas/CanvasTables.h"
#include "display/FrameSurfaces.h"
#include "engine/EngineAllocation.h"

namespace {

constexpr uint32_t kFarthestDepth = 0xFFFFFFFF;

}  // namespace

Status SurfaceBinding::SetUp(Canvas& canvas, FrameSurfaces* surfaces, const CanvasRect* area, uint16_t* givenDepth,
                             Palette* palette, int32_t bitsPerPixel) {
    frameSurfaces = surfaces;
    drawingSurface = surfaces != nullptr ? surfaces->drawingSurface : nullptr;
    pixelOffset = 0;
    originX = 0;
    originY = 0;
    // Ownership comes from this set-up alone, and the colour buffer is
    // never the canvas's.
    canvas.flags &= ~(Canvas::kFlagOwnsPixels | Canvas::kFlagOwnsDepth);
    canvas.depth = nullptr;
    canvas.depthBits = 0;
    if (drawingSurface == nullptr) return kStatusPlatformFailed;

    // The lock fills the description with the surface's size, pitch and format.
    const int32_t previous = canvas.Lock();
    if (previous == -1) return kStatusPlatformFailed;
    const bool pixelsFit = description.format.bitsPerPixel == bitsPerPixel;
    if (previous == 0) canvas.Unlock();
    if (!pixelsFit) return kStatusWrongSurface;

    coveredWidth = description.width;
    coveredHeight = description.height;
    const CanvasRect r = area != nullptr ? *area : CanvasRect{0, 0, coveredWidth, coveredHeight};
    // A canvas reaching past the surface would write past its memory.
    if (r.x < 0 || r.y < 0 || r.width <= 0 || r.height <= 0 || int64_t(r.x) + r.width > coveredWidth ||
        int64_t(r.y) + r.height > coveredHeight) {
        return kStatusWrongSurface;
    }
    const int32_t bytesPerPixel = bitsPerPixel / 8;
    canvas.width = r.width;
    canvas.height = r.height;
    originX = r.x;
    originY = r.y;
    canvas.bufferSize = uint32_t(int64_t(r.width) * r.height * bytesPerPixel);
    canvas.pitch = description.pitch;
    pixelOffset = originY * canvas.pitch + originX * bytesPerPixel;

    if ((canvas.flags & Canvas::kFlagHasDepth) != 0) {
        canvas.depthBits = 16;
        canvas.depth = givenDepth;
        if (canvas.depth == nullptr) {
            canvas.depth = static_cast<uint16_t*>(EngineAllocate(size_t(r.width) * size_t(r.height) * sizeof(uint16_t)));
            if (canvas.depth == nullptr) return kStatusOutOfMemory;
            canvas.flags |= Canvas::kFlagOwnsDepth;
        }
        // A given buffer too is laid out one entry per pixel.
        canvas.depthPitch = 2 * r.width;
        canvas.flags |= Canvas::kFlagDepthTest;
    }

    if (AllocateCanvasTables(canvas) != kStatusOk) {
        Release(canvas);
        return kStatusOutOfMemory;
    }
    canvas.palette = palette;
    FillCanvasRowOffsets(canvas);

    if ((canvas.flags & Canvas::kFlagNoClear) == 0) {
        const int32_t outer = canvas.Lock();
        if (outer != -1) {
            canvas.Clear(0, kFarthestDepth);
            if (outer == 0) canvas.Unlock();
        }
    }
    return kStatusOk;
}

void SurfaceBinding::Release(Canvas& canvas) {
    if ((canvas.flags & Canvas::kFlagOwnsDepth) != 0) {
        EngineRelease(canvas.depth);
        canvas.flags &= ~Canvas::kFlagOwnsDepth;
    }
    canvas.depth = nullptr;
    ReleaseCanvasTables(canvas);
}

int32_t SurfaceBinding::Lock(Canvas& canvas, int32_t attempts, bool ownWordHolds) {
    if (frameSurfaces == nullptr || drawingSurface == nullptr || !canvas.IsUsable()) return -1;
    const uint32_t previous = frameSurfaces->lockWord;
    if (previous != 0 || (ownWordHolds && canvas.locked != 0)) {
        // Locked by another canvas on the surface: its memory was handed to
        // that canvas, not to this one.
        if (canvas.pixels == nullptr) return -1;
        frameSurfaces->lockWord = 1;
        canvas.locked = 1;
        return int32_t(previous);
    }

    frameSurfaces->lockWord = 1;
    for (int32_t attempt = 0; attempt < attempts; ++attempt) {
        const platform::DeviceResult result = drawingSurface->Lock(&description, platform::kLockWait);
        if (result == platform::kDeviceOk) {
            Adopt(canvas);
            canvas.locked = 1;
            return 0;
        }
        if (result == platform::kDeviceSurfaceLost && drawingSurface->Restore() != platform::kDeviceOk) break;
    }
    frameSurfaces->lockWord = 0;
    return -1;
}

void SurfaceBinding::Adopt(Canvas& canvas) {
    // A restored surface may come back with another pitch.
    if (description.pitch != canvas.pitch) {
        canvas.pitch = description.pitch;
        if (canvas.rowOffsets != nullptr) FillCanvasRowOffsets(canvas);
    }
    pixelOffset = originY * canvas.pitch + originX * description.format.BytesPerPixel();
    canvas.pixels = description.memory + pixelOffset;
}

int32_t SurfaceBinding::Unlock(Canvas& canvas) {
    canvas.pixels = nullptr;
    if (canvas.locked == 0 || frameSurfaces == nullptr) {
        canvas.locked = 0;
        return 0;
    }
    const uint32_t previous = frameSurfaces->lockWord;
    frameSurfaces->lockWord = 0;
    if (previous != 0) drawingSurface->Unlock();
    canvas.locked = 0;
    return int32_t(previous);
}

Status SurfaceBinding::ColorFill(Canvas& canvas, const CanvasRect& rect, uint32_t value) {
    if (!canvas.IsUsable()) return kStatusPlatformFailed;
    CanvasRect r = rect;
    const CanvasRect bounds = canvas.Bounds();
    if (ClipRect(&r, &bounds) != kClipVisible) return kStatusOk;

    const bool wasLocked = canvas.locked != 0;
    if (wasLocked) canvas.Unlock();
    platform::SurfaceRect destination;
    destination.left = originX + r.x;
    destination.top = originY + r.y;
    destination.right = destination.left + r.width;
    destination.bottom = destination.top + r.height;
    platform::BlitEffects effects;
    effects.fillColor = value;
    drawingSurface->Blit(&destination, nullptr, nullptr, platform::kBlitColorFill | platform::kBlitWait, &effects);
    if (wasLocked) canvas.Lock();
    return kStatusOk;
}
