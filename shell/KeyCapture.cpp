#include "shell/KeyCapture.h"

#include <memory>

#include "game/GameState.h"
#include "platform/Window.h"

void FollowKeyCapture(platform::Window& window) {
    auto previous = std::make_shared<platform::Window::Procedure>();
    *previous = window.SetProcedure([previous](platform::Window& self, const platform::WindowMessage& message) {
        using platform::WindowMessageType;
        const bool keyDown =
            message.type == WindowMessageType::kKeyDown || message.type == WindowMessageType::kSystemKeyDown;
        // The game state comes after the window; until then nothing waits.
        GameState* const game = g_gameState;
        if (keyDown && game != nullptr && game->keyCaptureActive != 0 && game->capturedKeys != nullptr) {
            game->capturedKeys->push_back(message.scanCode);
        }
        return *previous && (*previous)(self, message);
    });
}
