#include "platform/SdlWindowBackend.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <array>

#include "platform/MessageBox.h"
#include "platform/QueuedInput.h"
#include "platform/SdlMessageBox.h"
#include "platform/SdlVideo.h"

namespace platform {
namespace {

constexpr uint8_t kExtended = 0x80;

// SDL's scan codes (USB usage numbers) to the PC keyboard's set-1 make
// codes, kExtended marking the keys that send an 0xE0 prefix. Keys the PC
// keyboard lacks stay 0.
constexpr std::array<uint8_t, SDL_NUM_SCANCODES> MakeSetOneTable() {
    std::array<uint8_t, SDL_NUM_SCANCODES> table{};
    struct Pair {
        SDL_Scancode from;
        uint8_t to;
    };
    constexpr Pair pairs[] = {
        {SDL_SCANCODE_ESCAPE, 0x01},
        {SDL_SCANCODE_1, 0x02}, {SDL_SCANCODE_2, 0x03}, {SDL_SCANCODE_3, 0x04}, {SDL_SCANCODE_4, 0x05},
        {SDL_SCANCODE_5, 0x06}, {SDL_SCANCODE_6, 0x07}, {SDL_SCANCODE_7, 0x08}, {SDL_SCANCODE_8, 0x09},
        {SDL_SCANCODE_9, 0x0A}, {SDL_SCANCODE_0, 0x0B}, {SDL_SCANCODE_MINUS, 0x0C}, {SDL_SCANCODE_EQUALS, 0x0D},
        {SDL_SCANCODE_BACKSPACE, 0x0E}, {SDL_SCANCODE_TAB, 0x0F},
        {SDL_SCANCODE_Q, 0x10}, {SDL_SCANCODE_W, 0x11}, {SDL_SCANCODE_E, 0x12}, {SDL_SCANCODE_R, 0x13},
        {SDL_SCANCODE_T, 0x14}, {SDL_SCANCODE_Y, 0x15}, {SDL_SCANCODE_U, 0x16}, {SDL_SCANCODE_I, 0x17},
        {SDL_SCANCODE_O, 0x18}, {SDL_SCANCODE_P, 0x19}, {SDL_SCANCODE_LEFTBRACKET, 0x1A},
        {SDL_SCANCODE_RIGHTBRACKET, 0x1B}, {SDL_SCANCODE_RETURN, 0x1C}, {SDL_SCANCODE_LCTRL, 0x1D},
        {SDL_SCANCODE_A, 0x1E}, {SDL_SCANCODE_S, 0x1F}, {SDL_SCANCODE_D, 0x20}, {SDL_SCANCODE_F, 0x21},
        {SDL_SCANCODE_G, 0x22}, {SDL_SCANCODE_H, 0x23}, {SDL_SCANCODE_J, 0x24}, {SDL_SCANCODE_K, 0x25},
        {SDL_SCANCODE_L, 0x26}, {SDL_SCANCODE_SEMICOLON, 0x27}, {SDL_SCANCODE_APOSTROPHE, 0x28},
        {SDL_SCANCODE_GRAVE, 0x29}, {SDL_SCANCODE_LSHIFT, 0x2A}, {SDL_SCANCODE_BACKSLASH, 0x2B},
        {SDL_SCANCODE_NONUSHASH, 0x2B},
        {SDL_SCANCODE_Z, 0x2C}, {SDL_SCANCODE_X, 0x2D}, {SDL_SCANCODE_C, 0x2E}, {SDL_SCANCODE_V, 0x2F},
        {SDL_SCANCODE_B, 0x30}, {SDL_SCANCODE_N, 0x31}, {SDL_SCANCODE_M, 0x32}, {SDL_SCANCODE_COMMA, 0x33},
        {SDL_SCANCODE_PERIOD, 0x34}, {SDL_SCANCODE_SLASH, 0x35}, {SDL_SCANCODE_RSHIFT, 0x36},
        {SDL_SCANCODE_KP_MULTIPLY, 0x37}, {SDL_SCANCODE_LALT, 0x38}, {SDL_SCANCODE_SPACE, 0x39},
        {SDL_SCANCODE_CAPSLOCK, 0x3A},
        {SDL_SCANCODE_F1, 0x3B}, {SDL_SCANCODE_F2, 0x3C}, {SDL_SCANCODE_F3, 0x3D}, {SDL_SCANCODE_F4, 0x3E},
        {SDL_SCANCODE_F5, 0x3F}, {SDL_SCANCODE_F6, 0x40}, {SDL_SCANCODE_F7, 0x41}, {SDL_SCANCODE_F8, 0x42},
        {SDL_SCANCODE_F9, 0x43}, {SDL_SCANCODE_F10, 0x44}, {SDL_SCANCODE_NUMLOCKCLEAR, 0x45},
        {SDL_SCANCODE_SCROLLLOCK, 0x46},
        {SDL_SCANCODE_KP_7, 0x47}, {SDL_SCANCODE_KP_8, 0x48}, {SDL_SCANCODE_KP_9, 0x49},
        {SDL_SCANCODE_KP_MINUS, 0x4A}, {SDL_SCANCODE_KP_4, 0x4B}, {SDL_SCANCODE_KP_5, 0x4C},
        {SDL_SCANCODE_KP_6, 0x4D}, {SDL_SCANCODE_KP_PLUS, 0x4E}, {SDL_SCANCODE_KP_1, 0x4F},
        {SDL_SCANCODE_KP_2, 0x50}, {SDL_SCANCODE_KP_3, 0x51}, {SDL_SCANCODE_KP_0, 0x52},
        {SDL_SCANCODE_KP_PERIOD, 0x53}, {SDL_SCANCODE_NONUSBACKSLASH, 0x56}, {SDL_SCANCODE_F11, 0x57},
        {SDL_SCANCODE_F12, 0x58},
        {SDL_SCANCODE_KP_ENTER, kExtended | 0x1C}, {SDL_SCANCODE_RCTRL, kExtended | 0x1D},
        {SDL_SCANCODE_KP_DIVIDE, kExtended | 0x35}, {SDL_SCANCODE_PRINTSCREEN, kExtended | 0x37},
        {SDL_SCANCODE_RALT, kExtended | 0x38}, {SDL_SCANCODE_PAUSE, kExtended | 0x45},
        {SDL_SCANCODE_HOME, kExtended | 0x47}, {SDL_SCANCODE_UP, kExtended | 0x48},
        {SDL_SCANCODE_PAGEUP, kExtended | 0x49}, {SDL_SCANCODE_LEFT, kExtended | 0x4B},
        {SDL_SCANCODE_RIGHT, kExtended | 0x4D}, {SDL_SCANCODE_END, kExtended | 0x4F},
        {SDL_SCANCODE_DOWN, kExtended | 0x50}, {SDL_SCANCODE_PAGEDOWN, kExtended | 0x51},
        {SDL_SCANCODE_INSERT, kExtended | 0x52}, {SDL_SCANCODE_DELETE, kExtended | 0x53},
        {SDL_SCANCODE_LGUI, kExtended | 0x5B}, {SDL_SCANCODE_RGUI, kExtended | 0x5C},
        {SDL_SCANCODE_APPLICATION, kExtended | 0x5D},
    };
    for (const Pair& pair : pairs) table[pair.from] = pair.to;
    return table;
}

constexpr std::array<uint8_t, SDL_NUM_SCANCODES> kSetOne = MakeSetOneTable();

// The control characters that the keys themselves type, as a Windows-style
// message loop delivers them; SDL's text input carries printable text only.
uint32_t ControlCharacter(SDL_Scancode code) {
    switch (code) {
        case SDL_SCANCODE_BACKSPACE: return 8;
        case SDL_SCANCODE_TAB: return 9;
        case SDL_SCANCODE_RETURN:
        case SDL_SCANCODE_KP_ENTER: return 13;
        case SDL_SCANCODE_ESCAPE: return 27;
        default: return 0;
    }
}

uint8_t ButtonNumber(Uint8 sdlButton) {
    switch (sdlButton) {
        case SDL_BUTTON_LEFT: return kMouseButtonLeft;
        case SDL_BUTTON_RIGHT: return kMouseButtonRight;
        case SDL_BUTTON_MIDDLE: return kMouseButtonMiddle;
        default: return 0;
    }
}

uint8_t ButtonBits(Uint32 sdlState) {
    uint8_t bits = 0;
    if ((sdlState & SDL_BUTTON_LMASK) != 0) bits |= MouseButtonBit(kMouseButtonLeft);
    if ((sdlState & SDL_BUTTON_RMASK) != 0) bits |= MouseButtonBit(kMouseButtonRight);
    if ((sdlState & SDL_BUTTON_MMASK) != 0) bits |= MouseButtonBit(kMouseButtonMiddle);
    return bits;
}

// Decodes UTF-8 text into code points; a broken sequence gives U+FFFD.
template <typename Sink>
void ForEachCodePoint(const char* text, Sink sink) {
    const auto* at = reinterpret_cast<const unsigned char*>(text);
    while (*at != 0) {
        const unsigned char lead = *at++;
        int more = 0;
        uint32_t point = lead;
        if (lead >= 0xF0 && lead < 0xF8) {
            more = 3;
            point = lead & 0x07;
        } else if (lead >= 0xE0) {
            more = 2;
            point = lead & 0x0F;
        } else if (lead >= 0xC0) {
            more = 1;
            point = lead & 0x1F;
        } else if (lead >= 0x80) {
            sink(0xFFFDu);
            continue;
        }
        bool broken = lead >= 0xF8;
        for (; more > 0 && !broken; --more) {
            if ((*at & 0xC0) != 0x80) {
                broken = true;
                break;
            }
            point = point << 6 | (*at++ & 0x3F);
        }
        sink(broken ? 0xFFFDu : point);
    }
}

// A mouse button as the input devices number them: 0 left, 1 right, 2
// middle, 3 the first extra; -1 for the others.
int32_t InputButton(Uint8 sdlButton) {
    switch (sdlButton) {
        case SDL_BUTTON_LEFT: return 0;
        case SDL_BUTTON_RIGHT: return 1;
        case SDL_BUTTON_MIDDLE: return 2;
        case SDL_BUTTON_X1: return 3;
        default: return -1;
    }
}

// A hat position in hundredths of a degree clockwise from up, or centred.
uint32_t HatAngle(Uint8 hat) {
    switch (hat) {
        case SDL_HAT_UP: return 0;
        case SDL_HAT_RIGHTUP: return 4500;
        case SDL_HAT_RIGHT: return 9000;
        case SDL_HAT_RIGHTDOWN: return 13500;
        case SDL_HAT_DOWN: return 18000;
        case SDL_HAT_LEFTDOWN: return 22500;
        case SDL_HAT_LEFT: return 27000;
        case SDL_HAT_LEFTUP: return 31500;
        default: return 0xFFFFFFFFu;
    }
}

// SDL's axes run from -32768 to 32767; the joystick reports 0 to 65535.
constexpr int32_t kAxisOffset = 32768;

class SdlWindowBackend final : public WindowBackend {
public:
    SdlWindowBackend() {
        QueuedInput& input = SystemInput();
        input.SetCursorMover([](int32_t x, int32_t y) { SdlVideo::WarpToFrame(x, y); });
        SDL_DisplayMode desktop;
        if (SDL_GetDesktopDisplayMode(0, &desktop) == 0) input.SetScreenSize(desktop.w, desktop.h);
        // The joystick is read on this thread only: its events arrive with
        // the window's. One plugged in already is taken now, not when its
        // arrival is read: the game makes its input devices before it reads
        // the first message, and a joystick missing then would stay missing.
        joysticks_ = SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0;
        for (int32_t i = 0; joysticks_ && joystick_ == nullptr && i < SDL_NumJoysticks(); ++i) OpenJoystick(i);
        // Message boxes appear over the window, unless a test or the
        // program chose its own.
        if (&MessageBox::Current() == &StandardErrorMessageBox()) {
            previousBox_ = MessageBox::Install(&box_);
            installedBox_ = true;
        }
    }

