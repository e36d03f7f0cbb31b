#include "platform/QueuedInput.h"

#include <algorithm>
#include <deque>
#include <utility>

#include "platform/ServiceSlot.h"
#include "platform/Window.h"

namespace platform {

class QueuedInput::Device final : public InputDevice {
public:
    Device(QueuedInput& owner, InputDeviceKind kind) : owner_(owner), kind_(kind) {}
    ~Device() override {
        const std::lock_guard lock(owner_.mutex_);
        auto& list = owner_.devices_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }

    uint32_t SetCooperativeLevel(uint32_t level) override {
        const std::lock_guard lock(owner_.mutex_);
        level_ = level;
        return kInputOk;
    }
    uint32_t SetDataFormat(InputDeviceKind kind) override {
        const std::lock_guard lock(owner_.mutex_);
        if (acquired_) return kInputFailed;
        formatSet_ = kind == kind_;
        return formatSet_ ? kInputOk : kInputFailed;
    }
    uint32_t SetBufferSize(uint32_t events) override {
        const std::lock_guard lock(owner_.mutex_);
        if (acquired_) return kInputFailed;
        bufferSize_ = events;
        events_.clear();
        return kInputOk;
    }
    uint32_t Acquire() override {
        const std::lock_guard lock(owner_.mutex_);
        if (!formatSet_) return kInputFailed;
        if ((level_ & kCooperativeForeground) != 0 && !owner_.focused_) return kInputFailed;
        acquired_ = true;
        lost_ = false;
        polled_ = owner_.joystick_;
        return kInputOk;
    }
    uint32_t Unacquire() override {
        const std::lock_guard lock(owner_.mutex_);
        const bool was = acquired_;
        acquired_ = false;
        events_.clear();
        return was ? kInputOk : kInputNotAcquired;
    }
    uint32_t GetCapabilities(DeviceCaps* caps) override {
        if (caps == nullptr) return kInputFailed;
        const std::lock_guard lock(owner_.mutex_);
        *caps = DeviceCaps{};
        switch (kind_) {
            case InputDeviceKind::kKeyboard: caps->buttons = 256; break;
            case InputDeviceKind::kMouse:
                caps->axes = 3;
                caps->buttons = 4;
                break;
            case InputDeviceKind::kJoystick:
                caps->axes = owner_.joystickCaps_.axes;
                caps->buttons = std::min<uint32_t>(owner_.joystickCaps_.buttons, 32);
                caps->povs = owner_.joystickHat_ ? 1 : 0;
                break;
        }
        return kInputOk;
    }
    uint32_t GetDeviceData(DeviceEvent* events, uint32_t* count) override {
        if (count == nullptr) return kInputFailed;
        const std::lock_guard lock(owner_.mutex_);
        const uint32_t wanted = *count;
        *count = 0;
        if (lost_) return kInputLost;
        if (!acquired_) return kInputNotAcquired;
        while (*count < wanted && !events_.empty() && events != nullptr) {
            events[(*count)++] = events_.front();
            events_.pop_front();
        }
        return kInputOk;
    }
    uint32_t GetState(JoystickDeviceState* state) override {
        if (state == nullptr || kind_ != InputDeviceKind::kJoystick) return kInputFailed;
        const std::lock_guard lock(owner_.mutex_);
        if (lost_) return kInputLost;
        if (!acquired_) return kInputNotAcquired;
        *state = polled_;
        return kInputOk;
    }
    uint32_t Poll() override {
        const std::lock_guard lock(owner_.mutex_);
        if (lost_) return kInputLost;
        if (!acquired_) return kInputNotAcquired;
        if (kind_ == InputDeviceKind::kJoystick) polled_ = owner_.joystick_;
        return kInputOk;
    }

