#pragma once
#include <cstdint>

namespace platform {

// Buttons and icon of a message box, combined with |.
enum MessageBoxStyle : uint32_t {
    kMessageBoxOk = 0x0,
    kMessageBoxOkCancel = 0x1,
    kMessageBoxRetryCancel = 0x5,
    kMessageBoxIconError = 0x10,
    kMessageBoxIconWarning = 0x30,
    kMessageBoxInformation = 0x40,
    kMessageBoxTaskModal = 0x2000,    // the program waits for it
    kMessageBoxForeground = 0x10000,  // brought in front of other programs' windows
    kMessageBoxTopmost = 0x40000,
};

// The button that closed a message box.
enum class MessageBoxAnswer : int32_t { kOk = 1, kCancel = 2, kRetry = 4 };

class MessageBox {
public:
    virtual ~MessageBox() = default;
    virtual MessageBoxAnswer Show(const char* text, const char* caption, uint32_t style) = 0;

    static MessageBox& Current();
    static MessageBox* Install(MessageBox* box);
};

// Writes "caption: text" to standard error: the message box of a run
// without a window. Nobody can answer, so a box that offers Cancel is
// cancelled (a retry loop would never end) and any other box is confirmed.
MessageBox& StandardErrorMessageBox();

}  // namespace platform
