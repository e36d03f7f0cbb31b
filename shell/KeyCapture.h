#pragma once

namespace platform {
class Window;
}

// While the game state's keyCaptureActive is set, every key-down and
// system-key-down of the window appends its scan code to the game state's
// capturedKeys list (the controls screen's), when one is registered. The
// window's earlier procedure still sees every message.
void FollowKeyCapture(platform::Window& window);
