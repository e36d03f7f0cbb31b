#pragma once
#include <cstdint>
#include <memory>

#include "display/DisplayDriver.h"
#include "display/FrameSurfaces.h"
#include "platform/DisplayDevice.h"

// The display kind for software rendering into display surfaces: a primary
// surface with a back buffer to flip, or an off-screen buffer blitted to the
// primary surface, optionally a separate system-memory drawing surface, and
// a device palette in 8-bit modes. The surface canvases lock the drawing
// surface through FrameSurfaces; Present shows the whole frame.
class DirectDrawDriver final : public DisplayDriver {
public:
    // Attempts of the lock that probes a new drawing surface.
    static constexpr int32_t kProbeAttempts = 10000;

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

    // Where canvases draw: the back buffer, or a system-memory surface with
    // kModeSystemDrawing.
    std::shared_ptr<platform::Surface> drawingSurface;
    // The flip chain's back buffer, or the off-screen buffer.
    std::shared_ptr<platform::Surface> backBuffer;
    std::shared_ptr<platform::Surface> primarySurface;
    std::shared_ptr<platform::Surface> zBuffer;            // always null in this kind
    FrameSurfaces* frameSurfaces = nullptr;                // owned
    std::shared_ptr<platform::DevicePalette> devicePalette;   // 8-bit modes on an indexed display
    platform::SurfaceDescription description;             // scratch for making and probing surfaces
    uint32_t spareWord = 0;
    platform::Window* window = nullptr;

private:
    // The primary surface, falling back to system memory; kDisplayOk or
    // kDisplayCallFailed, closing on failure.
    int32_t CreatePrimary();
    // Back buffer and drawing surface; the same results.
    int32_t CreateBuffers();
    // Locks and unlocks the drawing surface, restoring it when lost.
    bool ProbeDrawingSurface();
    // Gives the display a palette made from the system palette and ours.
    void CreateDevicePalette(Palette* colours);
    // The whole of `source` into `destination`, again while the device is
    // still drawing; false on any other failure.
    bool CopyFrame(platform::Surface& destination, platform::Surface& source);
};
