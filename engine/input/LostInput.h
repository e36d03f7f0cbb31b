#pragma once
#include <cstdint>

#include "platform/InputBackend.h"

// The buffered devices report lost input when another program took them:
// acquire again and retry, a bounded number of times.
inline constexpr int kLostInputRetries = 8;

// Runs `call` (returning a device result) until it gives anything but lost
// input, acquiring the device again between tries; true when it succeeded.
template <typename Call>
bool WithLostInputRetry(platform::InputDevice& device, Call call) {
    uint32_t result = call();
    for (int retry = 0; result == platform::kInputLost && retry < kLostInputRetries; ++retry) {
        if (device.Acquire() != platform::kInputOk) return false;
        result = call();
    }
    return result == platform::kInputOk;
}

// Up to `capacity` buffered events into `events`, their number into `count`;
// false when none could be read.
inline bool ReadBufferedEvents(platform::InputDevice& device, platform::DeviceEvent* events, uint32_t capacity,
                               uint32_t* count) {
    return WithLostInputRetry(device, [&] {
        *count = capacity;
        return device.GetDeviceData(events, count);
    });
}
