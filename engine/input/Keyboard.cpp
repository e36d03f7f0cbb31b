#include "engine/input/Keyboard.h"

#include "engine/input/KeyQueue.h"
#include "engine/input/LostInput.h"
#include "platform/InputBackend.h"

Keyboard::Keyboard() = default;

Keyboard::~Keyboard() {
    // Queues outlive nothing they cannot reach: they let go of this keyboard.
    while (queues_ != nullptr) queues_->Detach();
}

uint32_t Keyboard::Open() {
    live_.Clear();
    Snapshot();
    open_ = true;
    return 0;
}

void Keyboard::Close() {
    live_.Clear();
    frame_.Clear();
    open_ = false;
}

void Keyboard::Snapshot() { frame_ = live_; }

bool Keyboard::IsKeyDown(uint32_t key) const { return frame_.Test(key); }

void Keyboard::KeyDown(uint32_t) {}

void Keyboard::KeyUp(uint32_t) {}

bool Keyboard::IsPresent() const { return true; }

void Keyboard::Press(uint32_t key) {
    live_.Set(key);
    frame_.Set(key);
    if (queues_ == nullptr) return;
    uint16_t entry = uint16_t(key & 0xFF);
    if (IsKeyDown(kKeyLeftShift) || IsKeyDown(kKeyRightShift)) entry |= KeyQueue::kShift;
    if (IsKeyDown(kKeyAlt) || IsKeyDown(kKeyRightAltCode)) entry |= KeyQueue::kAlt;
    if (IsKeyDown(kKeyCtrl) || IsKeyDown(kKeyRightCtrlCode)) entry |= KeyQueue::kCtrl;
    for (KeyQueue* queue = queues_; queue != nullptr; queue = queue->next_) queue->Push(entry);
}

void Keyboard::Release(uint32_t key) { live_.Reset(key); }

// --- WindowsKeyboard ------------------------------------------------------------

WindowsKeyboard::WindowsKeyboard(platform::InputBackend& input) : input_(input) {}

void WindowsKeyboard::Read() {}

void WindowsKeyboard::KeyDown(uint32_t virtualKey) { Press(input_.MapVirtualKey(virtualKey) & 0x1FF); }

void WindowsKeyboard::KeyUp(uint32_t virtualKey) { Release(input_.MapVirtualKey(virtualKey) & 0x1FF); }

// --- DirectInputKeyboard --------------------------------------------------------

DirectInputKeyboard::DirectInputKeyboard(platform::InputBackend& input)
    : device_(input.CreateDevice(platform::InputDeviceKind::kKeyboard)) {
    if (device_ != nullptr) {
        device_->SetCooperativeLevel(platform::kCooperativeNonExclusive | platform::kCooperativeForeground);
    }
}

DirectInputKeyboard::~DirectInputKeyboard() {
    if (device_ != nullptr) device_->Unacquire();
}

uint32_t DirectInputKeyboard::Open() {
    Keyboard::Open();
    if (device_ == nullptr) return 0;
    device_->SetDataFormat(platform::InputDeviceKind::kKeyboard);
    device_->SetBufferSize(kBufferedEvents);
    open_ = device_->Acquire() == platform::kInputOk;
    return 0;
}

void DirectInputKeyboard::Close() {
    Keyboard::Close();
    if (device_ != nullptr) device_->Unacquire();
}

void DirectInputKeyboard::Read() {
    if (device_ == nullptr) return;
    platform::DeviceEvent events[kBufferedEvents];
    uint32_t count = 0;
    if (!ReadBufferedEvents(*device_, events, kBufferedEvents, &count)) return;
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t key = events[i].offset & 0xFF;
        if ((events[i].data & 0x80) != 0) {
            Press(key);
        } else {
            Release(key);
        }
    }
}

bool DirectInputKeyboard::IsPresent() const { return device_ != nullptr; }
