#pragma once
#include "engine/Status.h"

// "netdepot.uli": a mission to host a network game on where a joining
// client rearms. A friendly "Depot" (a rearm station) stands beside the
// places a client's ship starts at (the first two along its bearing round
// the start; the host's ship waits at the start), but leaves the world at
// the first step (a station already flying would keep a starting ship
// away), and jumps back in when the host's ship comes within 25 of the way
// point kDepotCall, 40 ahead of its start: the host calls it in whenever
// its clients are ready for it.
inline constexpr const char* kNetDepotMissionFile = "netdepot.uli";
inline constexpr const char* kDepotCall = "Call";
Status WriteNetDepotMission(const char* path);