    // Under the owner's lock.
    void Take(InputDeviceKind kind, const DeviceEvent& event) {
        if (kind != kind_ || !acquired_ || bufferSize_ == 0) return;
        // A full buffer keeps what it holds and loses the newest.
        if (events_.size() < bufferSize_) events_.push_back(event);
    }
    void FocusLost() {
        if (!acquired_ || (level_ & kCooperativeForeground) == 0) return;
        acquired_ = false;
        lost_ = true;
        events_.clear();
    }

private:
    QueuedInput& owner_;
    const InputDeviceKind kind_;
    uint32_t level_ = 0;
    bool formatSet_ = false;
    bool acquired_ = false;
    bool lost_ = false;
    uint32_t bufferSize_ = 0;
    std::deque<DeviceEvent> events_;
    JoystickDeviceState polled_;
};

QueuedInput::QueuedInput() = default;

QueuedInput::~QueuedInput() = default;

bool QueuedInput::OpenInput(Window* window) {
    const std::lock_guard lock(mutex_);
    window_ = window;
    open_ = available_;
    return open_;
}

void QueuedInput::CloseInput() {
    const std::lock_guard lock(mutex_);
    window_ = nullptr;
    open_ = false;
}

std::unique_ptr<InputDevice> QueuedInput::CreateDevice(InputDeviceKind kind) {
    {
        const std::lock_guard lock(mutex_);
        if (!open_ || (kind == InputDeviceKind::kJoystick && !joystickAttached_)) return nullptr;
    }
    auto device = std::make_unique<Device>(*this, kind);
    const std::lock_guard lock(mutex_);
    devices_.push_back(device.get());
    return device;
}

bool QueuedInput::GetCursorPosition(int32_t* x, int32_t* y) {
    const std::lock_guard lock(mutex_);
    if (x != nullptr) *x = cursorX_;
    if (y != nullptr) *y = cursorY_;
    return true;
}

bool QueuedInput::SetCursorPosition(int32_t x, int32_t y) {
    std::function<void(int32_t, int32_t)> mover;
    {
        const std::lock_guard lock(mutex_);
        cursorX_ = x;
        cursorY_ = y;
        mover = cursorMover_;
    }
    if (mover) mover(x, y);
    return true;
}

int32_t QueuedInput::ShowCursor(bool show) {
    Window* window;
    {
        const std::lock_guard lock(mutex_);
        window = window_;
        if (window == nullptr) return cursorCount_ += show ? 1 : -1;
    }
    return window->ShowCursor(show);
}

bool QueuedInput::IsMouseButtonDown(int32_t button) {
    const std::lock_guard lock(mutex_);
    return button >= 1 && button <= 4 && (mouseButtons_ & (1u << (button - 1))) != 0;
}

uint32_t QueuedInput::MapVirtualKey(uint32_t virtualKey) { return virtualKey & 0xFF; }

void QueuedInput::GetScreenSize(int32_t* width, int32_t* height) {
    const std::lock_guard lock(mutex_);
    if (width != nullptr) *width = screenWidth_;
    if (height != nullptr) *height = screenHeight_;
}

uint32_t QueuedInput::JoystickCount() {
    const std::lock_guard lock(mutex_);
    return joystickAttached_ ? 1 : 0;
}

uint32_t QueuedInput::GetJoystickCaps(JoystickCaps* caps) {
    const std::lock_guard lock(mutex_);
    if (!joystickAttached_) return kJoystickUnplugged;
    if (caps != nullptr) {
        *caps = joystickCaps_;
        if (joystickHat_) caps->caps |= JoystickCaps::kHasPov;
    }
    return kJoystickOk;
}

uint32_t QueuedInput::GetJoystickPosition(JoystickInfo* info) {
    const std::lock_guard lock(mutex_);
    if (!joystickAttached_ || info == nullptr) return kJoystickUnplugged;
    const JoystickDeviceState& s = joystick_;
    info->x = uint32_t(s.x);
    info->y = uint32_t(s.y);
    info->z = uint32_t(s.z);
    info->r = uint32_t(s.rx);
    info->u = uint32_t(s.ry);
    info->v = uint32_t(s.rz);
    info->buttons = 0;
    info->buttonNumber = 0;
    for (uint32_t i = 0; i < 32; ++i) {
        if ((s.buttons[i] & 0x80) != 0) {
            info->buttons |= 1u << i;
            ++info->buttonNumber;
        }
    }
    info->pov = s.pov[0] == 0xFFFFFFFFu ? 0xFFFFu : s.pov[0];
    return kJoystickOk;
}

void QueuedInput::Deliver(InputDeviceKind kind, uint32_t offset, uint32_t data) {
    DeviceEvent event;
    event.offset = offset;
    event.data = data;
    event.sequence = ++sequence_;
    for (Device* device : devices_) device->Take(kind, event);
}

void QueuedInput::FeedKey(uint32_t code, bool down) {
    const std::lock_guard lock(mutex_);
    Deliver(InputDeviceKind::kKeyboard, code & 0xFF, down ? 0x80u : 0u);
}

void QueuedInput::FeedMouseMotion(int32_t dx, int32_t dy) {
    const std::lock_guard lock(mutex_);
    if (dx != 0) Deliver(InputDeviceKind::kMouse, kMouseOffsetX, uint32_t(dx));
    if (dy != 0) Deliver(InputDeviceKind::kMouse, kMouseOffsetY, uint32_t(dy));
}

void QueuedInput::FeedMouseButton(int32_t index, bool down) {
    if (index < 0 || index > 3) return;
    const std::lock_guard lock(mutex_);
    const uint8_t bit = uint8_t(1u << index);
    mouseButtons_ = down ? uint8_t(mouseButtons_ | bit) : uint8_t(mouseButtons_ & ~bit);
    Deliver(InputDeviceKind::kMouse, kMouseOffsetButton0 + uint32_t(index), down ? 0x80u : 0u);
}

void QueuedInput::FeedCursor(int32_t x, int32_t y) {
    const std::lock_guard lock(mutex_);
    cursorX_ = x;
    cursorY_ = y;
}

void QueuedInput::SetFocused(bool focused) {
    const std::lock_guard lock(mutex_);
    focused_ = focused;
    if (!focused) {
        for (Device* device : devices_) device->FocusLost();
        mouseButtons_ = 0;
    }
}

bool QueuedInput::Focused() const {
    const std::lock_guard lock(mutex_);
    return focused_;
}

void QueuedInput::SetScreenSize(int32_t width, int32_t height) {
    const std::lock_guard lock(mutex_);
    screenWidth_ = width;
    screenHeight_ = height;
}

void QueuedInput::SetDeviceLayerAvailable(bool available) {
    const std::lock_guard lock(mutex_);
    available_ = available;
}

void QueuedInput::SetCursorMover(std::function<void(int32_t, int32_t)> mover) {
    const std::lock_guard lock(mutex_);
    cursorMover_ = std::move(mover);
}

void QueuedInput::AttachJoystick(const JoystickCaps& caps, bool hasHat) {
    const std::lock_guard lock(mutex_);
    joystickAttached_ = true;
    joystickCaps_ = caps;
    joystickHat_ = hasHat;
    joystick_ = JoystickDeviceState{};
}

void QueuedInput::DetachJoystick() {
    const std::lock_guard lock(mutex_);
    joystickAttached_ = false;
    joystick_ = JoystickDeviceState{};
}

bool QueuedInput::JoystickAttached() const {
    const std::lock_guard lock(mutex_);
    return joystickAttached_;
}

void QueuedInput::FeedJoystickAxis(int32_t axis, int32_t value) {
    const std::lock_guard lock(mutex_);
    int32_t* const axes[6] = {&joystick_.x, &joystick_.y, &joystick_.z, &joystick_.rx, &joystick_.ry, &joystick_.rz};
    if (axis >= 0 && axis < 6) *axes[axis] = value;
}

void QueuedInput::FeedJoystickButton(int32_t index, bool down) {
    if (index < 0 || index >= 32) return;
    const std::lock_guard lock(mutex_);
    joystick_.buttons[index] = down ? 0x80 : 0;
    Deliver(InputDeviceKind::kJoystick, kJoystickOffsetButton0 + uint32_t(index), down ? 0x80u : 0u);
}

void QueuedInput::FeedJoystickHat(uint32_t hundredthsOfDegrees) {
    const std::lock_guard lock(mutex_);
    joystick_.pov[0] = hundredthsOfDegrees;
}

QueuedInput& SystemInput() {
    static QueuedInput input;
    return input;
}

namespace {

InputBackend& SystemBackend() { return SystemInput(); }

constinit ServiceSlot<InputBackend> g_slot{&SystemBackend};

}  // namespace

InputBackend& InputBackend::Current() { return g_slot.Get(); }

InputBackend* InputBackend::Install(InputBackend* backend) { return g_slot.Swap(backend); }

}  // namespace platform
