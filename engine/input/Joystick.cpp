#include "engine/input/Joystick.h"

#include <algorithm>

#include "engine/input/LostInput.h"
#include "platform/MultimediaTimer.h"

namespace {

// ((position - minimum) << 16) / (maximum - minimum), kept within 0..65536.
uint32_t Normalised(uint32_t position, uint32_t minimum, uint32_t maximum) {
    const int64_t span = int64_t(maximum) - int64_t(minimum);
    const int64_t value = ((int64_t(position) - int64_t(minimum)) * 65536) / span;
    return uint32_t(std::clamp<int64_t>(value, 0, 65536));
}

}  // namespace

Joystick::Joystick() = default;

Joystick::~Joystick() = default;

void Joystick::Snapshot() {}

platform::InputDevice* Joystick::GetDevice() const { return nullptr; }

bool Joystick::StartTimer(uint32_t periodMs) {
    StopTimer();
    timerId_ = platform::MultimediaTimer::Current().StartPeriodic(periodMs, periodMs, &TimerThunk,
                                                                   reinterpret_cast<uintptr_t>(this));
    return timerId_ != 0;
}

void Joystick::StopTimer() {
    if (timerId_ == 0) return;
    platform::MultimediaTimer::Current().Kill(timerId_);
    timerId_ = 0;
}

void Joystick::TimerThunk(uint32_t, uintptr_t user) { reinterpret_cast<Joystick*>(user)->OnTimer(); }

// --- WinmmJoystick -------------------------------------------------------------

WinmmJoystick::WinmmJoystick(platform::InputBackend& input) : input_(input) {
    deviceCount_ = uint16_t(std::min<uint32_t>(input.JoystickCount(), 0xFFFF));
    polled_.size = kRecordSize;
    polled_.flags = platform::JoystickInfo::kAllFlags;
}

WinmmJoystick::~WinmmJoystick() {
    // The timer thread reads this object: it stops before the object goes.
    StopTimer();
}

uint32_t WinmmJoystick::Open() {
    if (deviceCount_ != 0) {
        platform::JoystickInfo probe;
        probe.size = kRecordSize;
        probe.flags = platform::JoystickInfo::kAllFlags;
        if (input_.GetJoystickCaps(&caps_) != platform::kJoystickOk ||
            input_.GetJoystickPosition(&probe) != platform::kJoystickOk) {
            deviceCount_ = 0;
        }
    }
    open_ = deviceCount_ != 0;
    return open_ ? 1 : 0;
}

void WinmmJoystick::Close() {
    open_ = false;
    StopTimer();
    // No timer fills the polled record any more: reads go to the stick.
    polling_.store(false, std::memory_order_release);
}

void WinmmJoystick::ReadState(platform::JoystickInfo* out) {
    if (out == nullptr || deviceCount_ == 0 || !open_) return;
    if (IsPolling()) {
        const std::lock_guard lock(polledLock_);
        *out = polled_;
        polled_.buttons = 0;
        return;
    }
    *out = platform::JoystickInfo{};
    out->size = kRecordSize;
    out->flags = platform::JoystickInfo::kAllFlags;
    if (input_.GetJoystickPosition(out) != platform::kJoystickOk) return;
    out->size = kRecordSize;
    out->flags = platform::JoystickInfo::kAllFlags;
    const struct {
        uint32_t* value;
        uint32_t minimum, maximum, axesNeeded;
    } axes[] = {{&out->x, caps_.xMin, caps_.xMax, 1}, {&out->y, caps_.yMin, caps_.yMax, 2},
                {&out->z, caps_.zMin, caps_.zMax, 3}};
    for (const auto& axis : axes) {
        if (caps_.axes >= axis.axesNeeded && axis.maximum != axis.minimum) {
            *axis.value = Normalised(*axis.value, axis.minimum, axis.maximum);
        }
    }
}

bool WinmmJoystick::StartPolling(bool on, uint32_t periodMs) {
    polling_.store(on, std::memory_order_release);
    if (on) return StartTimer(periodMs);
    StopTimer();
    return false;
}

