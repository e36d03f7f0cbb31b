#pragma once

namespace platform {
class Window;
}

// Makes the window's typed characters the typed-text buffer's (see
// game/TextInput.h). The window's earlier procedure still sees every message.
void FollowTypedText(platform::Window& window);
