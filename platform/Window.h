#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "platform/WindowMessage.h"

namespace platform {

class WindowBackend;

// The game's main window: its message queue and pump, the procedure that
// handles its messages, the cursor's display count and the full-screen
// switch. Made on the video backend in use (see VideoBackend); a headless
// window shows nothing and delivers only the messages posted to it.
class Window {
public:
    // Handles one message; returns true when it did, so that the window's
    // default handling (a close becomes a quit) is skipped.
    using Procedure = std::function<bool(Window& window, const WindowMessage& message)>;

    // A window with a real backend when VideoBackend runs one and the
    // window system opens the window; a headless one otherwise, and then the
    // video backend falls back to headless too, saying why.
    static std::unique_ptr<Window> Create(const char* title, int32_t width, int32_t height, bool fullScreen);
    static std::unique_ptr<Window> CreateHeadless(const char* title, int32_t width, int32_t height, bool fullScreen);

    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Closes the window on the window system; messages can still be posted
    // and pumped. The destructor does it too.
    void Destroy();

    // Installs the procedure and returns the one before, so that a caller
    // may chain to it.
    Procedure SetProcedure(Procedure procedure);

    // Queues a message after those already waiting.
    void Post(const WindowMessage& message);
    void PostQuit(int32_t exitCode = 0);

    // Takes the window system's messages, then hands every waiting message
    // to the procedure in order, including those posted meanwhile, up to and
    // including a quit message. Returns false once a quit has been taken,
    // then and in every later call.
    bool PumpMessages();
    bool QuitRequested() const { return quitRequested_; }
    int32_t ExitCode() const { return exitCode_; }
    size_t PendingCount() const { return queue_.size(); }

    // The cursor's display count: each show adds one, each hide takes one
    // away, and the cursor is visible while the count is 0 or more. Returns
    // the new count.
    int32_t ShowCursor(bool show);
    int32_t CursorCount() const { return cursorCount_; }
    bool CursorVisible() const { return cursorCount_ >= 0; }

    void SetFullScreen(bool fullScreen);
    void Resize(int32_t width, int32_t height);
    // Shrinks the window to the task bar (a full-screen window that lost the
    // focus must not cover the desktop); it comes back with the focus.
    void Minimize();
    bool Minimized() const { return minimized_; }

    const std::string& Title() const { return title_; }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    bool FullScreen() const { return fullScreen_; }
    bool Active() const { return active_; }
    bool Headless() const { return headless_; }
    bool Destroyed() const { return destroyed_; }

private:
    Window(const char* title, int32_t width, int32_t height, bool fullScreen, std::unique_ptr<WindowBackend> backend);

    void Dispatch(const WindowMessage& message);

    std::string title_;
    int32_t width_;
    int32_t height_;
    bool fullScreen_;
    const bool headless_;   // made without a window-system backend
    bool active_ = true;
    bool minimized_ = false;
    bool destroyed_ = false;
    bool quitRequested_ = false;
    int32_t exitCode_ = 0;
    int32_t cursorCount_ = 0;
    std::unique_ptr<WindowBackend> backend_;
    Procedure procedure_;
    std::deque<WindowMessage> queue_;
};

}  // namespace platform
