#include "display/DisplayDriver.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "display/ColorMath.h"
#include "display/Palette.h"
#include "engine/Saturate.h"
#include "platform/DisplayAdapter.h"
#include "platform/FileSystem.h"

DisplayDriver::~DisplayDriver() = default;

int32_t DisplayDriver::ReapplyPalette(int32_t brightness) {
    if (palette == nullptr) return kDisplayUnsupported;
    return SetPaletteEntries(palette, brightness);
}

int32_t DisplayDriver::SpareCall(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) { return kDisplayUnsupported; }

int32_t DisplayDriver::Present() {
    EmptyDirtyRect();
    return kDisplayOk;
}

void DisplayDriver::InvalidateAll() {
    dirtyLeft = 0;
    dirtyTop = 0;
    dirtyRight = width;
    dirtyBottom = height;
}

void DisplayDriver::Invalidate(const CanvasRect& area) {
    dirtyLeft = std::min(dirtyLeft, area.x);
    dirtyTop = std::min(dirtyTop, area.y);
    // A rectangle near the edge of the 32-bit range must not wrap round.
    dirtyRight = std::max(dirtyRight, Saturate32(int64_t{area.x} + area.width));
    dirtyBottom = std::max(dirtyBottom, Saturate32(int64_t{area.y} + area.height));
}

void DisplayDriver::BeginScene() {}

void DisplayDriver::EndScene() {}

bool DisplayDriver::DirtyArea(CanvasRect* area) const {
    // Invalidate takes rectangles as given, so the collected one may reach
    // past the frame.
    const int32_t left = std::max(dirtyLeft, 0);
    const int32_t top = std::max(dirtyTop, 0);
    const int32_t right = std::min(dirtyRight, width);
    const int32_t bottom = std::min(dirtyBottom, height);
    if (right <= left || bottom <= top) return false;
    *area = {left, top, right - left, bottom - top};
    return true;
}

void DisplayDriver::EmptyDirtyRect() {
    dirtyLeft = width;
    dirtyTop = height;
    dirtyRight = 0;
    dirtyBottom = 0;
}

Status DisplayDriver::WriteScreenLog(const char* path, int32_t errorValue) const {
    char text[256];
    const int length = std::snprintf(text, sizeof text,
                                     "Hardware Description %s\n"
                                     "Screen Flags         %lx\n"
                                     "Screen Sins          %lx\n"
                                     "Error Value          %d\n",
                                     name, static_cast<unsigned long>(flags), static_cast<unsigned long>(sins),
                                     errorValue);
    platform::FileSystem& files = platform::FileSystem::Current();
    const platform::FileHandle file = files.Open(path, platform::kFileWrite, 0, platform::FileCreation::kCreateAlways,
                                                 platform::kFileAttrNormal);
    if (file == platform::kNoFile) return kStatusCannotOpen;
    const bool written = files.Write(file, text, uint32_t(length)) == length;
    const bool closed = files.Close(file);
    return written && closed ? kStatusOk : kStatusPlatformFailed;
}

void DisplayDriver::SetName(const char* text) {
    std::memset(name, 0, sizeof name);
    std::strncpy(name, text, sizeof name - 1);
}

int32_t DisplayDriver::OpenDevice(int32_t deviceKind) {
    lastResult = platform::DisplayAdapter::Current().Open(&directDraw);
    if (lastResult != platform::kDeviceOk) return Fail(kDisplayCallFailed);
    kind = deviceKind;
    return kDisplayOk;
}

int32_t DisplayDriver::Fail(int32_t result) {
    Close();
    return result;
}

void DisplayDriver::RestoreModeAndClose() {
    if ((flags & kModeFullScreen) != 0 && directDraw != nullptr) directDraw->RestoreDisplayMode();
    Close();
}

DisplayPalette DisplayDriver::BrightenedColors(const Palette& palette, int32_t brightness) {
    DisplayPalette colours;
    for (int i = 0; i < DisplayPalette::kEntryCount; ++i) {
        const uint32_t colour = palette.GetColor(uint32_t(i));
        const Hsl hsl = RgbToHsl(uint8_t(colour), uint8_t(colour >> 8), uint8_t(colour >> 16));
        const int64_t lightness = std::clamp(int64_t(hsl.lightness) + brightness, int64_t(0), int64_t(Hsl::kOne));
        uint8_t rgb[3];
        HslToRgbBytes(hsl.hue, int32_t(lightness), hsl.saturation, hsl.spare, rgb);
        colours.entries[i] = {rgb[0], rgb[1], rgb[2], DisplayPalette::kNoCollapse};
    }
    return colours;
}
