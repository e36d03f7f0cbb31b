#pragma once

class GameState;

// The host's end of a cooperative random mission: the payment is shared
// out, once, among the players in use (each other player through a
// KILLS_UPDATE, the host's own share straight into its funds) as soon as
// the mission's goals are won, or once the flight has lasted longer than
// the generator's time limit, whichever comes first, unless the mission
// failed (then nobody is paid); the time limit also sets the time-up flag.
// The host's funds hold at their top. The flight goes on. Nothing on a
// client or without a session.
void CheckCooperativeEnd(GameState& game);