    ~SdlWindowBackend() override {
        QueuedInput& input = SystemInput();
        input.SetCursorMover(nullptr);
        if (joystick_ != nullptr) {
            SDL_JoystickClose(joystick_);
            input.DetachJoystick();
        }
        if (joysticks_) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
        if (installedBox_ && &MessageBox::Current() == &box_) MessageBox::Install(previousBox_);
        SdlVideo::ReleaseWindow();
    }

    void Poll(std::deque<WindowMessage>* queue) override {
        if (!SdlVideo::Started()) return;
        bool windowClosed = false;
        SDL_Event event;
        while (SDL_PollEvent(&event) != 0) {
            switch (event.type) {
                case SDL_QUIT:
                    // Also sent by SDL for an interrupt signal; after a
                    // window close in the same batch it says nothing new.
                    if (!windowClosed) Push(queue, WindowMessageType::kClose);
                    break;
                case SDL_WINDOWEVENT: TranslateWindowEvent(event.window, queue, &windowClosed); break;
                case SDL_KEYDOWN:
                case SDL_KEYUP: TranslateKey(event.key, queue); break;
                case SDL_JOYDEVICEADDED: OpenJoystick(event.jdevice.which); break;
                case SDL_JOYDEVICEREMOVED: CloseJoystick(event.jdevice.which); break;
                case SDL_JOYAXISMOTION:
                    if (Ours(event.jaxis.which)) {
                        SystemInput().FeedJoystickAxis(event.jaxis.axis, int32_t(event.jaxis.value) + kAxisOffset);
                    }
                    break;
                case SDL_JOYBUTTONDOWN:
                case SDL_JOYBUTTONUP:
                    if (Ours(event.jbutton.which)) {
                        SystemInput().FeedJoystickButton(event.jbutton.button, event.type == SDL_JOYBUTTONDOWN);
                    }
                    break;
                case SDL_JOYHATMOTION:
                    if (Ours(event.jhat.which) && event.jhat.hat == 0) {
                        SystemInput().FeedJoystickHat(HatAngle(event.jhat.value));
                    }
                    break;
                case SDL_TEXTINPUT:
                    ForEachCodePoint(event.text.text, [queue](uint32_t point) {
                        WindowMessage message;
                        message.type = WindowMessageType::kCharacter;
                        message.character = point;
                        queue->push_back(message);
                    });
                    break;
                case SDL_MOUSEMOTION: {
                    WindowMessage message;
                    message.type = WindowMessageType::kMouseMove;
                    message.x = event.motion.x;
                    message.y = event.motion.y;
                    SdlVideo::WindowToFrame(&message.x, &message.y);
                    message.buttons = ButtonBits(event.motion.state);
                    queue->push_back(message);
                    SystemInput().FeedCursor(message.x, message.y);
                    SystemInput().FeedMouseMotion(event.motion.xrel, event.motion.yrel);
                    break;
                }
                case SDL_MOUSEBUTTONDOWN:
                case SDL_MOUSEBUTTONUP: {
                    SystemInput().FeedMouseButton(InputButton(event.button.button),
                                                  event.type == SDL_MOUSEBUTTONDOWN);
                    WindowMessage message;
                    message.button = ButtonNumber(event.button.button);
                    if (message.button == 0) break;
                    message.type = event.type == SDL_MOUSEBUTTONDOWN ? WindowMessageType::kMouseButtonDown
                                                                     : WindowMessageType::kMouseButtonUp;
                    message.x = event.button.x;
                    message.y = event.button.y;
                    SdlVideo::WindowToFrame(&message.x, &message.y);
                    message.buttons = ButtonBits(SDL_GetMouseState(nullptr, nullptr));
                    queue->push_back(message);
                    break;
                }
                default: break;
            }
        }
    }

