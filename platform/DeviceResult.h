#pragma once
#include <cstdint>

namespace platform {

// Results of the display device, its surfaces and palettes. 0 is success;
// failures are negative so that a caller keeping the last result in a
// status word can tell them from its own small codes.
enum DeviceResult : int32_t {
    kDeviceOk = 0,
    kDeviceFailed = -1,              // the call failed for no reason it can name
    kDeviceOutOfMemory = -2,
    kDeviceOutOfVideoMemory = -3,    // video memory cannot hold the surface
    kDeviceInvalidArguments = -4,
    kDeviceUnsupported = -5,         // a mode, size or format the device does not offer
    kDeviceSurfaceLost = -6,         // the memory was taken away: restore the surface
    kDeviceStillDrawing = -7,        // the device is busy with this surface: ask again
    kDeviceSurfaceBusy = -8,         // the surface is locked
    kDeviceNotLocked = -9,
    kDeviceNoExclusiveMode = -10,    // the call needs exclusive use of the display
    kDeviceExclusiveTaken = -11,     // another device has exclusive use
    kDeviceWrongMode = -12,          // made for a display mode no longer in force
    kDeviceNotFound = -13,           // no attached surface with those capabilities
    kDeviceWrongFormat = -14,        // the surface's format does not allow the call
};

}  // namespace platform
