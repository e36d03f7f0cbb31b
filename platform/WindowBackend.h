#pragma once
#include <cstdint>
#include <deque>

#include "platform/WindowMessage.h"

namespace platform {

// What a Window needs from the machine's window system. A window without a
// backend is headless: its messages are the ones posted to it.
class WindowBackend {
public:
    virtual ~WindowBackend() = default;

    // Appends the messages the window system has for the window, oldest first.
    virtual void Poll(std::deque<WindowMessage>* queue) = 0;
    virtual void SetCursorVisible(bool visible) = 0;
    virtual void SetFullScreen(bool fullScreen) = 0;
    virtual void Resize(int32_t width, int32_t height) = 0;
    virtual void Minimize() {}
};

}  // namespace platform
