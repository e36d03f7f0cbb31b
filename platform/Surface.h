#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/DeviceResult.h"
#include "platform/PixelLayout.h"

namespace platform {

class DevicePalette;
class DisplayAdapter;

// Surface capabilities, combined with |.
enum SurfaceCaps : uint32_t {
    kCapsBackBuffer = 0x4,       // the surface a flip brings to the front
    kCapsComplex = 0x8,          // made together with its attached surfaces
    kCapsFlip = 0x10,            // part of a flip chain
    kCapsOffscreen = 0x40,       // plain memory that is never shown itself
    kCapsPrimary = 0x200,        // what the screen shows
    kCapsSystemMemory = 0x800,
    kCapsTexture = 0x1000,       // a 3D device may draw from it
    kCaps3dDevice = 0x2000,      // a 3D device may render into it
    kCapsVideoMemory = 0x4000,
    kCapsDepthBuffer = 0x20000,
    kCapsAllocateOnLoad = 0x4000000,   // texture memory taken when loaded (no difference here)
};

enum LockFlags : uint32_t { kLockWait = 0x1 };                          // wait while the device is busy
enum BlitFlags : uint32_t { kBlitColorFill = 0x400, kBlitWait = 0x1000000 };
enum FlipFlags : uint32_t { kFlipWait = 0x1 };

// Right and bottom exclusive.
struct SurfaceRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// What a surface is asked to be, and what Lock reports of it.
struct SurfaceDescription {
    int32_t width = 0;            // 0 for a primary surface: the display's
    int32_t height = 0;
    int32_t pitch = 0;            // bytes from one row to the next; filled by Lock
    int32_t backBufferCount = 0;  // flip chains
    uint32_t caps = 0;            // SurfaceCaps
    PixelLayout format{};         // 0 bits per pixel: the display's
    uint8_t* memory = nullptr;    // the pixels, valid until Unlock
};

struct BlitEffects {
    uint32_t fillColor = 0;       // pixel value or palette index of a colour fill
};

// A block of pixel memory that the display device made: width, height,
// pitch and format, kept in video or system memory. Its memory is
// addressable only between Lock and Unlock, and lost when the display mode
// changes or the device takes it away; Restore gives it new memory
// (possibly with another pitch) whose contents are undefined. Whatever
// changes the primary surface is handed to the presenter. Shared: attached
// surfaces are kept alive by the surface they hang on.
class Surface {
public:
    ~Surface();
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    // Fills `description` with the size, pitch, caps, format and memory.
    DeviceResult Lock(SurfaceDescription* description, uint32_t flags);
    DeviceResult Unlock();
    // kDeviceSurfaceLost while the memory is gone, else kDeviceOk.
    DeviceResult IsLost() const;
    DeviceResult Restore();

    // Copies `sourceRect` of `source` (whole surfaces when the rectangles are
    // null) to `destination` of this surface, or with kBlitColorFill fills
    // `destination` with the effects' colour. Both surfaces must be unlocked
    // and of one format; sizes must match (no stretching).
    DeviceResult Blit(const SurfaceRect* destination, Surface* source, const SurfaceRect* sourceRect, uint32_t flags,
                      const BlitEffects* effects);
    // Called on the front of a flip chain: exchanges its memory with the
    // back buffer's (`target` null or that back buffer) and shows the result.
    DeviceResult Flip(Surface* target, uint32_t flags);

    // The first attached surface having every bit of `caps`.
    DeviceResult GetAttachedSurface(uint32_t caps, std::shared_ptr<Surface>* attached);
    DeviceResult AddAttachedSurface(std::shared_ptr<Surface> surface);
    // Indexed surfaces only; null takes the palette away.
    DeviceResult SetPalette(std::shared_ptr<DevicePalette> palette);
    // The source colour key: pixels from `low` to `high` are transparent
    // when a 3D device draws from this surface with keying on.
    DeviceResult SetColorKey(uint32_t low, uint32_t high);
    bool HasColorKey() const { return hasColorKey_; }
    uint32_t ColorKeyLow() const { return colorKeyLow_; }
    uint32_t ColorKeyHigh() const { return colorKeyHigh_; }
    // A texture surface takes the pixels, palette and colour key of a
    // system-memory copy of the same size and format.
    DeviceResult Load(Surface& source);

    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    int32_t Pitch() const { return pitch_; }
    uint32_t Caps() const { return caps_; }
    const PixelLayout& Format() const { return format_; }
    bool IsLocked() const { return locked_; }
    bool InVideoMemory() const { return videoBytes_ != 0; }
    const DevicePalette* Palette() const { return palette_.get(); }
    // The memory behind the surface, for inspection whether locked or not.
    const uint8_t* Memory() const { return memory_.get(); }

    // Takes the memory away as a change of display mode would.
    void Lose() { lost_ = true; }
    // The attached Z-buffer, or null; asks nothing of the device.
    Surface* DepthBuffer() const;
    // Hands the frame to the presenter when a 3D device drew into a primary surface.
    void ShowChanges() const { ShowIfVisible(); }

private:
    friend class DisplayDevice;
    friend class SoftRenderer;

    Surface(DisplayAdapter& adapter, int32_t width, int32_t height, uint32_t caps, const PixelLayout& format,
            int64_t videoBytes);

    // Allocates cleared memory at the adapter's current pitch rule.
    bool Allocate();
    // Hands the frame to the presenter when this is a primary surface.
    void ShowIfVisible() const;
    void FillRect(const SurfaceRect& r, uint32_t value);
    bool Contains(const SurfaceRect& r) const;

    DisplayAdapter& adapter_;
    const int32_t width_;
    const int32_t height_;
    const uint32_t caps_;
    const PixelLayout format_;
    const int64_t videoBytes_;      // 0 in system memory
    const uint32_t modeSerial_;     // the display mode it was made in
    int32_t pitch_ = 0;
    std::unique_ptr<uint8_t[]> memory_;
    bool locked_ = false;
    bool lost_ = false;
    std::vector<std::shared_ptr<Surface>> attached_;
    std::shared_ptr<DevicePalette> palette_;
    bool hasColorKey_ = false;
    uint32_t colorKeyLow_ = 0;
    uint32_t colorKeyHigh_ = 0;
};

}  // namespace platform
