#pragma once
#include <cstdint>
#include <memory>

#include "display/SurfaceDisplayDriver.h"
#include "platform/DisplayDevice.h"

// The display kind for software rendering into display surfaces: a primary
// surface with a back buffer to flip, or an off-screen buffer blitted to the
// primary surface, optionally a separate system-memory drawing surface, and
// a device palette in 8-bit modes. The surface canvases lock the drawing
// surface through FrameSurfaces; Present shows the whole frame.
class DirectDrawDriver final : public SurfaceDisplayDriver {
public:
    // Opens at once; openResult tells how that went.
    explicit DirectDrawDriver(platform::Window* window);
    // Puts back the desktop's mode when SetMode changed it, then closes.
    ~DirectDrawDriver() override;

    int32_t Open() override;
    int32_t SetMode(int32_t width, int32_t height, int32_t depth, Palette* palette, uint32_t modeFlags) override;
    int32_t SetPaletteEntries(Palette* palette, int32_t brightness) override;
    int32_t Close() override;
    int32_t Present() override;
    int32_t SpareQuery() override;

    std::shared_ptr<platform::DevicePalette> devicePalette;   // 8-bit modes on an indexed display
    uint32_t spareWord = 0;

private:
    // Gives the display a palette made from the system palette and ours.
    void CreateDevicePalette(Palette* colours);
};
