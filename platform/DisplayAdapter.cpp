#include "platform/DisplayAdapter.h"

#include <algorithm>

#include "platform/DisplayDevice.h"
#include "platform/ServiceSlot.h"
#include "platform/Surface.h"

namespace platform {
namespace {

constinit ServiceSlot<DisplayAdapter> g_slot{&SystemDisplayAdapter};

// The colours an indexed desktop keeps for itself at both ends of its
// palette: ten dark and primary colours first, ten light ones last.
DisplayPalette MakeSystemPalette() {
    static constexpr uint8_t kLow[10][3] = {{0, 0, 0},     {128, 0, 0},   {0, 128, 0},     {128, 128, 0},
                                            {0, 0, 128},   {128, 0, 128}, {0, 128, 128},   {192, 192, 192},
                                            {192, 220, 192}, {166, 202, 240}};
    static constexpr uint8_t kHigh[10][3] = {{255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},
                                             {0, 255, 0},     {255, 255, 0},   {0, 0, 255},     {255, 0, 255},
                                             {0, 255, 255},   {255, 255, 255}};
    DisplayPalette palette;
    for (int i = 0; i < 10; ++i) {
        palette.entries[i] = {kLow[i][0], kLow[i][1], kLow[i][2], 0};
        palette.entries[246 + i] = {kHigh[i][0], kHigh[i][1], kHigh[i][2], 0};
    }
    return palette;
}

}  // namespace

DisplayAdapter::DisplayAdapter()
    : desktop_{640, 480, kLayoutRgb565},
      current_(desktop_),
      highColor_(kLayoutRgb565),
      modes_{{640, 480, 8}, {640, 480, 16}, {800, 600, 8}, {800, 600, 16}, {1024, 768, 8}, {1024, 768, 16}},
      systemPalette_(MakeSystemPalette()),
      drivers_{{DriverId{}, "Primary Display Driver", "display"},
               {DriverId{{0x56, 0x54, 0x33, 0x44, 1}}, "Vorn Tessel 3D Accelerator", "vorn3d"}},
      textureFormats_{{kLayoutIndexed8}, {kLayoutRgb555, 0x8000}, {kLayoutRgb565}, {kLayoutRgb555},
                      {PixelLayout{16, 0x0F00, 0x00F0, 0x000F}, 0xF000}} {}

DisplayAdapter::~DisplayAdapter() = default;

void DisplayAdapter::SetDesktop(int32_t width, int32_t height, const PixelLayout& format) {
    desktop_ = {width, height, format};
    if (!format.IsIndexed()) highColor_ = format;
    ChangeMode(desktop_);
}

void DisplayAdapter::SetDesktopFormat(const PixelLayout& format) {
    SetDesktop(desktop_.width, desktop_.height, format);
}

void DisplayAdapter::SetHighColorLayout(const PixelLayout& layout) { highColor_ = layout; }

void DisplayAdapter::SetVideoMemory(int64_t bytes) { videoMemory_ = bytes; }

void DisplayAdapter::SetPitchPadding(int32_t bytes) { pitchPadding_ = std::max(bytes, 0); }

void DisplayAdapter::SetSystemPalette(const DisplayPalette& palette) { systemPalette_ = palette; }

void DisplayAdapter::AddMode(int32_t width, int32_t height, int32_t bitsPerPixel) {
    if (!HasMode(width, height, bitsPerPixel)) modes_.push_back({width, height, bitsPerPixel});
}

bool DisplayAdapter::HasMode(int32_t width, int32_t height, int32_t bitsPerPixel) const {
    return std::any_of(modes_.begin(), modes_.end(), [&](const Mode& m) {
        return m.width == width && m.height == height && m.bitsPerPixel == bitsPerPixel;
    });
}

int32_t DisplayAdapter::PitchFor(int32_t width, const PixelLayout& format) const {
    // Rows start on 4-byte boundaries, as display memory lays them out.
    const int32_t rowBytes = width * format.BytesPerPixel();
    return ((rowBytes + 3) & ~3) + pitchPadding_;
}

DeviceResult DisplayAdapter::Open(std::unique_ptr<DisplayDevice>* device, const DriverId* driver) {
    if (device == nullptr) return kDeviceInvalidArguments;
    const DeviceResult result = Enter(DisplayCall::kOpen);
    if (result != kDeviceOk) return result;
    if (driver != nullptr && !driver->IsZero() &&
        std::none_of(drivers_.begin(), drivers_.end(), [&](const DisplayDriverEntry& e) { return e.id == *driver; })) {
        return kDeviceNotFound;
    }
    device->reset(new DisplayDevice(*this));
    return kDeviceOk;
}

void DisplayAdapter::SetDisplayCaps(const DisplayCaps& hardware, const DisplayCaps& emulation) {
    displayCaps_[0] = hardware;
    displayCaps_[1] = emulation;
}

void DisplayAdapter::SetDeviceCaps(const DeviceCaps3d& hardware, const DeviceCaps3d& emulation) {
    deviceCaps_[0] = hardware;
    deviceCaps_[1] = emulation;
}

void DisplayAdapter::InjectFault(DisplayCall call, DeviceResult result, int32_t times, int32_t skip) {
    faults_[size_t(call)] = {skip, times, result};
}

void DisplayAdapter::ClearFaults() { faults_.fill({}); }

void DisplayAdapter::ResetCallCounts() { counts_.fill(0); }

void DisplayAdapter::LoseAllSurfaces() {
    for (Surface* const surface : surfaces_) {
        if (surface->InVideoMemory() || (surface->Caps() & kCapsPrimary) != 0) surface->Lose();
    }
}

DeviceResult DisplayAdapter::Enter(DisplayCall call, bool wait) {
    ++counts_[size_t(call)];
    Fault& fault = faults_[size_t(call)];
    while (fault.times > 0) {
        if (fault.skip > 0) {
            --fault.skip;
            return kDeviceOk;
        }
        --fault.times;
        if (!(wait && fault.result == kDeviceStillDrawing)) return fault.result;
    }
    return kDeviceOk;
}

void DisplayAdapter::ChangeMode(const DisplayMode& mode) {
    current_ = mode;
    ++modeSerial_;
    LoseAllSurfaces();
}

bool DisplayAdapter::ReserveVideo(int64_t bytes) {
    if (videoInUse_ + bytes > videoMemory_) return false;
    videoInUse_ += bytes;
    return true;
}

void DisplayAdapter::Unregister(Surface* surface) {
    surfaces_.erase(std::remove(surfaces_.begin(), surfaces_.end(), surface), surfaces_.end());
}

DisplayAdapter& SystemDisplayAdapter() {
    // Never destroyed: surfaces released during exit still unregister here.
    static DisplayAdapter* const adapter = new DisplayAdapter();
    return *adapter;
}

DisplayAdapter& DisplayAdapter::Current() { return g_slot.Get(); }

DisplayAdapter* DisplayAdapter::Install(DisplayAdapter* adapter) { return g_slot.Swap(adapter); }

}  // namespace platform
