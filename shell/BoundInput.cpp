#include "shell/BoundInput.h"

#include <algorithm>

namespace bound_input {

namespace {

constexpr uint32_t kHatCentred = 0xFFFF;
constexpr int32_t kHatHundredths = 100;

}  // namespace

AxisSource DefaultAxis(int32_t function) {
    switch (function) {
        case kYaw: return {kAxisX, 0};
        case kPitch: return {kAxisY, 0};
        case kRoll: return {kAxisRudder, 0};
        case kThrottle: return {kAxisThrottle, 0};
        default: return {};
    }
}

bool ReadAxis(const platform::JoystickInfo& info, uint32_t axisCount, const AxisSource& source, uint32_t* position) {
    if (source.buttonCondition != 0 && (info.buttons & uint32_t(source.buttonCondition)) == 0) return false;
    // An axis the stick does not have reads 0, which would be full travel.
    switch (source.axisBits) {
        case kAxisX: *position = info.x; return axisCount >= 1;
        case kAxisY: *position = info.y; return axisCount >= 2;
        case kAxisThrottle: *position = info.z; return axisCount >= 3;
        case kAxisRudder: *position = info.r; return axisCount >= 4;
        default: return false;
    }
}

bool HatHolds(int32_t direction, uint32_t pov) {
    if (direction < 0 || pov == kHatCentred || pov == 0xFFFFFFFFu) return false;
    return int64_t(pov) == int64_t(direction) * kHatHundredths;
}

float MouseDeflection(int32_t counts) {
    return std::clamp(float(counts) / float(kMouseFullCounts), -1.0f, 1.0f);
}

}  // namespace bound_input
