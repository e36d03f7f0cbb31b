#pragma once
#include <cstdint>
#include <string>

namespace platform {

enum class VideoBackendKind : int32_t {
    kHeadless,   // no window: frames are kept in memory, message boxes go to standard error
    kSdl,        // a window on the desktop through SDL2
};

// Chooses where the game's window and frames go, once, before the main
// window is made. SDL is taken when a display answers; SDL's drivers that
// show nothing ("dummy", "offscreen") count only when SDL_VIDEODRIVER names
// them, as the smoke tests do.
class VideoBackend {
public:
    // Starts SDL's video when `wantWindow` is set and a display answers,
    // else stays headless. Starting again stops what ran first.
    static VideoBackendKind Start(bool wantWindow);
    // Back to headless; every SDL window, renderer and texture goes.
    static void Stop();

    static VideoBackendKind Kind();
    // One line for the program to print, such as "SDL2 video (x11)" or
    // "headless (no display: ...)".
    static std::string Description();

    // Stops SDL after it could not serve, keeping `reason` for Description.
    static void FallBackToHeadless(const std::string& reason);
};

}  // namespace platform
