#include "display/DibDriver.h"

#include <algorithm>
#include <cstring>
#include <span>

#include "display/ColorMath.h"
#include "display/Palette.h"
#include "platform/BitmapHeader.h"
#include "platform/WindowGraphics.h"

namespace {

constexpr uint32_t kExclusiveLevel =
    platform::kLevelExclusive | platform::kLevelFullScreen | platform::kLevelAllowModeX;

// The stored depth of the 16-bit modes: device-independent 16-bit frames
// are 5-5-5 whatever the display runs in.
constexpr int32_t kDepth555 = 15;

DisplayPalette::Entry Entry(uint8_t red, uint8_t green, uint8_t blue) {
    return {red, green, blue, DisplayPalette::kNoCollapse};
}

// The palette's colours as they are.
DisplayPalette PlainColors(const Palette& palette) {
    DisplayPalette colours;
    for (int i = 0; i < DisplayPalette::kEntryCount; ++i) {
        const uint32_t colour = palette.GetColor(uint32_t(i));
        colours.entries[i] = Entry(uint8_t(colour), uint8_t(colour >> 8), uint8_t(colour >> 16));
    }
    return colours;
}

}  // namespace

DibDriver::DibDriver() { SetName("DIB Draw"); }

DibDriver::DibDriver(platform::Window* mainWindow) : window(mainWindow) {
    SetName("DIB Draw");
    openResult = Open();
}

DibDriver::~DibDriver() { RestoreModeAndClose(); }

int32_t DibDriver::Open() {
    deviceContext = platform::WindowGraphics::Current().GetContext(window);
    if (deviceContext == nullptr) return Fail(kDisplayCallFailed);
    return OpenDevice(kKindDib);
}

int32_t DibDriver::SetMode(int32_t newWidth, int32_t newHeight, int32_t newDepth, Palette* newPalette,
                           uint32_t modeFlags) {
    width = newWidth;
    height = newHeight;
    spareWords[0] = 0;
    spareWords[1] = 0;
    palette = newPalette;
    // Refused before anything is allocated, leaving the driver open: the
    // game answers by asking again with a 5-5-5 palette.
    if (newDepth == 15 || newDepth == 16) {
        if (newPalette == nullptr || (newPalette->Flags() & Palette::kFlagRgb555) == 0) {
            return kDisplayNeeds555Palette;
        }
        depth = kDepth555;
    } else if (newDepth == 8) {
        depth = 8;
    } else {
        return Fail(kDisplayUnsupported);
    }
    if (width <= 0 || height <= 0) return Fail(kDisplayUnsupported);
    // A driver whose Open failed has nothing to show the frame with.
    if (directDraw == nullptr || deviceContext == nullptr) return Fail(kDisplayCallFailed);

    // A 15-bit request takes two bytes a pixel too; a 15-bit frame would
    // not describe the memory the canvases draw into.
    const uint16_t bitCount = depth == 8 ? 8 : 16;
    logicalPalette.reset();
    EngineRelease(header);
    EngineRelease(pixels);
    pixels = nullptr;
    pitch = 0;
    header = static_cast<uint8_t*>(EngineAllocate(kHeaderBytes));
    if (header == nullptr) return Fail(kDisplayOutOfMemory);
    // All of it, not only the header, so that no colour index is left to chance.
    std::memset(header, 0, kHeaderBytes);
    platform::BitmapHeader description;
    description.bitCount = bitCount;
    if (depth == 8) {
        description.colorsUsed = DisplayPalette::kEntryCount;
        description.colorsImportant = DisplayPalette::kEntryCount;
    }

    if ((modeFlags & kModeFullScreen) != 0) {
        lastResult = directDraw->SetCooperativeLevel(window, kExclusiveLevel);
        if (lastResult == platform::kDeviceOk) lastResult = directDraw->SetDisplayMode(width, height, bitCount);
        flags |= kModeFullScreen;
    } else {
        lastResult = directDraw->SetCooperativeLevel(window, platform::kLevelNormal);
    }
    if (lastResult != platform::kDeviceOk) return Fail(kDisplayCallFailed);

    const size_t rowBytes = (size_t(width) * (bitCount / 8u) + 3) & ~size_t{3};
    if (rowBytes > size_t(INT32_MAX)) return Fail(kDisplayUnsupported);
    pitch = int32_t(rowBytes);
    const size_t frameBytes = rowBytes * size_t(height);
    pixels = static_cast<uint8_t*>(EngineAllocate(frameBytes));
    if (pixels == nullptr) return Fail(kDisplayOutOfMemory);
    std::memset(pixels, 0, frameBytes);
    description.width = width;
    description.height = -height;   // rows run top to bottom
    description.Write(header);

    if (newPalette != nullptr && depth == 8) {
        for (int i = 0; i < DisplayPalette::kEntryCount; ++i) platform::WriteColorIndex(header, i, uint16_t(i));
        if (InstallPalette(PlainColors(*newPalette)) != kDisplayOk) return Fail(kDisplayCallFailed);
    }

    sins |= kSinsSoftware;
    InvalidateAll();
    return kDisplayOk;
}

int32_t DibDriver::SetPaletteEntries(Palette* newPalette, int32_t brightness) {
    palette = newPalette;
    if (depth != 8) return kDisplayOk;
    if (newPalette == nullptr) return kDisplayUnsupported;
    if (deviceContext == nullptr || header == nullptr) return kDisplayCallFailed;
    for (int i = 0; i < DisplayPalette::kEntryCount; ++i) platform::WriteColorIndex(header, i, uint16_t(i));
    return InstallPalette(BrightenedColors(*newPalette, brightness));
}

int32_t DibDriver::InstallPalette(const DisplayPalette& colours) {
    std::shared_ptr<platform::LogicalPalette> made = platform::WindowGraphics::Current().CreatePalette(
        platform::kLogicalPaletteVersion, DisplayPalette::kEntryCount, colours.entries);
    if (made == nullptr) return kDisplayCallFailed;
    // The context keeps the palette it has until it takes the new one.
    if (!deviceContext->SelectPalette(made, false)) return kDisplayCallFailed;
    logicalPalette = std::move(made);
    if (deviceContext->RealizePalette() == platform::DeviceContext::kRealizeFailed) return kDisplayCallFailed;
    return kDisplayOk;
}

int32_t DibDriver::Close() {
    logicalPalette.reset();
    if (directDraw != nullptr) {
        directDraw->SetCooperativeLevel(window, platform::kLevelNormal);
        directDraw.reset();
    }
    EngineRelease(header);
    header = nullptr;
    EngineRelease(pixels);
    pixels = nullptr;
    pitch = 0;
    deviceContext.reset();
    return kDisplayOk;
}

int32_t DibDriver::Present() {
    CanvasRect area;
    if (pixels != nullptr && header != nullptr && deviceContext != nullptr && DirtyArea(&area)) {
        // Source rows count from the bottom of the frame even though its
        // rows run top to bottom in memory.
        const int32_t sourceY = height - (area.y + area.height);
        deviceContext->CopyBits(area.x, area.y, area.width, area.height, area.x, sourceY, 0, height, pixels,
                                std::span<const uint8_t>(header, kHeaderBytes),
                                depth == 8 ? platform::ColorUse::kPaletteIndices : platform::ColorUse::kRgbColors);
    }
    EmptyDirtyRect();
    return kDisplayOk;
}

int32_t DibDriver::SpareQuery() { return 0; }
