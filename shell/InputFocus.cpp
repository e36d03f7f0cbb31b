#include "shell/InputFocus.h"

#include <memory>

#include "engine/input/InputSystem.h"
#include "game/GameState.h"
#include "platform/Window.h"

namespace {

constexpr int16_t kFrameWidth = 640;
constexpr int16_t kFrameHeight = 480;

}  // namespace

void FollowFocus(platform::Window& window, InputSystem* input) {
    auto previous = std::make_shared<platform::Window::Procedure>();
    *previous = window.SetProcedure([input, previous](platform::Window& self, const platform::WindowMessage& message) {
        if (message.type == platform::WindowMessageType::kActivate && input != nullptr) {
            input->OpenDevices();
            // The Direct3D display always shows a 640 x 480 frame, whatever the desktop.
            if (g_graphicsDriver == kGraphicsDriverDirect3d && input->GetMouse() != nullptr) {
                input->GetMouse()->SetScreenSize(kFrameWidth, kFrameHeight);
            }
        } else if (message.type == platform::WindowMessageType::kDeactivate) {
            if (input != nullptr) input->ResetDevices();
            if (self.FullScreen()) self.Minimize();
        }
        return *previous && (*previous)(self, message);
    });
}
