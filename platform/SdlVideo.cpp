#include "platform/SdlVideo.h"

#include <cstdlib>

#include <SDL2/SDL.h>

#include <algorithm>
#include <cctype>

namespace platform {
namespace {

struct VideoState {
    bool started = false;
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;   // the size of the last frame
    int32_t holds = 0;
    int32_t frameWidth = 0;
    int32_t frameHeight = 0;
    bool fullScreen = false;
};

VideoState g_video;

bool ContainsIgnoringCase(const char* text, const char* word) {
    if (text == nullptr || word == nullptr) return false;
    std::string haystack(text);
    std::string needle(word);
    const auto lower = [](std::string& s) {
        for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    };
    lower(haystack);
    lower(needle);
    return haystack.find(needle) != std::string::npos;
}

bool IsVirtualDriver(const char* name) {
    return name != nullptr && (SDL_strcasecmp(name, "dummy") == 0 || SDL_strcasecmp(name, "offscreen") == 0);
}

// Where a frame of the last size goes in an area of `width` by `height`:
// as large as fits with its shape kept, centred.
SDL_Rect FitFrame(int32_t width, int32_t height) {
    if (g_video.frameWidth <= 0 || g_video.frameHeight <= 0 || width <= 0 || height <= 0) {
        return SDL_Rect{0, 0, width, height};
    }
    const int64_t byWidth = int64_t(width) * g_video.frameHeight;
    const int64_t byHeight = int64_t(height) * g_video.frameWidth;
    SDL_Rect rect{0, 0, width, height};
    if (byWidth > byHeight) {
        rect.w = int(byHeight / g_video.frameHeight);   // bars left and right
    } else {
        rect.h = int(byWidth / g_video.frameWidth);     // bars above and below
    }
    rect.x = (width - rect.w) / 2;
    rect.y = (height - rect.h) / 2;
    return rect;
}

void DestroyTexture() {
    if (g_video.texture != nullptr) SDL_DestroyTexture(g_video.texture);
    g_video.texture = nullptr;
    g_video.frameWidth = 0;
    g_video.frameHeight = 0;
}

void DestroyWindow() {
    DestroyTexture();
    if (g_video.renderer != nullptr) SDL_DestroyRenderer(g_video.renderer);
    if (g_video.window != nullptr) SDL_DestroyWindow(g_video.window);
    g_video.renderer = nullptr;
    g_video.window = nullptr;
    g_video.holds = 0;
    g_video.fullScreen = false;
}

// Draws the last frame into the renderer's back buffer.
void DrawFrame() {
    // The whole output, as large as it is now: the renderer learns of a new
    // window size only when its event arrives, which may be after this
    // frame (a switch to full screen completes later on some desktops).
    SDL_RenderSetViewport(g_video.renderer, nullptr);
    SDL_SetRenderDrawColor(g_video.renderer, 0, 0, 0, 255);
    SDL_RenderClear(g_video.renderer);
    if (g_video.texture == nullptr) return;
    int outputWidth = 0;
    int outputHeight = 0;
    SDL_GetRendererOutputSize(g_video.renderer, &outputWidth, &outputHeight);
    const SDL_Rect target = FitFrame(outputWidth, outputHeight);
    SDL_RenderCopy(g_video.renderer, g_video.texture, nullptr, &target);
}

}  // namespace

bool SdlVideo::Start(std::string* reason) {
    if (g_video.started) return true;
    // Without a display server to talk to, asking SDL only yields its
    // offscreen driver after noise about the missing server.
    const char* const forced = std::getenv("SDL_VIDEODRIVER");
    const bool hasServer = std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr;
    if ((forced == nullptr || *forced == '\0') && !hasServer) {
        if (reason != nullptr) *reason = "DISPLAY and WAYLAND_DISPLAY are unset";
        return false;
    }
    // A closed window is the game's message to handle, not a reason for
    // SDL to end the program on its own.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        if (reason != nullptr) *reason = SDL_GetError();
        if (SDL_WasInit(0) == 0) SDL_Quit();
        return false;
    }
    const char* const driver = SDL_GetCurrentVideoDriver();
    if (IsVirtualDriver(driver) && !ContainsIgnoringCase(SDL_GetHint(SDL_HINT_VIDEODRIVER), driver)) {
        if (reason != nullptr) *reason = std::string("only SDL's ") + driver + " driver answered";
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        if (SDL_WasInit(0) == 0) SDL_Quit();
        return false;
    }
    g_video.started = true;
    return true;
}

void SdlVideo::Stop() {
    if (!g_video.started) return;
    DestroyWindow();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    // Nothing else of SDL in use: let it free all it keeps.
    if (SDL_WasInit(0) == 0) SDL_Quit();
    g_video.started = false;
}

bool SdlVideo::Started() { return g_video.started; }

const char* SdlVideo::DriverName() {
    const char* const name = g_video.started ? SDL_GetCurrentVideoDriver() : nullptr;
    return name != nullptr ? name : "none";
}

bool SdlVideo::DriverIsVirtual() { return g_video.started && IsVirtualDriver(SDL_GetCurrentVideoDriver()); }

