#pragma once
#include <cstdint>

// An option screen: a full-window page with its own modal run loop. The
// game state holds screens and the main loop runs them; everything else a
// screen is (art, hot spots, controls) belongs to the screen framework
// above the game state, which derives from this.
class Screen {
public:
    Screen() = default;
    virtual ~Screen() = default;
    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;

    // The screen's loop: returns when the screen has ended, after making
    // the game state's next screen the current one.
    virtual void Run() {}

    int32_t dirty = 0;
    int32_t pressedFlag = 0;
    int32_t repaintCountdown = 0;
};
