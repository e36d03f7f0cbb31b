#pragma once
#include <cstdint>

namespace platform {

// What happened to the main window, in the order it happened.
enum class WindowMessageType : int32_t {
    kQuit,             // the message loop is over; exitCode says how
    kClose,            // the player asked to close the window; unhandled, it becomes kQuit
    kActivate,         // the window got the keyboard focus
    kDeactivate,       // the window lost it
    kKeyDown,
    kKeyUp,
    kSystemKeyDown,    // a key pressed with Alt held, or Alt or F10 itself
    kSystemKeyUp,
    kCharacter,        // a typed character, after the key-down that made it
    kMouseMove,
    kMouseButtonDown,
    kMouseButtonUp,
    kPaint,            // the window's contents were lost and want drawing again
};

// Mouse buttons, as `button` numbers them and as bits of `buttons`.
inline constexpr uint8_t kMouseButtonLeft = 1;
inline constexpr uint8_t kMouseButtonRight = 2;
inline constexpr uint8_t kMouseButtonMiddle = 3;
inline constexpr uint8_t MouseButtonBit(uint8_t button) { return uint8_t(1u << (button - 1)); }

// One window message. Only the fields of its type mean anything; the rest
// stay zero.
struct WindowMessage {
    WindowMessageType type = WindowMessageType::kPaint;
    // Keys: the PC keyboard's set-1 make code (1 Esc ... 0x58 F12), without
    // the 0xE0 prefix that `extended` stands for; 0 for a key it lacks.
    uint8_t scanCode = 0;
    bool extended = false;
    bool repeat = false;        // a key-down sent again while the key is held
    uint8_t button = 0;         // kMouseButtonLeft, Right or Middle
    uint8_t buttons = 0;        // buttons held, MouseButtonBit of each
    uint32_t character = 0;     // Unicode code point; 8 backspace, 9 tab, 13 enter, 27 escape
    int32_t x = 0;              // mouse position in frame pixels
    int32_t y = 0;
    int32_t exitCode = 0;       // of kQuit

    // The key as the input system numbers keys: the scan code with 0x80 for
    // an extended key (157 right Ctrl, 200 the arrow up).
    constexpr uint32_t KeyCode() const { return uint32_t(scanCode) | (extended ? 0x80u : 0u); }
};

}  // namespace platform