    void SetCursorVisible(bool visible) override { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }
    void SetFullScreen(bool fullScreen) override { SdlVideo::SetFullScreen(fullScreen); }
    void Resize(int32_t width, int32_t height) override { SdlVideo::Resize(width, height); }
    void Minimize() override { SdlVideo::Minimize(); }

private:
    // The first joystick attached is the joystick; others are ignored.
    void OpenJoystick(int32_t deviceIndex) {
        if (!joysticks_ || joystick_ != nullptr) return;
        joystick_ = SDL_JoystickOpen(deviceIndex);
        if (joystick_ == nullptr) return;
        joystickId_ = SDL_JoystickInstanceID(joystick_);
        JoystickCaps caps;
        caps.xMax = caps.yMax = caps.zMax = 65535;
        caps.axes = uint32_t(std::max(SDL_JoystickNumAxes(joystick_), 0));
        caps.buttons = uint32_t(std::max(SDL_JoystickNumButtons(joystick_), 0));
        QueuedInput& input = SystemInput();
        input.AttachJoystick(caps, SDL_JoystickNumHats(joystick_) > 0);
        // Centred until the stick moves.
        for (int32_t axis = 0; axis < 6 && axis < int32_t(caps.axes); ++axis) {
            input.FeedJoystickAxis(axis, int32_t(SDL_JoystickGetAxis(joystick_, axis)) + kAxisOffset);
        }
    }
    void CloseJoystick(SDL_JoystickID id) {
        if (joystick_ == nullptr || id != joystickId_) return;
        SDL_JoystickClose(joystick_);
        joystick_ = nullptr;
        SystemInput().DetachJoystick();
    }
    bool Ours(SDL_JoystickID id) const { return joystick_ != nullptr && id == joystickId_; }

