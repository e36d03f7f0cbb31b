#pragma once
#include <cstdint>

#include "platform/DeviceResult.h"
#include "platform/DisplayPalette.h"

namespace platform {

class DisplayAdapter;

enum PaletteCaps : uint32_t {
    kPalette8Bit = 0x4,        // 256 entries for 8-bit surfaces
    kPaletteAllow256 = 0x40,   // every entry may be set, the first and last too
};

// The colour table of an indexed display: what the screen shows for each
// index once the palette is attached to the primary surface.
class DevicePalette {
public:
    ~DevicePalette();
    DevicePalette(const DevicePalette&) = delete;
    DevicePalette& operator=(const DevicePalette&) = delete;

    // Sets entries first .. first + count - 1 from `entries`.
    DeviceResult SetEntries(int32_t first, int32_t count, const DisplayPalette::Entry* entries);

    uint32_t Caps() const { return caps_; }
    const DisplayPalette& Entries() const { return entries_; }

private:
    friend class DisplayDevice;

    DevicePalette(DisplayAdapter& adapter, uint32_t caps, const DisplayPalette& entries);

    DisplayAdapter& adapter_;
    const uint32_t caps_;
    DisplayPalette entries_;
};

}  // namespace platform
