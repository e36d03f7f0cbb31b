#include "platform/DisplayDevice.h"

#include "platform/DisplayAdapter.h"

namespace platform {
namespace {

bool IsDrawableFormat(const PixelLayout& format) {
    return format == kLayoutIndexed8 || format == kLayoutRgb555 || format == kLayoutRgb565;
}

// Textures may also take the 3D device's 16-bit formats of other layouts.
bool IsTextureFormat(const PixelLayout& format) { return format.bitsPerPixel == 8 || format.bitsPerPixel == 16; }

}  // namespace

DisplayDevice::DisplayDevice(DisplayAdapter& adapter) : adapter_(adapter) { ++adapter_.liveDevices_; }

DisplayDevice::~DisplayDevice() {
    if (adapter_.exclusiveOwner_ == this) adapter_.exclusiveOwner_ = nullptr;
    if (changedMode_) adapter_.ChangeMode(adapter_.DesktopMode());
    --adapter_.liveDevices_;
}

DeviceResult DisplayDevice::SetCooperativeLevel(Window* window, uint32_t level) {
    const DeviceResult result = adapter_.Enter(DisplayCall::kSetCooperativeLevel);
    if (result != kDeviceOk) return result;
    const bool exclusive = (level & kLevelExclusive) != 0;
    const bool normal = (level & kLevelNormal) != 0;
    if (exclusive == normal) return kDeviceInvalidArguments;
    if (exclusive) {
        // Exclusive use only comes with the whole screen.
        if ((level & kLevelFullScreen) == 0) return kDeviceInvalidArguments;
        if (adapter_.exclusiveOwner_ != nullptr && adapter_.exclusiveOwner_ != this) return kDeviceExclusiveTaken;
        adapter_.exclusiveOwner_ = this;
    } else if (adapter_.exclusiveOwner_ == this) {
        adapter_.exclusiveOwner_ = nullptr;
    }
    level_ = level;
    window_ = window;
    return kDeviceOk;
}

DeviceResult DisplayDevice::SetDisplayMode(int32_t width, int32_t height, int32_t bitsPerPixel) {
    const DeviceResult result = adapter_.Enter(DisplayCall::kSetDisplayMode);
    if (result != kDeviceOk) return result;
    if (adapter_.exclusiveOwner_ != nullptr && adapter_.exclusiveOwner_ != this) return kDeviceExclusiveTaken;
    if (!adapter_.HasMode(width, height, bitsPerPixel)) return kDeviceUnsupported;
    const PixelLayout format = bitsPerPixel == 8 ? kLayoutIndexed8 : adapter_.HighColorLayout();
    adapter_.ChangeMode({width, height, format});
    changedMode_ = true;
    return kDeviceOk;
}

DeviceResult DisplayDevice::RestoreDisplayMode() {
    const DeviceResult result = adapter_.Enter(DisplayCall::kRestoreDisplayMode);
    if (result != kDeviceOk) return result;
    if (changedMode_) {
        adapter_.ChangeMode(adapter_.DesktopMode());
        changedMode_ = false;
    }
    return kDeviceOk;
}

DeviceResult DisplayDevice::CreateSurface(const SurfaceDescription& description, std::shared_ptr<Surface>* surface) {
    if (surface == nullptr) return kDeviceInvalidArguments;
    const DeviceResult result = adapter_.Enter(DisplayCall::kCreateSurface);
    if (result != kDeviceOk) return result;

    const uint32_t caps = description.caps;
    const bool primary = (caps & kCapsPrimary) != 0;
    const bool chain = (caps & kCapsFlip) != 0;
    int32_t width = description.width;
    int32_t height = description.height;
    PixelLayout format = description.format;
    int32_t backBuffers = 0;
    if (primary) {
        width = adapter_.CurrentMode().width;
        height = adapter_.CurrentMode().height;
        format = adapter_.CurrentMode().format;
        if (chain) {
            if ((caps & kCapsComplex) == 0 || description.backBufferCount < 1) return kDeviceInvalidArguments;
            if (adapter_.exclusiveOwner_ != this) return kDeviceNoExclusiveMode;
            backBuffers = description.backBufferCount;
        }
    } else {
        if (chain || description.backBufferCount != 0) return kDeviceUnsupported;
        if (width <= 0 || height <= 0) return kDeviceInvalidArguments;
        if (format.bitsPerPixel == 0) format = adapter_.CurrentMode().format;
        const bool depthBuffer = (caps & kCapsDepthBuffer) != 0;
        const bool texture = (caps & kCapsTexture) != 0;
        if (depthBuffer ? format.bitsPerPixel != 16
                        : !(texture ? IsTextureFormat(format) : IsDrawableFormat(format))) {
            return kDeviceWrongFormat;
        }
    }

    const uint32_t memoryCaps = caps & (kCapsVideoMemory | kCapsSystemMemory);
    if (memoryCaps == (kCapsVideoMemory | kCapsSystemMemory)) return kDeviceInvalidArguments;
    const int64_t surfaceBytes = int64_t(adapter_.PitchFor(width, format)) * height;
    const int64_t totalBytes = surfaceBytes * (1 + backBuffers);
    bool video = memoryCaps == kCapsVideoMemory;
    if (video) {
        if (!adapter_.ReserveVideo(totalBytes)) return kDeviceOutOfVideoMemory;
    } else if (memoryCaps == 0) {
        video = adapter_.ReserveVideo(totalBytes);
    }
    const uint32_t placedCaps = (caps & ~(kCapsVideoMemory | kCapsSystemMemory)) |
                                (video ? kCapsVideoMemory : kCapsSystemMemory);
    const int64_t videoBytes = video ? surfaceBytes : 0;

    // Each surface gives its share of the reservation back when it goes, so
    // a failure from here on leaks no video memory.
    std::shared_ptr<Surface> front(new Surface(adapter_, width, height, placedCaps, format, videoBytes));
    std::shared_ptr<Surface> previous = front;
    for (int32_t i = 0; i < backBuffers; ++i) {
        const uint32_t backCaps = kCapsFlip | kCapsComplex | (i == 0 ? uint32_t(kCapsBackBuffer) : 0u) |
                                  (placedCaps & (kCaps3dDevice | kCapsVideoMemory | kCapsSystemMemory));
        std::shared_ptr<Surface> back(new Surface(adapter_, width, height, backCaps, format, videoBytes));
        previous->attached_.push_back(back);
        previous = back;
    }
    for (Surface* s = front.get(); s != nullptr; s = s->attached_.empty() ? nullptr : s->attached_.front().get()) {
        if (!s->Allocate()) return kDeviceOutOfMemory;
    }
    *surface = std::move(front);
    return kDeviceOk;
}

DeviceResult DisplayDevice::CreatePalette(uint32_t caps, const DisplayPalette& entries,
                                          std::shared_ptr<DevicePalette>* palette) {
    if (palette == nullptr) return kDeviceInvalidArguments;
    const DeviceResult result = adapter_.Enter(DisplayCall::kCreatePalette);
    if (result != kDeviceOk) return result;
    if ((caps & kPalette8Bit) == 0) return kDeviceUnsupported;
    palette->reset(new DevicePalette(adapter_, caps, entries));
    return kDeviceOk;
}

DeviceResult DisplayDevice::GetCaps(DisplayCaps* hardware, DisplayCaps* emulation) {
    const DeviceResult result = adapter_.Enter(DisplayCall::kGetCaps);
    if (result != kDeviceOk) return result;
    if (hardware != nullptr) *hardware = adapter_.displayCaps_[0];
    if (emulation != nullptr) *emulation = adapter_.displayCaps_[1];
    return kDeviceOk;
}

DeviceResult DisplayDevice::QueryRender3d(std::unique_ptr<Render3d>* render) {
    if (render == nullptr) return kDeviceInvalidArguments;
    const DeviceResult result = adapter_.Enter(DisplayCall::kQueryRender3d);
    if (result != kDeviceOk) return result;
    render->reset(new Render3d(adapter_));
    return kDeviceOk;
}

}  // namespace platform
