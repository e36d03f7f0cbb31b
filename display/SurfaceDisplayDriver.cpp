#include "display/SurfaceDisplayDriver.h"

namespace {

// The capabilities the surfaces are made with.
constexpr uint32_t kPrimaryCaps = platform::kCapsPrimary | platform::kCapsVideoMemory;
constexpr uint32_t kFlipChainCaps = kPrimaryCaps | platform::kCapsFlip | platform::kCapsComplex;
constexpr uint32_t kOffscreenCaps = platform::kCapsOffscreen | platform::kCapsVideoMemory;

constexpr uint32_t kExclusiveLevel =
    platform::kLevelExclusive | platform::kLevelFullScreen | platform::kLevelAllowModeX;

}  // namespace

int32_t SurfaceDisplayDriver::TakeDisplayAndBuffers(int32_t newWidth, int32_t newHeight, int32_t newDepth,
                                                    uint32_t modeFlags) {
    width = newWidth;
    height = newHeight;
    depth = newDepth;
    flags = modeFlags;
    spareWords[0] = 0;
    spareWords[1] = 0;
    // A driver whose Open failed has no device to ask.
    if (directDraw == nullptr) return kDisplayCallFailed;

    if ((flags & kModeFullScreen) != 0) {
        lastResult = directDraw->SetCooperativeLevel(window, kExclusiveLevel);
        if (lastResult == platform::kDeviceOk) lastResult = directDraw->SetDisplayMode(width, height, depth);
    } else {
        lastResult = directDraw->SetCooperativeLevel(window, platform::kLevelNormal);
    }
    if (lastResult != platform::kDeviceOk) return Fail(kDisplayCallFailed);

    backBuffer.reset();
    drawingSurface.reset();
    if (CreatePrimary() != kDisplayOk || CreateBuffers() != kDisplayOk) return kDisplayCallFailed;
    return kDisplayOk;
}

int32_t SurfaceDisplayDriver::CreatePrimary() {
    description = {};
    if ((flags & kModePageFlip) != 0) {
        description.caps = kFlipChainCaps;
        description.backBufferCount = 1;
    } else {
        description.caps = kPrimaryCaps;
    }
    if ((flags & kMode3dDevice) != 0) description.caps |= platform::kCaps3dDevice;
    lastResult = directDraw->CreateSurface(description, &primarySurface);
    if (lastResult != platform::kDeviceOk) {
        // Video memory may be too small for the primary surface; the frame
        // then lives in system memory already and needs no copy of its own.
        description.caps &= ~platform::kCapsVideoMemory;
        lastResult = directDraw->CreateSurface(description, &primarySurface);
        if (lastResult != platform::kDeviceOk) return Fail(kDisplayCallFailed);
        flags &= ~kModeSystemDrawing;
    }
    return kDisplayOk;
}

int32_t SurfaceDisplayDriver::CreateBuffers() {
    const bool systemDrawing = (flags & kModeSystemDrawing) != 0;
    if ((flags & kModePageFlip) != 0) {
        lastResult = primarySurface->GetAttachedSurface(platform::kCapsBackBuffer, &backBuffer);
        if (lastResult != platform::kDeviceOk) return Fail(kDisplayCallFailed);
        if (!systemDrawing) {
            drawingSurface = backBuffer;
            return kDisplayOk;
        }
        description = {};
        description.width = width;
        description.height = height;
        description.caps = platform::kCapsSystemMemory;
        lastResult = directDraw->CreateSurface(description, &drawingSurface);
        if (lastResult != platform::kDeviceOk) return Fail(kDisplayCallFailed);
        return kDisplayOk;
    }
    description = {};
    description.width = width;
    description.height = height;
    if (systemDrawing) {
        description.caps = platform::kCapsSystemMemory;
    } else {
        description.caps = kOffscreenCaps | ((flags & kMode3dDevice) != 0 ? uint32_t(platform::kCaps3dDevice) : 0u);
    }
    lastResult = directDraw->CreateSurface(description, &backBuffer);
    if (lastResult != platform::kDeviceOk) return Fail(kDisplayCallFailed);
    drawingSurface = backBuffer;
    return kDisplayOk;
}

bool SurfaceDisplayDriver::ProbeDrawingSurface() {
    for (int32_t attempt = 0; attempt < kProbeAttempts; ++attempt) {
        lastResult = drawingSurface->Lock(&description, platform::kLockWait);
        if (lastResult == platform::kDeviceOk) {
            drawingSurface->Unlock();
            return true;
        }
        if (lastResult == platform::kDeviceSurfaceLost) lastResult = drawingSurface->Restore();
    }
    return false;
}

void SurfaceDisplayDriver::RestoreLostSurfaces() {
    for (platform::Surface* const surface : {drawingSurface.get(), backBuffer.get(), primarySurface.get()}) {
        if (surface != nullptr && surface->IsLost() == platform::kDeviceSurfaceLost) lastResult = surface->Restore();
    }
}

bool SurfaceDisplayDriver::CopyFrame(platform::Surface& destination, platform::Surface& source) {
    const platform::SurfaceRect whole{0, 0, width, height};
    do {
        lastResult = destination.Blit(&whole, &source, &whole, 0, nullptr);
    } while (lastResult == platform::kDeviceStillDrawing);
    return lastResult == platform::kDeviceOk;
}

void SurfaceDisplayDriver::ReleaseSurfaces() {
    delete frameSurfaces;
    frameSurfaces = nullptr;
    // A drawing surface that is the back buffer goes with it.
    drawingSurface.reset();
    backBuffer.reset();
    primarySurface.reset();
    zBuffer.reset();
}
