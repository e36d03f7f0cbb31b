#include "platform/SdlMessageBox.h"

#include <SDL2/SDL.h>

#include "platform/SdlVideo.h"

namespace platform {

MessageBoxAnswer SdlMessageBox::Show(const char* text, const char* caption, uint32_t style) {
    if (SdlVideo::NativeWindow() == nullptr || SdlVideo::DriverIsVirtual()) {
        return StandardErrorMessageBox().Show(text, caption, style);
    }
    constexpr Uint32 kEnter = SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    constexpr Uint32 kEscape = SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    const SDL_MessageBoxButtonData ok{kEnter | kEscape, int(MessageBoxAnswer::kOk), "OK"};
    const SDL_MessageBoxButtonData okCancel[] = {{kEnter, int(MessageBoxAnswer::kOk), "OK"},
                                                 {kEscape, int(MessageBoxAnswer::kCancel), "Cancel"}};
    const SDL_MessageBoxButtonData retryCancel[] = {{kEnter, int(MessageBoxAnswer::kRetry), "Retry"},
                                                    {kEscape, int(MessageBoxAnswer::kCancel), "Cancel"}};
    const uint32_t buttons = style & 0xF;
    const bool offersCancel = buttons == kMessageBoxOkCancel || buttons == kMessageBoxRetryCancel;

    SDL_MessageBoxData box{};
    box.flags = ((style & kMessageBoxIconError) != 0 ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION) |
                SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
    box.window = SdlVideo::NativeWindow();
    box.title = caption != nullptr ? caption : "";
    box.message = text != nullptr ? text : "";
    if (buttons == kMessageBoxOkCancel) {
        box.buttons = okCancel;
        box.numbuttons = 2;
    } else if (buttons == kMessageBoxRetryCancel) {
        box.buttons = retryCancel;
        box.numbuttons = 2;
    } else {
        box.buttons = &ok;
        box.numbuttons = 1;
    }

    // The player must be able to click the box even while the game hides
    // the cursor.
    const int cursorShown = SDL_ShowCursor(SDL_QUERY);
    SDL_ShowCursor(SDL_ENABLE);
    int pressed = -1;
    const int result = SDL_ShowMessageBox(&box, &pressed);
    SDL_ShowCursor(cursorShown);
    if (result != 0) return StandardErrorMessageBox().Show(text, caption, style);
    // Closed without a button: as Escape would.
    if (pressed < 0) return offersCancel ? MessageBoxAnswer::kCancel : MessageBoxAnswer::kOk;
    return MessageBoxAnswer(pressed);
}

}  // namespace platform
