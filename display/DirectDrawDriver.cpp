#include "display/DirectDrawDriver.h"

#include <algorithm>

#include "display/ColorMath.h"
#include "display/Palette.h"
#include "platform/DisplayAdapter.h"

using platform::DeviceResult;
using platform::Surface;

namespace {

// The capabilities the surfaces are made with.
constexpr uint32_t kPrimaryCaps = platform::kCapsPrimary | platform::kCapsVideoMemory;
constexpr uint32_t kFlipChainCaps = kPrimaryCaps | platform::kCapsFlip | platform::kCapsComplex;
constexpr uint32_t kOffscreenCaps = platform::kCapsOffscreen | platform::kCapsVideoMemory;

constexpr uint32_t kExclusiveLevel =
    platform::kLevelExclusive | platform::kLevelFullScreen | platform::kLevelAllowModeX;

// Red masks of the 16-bit layouts as the locked surface reports them.
constexpr uint32_t kRedMask565 = 0xF800;
constexpr uint32_t kRedMask555 = 0x7C00;

}  // namespace

DirectDrawDriver::DirectDrawDriver(platform::Window* mainWindow) : window(mainWindow) {
    SetName("Direct Draw");
    openResult = Open();
}

DirectDrawDriver::~DirectDrawDriver() { RestoreModeAndClose(); }

int32_t DirectDrawDriver::Open() {
    SetName("DDraw");
    return OpenDevice(kKindDirectDraw);
}

int32_t DirectDrawDriver::SetMode(int32_t newWidth, int32_t newHeight, int32_t newDepth, Palette* newPalette,
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
    devicePalette.reset();

    if (CreatePrimary() != kDisplayOk || CreateBuffers() != kDisplayOk) return kDisplayCallFailed;

    zBuffer.reset();
    delete frameSurfaces;
    frameSurfaces = new FrameSurfaces;
    if (frameSurfaces == nullptr) return Fail(kDisplayOutOfMemory);
    frameSurfaces->drawingSurface = drawingSurface.get();

    // A surface that cannot be locked now will not be drawn into later; the
    // caller deletes the driver, which closes it.
    if (!ProbeDrawingSurface()) return kDisplayCallFailed;

    const uint32_t redMask = description.format.redMask;
    if (redMask == kRedMask565 || redMask == kRedMask555) {
        if (newPalette == nullptr) return Fail(kDisplayUnsupported);
        if (redMask == kRedMask565 && (newPalette->Flags() & Palette::kFlagRgb565) == 0) {
            return Fail(kDisplayNeeds565Palette);
        }
        if (redMask == kRedMask555 && (newPalette->Flags() & Palette::kFlagRgb555) == 0) {
            return Fail(kDisplayNeeds555Palette);
        }
    }

    if (depth == 8) {
        palette = newPalette;
        if (platform::DisplayAdapter::Current().IsPaletteBased()) CreateDevicePalette(newPalette);
    }

    sins |= kSinsSoftware;
    return kDisplayOk;
}

int32_t DirectDrawDriver::CreatePrimary() {
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

int32_t DirectDrawDriver::CreateBuffers() {
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

bool DirectDrawDriver::ProbeDrawingSurface() {
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

void DirectDrawDriver::CreateDevicePalette(Palette* colours) {
    // Entries keep the flags the screen gave them; only the colours are ours.
    DisplayPalette entries = platform::DisplayAdapter::Current().SystemPalette();
    if (colours != nullptr) {
        for (int i = 0; i < DisplayPalette::kEntryCount; ++i) {
            const uint32_t colour = colours->GetColor(uint32_t(i));
            entries.entries[i].red = uint8_t(colour);
            entries.entries[i].green = uint8_t(colour >> 8);
            entries.entries[i].blue = uint8_t(colour >> 16);
        }
    }
    constexpr uint32_t kCaps = platform::kPalette8Bit | platform::kPaletteAllow256;
    lastResult = directDraw->CreatePalette(kCaps, entries, &devicePalette);
    if (lastResult != platform::kDeviceOk) return;
    lastResult = devicePalette->SetEntries(0, DisplayPalette::kEntryCount, entries.entries);
    primarySurface->SetPalette(devicePalette);
    drawingSurface->SetPalette(devicePalette);
    backBuffer->SetPalette(devicePalette);
}

int32_t DirectDrawDriver::SetPaletteEntries(Palette* newPalette, int32_t brightness) {
    if (devicePalette == nullptr || newPalette == nullptr) return kDisplayUnsupported;
    palette = newPalette;
    const DisplayPalette colours = BrightenedColors(*palette, brightness);
    lastResult = devicePalette->SetEntries(0, DisplayPalette::kEntryCount, colours.entries);
    return kDisplayOk;
}

int32_t DirectDrawDriver::Close() {
    delete frameSurfaces;
    frameSurfaces = nullptr;
    // A drawing surface that is the back buffer goes with it.
    drawingSurface.reset();
    backBuffer.reset();
    primarySurface.reset();
    zBuffer.reset();
    devicePalette.reset();
    if (directDraw != nullptr) {
        directDraw->SetCooperativeLevel(window, platform::kLevelNormal);
        directDraw.reset();
    }
    return kDisplayOk;
}

int32_t DirectDrawDriver::Present() {
    // Nothing to show before a mode was set.
    if (primarySurface == nullptr || backBuffer == nullptr) {
        EmptyDirtyRect();
        return kDisplayCallFailed;
    }
    for (Surface* const surface : {drawingSurface.get(), backBuffer.get(), primarySurface.get()}) {
        if (surface != nullptr && surface->IsLost() == platform::kDeviceSurfaceLost) lastResult = surface->Restore();
    }
    if ((flags & kModePageFlip) != 0) {
        if ((flags & kModeSystemDrawing) != 0 && !CopyFrame(*backBuffer, *drawingSurface)) return kDisplayCallFailed;
        lastResult = primarySurface->Flip(nullptr, platform::kFlipWait);
    } else if (!CopyFrame(*primarySurface, *backBuffer)) {
        return kDisplayCallFailed;
    }
    EmptyDirtyRect();
    return kDisplayOk;
}

int32_t DirectDrawDriver::SpareQuery() { return 0; }

bool DirectDrawDriver::CopyFrame(Surface& destination, Surface& source) {
    const platform::SurfaceRect whole{0, 0, width, height};
    do {
        lastResult = destination.Blit(&whole, &source, &whole, 0, nullptr);
    } while (lastResult == platform::kDeviceStillDrawing);
    return lastResult == platform::kDeviceOk;
}
