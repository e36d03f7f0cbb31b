#pragma once
#include <cstdint>

class Camera;
class GameState;
class SpaceObject;
struct HudReadout;

// The cockpit's instruments read from the player's ship and its systems,
// as `camera` (which has its canvas) shows the world: speed and throttle,
// the generator's split and the levels it feeds, the weapon group the fire
// key fires with its refusal and a missile group's lock, the targeting
// computer's target as far as it is identified (reading its callsign marks
// it identified, as the maps see it), the chosen nav point, the aim (a
// projectile group's sight: where the flight input's aim would send a shot;
// no weapon is aimed by the reading) and the radar's picture. Without a
// player's ship the readout says nothing is flown. The game's dice are left
// as they were.
void ReadHud(const GameState& game, const Camera& camera, HudReadout* out);

// For the run's trace: `hud target "NAME" DISTANCE` as a target is taken and
// then once a second while it is held, `hud target none` as it is dropped;
// `now` is the flight clock in milliseconds. Silent while the trace is off.
void TraceHudTarget(const GameState& game, const HudReadout& readout, uint32_t now);

// For the run's trace: `hud throttle PERCENT` at a flight's first reading,
// then as the reading changes, at most once a second (the value it settles
// at is always told). Silent while the trace is off.
void TraceHudThrottle(const GameState& game, const HudReadout& readout, uint32_t now);

// The name a radio message's speaker goes by while it is in the flight's
// world (null once it has left it, or without a flight): the cockpit's
// callsign query. The speaker is only compared until it is found, so one
// already destroyed is never read.
const char* CallsignInWorld(const SpaceObject* speaker);
