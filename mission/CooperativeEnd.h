#pragma once

class GameState;

// The host's end of a cooperative random mission: once the flight has
// lasted longer than the generator's time limit, the time-up flag is set
// and the payment is shared out, once, among the players in use (each
// other player through a KILLS_UPDATE, the host's own share straight into
// its funds). The flight goes on. Nothing on a client or without a session.
void CheckCooperativeEnd(GameState& game);
