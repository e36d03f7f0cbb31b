#include "shell/InputFocus.h"

#include <memory>

#include "engine/input/InputSystem.h"
#include "platform/Window.h"

void FollowFocus(platform::Window& window, InputSystem* input) {
    auto previous = std::make_shared<platform::Window::Procedure>();
    *previous = window.SetProcedure([input, previous](platform::Window& self, const platform::WindowMessage& message) {
        if (message.type == platform::WindowMessageType::kActivate && input != nullptr) {
            input->OpenDevices();
        } else if (message.type == platform::WindowMessageType::kDeactivate) {
            if (input != nullptr) input->ResetDevices();
            if (self.FullScreen()) self.Minimize();
        }
        return *previous && (*previous)(self, message);
    });
}
