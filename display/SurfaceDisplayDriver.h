#pragma once
#include <cstdint>
#include <memory>

#include "display/DisplayDriver.h"
#include "display/FrameSurfaces.h"
#include "platform/DisplayDevice.h"

// What the kinds that draw into display surfaces share (DirectDraw and the
// 3D hardware kind): the window, the primary surface with its back buffer
// or off-screen buffer, the drawing surface, the Z-buffer and the frame
// surfaces handed to canvases, and the first steps of SetMode that make
// them.
class SurfaceDisplayDriver : public DisplayDriver {
public:
    // Attempts of the lock that probes a new drawing surface.
    static constexpr int32_t kProbeAttempts = 10000;

    // Where canvases draw: the back buffer, or a system-memory surface with
    // kModeSystemDrawing.
    std::shared_ptr<platform::Surface> drawingSurface;
    // The flip chain's back buffer, or the off-screen buffer.
    std::shared_ptr<platform::Surface> backBuffer;
    std::shared_ptr<platform::Surface> primarySurface;
    std::shared_ptr<platform::Surface> zBuffer;
    FrameSurfaces* frameSurfaces = nullptr;                // owned
    platform::SurfaceDescription description;             // scratch for making and probing surfaces
    platform::Window* window = nullptr;

protected:
    explicit SurfaceDisplayDriver(platform::Window* mainWindow) : window(mainWindow) {}

    // Stores the mode, takes the display (exclusive and switched with
    // kModeFullScreen) and makes the primary surface and buffers; the frame
    // surfaces and the probe follow in each kind. kDisplayOk, or a failure
    // having closed.
    int32_t TakeDisplayAndBuffers(int32_t width, int32_t height, int32_t depth, uint32_t modeFlags);
    // The primary surface, falling back to system memory; kDisplayOk or
    // kDisplayCallFailed, closing on failure.
    int32_t CreatePrimary();
    // Back buffer and drawing surface; the same results.
    int32_t CreateBuffers();
    // Locks and unlocks the drawing surface, restoring it when lost; the
    // locked description stays in `description`.
    bool ProbeDrawingSurface();
    // Restores whichever of the three surfaces was lost.
    void RestoreLostSurfaces();
    // The whole of `source` into `destination`, again while the device is
    // still drawing; false on any other failure.
    bool CopyFrame(platform::Surface& destination, platform::Surface& source);
    // Frees the frame surfaces and releases the surfaces, the drawing
    // surface before the back buffer it may be.
    void ReleaseSurfaces();
};
