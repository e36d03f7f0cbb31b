#include "platform/Window.h"

#include <utility>

#include "platform/SdlWindowBackend.h"
#include "platform/VideoBackend.h"
#include "platform/WindowBackend.h"

namespace platform {

std::unique_ptr<Window> Window::Create(const char* title, int32_t width, int32_t height, bool fullScreen) {
    if (VideoBackend::Kind() == VideoBackendKind::kSdl) {
        std::string reason;
        std::unique_ptr<WindowBackend> backend = OpenSdlWindowBackend(title, width, height, fullScreen, &reason);
        if (backend != nullptr) {
            return std::unique_ptr<Window>(new Window(title, width, height, fullScreen, std::move(backend)));
        }
        VideoBackend::FallBackToHeadless("the window could not be opened: " + reason);
    }
    return CreateHeadless(title, width, height, fullScreen);
}

std::unique_ptr<Window> Window::CreateHeadless(const char* title, int32_t width, int32_t height, bool fullScreen) {
    return std::unique_ptr<Window>(new Window(title, width, height, fullScreen, nullptr));
}

Window::Window(const char* title, int32_t width, int32_t height, bool fullScreen,
               std::unique_ptr<WindowBackend> backend)
    : title_(title != nullptr ? title : ""),
      width_(width),
      height_(height),
      fullScreen_(fullScreen),
      headless_(backend == nullptr),
      backend_(std::move(backend)) {}

Window::~Window() { Destroy(); }

void Window::Destroy() {
    backend_.reset();
    destroyed_ = true;
}

Window::Procedure Window::SetProcedure(Procedure procedure) { return std::exchange(procedure_, std::move(procedure)); }

void Window::Post(const WindowMessage& message) { queue_.push_back(message); }

void Window::PostQuit(int32_t exitCode) {
    WindowMessage quit;
    quit.type = WindowMessageType::kQuit;
    quit.exitCode = exitCode;
    Post(quit);
}

bool Window::PumpMessages() {
    if (backend_ != nullptr) backend_->Poll(&queue_);
    while (!queue_.empty()) {
        // Taken off the queue before it is handled: the procedure may post,
        // or pump again from a modal loop of its own.
        const WindowMessage message = queue_.front();
        queue_.pop_front();
        Dispatch(message);
        if (message.type == WindowMessageType::kQuit) break;
    }
    return !quitRequested_;
}

void Window::Dispatch(const WindowMessage& message) {
    switch (message.type) {
        case WindowMessageType::kActivate:
            active_ = true;
            minimized_ = false;
            break;
        case WindowMessageType::kDeactivate: active_ = false; break;
        case WindowMessageType::kQuit:
            quitRequested_ = true;
            exitCode_ = message.exitCode;
            break;
        default: break;
    }
    // A copy, because the procedure may replace itself while it runs.
    const Procedure procedure = procedure_;
    const bool handled = procedure && procedure(*this, message);
    if (!handled && message.type == WindowMessageType::kClose) PostQuit(0);
}

int32_t Window::ShowCursor(bool show) {
    const bool wasVisible = CursorVisible();
    cursorCount_ += show ? 1 : -1;
    if (backend_ != nullptr && CursorVisible() != wasVisible) backend_->SetCursorVisible(CursorVisible());
    return cursorCount_;
}

void Window::SetFullScreen(bool fullScreen) {
    fullScreen_ = fullScreen;
    if (backend_ != nullptr) backend_->SetFullScreen(fullScreen);
}

void Window::Minimize() {
    minimized_ = true;
    if (backend_ != nullptr) backend_->Minimize();
}

void Window::Resize(int32_t width, int32_t height) {
    width_ = width;
    height_ = height;
    if (backend_ != nullptr) backend_->Resize(width, height);
}

}  // namespace platform
