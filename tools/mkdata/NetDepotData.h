#pragma once
#include "engine/Status.h"

// "netdepot.uli": a mission to host a network game on where a joining
// client rearms. A friendly "Depot" (a rearm station) stands beside the
// places a client's ship starts at (the first two along its bearing round
// the start; the host's ship waits at the start), but leaves the world at
// the first step and jumps back in kDepotArrivesMs into the flight, once a
// client that joined at once has started: a station already flying would
// keep a starting ship away. Its two goals are timed waits.
inline constexpr const char* kNetDepotMissionFile = "netdepot.uli";
inline constexpr unsigned kDepotArrivesMs = 8000;
Status WriteNetDepotMission(const char* path);
