#include "engine/input/Mouse.h"

#include <algorithm>

#include "engine/Saturate.h"
#include "engine/input/LostInput.h"

namespace {

int16_t ToWord(int64_t value) { return int16_t(std::clamp<int64_t>(value, INT16_MIN, INT16_MAX)); }

}  // namespace

Mouse::Mouse(platform::InputBackend& input) : input_(input) {
    int32_t width = 0, height = 0;
    input.GetScreenSize(&width, &height);
    screenWidth_ = ToWord(width);
    screenHeight_ = ToWord(height);
}

Mouse::~Mouse() = default;

void Mouse::Reset() { open_ = false; }

void Mouse::Snapshot() {}

void Mouse::Poll() {}

bool Mouse::IsPresent() const { return true; }

void Mouse::SetScreenSize(int16_t width, int16_t height) {
    screenWidth_ = width;
    screenHeight_ = height;
}

void Mouse::CursorClamped(int16_t* x, int16_t* y) const {
    int32_t cx = 0, cy = 0;
    input_.GetCursorPosition(&cx, &cy);
    if (x != nullptr) *x = ToWord(std::min<int32_t>(cx, screenWidth_));
    if (y != nullptr) *y = ToWord(std::min<int32_t>(cy, screenHeight_));
}

// --- WindowsMouse --------------------------------------------------------------

WindowsMouse::WindowsMouse(platform::InputBackend& input) : Mouse(input) {}

uint32_t WindowsMouse::Open() {
    open_ = true;
    int32_t x = 0, y = 0;
    input_.GetCursorPosition(&x, &y);
    lastX_ = ToWord(x);
    lastY_ = ToWord(y);
    openWords_[0] = 2;
    openWords_[1] = 1;
    return openWords_[1];
}

void WindowsMouse::ShowCursor(bool show) { input_.ShowCursor(show); }

void WindowsMouse::GetPosition(int16_t* x, int16_t* y) { CursorClamped(x, y); }

void WindowsMouse::SetPosition(int16_t x, int16_t y) {
    input_.SetCursorPosition(std::min(x, screenWidth_), std::min(y, screenHeight_));
}

void WindowsMouse::GetMotion(int16_t* dx, int16_t* dy) {
    int16_t x = 0, y = 0;
    GetPosition(&x, &y);
    if (dx != nullptr) *dx = ToWord(int32_t(x) - lastX_);
    if (dy != nullptr) *dy = ToWord(int32_t(y) - lastY_);
    lastX_ = x;
    lastY_ = y;
}

uint8_t WindowsMouse::GetButtons() {
    uint8_t buttons = 0;
    if (input_.IsMouseButtonDown(1)) buttons |= 1;
    if (input_.IsMouseButtonDown(2)) buttons |= 2;
    return buttons;
}

// --- DirectInputMouse ----------------------------------------------------------

DirectInputMouse::DirectInputMouse(platform::InputBackend& input)
    : Mouse(input), device_(input.CreateDevice(platform::InputDeviceKind::kMouse)) {
    if (device_ != nullptr) {
        device_->SetCooperativeLevel(platform::kCooperativeNonExclusive | platform::kCooperativeForeground);
    }
}

DirectInputMouse::~DirectInputMouse() {
    if (device_ != nullptr) device_->Unacquire();
}

uint32_t DirectInputMouse::Open() {
    if (device_ != nullptr) {
        device_->GetCapabilities(&caps_);
        device_->SetDataFormat(platform::InputDeviceKind::kMouse);
        device_->SetBufferSize(kBufferedEvents);
        input_.GetCursorPosition(&x_, &y_);
        open_ = device_->Acquire() == platform::kInputOk;
        cursorShown_ = true;
        input_.ShowCursor(true);
    }
    openWord_ = 1;
    std::fill(std::begin(buttons_), std::end(buttons_), 0);
    std::fill(std::begin(latched_), std::end(latched_), 0);
    return 1;
}

void DirectInputMouse::Reset() {
    open_ = false;
    if (device_ == nullptr) return;
    device_->Unacquire();
    std::fill(std::begin(buttons_), std::end(buttons_), 0);
    std::fill(std::begin(latched_), std::end(latched_), 0);
}

void DirectInputMouse::Snapshot() { std::copy(std::begin(buttons_), std::end(buttons_), latched_); }

void DirectInputMouse::Poll() {
    if (device_ == nullptr) return;
    platform::DeviceEvent events[kBufferedEvents];
    uint32_t count = 0;
    if (!ReadBufferedEvents(*device_, events, kBufferedEvents, &count)) return;
    int64_t dx = 0, dy = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const platform::DeviceEvent& event = events[i];
        const int32_t amount = int32_t(event.data);
        switch (event.offset) {
            case platform::kMouseOffsetX:
                x_ = Saturate32(int64_t(x_) + amount);
                dx += amount;
                break;
            case platform::kMouseOffsetY:
                y_ = Saturate32(int64_t(y_) + amount);
                dy += amount;
                break;
            case platform::kMouseOffsetButton0:
            case platform::kMouseOffsetButton0 + 1:
            case platform::kMouseOffsetButton0 + 2:
            case platform::kMouseOffsetButton0 + 3: {
                const uint32_t button = event.offset - platform::kMouseOffsetButton0;
                buttons_[button] = uint8_t(event.data);
                if ((event.data & 0x80) != 0) latched_[button] = uint8_t(event.data);
                break;
            }
            default: break;   // the wheel
        }
    }
    motionX_ = ToWord(dx);
    motionY_ = ToWord(dy);
    if (cursorShown_) {
        int16_t cx = 0, cy = 0;
        CursorClamped(&cx, &cy);
        x_ = cx;
        y_ = cy;
    } else {
        x_ = std::clamp<int32_t>(x_, 0, std::max<int32_t>(screenWidth_, 0));
        y_ = std::clamp<int32_t>(y_, 0, std::max<int32_t>(screenHeight_, 0));
    }
}

void DirectInputMouse::ShowCursor(bool show) {
    cursorShown_ = show;
    input_.ShowCursor(show);
}

void DirectInputMouse::GetPosition(int16_t* x, int16_t* y) {
    if (cursorShown_) {
        CursorClamped(x, y);
        return;
    }
    if (x != nullptr) *x = ToWord(x_);
    if (y != nullptr) *y = ToWord(y_);
}

void DirectInputMouse::SetPosition(int16_t x, int16_t y) {
    x_ = std::min(x, screenWidth_);
    y_ = std::min(y, screenHeight_);
    if (cursorShown_) input_.SetCursorPosition(x_, y_);
}

void DirectInputMouse::GetMotion(int16_t* dx, int16_t* dy) {
    if (dx != nullptr) *dx = motionX_;
    if (dy != nullptr) *dy = motionY_;
}

uint8_t DirectInputMouse::GetButtons() {
    uint8_t bits = 0;
    for (int i = 0; i < 4; ++i) {
        if ((latched_[i] & 0x80) != 0) bits |= uint8_t(1u << i);
    }
    return bits;
}

bool DirectInputMouse::IsPresent() const { return device_ != nullptr; }
