#pragma once
#include <cstdint>
#include <memory>

namespace platform {

class Window;

// Results of the input device calls.
inline constexpr uint32_t kInputOk = 0;
inline constexpr uint32_t kInputFailed = 0x80004005;
inline constexpr uint32_t kInputNotAcquired = 0x8007000C;
// The device was taken away (the window lost the focus): acquire it again.
inline constexpr uint32_t kInputLost = 0x8007001E;

// Cooperative levels: how a device is shared with other programs.
inline constexpr uint32_t kCooperativeExclusive = 0x1;
inline constexpr uint32_t kCooperativeNonExclusive = 0x2;
inline constexpr uint32_t kCooperativeForeground = 0x4;
inline constexpr uint32_t kCooperativeBackground = 0x8;

// Multimedia joystick results.
inline constexpr uint32_t kJoystickOk = 0;
inline constexpr uint32_t kJoystickUnplugged = 167;

enum class InputDeviceKind { kKeyboard, kMouse, kJoystick };

// One buffered device event: the offset of what changed in the kind's
// standard state (a key code; 0 x, 4 y, 8 wheel, 12 to 15 mouse buttons;
// 0x30 to 0x4F joystick buttons) and its new data (0x80 pressed, or the
// axis movement).
struct DeviceEvent {
    uint32_t offset = 0;
    uint32_t data = 0;
    uint32_t timeStamp = 0;
    uint32_t sequence = 0;
};
static_assert(sizeof(DeviceEvent) == 16);

// Mouse event offsets.
inline constexpr uint32_t kMouseOffsetX = 0;
inline constexpr uint32_t kMouseOffsetY = 4;
inline constexpr uint32_t kMouseOffsetWheel = 8;
inline constexpr uint32_t kMouseOffsetButton0 = 12;
// Joystick button 0's event offset; buttons 0 to 31 follow.
inline constexpr uint32_t kJoystickOffsetButton0 = 0x30;

struct DeviceCaps {
    uint32_t size = 44;
    uint32_t flags = 0;
    uint32_t deviceType = 0;
    uint32_t axes = 0;
    uint32_t buttons = 0;
    uint32_t povs = 0;
    uint32_t reserved[5] = {};
};
static_assert(sizeof(DeviceCaps) == 44);

// The standard joystick state: six axes, two sliders, four hats (centred:
// 0xFFFFFFFF), 32 buttons (0x80 pressed).
struct JoystickDeviceState {
    int32_t x = 0, y = 0, z = 0;
    int32_t rx = 0, ry = 0, rz = 0;
    int32_t sliders[2] = {};
    uint32_t pov[4] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
    uint8_t buttons[32] = {};
};
static_assert(sizeof(JoystickDeviceState) == 80);

// The multimedia joystick's position record.
struct JoystickInfo {
    static constexpr uint32_t kAllFlags = 0xCFF;
    uint32_t size = 0;
    uint32_t flags = 0;
    uint32_t x = 0, y = 0, z = 0, r = 0, u = 0, v = 0;
    uint32_t buttons = 0;       // bit i: button i + 1
    uint32_t buttonNumber = 0;
    uint32_t pov = 0;
    uint32_t reserved[2] = {};
};
static_assert(sizeof(JoystickInfo) == 52);

// What the joystick reports of itself: its axes' ranges and counts.
struct JoystickCaps {
    static constexpr uint32_t kHasPov = 0x10;   // the stick has a hat
    uint32_t xMin = 0, xMax = 0, yMin = 0, yMax = 0, zMin = 0, zMax = 0;
    uint32_t axes = 0;
    uint32_t buttons = 0;
    uint32_t caps = 0;   // kHasPov
};

// One device of the buffered input layer.
class InputDevice {
public:
    virtual ~InputDevice() = default;
    virtual uint32_t SetCooperativeLevel(uint32_t level) = 0;
    // The kind's standard data format; another kind's is refused.
    virtual uint32_t SetDataFormat(InputDeviceKind kind) = 0;
    // How many events the device keeps between reads; 0 keeps none.
    virtual uint32_t SetBufferSize(uint32_t events) = 0;
    virtual uint32_t Acquire() = 0;
    virtual uint32_t Unacquire() = 0;
    virtual uint32_t GetCapabilities(DeviceCaps* caps) = 0;
    // Takes up to *count buffered events, oldest first; *count becomes the
    // number taken.
    virtual uint32_t GetDeviceData(DeviceEvent* events, uint32_t* count) = 0;
    // The joystick's state as of its last poll.
    virtual uint32_t GetState(JoystickDeviceState* state) = 0;
    virtual uint32_t Poll() = 0;
};

// The machine's input: the buffered device layer, the cursor and key-state
// calls and the multimedia joystick calls. All but the joystick position
// run on the game thread; the joystick position and a device's Poll may
// also run on a timer thread.
class InputBackend {
public:
    virtual ~InputBackend() = default;

    // Opens the device layer for a window: false when there is none.
    virtual bool OpenInput(Window* window) = 0;
    // Lets go of the window; devices made before must be gone.
    virtual void CloseInput() = 0;
    // The system keyboard or mouse, or the first attached joystick; null
    // when there is none or the device layer is not open.
    virtual std::unique_ptr<InputDevice> CreateDevice(InputDeviceKind kind) = 0;

    // The cursor, in the window's frame pixels.
    virtual bool GetCursorPosition(int32_t* x, int32_t* y) = 0;
    virtual bool SetCursorPosition(int32_t x, int32_t y) = 0;
    // The cursor's display count, as Window::ShowCursor keeps it.
    virtual int32_t ShowCursor(bool show) = 0;
    // Whether mouse button 1 (left) or 2 (right) is held now.
    virtual bool IsMouseButtonDown(int32_t button) = 0;
    // A virtual key to its scan code; this layer's virtual keys are the
    // window messages' key codes.
    virtual uint32_t MapVirtualKey(uint32_t virtualKey) = 0;
    virtual void GetScreenSize(int32_t* width, int32_t* height) = 0;

    // The multimedia joystick calls, for joystick 1.
    virtual uint32_t JoystickCount() = 0;
    virtual uint32_t GetJoystickCaps(JoystickCaps* caps) = 0;
    virtual uint32_t GetJoystickPosition(JoystickInfo* info) = 0;

    static InputBackend& Current();
    static InputBackend* Install(InputBackend* backend);
};

}  // namespace platform
