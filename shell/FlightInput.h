#pragma once
#include <cstdint>

class GameState;

// The flight frame's command state from the input event map.
void CaptureCommandState(GameState& game);
// The player's commands of this frame applied to the player's ship.
void HandleFlightInput(GameState& game, uint32_t elapsedMs);
