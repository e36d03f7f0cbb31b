#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/DeviceResult.h"
#include "platform/DisplayPalette.h"
#include "platform/PixelLayout.h"
#include "platform/Render3d.h"

namespace platform {

class DevicePalette;
class DisplayDevice;
class Surface;

struct DisplayMode {
    int32_t width = 0;
    int32_t height = 0;
    PixelLayout format{};
};

// The calls whose results a test can script.
enum class DisplayCall : int32_t {
    kOpen,
    kSetCooperativeLevel,
    kSetDisplayMode,
    kRestoreDisplayMode,
    kCreateSurface,
    kGetAttachedSurface,
    kCreatePalette,
    kLock,
    kUnlock,
    kRestore,
    kBlit,
    kFlip,
    kSetPalette,
    kSetEntries,
    kEnumerateDrivers,
    kQueryRender3d,
    kCreateRenderDevice,
    kGetCaps,
    kGetDeviceCaps,
    kCreateViewport,
    kAddViewport,
    kSetViewport,
    kSetCurrentViewport,
    kBeginScene,
    kEndScene,
    kSetRenderState,
    kLoadTexture,
    kGetTextureHandle,
    kDrawPrimitive,
    kCount
};

// The machine's display: its desktop, the modes and video memory it offers,
// what its screen reports (whether it is palette-based and its system
// palette), and the devices, surfaces and palettes made on it. There is no
// display hardware behind it; surfaces are memory and the primary surface's
// frames go to the current DisplayPresenter. Its switches make calls fail,
// report a lost surface or a busy device, and its counts tell what is still
// allocated. Game thread only.
class DisplayAdapter {
public:
    static constexpr int64_t kDefaultVideoMemory = 8 << 20;

    // A 640 x 480 desktop in 5-6-5, 8 MiB of video memory, the modes
    // 640 x 480, 800 x 600 and 1024 x 768 at 8 and 16 bits per pixel.
    DisplayAdapter();
    ~DisplayAdapter();
    DisplayAdapter(const DisplayAdapter&) = delete;
    DisplayAdapter& operator=(const DisplayAdapter&) = delete;

    // The machine, as a test or the program sets it up. A 16-bit desktop
    // format also becomes the layout of 16-bit display modes.
    void SetDesktop(int32_t width, int32_t height, const PixelLayout& format);
    void SetDesktopFormat(const PixelLayout& format);
    void SetHighColorLayout(const PixelLayout& layout);
    void SetVideoMemory(int64_t bytes);
    // Bytes added to every row of surfaces allocated from now on, so that
    // the pitch differs from the width.
    void SetPitchPadding(int32_t bytes);
    void SetSystemPalette(const DisplayPalette& palette);
    void AddMode(int32_t width, int32_t height, int32_t bitsPerPixel);

    // What the screen reports.
    const DisplayMode& CurrentMode() const { return current_; }
    const DisplayMode& DesktopMode() const { return desktop_; }
    const PixelLayout& HighColorLayout() const { return highColor_; }
    bool HasMode(int32_t width, int32_t height, int32_t bitsPerPixel) const;
    bool IsPaletteBased() const { return current_.format.IsIndexed(); }
    const DisplayPalette& SystemPalette() const { return systemPalette_; }
    int32_t PitchFor(int32_t width, const PixelLayout& format) const;

    // Connects a program to the display: the default device, or the
    // driver of that id (kDeviceNotFound for an id not listed).
    DeviceResult Open(std::unique_ptr<DisplayDevice>* device, const DriverId* driver = nullptr);

    // The 3D side: the display drivers the enumeration lists (the primary
    // one, with a zero id, and a 3D accelerator by default), what the
    // display and its 3D device report they can do, the texture formats,
    // and the log of the 3D calls made, one line each ("SetRenderState
    // ShadeMode 2").
    void SetDrivers(std::vector<DisplayDriverEntry> drivers) { drivers_ = std::move(drivers); }
    const std::vector<DisplayDriverEntry>& Drivers() const { return drivers_; }
    // The drivers in order until `visit` returns false; the enumeration's result.
    template <typename Visit>
    DeviceResult EnumerateDrivers(Visit visit) {
        const DeviceResult result = Enter(DisplayCall::kEnumerateDrivers);
        if (result != kDeviceOk) return result;
        for (const DisplayDriverEntry& entry : drivers_) {
            if (!visit(entry)) break;
        }
        return kDeviceOk;
    }
    void SetDisplayCaps(const DisplayCaps& hardware, const DisplayCaps& emulation);
    void SetDeviceCaps(const DeviceCaps3d& hardware, const DeviceCaps3d& emulation);
    void SetTextureFormats(std::vector<TextureFormat> formats) { textureFormats_ = std::move(formats); }
    const std::vector<std::string>& RenderLog() const { return renderLog_; }
    void ClearRenderLog() { renderLog_.clear(); }

