#include "platform/DevicePalette.h"

#include "platform/DisplayAdapter.h"

namespace platform {

DevicePalette::DevicePalette(DisplayAdapter& adapter, uint32_t caps, const DisplayPalette& entries)
    : adapter_(adapter), caps_(caps), entries_(entries) {
    ++adapter_.livePalettes_;
}

DevicePalette::~DevicePalette() { --adapter_.livePalettes_; }

DeviceResult DevicePalette::SetEntries(int32_t first, int32_t count, const DisplayPalette::Entry* entries) {
    const DeviceResult result = adapter_.Enter(DisplayCall::kSetEntries);
    if (result != kDeviceOk) return result;
    if (entries == nullptr || first < 0 || count < 0 || first + count > DisplayPalette::kEntryCount) {
        return kDeviceInvalidArguments;
    }
    for (int32_t i = 0; i < count; ++i) entries_.entries[first + i] = entries[i];
    return kDeviceOk;
}

}  // namespace platform
