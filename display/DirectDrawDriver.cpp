#include "display/DirectDrawDriver.h"

#include <algorithm>

#include "display/ColorMath.h"
#include "display/Palette.h"
#include "platform/DisplayAdapter.h"

using platform::DeviceResult;
using platform::Surface;

namespace {

// Red masks of the 16-bit layouts as the locked surface reports them.
constexpr uint32_t kRedMask565 = 0xF800;
constexpr uint32_t kRedMask555 = 0x7C00;

}  // namespace

DirectDrawDriver::DirectDrawDriver(platform::Window* mainWindow) : SurfaceDisplayDriver(mainWindow) {
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
    devicePalette.reset();
    const int32_t taken = TakeDisplayAndBuffers(newWidth, newHeight, newDepth, modeFlags);
    if (taken != kDisplayOk) return taken;

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
    ReleaseSurfaces();
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
    RestoreLostSurfaces();
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
