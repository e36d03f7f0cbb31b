#include "canvas/SurfaceCanvas8.h"

#include "display/Palette.h"

namespace {

constexpr int32_t kBitsPerPixel = 8;

}  // namespace

SurfaceCanvas8::SurfaceCanvas8(FrameSurfaces* surfaces, uint16_t* givenDepth, Palette* canvasPalette,
                               uint32_t canvasFlags) {
    setupResult = SetupSurface(surfaces, nullptr, givenDepth, canvasPalette, canvasFlags);
}

SurfaceCanvas8::SurfaceCanvas8(FrameSurfaces* surfaces, const CanvasRect* area, uint16_t* givenDepth,
                               Palette* canvasPalette, uint32_t canvasFlags) {
    // Without a rectangle there is no part of the surface to cover.
    setupResult =
        area != nullptr ? SetupSurface(surfaces, area, givenDepth, canvasPalette, canvasFlags) : kStatusWrongSurface;
}

Status SurfaceCanvas8::SetupSurface(FrameSurfaces* surfaces, const CanvasRect* area, uint16_t* givenDepth,
                                    Palette* canvasPalette, uint32_t canvasFlags) {
    flags = canvasFlags | kFlagSetUp;
    subdivideLength = kDefaultSubdivideLength;
    return surface.SetUp(*this, surfaces, area, givenDepth, canvasPalette, kBitsPerPixel);
}

int32_t SurfaceCanvas8::Lock() { return surface.Lock(*this, kSurfaceLockAttempts8, false); }

Status SurfaceCanvas8::FillRectRgb(const CanvasRect* rect, const uint8_t* rgb) {
    const uint32_t index = palette != nullptr ? palette->MatchColor(RgbToColor(rgb)) : 0;
    return surface.ColorFill(*this, *rect, index);
}

Status SurfaceCanvas8::FillRect(const CanvasRect* rect, uint32_t colour) {
    return surface.ColorFill(*this, *rect, colour & 0xFF);
}
