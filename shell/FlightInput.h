#pragma once
#include <cstdint>

class GameState;

// The player's hands in flight, run on every mode-2 frame in this order.
//
// Takes the commands held now from the game state's input event map into
// its command state; without an event map nothing is held. The input
// system's key states then move on, so a key let go since the last frame is
// seen by this capture and not the next.
void CaptureCommandState(GameState& game);

// A launch: the hands start afresh, as at the first flight of the run: the
// throttle at 0 (the engine's power is the new ship's own), no weapon group
// chosen, no command held, so nothing of the last flight flies the next.
void StartFlightInput(GameState& game);

// Acts on the captured commands: the pause command sets mode 6; the arrows
// (and, with the "Joystick" setting, the stick's X, Y and rudder) steer the
// player's ship through its flight controls' shaping and the response curve;
// the throttle keys or the stick's throttle set the engine's power; the fire
// command fires the group the cockpit names (the chosen one, or the next the
// ship can fire once it is spent) and the next-group command moves the
// choice on from it. `elapsedMs` is the frame's length.
void HandleFlightInput(GameState& game, uint32_t elapsedMs);
