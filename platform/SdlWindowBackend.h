#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/WindowBackend.h"

namespace platform {

// The main window on SDL's shared window (see SdlVideo): SDL's events become
// window messages, the cursor count shows and hides SDL's cursor, and while
// the window is open message boxes are SDL's. Null, with SDL's reason, when
// the window cannot be opened.
std::unique_ptr<WindowBackend> OpenSdlWindowBackend(const char* title, int32_t width, int32_t height,
                                                    bool fullScreen, std::string* reason);

}  // namespace platform
