#pragma once
#include <cstdint>

class Craft;
class GameState;
class PlayerShip;

// The flight's single-press commands on the player's ship, run by the
// flight input each mode-2 frame after the capture: each acts once when
// its command becomes active, however long its key stays down. A ship
// without the system a command works (no radar, no cloak...) ignores it.
void HandleFlightCommands(GameState& game, Craft& ship);

// The allocation one press of a power key moves: a tenth of the cap, at
// least one unit.
int32_t PowerStep(int32_t cap);

// Ejecting: `pod` takes the flown ship's place as the player's ship, at
// its position and heading and with its velocity, in the world and in the
// view and chase; the ship stays in the world, left drifting, as the pod's
// `abandonedCraft` (in a network game it leaves the flight on every machine
// at once, no wreck). False, and `pod` deleted, when there is no ship to
// leave or the player already sits in a pod.
bool EjectInto(GameState& game, PlayerShip* pod);
