#include "canvas/SurfaceCanvas16.h"

#include "display/Palette.h"

namespace {

constexpr int32_t kBitsPerPixel = 16;

}  // namespace

SurfaceCanvas16::SurfaceCanvas16(FrameSurfaces* surfaces, uint32_t, Palette* canvasPalette, uint32_t canvasFlags) {
    setupResult = SetupSurface(surfaces, nullptr, canvasPalette, canvasFlags);
}

SurfaceCanvas16::SurfaceCanvas16(FrameSurfaces* surfaces, const CanvasRect* area, uint32_t, Palette* canvasPalette,
                                 uint32_t canvasFlags) {
    // Without a rectangle there is no part of the surface to cover.
    setupResult = area != nullptr ? SetupSurface(surfaces, area, canvasPalette, canvasFlags) : kStatusWrongSurface;
}

Status SurfaceCanvas16::SetupSurface(FrameSurfaces* surfaces, const CanvasRect* area, Palette* canvasPalette,
                                     uint32_t canvasFlags) {
    flags = canvasFlags | kFlagSetUp | kFlag16Bit;
    const Status status = surface.SetUp(*this, surfaces, area, nullptr, canvasPalette, kBitsPerPixel);
    if (status != kStatusOk) return status;
    subdivideLength = float(double(width) * 7.0 * 0.01);
    subdivideLongLength = 4.0f * subdivideLength;
    return kStatusOk;
}

int32_t SurfaceCanvas16::Lock() { return surface.Lock(*this, kSurfaceLockAttempts16, true); }

Status SurfaceCanvas16::FillRectRgb(const CanvasRect* rect, const uint8_t* rgb) {
    return surface.ColorFill(*this, *rect, PackRgb(rgb));
}

Status SurfaceCanvas16::FillRect(const CanvasRect* rect, uint32_t colour) {
    if ((colour & (kColorRaw555 | kColorRaw565)) != 0) return surface.ColorFill(*this, *rect, colour & 0xFFFF);
    // Any other word names one of the palette's 256 colours.
    const uint32_t c = palette != nullptr ? palette->GetColor(colour & 0xFF) : 0;
    const uint8_t rgb[3] = {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)};
    return FillRectRgb(rect, rgb);
}
