#pragma once
#include <cstdint>
#include <memory>

#include "platform/DevicePalette.h"
#include "platform/DeviceResult.h"
#include "platform/Render3d.h"
#include "platform/Surface.h"

namespace platform {

class DisplayAdapter;
class Window;

// How a device shares the display, combined with |.
enum CooperativeLevel : uint32_t {
    kLevelFullScreen = 0x1,
    kLevelNormal = 0x8,         // a window among others on the desktop
    kLevelExclusive = 0x10,     // the whole display, for mode changes and flip chains
    kLevelAllowModeX = 0x40,
};

// One program's connection to the display adapter: it sets how the display
// is shared, switches display modes and makes surfaces and palettes.
// Releasing it gives up exclusive use and puts back a mode it changed.
class DisplayDevice {
public:
    ~DisplayDevice();
    DisplayDevice(const DisplayDevice&) = delete;
    DisplayDevice& operator=(const DisplayDevice&) = delete;

    // kLevelNormal, or kLevelExclusive | kLevelFullScreen (kLevelAllowModeX
    // may be added); exclusive use is refused while another device has it.
    DeviceResult SetCooperativeLevel(Window* window, uint32_t level);
    // One of the adapter's modes; 16 bits per pixel run in the adapter's
    // high-colour layout. Every surface in video memory is lost.
    DeviceResult SetDisplayMode(int32_t width, int32_t height, int32_t bitsPerPixel);
    // Back to the desktop's mode when this device changed it.
    DeviceResult RestoreDisplayMode();

    // A primary surface (with kCapsFlip | kCapsComplex and backBufferCount,
    // a flip chain, which needs exclusive use) or a surface of the given
    // size. Without a memory cap it goes to video memory when it fits.
    DeviceResult CreateSurface(const SurfaceDescription& description, std::shared_ptr<Surface>* surface);
    // caps must include kPalette8Bit.
    DeviceResult CreatePalette(uint32_t caps, const DisplayPalette& entries, std::shared_ptr<DevicePalette>* palette);

    // What the display can do, in hardware and by emulation.
    DeviceResult GetCaps(DisplayCaps* hardware, DisplayCaps* emulation);
    // The device's 3D interface.
    DeviceResult QueryRender3d(std::unique_ptr<Render3d>* render);

    DisplayAdapter& Adapter() const { return adapter_; }
    uint32_t Level() const { return level_; }
    Window* CooperativeWindow() const { return window_; }

private:
    friend class DisplayAdapter;

    explicit DisplayDevice(DisplayAdapter& adapter);

    DisplayAdapter& adapter_;
    uint32_t level_ = 0;
    Window* window_ = nullptr;
    bool changedMode_ = false;
};

}  // namespace platform