void WinmmJoystick::OnTimer() {
    platform::JoystickInfo reading;
    reading.size = kRecordSize;
    reading.flags = platform::JoystickInfo::kAllFlags;
    const bool read = input_.GetJoystickPosition(&reading) == platform::kJoystickOk;
    const std::lock_guard lock(polledLock_);
    const uint32_t accumulated = polled_.buttons;
    if (read) {
        reading.size = kRecordSize;
        reading.flags = platform::JoystickInfo::kAllFlags;
        polled_ = reading;
    }
    polled_.buttons |= accumulated;
}

// --- TimedJoystick -------------------------------------------------------------

TimedJoystick::TimedJoystick(platform::InputBackend& input)
    : device_(input.CreateDevice(platform::InputDeviceKind::kJoystick)) {
    if (device_ != nullptr &&
        (device_->SetDataFormat(platform::InputDeviceKind::kJoystick) != platform::kInputOk ||
         device_->SetCooperativeLevel(platform::kCooperativeExclusive | platform::kCooperativeForeground) !=
             platform::kInputOk)) {
        device_.reset();
    }
    deviceCount_ = device_ != nullptr ? 1 : 0;
}

TimedJoystick::~TimedJoystick() {
    StopTimer();
    if (device_ != nullptr) device_->Unacquire();
}

uint32_t TimedJoystick::Open() {
    if (device_ != nullptr) {
        caps_ = platform::DeviceCaps{};
        device_->GetCapabilities(&caps_);
        open_ = device_->Acquire() == platform::kInputOk;
    }
    return deviceCount_;
}

void TimedJoystick::Close() {
    open_ = false;
    if (device_ != nullptr) device_->Unacquire();
    StopTimer();
    polling_.store(false, std::memory_order_release);
}

void TimedJoystick::ReadState(platform::JoystickInfo* out) {
    if (out == nullptr) return;
    *out = platform::JoystickInfo{};
    if (device_ == nullptr || !open_) return;
    if (!IsPolling()) device_->Poll();
    platform::JoystickDeviceState state;
    if (!WithLostInputRetry(*device_, [&] { return device_->GetState(&state); })) return;
    out->size = kRecordSize;
    out->flags = platform::JoystickInfo::kAllFlags;
    out->x = uint32_t(state.x);
    out->y = uint32_t(state.y);
    out->z = uint32_t(state.z);
    out->r = uint32_t(state.rx);
    out->u = uint32_t(state.ry);
    out->v = uint32_t(state.rz);
    out->buttonNumber = 0;
    out->pov = caps_.povs >= 1 ? state.pov[0] : kPovCentred;
    const uint32_t buttons = std::min<uint32_t>(caps_.buttons, 32);
    for (uint32_t i = 0; i < buttons; ++i) {
        if ((state.buttons[i] & 0x80) != 0) out->buttons |= 1u << i;
    }
    if (!IsPolling()) return;
    platform::DeviceEvent events[kBufferedEvents];
    uint32_t count = 0;
    if (!ReadBufferedEvents(*device_, events, kBufferedEvents, &count)) return;
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t offset = events[i].offset;
        if (offset >= platform::kJoystickOffsetButton0 && offset < platform::kJoystickOffsetButton0 + 32 &&
            (events[i].data & 0x80) != 0) {
            out->buttons |= 1u << (offset - platform::kJoystickOffsetButton0);
        }
    }
}

bool TimedJoystick::StartPolling(bool on, uint32_t periodMs) {
    if (device_ == nullptr || !open_) return false;
    polling_.store(on, std::memory_order_release);
    const bool wasAcquired = device_->Unacquire() == platform::kInputOk;
    device_->SetBufferSize(on ? kBufferedEvents : 0);
    if (wasAcquired) device_->Acquire();
    if (on) return StartTimer(periodMs);
    StopTimer();
    return false;
}

platform::InputDevice* TimedJoystick::GetDevice() const { return device_.get(); }

void TimedJoystick::OnTimer() { device_->Poll(); }
