#pragma once
#include <cstdint>

#include "game/DrawString.h"   // g_gameCanvas, which draws into g_display's frame

struct LaunchOptions;
class Canvas;
class DisplayDriver;
class GameState;
class OstrelSystem;

namespace platform {
class Window;
}

// What the start-up made, while the game runs; null before and after.
extern OstrelSystem* g_engine;          // the engine system object
extern platform::Window* g_mainWindow;
extern DisplayDriver* g_display;

// The lobby's boxes stay unshown (answered Cancel) while the display runs
// with its page-flip bit: a box would sit behind an exclusive flip chain.
bool DisplayForbidsMessageBoxes();

// The whole life of the program: start-up in the game's fixed order, the
// main loop, and shutdown in reverse. Returns the process exit status.
int RunGame(const LaunchOptions& options);

// How the intro screen ended.
enum class IntroEnd : int32_t {
    kFramesShown,   // the frame limit was reached
    kDismissed,     // a key or a mouse button went down
    kQuit,          // a quit message, such as the window's close
};

// The intro screen's loop: presents the whole frame of `display`, then
// pumps the window's messages, until one of the ends above; 0 frames is no
// limit, and then a window without a backend waits only for messages
// posted to it. `framesShown` (may be null) gets the frames presented. The
// window's procedure is its own again afterwards.
IntroEnd RunIntroLoop(platform::Window& window, DisplayDriver& display, int32_t frameLimit, int32_t* framesShown);
