#pragma once
#include "engine/Status.h"

// "netgate.uli": a network game's way out. The host's ship starts at the
// origin facing +z; a gate, "Exit Gate", stands 500 units straight ahead of
// the first joining client's start (212.1, 0, 212.1), and its jump goal
// takes a ship in from 300 units: that client leaves through it by flying
// ahead, while the host's ship and a second client's (at (0, 0, 300)) stand
// farther off than that and stay.
inline constexpr const char* kNetGateMissionFile = "netgate.uli";
Status WriteNetGateMission(const char* path);
