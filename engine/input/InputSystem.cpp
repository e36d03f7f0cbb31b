#include "engine/input/InputSystem.h"

#include <algorithm>

InputSystem::InputSystem(platform::InputBackend& input) : input_(input) {}

InputSystem::~InputSystem() {
    keyboard_.reset();
    mouse_.reset();
    joystick_.reset();
}

void InputSystem::DropAbsentDevices() {
    if (keyboard_ != nullptr && !keyboard_->IsPresent()) keyboard_.reset();
    if (mouse_ != nullptr && !mouse_->IsPresent()) mouse_.reset();
    if (joystick_ != nullptr && joystick_->DeviceCount() == 0) joystick_.reset();
}

void InputSystem::AttachPluggedJoystick() {
    // The backend's count is a cheap look, made every update while there is
    // no joystick; the device itself is made only once one is there.
    if (HasJoystick() || input_.JoystickCount() == 0) return;
    std::unique_ptr<Joystick> plugged = MakeJoystick();
    if (plugged == nullptr || plugged->DeviceCount() == 0) return;
    joystick_ = std::move(plugged);
    if (joystickWanted_) joystick_->Open();
}

bool InputSystem::EnableKeyboard(bool on) {
    if (keyboard_ == nullptr) return false;
    if (on && !keyboard_->IsOpen()) keyboard_->Open();
    if (!on && keyboard_->IsOpen()) keyboard_->Close();
    return true;
}

bool InputSystem::EnableMouse(bool on) {
    if (mouse_ == nullptr) return false;
    if (on && !mouse_->IsOpen()) mouse_->Open();
    if (!on && mouse_->IsOpen()) mouse_->Reset();
    return true;
}

bool InputSystem::EnableJoystick(bool on) {
    joystickWanted_ = on;
    if (joystick_ == nullptr) return false;
    if (on && !joystick_->IsOpen()) joystick_->Open();
    if (!on && joystick_->IsOpen()) joystick_->Close();
    return true;
}

void InputSystem::Update() {
    if (mouse_ != nullptr && mouse_->IsPresent()) {
        mouse_->Poll();
        mouse_->GetMotion(&motionX_, &motionY_);
        int16_t x = 0, y = 0;
        mouse_->GetPosition(&x, &y);
        mouseX_ = uint16_t(x);
        mouseY_ = uint16_t(y);
        mouseButtons_ = mouse_->GetButtons();
    }
    if (keyboard_ != nullptr && keyboard_->IsPresent()) keyboard_->Read();
    AttachPluggedJoystick();
    if (joystick_ != nullptr && joystick_->DeviceCount() != 0) joystick_->ReadState(&joystickState_);
}

void InputSystem::Snapshot() {
    if (keyboard_ != nullptr) keyboard_->Snapshot();
    if (mouse_ != nullptr) mouse_->Snapshot();
    if (joystick_ != nullptr) joystick_->Snapshot();
}

void InputSystem::GetMouseMotion(int16_t* dx, int16_t* dy) const {
    if (dx != nullptr) *dx = motionX_;
    if (dy != nullptr) *dy = motionY_;
}

void InputSystem::GetMousePosition(uint16_t* x, uint16_t* y) const {
    if (x != nullptr) *x = mouseX_;
    if (y != nullptr) *y = mouseY_;
}

void InputSystem::SetMousePosition(int16_t x, int16_t y) {
    if (mouse_ == nullptr) return;
    mouseX_ = uint16_t(x);
    mouseY_ = uint16_t(y);
    mouse_->SetPosition(x, y);
}

uint8_t InputSystem::GetMouseButtons() const { return mouseButtons_; }

bool InputSystem::IsKeyDown(uint32_t key) const { return keyboard_ != nullptr && keyboard_->IsKeyDown(key); }

void InputSystem::GetJoystickState(platform::JoystickInfo* out) const {
    if (out != nullptr) *out = joystickState_;
}

void InputSystem::OpenDevices() {
    joystickWanted_ = true;
    if (keyboard_ != nullptr) keyboard_->Open();
    if (mouse_ != nullptr) mouse_->Open();
    if (joystick_ != nullptr) joystick_->Open();
}

void InputSystem::ResetDevices() {
    joystickWanted_ = false;
    if (keyboard_ != nullptr) keyboard_->Close();
    if (mouse_ != nullptr) mouse_->Reset();
    if (joystick_ != nullptr) joystick_->Close();
}

bool InputSystem::HasMouse() const { return mouse_ != nullptr && mouse_->IsPresent(); }
bool InputSystem::HasKeyboard() const { return keyboard_ != nullptr && keyboard_->IsPresent(); }
bool InputSystem::HasJoystick() const { return joystick_ != nullptr && joystick_->DeviceCount() != 0; }
bool InputSystem::IsMouseActive() const { return HasMouse() && mouse_->IsOpen(); }
bool InputSystem::IsKeyboardActive() const { return HasKeyboard() && keyboard_->IsOpen(); }
bool InputSystem::IsJoystickActive() const { return HasJoystick() && joystick_->IsOpen(); }

WindowsInputSystem::WindowsInputSystem(platform::Window* window, platform::InputBackend& input)
    : InputSystem(input) {
    window_ = window;
    input.OpenInput(window);
    keyboard_ = std::make_unique<WindowsKeyboard>(input);
    mouse_ = std::make_unique<WindowsMouse>(input);
    joystick_ = MakeJoystick();
    DropAbsentDevices();
}

std::unique_ptr<Joystick> WindowsInputSystem::MakeJoystick() { return std::make_unique<WinmmJoystick>(input_); }

DirectInputSystem::DirectInputSystem(platform::Window* window, platform::InputBackend& input) : InputSystem(input) {
    window_ = window;
    deviceLayer_ = input.OpenInput(window);
    if (!deviceLayer_) return;
    keyboard_ = std::make_unique<DirectInputKeyboard>(input);
    mouse_ = std::make_unique<DirectInputMouse>(input);
    joystick_ = MakeJoystick();
    DropAbsentDevices();
}

std::unique_ptr<Joystick> DirectInputSystem::MakeJoystick() {
    // Without the device layer there are no devices at all.
    if (!deviceLayer_) return nullptr;
    return std::make_unique<TimedJoystick>(input_);
}

DirectInputSystem::~DirectInputSystem() {
    keyboard_.reset();
    mouse_.reset();
    joystick_.reset();
    if (deviceLayer_) input_.CloseInput();
}
