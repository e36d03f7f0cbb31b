#pragma once
#include <cstdint>

// One pass of the window: its pending messages, then 0 when the game quits.
int32_t PumpMessages();
// Shows the frame drawn since the last flip.
void FlipFrame();
