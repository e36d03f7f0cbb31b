#pragma once

class InputSystem;

namespace platform {
class Window;
}

// Makes the window's activation the devices': activation opens them again,
// losing the focus closes them (so nothing stays acquired while another
// program has the focus) and minimizes a full-screen window. The window's
// earlier procedure still sees every message.
void FollowFocus(platform::Window& window, InputSystem* input);
