#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct SDL_Window;

namespace platform {

// The one owner of SDL's video in the process: it starts and stops SDL's
// video subsystem and keeps the single window, its renderer and the
// streaming texture that frames go through. The main window's backend and
// the presenter share the window: the first to ask opens it, the last to
// let go closes it. Everything runs on the game's thread.
class SdlVideo {
public:
    // False, with SDL's reason, when no display answers or only a driver
    // that shows nothing does and SDL_VIDEODRIVER did not ask for it.
    static bool Start(std::string* reason);
    // Closes the window whoever holds it and stops SDL.
    static void Stop();
    static bool Started();
    static const char* DriverName();
    // True for SDL's drivers that show nothing ("dummy", "offscreen").
    static bool DriverIsVirtual();

    // Opens the shared window, or takes another hold on the open one and
    // gives it the title, size and full-screen state asked for when
    // `title` is not null. False, with SDL's reason, when it cannot be made.
    static bool HoldWindow(const char* title, int32_t width, int32_t height, bool fullScreen, std::string* reason);
    static void ReleaseWindow();
    static SDL_Window* NativeWindow();
    static uint32_t WindowId();

    static void SetFullScreen(bool fullScreen);
    static bool FullScreen();
    // The window's size in windowed mode.
    static void Resize(int32_t width, int32_t height);

    // Shows one frame of 0xAARRGGBB pixels, rows packed, scaled to the
    // window with its shape kept. The windowed window takes the size of a
    // frame whose size changed. False when there is no window.
    static bool ShowFrame(const uint32_t* argb, int32_t width, int32_t height);
    // Draws the last frame again, after the window system lost it.
    static void Redraw();
    // Reads back the window's contents as 0xRRGGBB pixels, rows packed:
    // the last frame as the window shows it.
    static bool Capture(std::vector<uint32_t>* rgb, int32_t* width, int32_t* height);
    // Turns a position in the window into one in the last frame shown,
    // clamped to the frame.
    static void WindowToFrame(int32_t* x, int32_t* y);
    // Moves the pointer to a position in the last frame shown.
    static void WarpToFrame(int32_t x, int32_t y);
    static void Minimize();
};

}  // namespace platform