    // What is still allocated.
    int32_t LiveDevices() const { return liveDevices_; }
    int32_t LiveSurfaces() const { return int32_t(surfaces_.size()); }
    int32_t LivePalettes() const { return livePalettes_; }
    int64_t VideoMemoryInUse() const { return videoInUse_; }
    // Whether a device has exclusive use of the display.
    bool IsExclusive() const { return exclusiveOwner_ != nullptr; }

    // Switches. The next `times` calls of `call`, after `skip` that go
    // through, return `result`; kDeviceSurfaceLost from a surface's call also
    // loses that surface. A call made with a wait flag waits out
    // kDeviceStillDrawing instead of returning it. One plan per call; a new
    // one replaces it.
    void InjectFault(DisplayCall call, DeviceResult result, int32_t times = 1, int32_t skip = 0);
    void ClearFaults();
    // Calls of `call` made since construction or ResetCallCounts.
    int32_t CallCount(DisplayCall call) const { return counts_[size_t(call)]; }
    void ResetCallCounts();
    // Loses every surface in video memory and every primary surface, as
    // another program taking the display would.
    void LoseAllSurfaces();

    // The adapter in use: the system's unless a test installed another.
    static DisplayAdapter& Current();
    // Installs `adapter` (null restores the system's); returns the previous one.
    static DisplayAdapter* Install(DisplayAdapter* adapter);

private:
    friend class DevicePalette;
    friend class DisplayDevice;
    friend class Surface;
    friend class Render3d;
    friend class RenderDevice3d;
    friend class Viewport3d;

    void Log(std::string line) { renderLog_.push_back(std::move(line)); }

    struct Fault {
        int32_t skip = 0;
        int32_t times = 0;
        DeviceResult result = kDeviceOk;
    };

    struct Mode {
        int32_t width;
        int32_t height;
        int32_t bitsPerPixel;
    };

    // Counts one call and returns the scripted result, or kDeviceOk. With
    // `wait`, scripted kDeviceStillDrawing results are used up and passed over.
    DeviceResult Enter(DisplayCall call, bool wait = false);
    // Switches the display and loses what the switch takes away.
    void ChangeMode(const DisplayMode& mode);
    uint32_t ModeSerial() const { return modeSerial_; }
    bool ReserveVideo(int64_t bytes);
    void FreeVideo(int64_t bytes) { videoInUse_ -= bytes; }
    void Register(Surface* surface) { surfaces_.push_back(surface); }
    void Unregister(Surface* surface);

    DisplayMode desktop_;
    DisplayMode current_;
    PixelLayout highColor_;
    std::vector<Mode> modes_;
    int64_t videoMemory_ = kDefaultVideoMemory;
    int64_t videoInUse_ = 0;
    int32_t pitchPadding_ = 0;
    uint32_t modeSerial_ = 0;
    DisplayPalette systemPalette_;
    const DisplayDevice* exclusiveOwner_ = nullptr;
    int32_t liveDevices_ = 0;
    int32_t livePalettes_ = 0;
    std::vector<Surface*> surfaces_;
    std::array<Fault, size_t(DisplayCall::kCount)> faults_{};
    std::array<int32_t, size_t(DisplayCall::kCount)> counts_{};
    std::vector<DisplayDriverEntry> drivers_;
    DisplayCaps displayCaps_[2];
    DeviceCaps3d deviceCaps_[2];
    std::vector<TextureFormat> textureFormats_;
    std::vector<std::string> renderLog_;
};

// The display of a machine without display hardware, as DisplayAdapter()
// sets it up.
DisplayAdapter& SystemDisplayAdapter();

}  // namespace platform
