#pragma once
#include <cstdint>

#include "platform/MessageBox.h"

namespace platform {

// A message box of the window system, over the game's SDL window. Where
// SDL cannot show one (no window, a driver that shows nothing, no dialog
// support), it is the standard-error box instead.
class SdlMessageBox final : public MessageBox {
public:
    MessageBoxAnswer Show(const char* text, const char* caption, uint32_t style) override;
};

}  // namespace platform
