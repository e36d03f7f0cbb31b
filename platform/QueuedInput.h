#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/InputBackend.h"

namespace platform {

// The input layer as this platform builds it: devices whose state and event
// buffers are fed from outside, by the window's event loop (SDL's events) or
// by a test. A device buffers events only while it is acquired; losing the
// focus takes the foreground devices away (their next read reports lost
// input) and they cannot be acquired again until the focus returns.
//
// Everything is guarded by one lock: the joystick calls may come from a
// timer thread while the game thread feeds and reads.
class QueuedInput : public InputBackend {
public:
    QueuedInput();
    ~QueuedInput() override;
    QueuedInput(const QueuedInput&) = delete;
    QueuedInput& operator=(const QueuedInput&) = delete;

    bool OpenInput(Window* window) override;
    void CloseInput() override;
    std::unique_ptr<InputDevice> CreateDevice(InputDeviceKind kind) override;
    bool GetCursorPosition(int32_t* x, int32_t* y) override;
    bool SetCursorPosition(int32_t x, int32_t y) override;
    int32_t ShowCursor(bool show) override;
    bool IsMouseButtonDown(int32_t button) override;
    uint32_t MapVirtualKey(uint32_t virtualKey) override;
    void GetScreenSize(int32_t* width, int32_t* height) override;
    uint32_t JoystickCount() override;
    uint32_t GetJoystickCaps(JoystickCaps* caps) override;
    uint32_t GetJoystickPosition(JoystickInfo* info) override;

    // --- Feeding -------------------------------------------------------------
    // A key by the window messages' key code (0 to 255).
    void FeedKey(uint32_t code, bool down);
    void FeedMouseMotion(int32_t dx, int32_t dy);
    // Button 0 left, 1 right, 2 middle, 3 a fourth.
    void FeedMouseButton(int32_t index, bool down);
    void FeedCursor(int32_t x, int32_t y);
    void SetFocused(bool focused);
    bool Focused() const;
    void SetScreenSize(int32_t width, int32_t height);
    // Whether the device layer can be opened at all.
    void SetDeviceLayerAvailable(bool available);
    // Moves the real pointer when the game sets the cursor position.
    void SetCursorMover(std::function<void(int32_t x, int32_t y)> mover);

    // The joystick: attached with its ranges, then fed raw axis values in
    // them (0 x, 1 y, 2 z, 3 r, 4 u, 5 v), buttons and the hat in
    // hundredths of a degree (0xFFFFFFFF centred).
    void AttachJoystick(const JoystickCaps& caps, bool hasHat);
    void DetachJoystick();
    bool JoystickAttached() const;
    void FeedJoystickAxis(int32_t axis, int32_t value);
    void FeedJoystickButton(int32_t index, bool down);
    void FeedJoystickHat(uint32_t hundredthsOfDegrees);

private:
    class Device;
    friend class Device;

    void Deliver(InputDeviceKind kind, uint32_t offset, uint32_t data);

    mutable std::mutex mutex_;
    std::vector<Device*> devices_;
    Window* window_ = nullptr;
    bool open_ = false;
    bool available_ = true;
    bool focused_ = true;
    uint32_t sequence_ = 0;
    int32_t cursorX_ = 0, cursorY_ = 0;
    int32_t cursorCount_ = 0;
    int32_t screenWidth_ = 640, screenHeight_ = 480;
    uint8_t mouseButtons_ = 0;
    std::function<void(int32_t, int32_t)> cursorMover_;
    bool joystickAttached_ = false;
    bool joystickHat_ = false;
    JoystickCaps joystickCaps_;
    JoystickDeviceState joystick_;
};

// The process's input, fed by the window's event loop.
QueuedInput& SystemInput();

}  // namespace platform
