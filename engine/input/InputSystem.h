#pragma once
#include <cstdint>
#include <memory>

#include "engine/input/Joystick.h"
#include "engine/input/Keyboard.h"
#include "engine/input/Mouse.h"
#include "platform/InputBackend.h"

namespace platform {
class Window;
}

// One keyboard, one mouse and one joystick, and one place to poll them and
// read their state. A keyboard or mouse absent at creation stays absent; a
// joystick plugged in later attaches at the next update, opened when the
// devices are open. The same device objects are opened and closed many
// times (window activation, screens).
class InputSystem {
public:
    virtual ~InputSystem();
    InputSystem(const InputSystem&) = delete;
    InputSystem& operator=(const InputSystem&) = delete;

    // Each opens or closes its device; the result says whether it exists.
    virtual bool EnableKeyboard(bool on);
    virtual bool EnableMouse(bool on);
    virtual bool EnableJoystick(bool on);
    virtual void Update();
    virtual void Snapshot();
    virtual void GetMouseMotion(int16_t* dx, int16_t* dy) const;
    virtual void GetMousePosition(uint16_t* x, uint16_t* y) const;
    virtual void SetMousePosition(int16_t x, int16_t y);
    virtual uint8_t GetMouseButtons() const;
    virtual bool IsKeyDown(uint32_t key) const;
    virtual void GetJoystickState(platform::JoystickInfo* out) const;

    // Opens keyboard, mouse and joystick (start-up, activation); closes
    // them (deactivation).
    void OpenDevices();
    void ResetDevices();

    bool HasMouse() const;
    bool HasKeyboard() const;
    bool HasJoystick() const;
    bool IsMouseActive() const;
    bool IsKeyboardActive() const;
    bool IsJoystickActive() const;

    Keyboard* GetKeyboard() const { return keyboard_.get(); }
    Mouse* GetMouse() const { return mouse_.get(); }
    Joystick* GetJoystick() const { return joystick_.get(); }
    platform::Window* GetWindow() const { return window_; }

protected:
    explicit InputSystem(platform::InputBackend& input);
    // Drops the devices that do not report themselves present.
    void DropAbsentDevices();
    // This kind's joystick on the backend; null when there is none.
    virtual std::unique_ptr<Joystick> MakeJoystick() = 0;
    // Takes a joystick plugged in since the system was made.
    void AttachPluggedJoystick();

    platform::InputBackend& input_;

    uint16_t mouseX_ = 0;
    uint16_t mouseY_ = 0;
    int16_t motionX_ = 0;
    int16_t motionY_ = 0;
    uint8_t mouseButtons_ = 0;
    platform::JoystickInfo joystickState_{};
    std::unique_ptr<Mouse> mouse_;
    std::unique_ptr<Keyboard> keyboard_;
    std::unique_ptr<Joystick> joystick_;
    platform::Window* window_ = nullptr;
    // Whether the joystick should be open: the devices were opened, or a
    // screen asked for it, and nothing closed it since.
    bool joystickWanted_ = false;
};

// Built on the window's messages, the cursor and the multimedia joystick.
class WindowsInputSystem : public InputSystem {
public:
    explicit WindowsInputSystem(platform::Window* window,
                                platform::InputBackend& input = platform::InputBackend::Current());

private:
    std::unique_ptr<Joystick> MakeJoystick() override;
};

// Built on the buffered device layer; without it, no device at all.
class DirectInputSystem : public InputSystem {
public:
    explicit DirectInputSystem(platform::Window* window,
                               platform::InputBackend& input = platform::InputBackend::Current());
    ~DirectInputSystem() override;
    bool HasDeviceLayer() const { return deviceLayer_; }

private:
    std::unique_ptr<Joystick> MakeJoystick() override;

    bool deviceLayer_ = false;
};