bool SdlVideo::HoldWindow(const char* title, int32_t width, int32_t height, bool fullScreen, std::string* reason) {
    if (!g_video.started) {
        if (reason != nullptr) *reason = "SDL video is not started";
        return false;
    }
    if (g_video.window != nullptr) {
        ++g_video.holds;
        if (title != nullptr) {
            SDL_SetWindowTitle(g_video.window, title);
            Resize(width, height);
            SetFullScreen(fullScreen);
        }
        return true;
    }
    const Uint32 flags = SDL_WINDOW_RESIZABLE | (fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    g_video.window = SDL_CreateWindow(title != nullptr ? title : "", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                      std::max(width, 1), std::max(height, 1), flags);
    if (g_video.window == nullptr) {
        if (reason != nullptr) *reason = SDL_GetError();
        return false;
    }
    // Scaled frames keep hard pixel edges.
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    g_video.renderer = SDL_CreateRenderer(g_video.window, -1, 0);
    if (g_video.renderer == nullptr) g_video.renderer = SDL_CreateRenderer(g_video.window, -1, SDL_RENDERER_SOFTWARE);
    if (g_video.renderer == nullptr) {
        if (reason != nullptr) *reason = SDL_GetError();
        DestroyWindow();
        return false;
    }
    g_video.holds = 1;
    g_video.fullScreen = fullScreen;
    SDL_StartTextInput();
    // Black until the first frame, not whatever the window system left there.
    DrawFrame();
    SDL_RenderPresent(g_video.renderer);
    return true;
}

void SdlVideo::ReleaseWindow() {
    if (g_video.holds == 0) return;
    if (--g_video.holds == 0) DestroyWindow();
}

SDL_Window* SdlVideo::NativeWindow() { return g_video.window; }

uint32_t SdlVideo::WindowId() { return g_video.window != nullptr ? SDL_GetWindowID(g_video.window) : 0; }

void SdlVideo::SetFullScreen(bool fullScreen) {
    if (g_video.window == nullptr || fullScreen == g_video.fullScreen) return;
    if (SDL_SetWindowFullscreen(g_video.window, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) == 0) {
        g_video.fullScreen = fullScreen;
    }
    Redraw();
}

bool SdlVideo::FullScreen() { return g_video.fullScreen; }

void SdlVideo::Resize(int32_t width, int32_t height) {
    if (g_video.window == nullptr || width <= 0 || height <= 0) return;
    // Kept by SDL for the windowed state while the window is full screen.
    SDL_SetWindowSize(g_video.window, width, height);
}

bool SdlVideo::ShowFrame(const uint32_t* argb, int32_t width, int32_t height) {
    if (g_video.renderer == nullptr || argb == nullptr || width <= 0 || height <= 0) return false;
    if (g_video.texture == nullptr || width != g_video.frameWidth || height != g_video.frameHeight) {
        DestroyTexture();
        g_video.texture = SDL_CreateTexture(g_video.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                            width, height);
        if (g_video.texture == nullptr) return false;
        g_video.frameWidth = width;
        g_video.frameHeight = height;
        // A windowed game shows its frames pixel for pixel.
        if (!g_video.fullScreen) SDL_SetWindowSize(g_video.window, width, height);
    }
    if (SDL_UpdateTexture(g_video.texture, nullptr, argb, width * 4) != 0) return false;
    DrawFrame();
    SDL_RenderPresent(g_video.renderer);
    return true;
}

void SdlVideo::Redraw() {
    if (g_video.renderer == nullptr) return;
    DrawFrame();
    SDL_RenderPresent(g_video.renderer);
}

bool SdlVideo::Capture(std::vector<uint32_t>* rgb, int32_t* width, int32_t* height) {
    if (g_video.renderer == nullptr) return false;
    int outputWidth = 0;
    int outputHeight = 0;
    if (SDL_GetRendererOutputSize(g_video.renderer, &outputWidth, &outputHeight) != 0) return false;
    if (outputWidth <= 0 || outputHeight <= 0) return false;
    // Drawn again first: what a back buffer holds after a present is not
    // defined for every renderer.
    DrawFrame();
    rgb->assign(size_t(outputWidth) * size_t(outputHeight), 0);
    if (SDL_RenderReadPixels(g_video.renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, rgb->data(), outputWidth * 4) != 0) {
        return false;
    }
    for (uint32_t& pixel : *rgb) pixel &= 0xFFFFFF;
    *width = outputWidth;
    *height = outputHeight;
    return true;
}

void SdlVideo::WindowToFrame(int32_t* x, int32_t* y) {
    if (g_video.window == nullptr || g_video.frameWidth <= 0 || g_video.frameHeight <= 0) return;
    int windowWidth = 0;
    int windowHeight = 0;
    SDL_GetWindowSize(g_video.window, &windowWidth, &windowHeight);
    const SDL_Rect area = FitFrame(windowWidth, windowHeight);
    if (area.w <= 0 || area.h <= 0) return;
    const int64_t frameX = int64_t(*x - area.x) * g_video.frameWidth / area.w;
    const int64_t frameY = int64_t(*y - area.y) * g_video.frameHeight / area.h;
    *x = int32_t(std::clamp<int64_t>(frameX, 0, g_video.frameWidth - 1));
    *y = int32_t(std::clamp<int64_t>(frameY, 0, g_video.frameHeight - 1));
}

void SdlVideo::WarpToFrame(int32_t x, int32_t y) {
    if (g_video.window == nullptr || g_video.frameWidth <= 0 || g_video.frameHeight <= 0) return;
    int windowWidth = 0;
    int windowHeight = 0;
    SDL_GetWindowSize(g_video.window, &windowWidth, &windowHeight);
    const SDL_Rect area = FitFrame(windowWidth, windowHeight);
    const int64_t windowX = area.x + int64_t(x) * area.w / g_video.frameWidth;
    const int64_t windowY = area.y + int64_t(y) * area.h / g_video.frameHeight;
    SDL_WarpMouseInWindow(g_video.window, int(std::clamp<int64_t>(windowX, 0, windowWidth)),
                          int(std::clamp<int64_t>(windowY, 0, windowHeight)));
}

void SdlVideo::Minimize() {
    if (g_video.window != nullptr) SDL_MinimizeWindow(g_video.window);
}

}  // namespace platform