    static void Push(std::deque<WindowMessage>* queue, WindowMessageType type) {
        WindowMessage message;
        message.type = type;
        queue->push_back(message);
    }

    static void TranslateWindowEvent(const SDL_WindowEvent& event, std::deque<WindowMessage>* queue,
                                     bool* windowClosed) {
        switch (event.event) {
            case SDL_WINDOWEVENT_CLOSE:
                *windowClosed = true;
                Push(queue, WindowMessageType::kClose);
                break;
            case SDL_WINDOWEVENT_FOCUS_GAINED:
                SystemInput().SetFocused(true);
                Push(queue, WindowMessageType::kActivate);
                break;
            case SDL_WINDOWEVENT_FOCUS_LOST:
                SystemInput().SetFocused(false);
                Push(queue, WindowMessageType::kDeactivate);
                break;
            case SDL_WINDOWEVENT_EXPOSED:
                // The window shows the last frame again at once; the game
                // may draw anew on the paint message.
                SdlVideo::Redraw();
                Push(queue, WindowMessageType::kPaint);
                break;
            case SDL_WINDOWEVENT_SIZE_CHANGED: SdlVideo::Redraw(); break;
            default: break;
        }
    }

    static void TranslateKey(const SDL_KeyboardEvent& event, std::deque<WindowMessage>* queue) {
        const SDL_Scancode code = event.keysym.scancode;
        const uint8_t setOne = code >= 0 && code < SDL_NUM_SCANCODES ? kSetOne[code] : 0;
        const bool down = event.type == SDL_KEYDOWN;
        // Alt turns keys into system keys, and so does F10, as on the
        // system the game was made for.
        const bool system = (event.keysym.mod & KMOD_ALT) != 0 || code == SDL_SCANCODE_LALT ||
                            code == SDL_SCANCODE_RALT || code == SDL_SCANCODE_F10;
        WindowMessage message;
        if (system) {
            message.type = down ? WindowMessageType::kSystemKeyDown : WindowMessageType::kSystemKeyUp;
        } else {
            message.type = down ? WindowMessageType::kKeyDown : WindowMessageType::kKeyUp;
        }
        message.scanCode = setOne & 0x7F;
        message.extended = (setOne & kExtended) != 0;
        message.repeat = event.repeat != 0;
        queue->push_back(message);
        // The devices see changes of state only, as a keyboard reports them.
        if (event.repeat == 0 && setOne != 0) SystemInput().FeedKey(message.KeyCode(), down);
        const uint32_t character = ControlCharacter(code);
        if (down && !system && character != 0) {
            WindowMessage typed;
            typed.type = WindowMessageType::kCharacter;
            typed.character = character;
            queue->push_back(typed);
        }
    }

    SdlMessageBox box_;
    MessageBox* previousBox_ = nullptr;
    bool installedBox_ = false;
    bool joysticks_ = false;
    SDL_Joystick* joystick_ = nullptr;
    SDL_JoystickID joystickId_ = -1;
};

}  // namespace

std::unique_ptr<WindowBackend> OpenSdlWindowBackend(const char* title, int32_t width, int32_t height,
                                                    bool fullScreen, std::string* reason) {
    if (!SdlVideo::HoldWindow(title, width, height, fullScreen, reason)) return nullptr;
    return std::make_unique<SdlWindowBackend>();
}

}  // namespace platform
