#include "shell/TypedText.h"

#include <memory>

#include "game/TextInput.h"
#include "platform/Window.h"

void FollowTypedText(platform::Window& window) {
    auto previous = std::make_shared<platform::Window::Procedure>();
    *previous = window.SetProcedure([previous](platform::Window& self, const platform::WindowMessage& message) {
        if (message.type == platform::WindowMessageType::kCharacter) TypeTextInput(message.character);
        return *previous && (*previous)(self, message);
    });
}
