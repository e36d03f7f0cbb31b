#pragma once
#include <cstdint>
#include <memory>

#include "display/SurfaceDisplayDriver.h"
#include "platform/Render3d.h"

// The display kind for hardware 3D rendering: a device chosen by name, a
// full-screen 16-bit mode with a Z-buffer, a 3D device with its viewport,
// the capabilities it lacks measured into `sins`, fixed render states, and
// the texture manager all 3D textures share. The 3D canvas draws through
// it and sets its render states through SetRenderState, which sends only
// what changed.
class D3DHalDriver final : public SurfaceDisplayDriver {
public:
    // The game's mode flags for this kind.
    static constexpr uint32_t kGameModeFlags = kModeFullScreen | kModeDepthBuffer | kMode3dDevice;
    // Render flags of SetRenderState.
    static constexpr uint32_t kRenderGouraud = 0x01;
    static constexpr uint32_t kRenderDither = 0x02;
    static constexpr uint32_t kRenderPerspective = 0x04;
    static constexpr uint32_t kRenderModulate = 0x08;
    static constexpr uint32_t kRenderColorKey = 0x10;
    static constexpr uint32_t kRenderTranslucent = 0x20;
    static constexpr uint32_t kRenderFiltered = 0x40;
    static constexpr int kDeviceNameLength = 128;

    // Not opened (openResult 9).
    D3DHalDriver();
    // Chooses the device whose description or driver name contains
    // `wantedDevice` (lower case) and opens it; openResult tells how.
    D3DHalDriver(platform::Window* mainWindow, const char* wantedDevice);
    ~D3DHalDriver() override;

    int32_t Open() override;
    int32_t SetMode(int32_t width, int32_t height, int32_t depth, Palette* palette, uint32_t modeFlags) override;
    int32_t SpareCall(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t e) override;
    int32_t SetPaletteEntries(Palette* palette, int32_t brightness) override;
    int32_t Close() override;
    int32_t Present() override;
    void BeginScene() override;
    void EndScene() override;
    int32_t SpareQuery() override;
    // Makes the display device (the named one when it is found) and its 3D
    // interface and the texture manager: kDisplayOk or kDisplayCallFailed.
    virtual int32_t EnumerateDevices(const char* wantedDevice);

    // Sends the states whose render flags changed since the last call, and
    // the texture handle when it changed.
    void SetRenderState(uint32_t renderFlags, uint32_t textureHandle);
    // Forgets what was sent: the next call sends every state.
    static void ResetRenderStateCache();
    // The render flags last sent, -1 before the first.
    static int64_t CachedRenderFlags();

    std::unique_ptr<platform::Render3d> direct3D;
    std::unique_ptr<platform::RenderDevice3d> device;
    std::unique_ptr<platform::Viewport3d> viewport;
    const char* deviceName = nullptr;   // not owned
    // Textures live in video memory and are loaded from system-memory
    // copies; without it they are drawn from system memory.
    bool hardwareColorModel = true;
    platform::DriverId deviceId;        // zero until a device matched

private:
    // The capabilities the 3D device lacks, into sins: kDisplayOk, or a
    // failure having closed.
    int32_t MeasureCapabilities();
    void SetState(platform::RenderState state, uint32_t value);
};
