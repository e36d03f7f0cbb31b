#pragma once
#include "engine/Status.h"

// "netrespawn.uli": an empty stretch of space for pilots who die and fly
// again. The host flies a raider (its gun brings down a fighter whose
// shields are off in seconds), starting at the origin facing +z; with no spawn
// station, joining clients start on rings round it out along the bearings
// of their places in the player table, 150 units apart: the first at
// (212.1, 0, 212.1), the second 300 units straight ahead of the host, at
// (0, 0, 300), on its line of fire.
inline constexpr const char* kNetRespawnMissionFile = "netrespawn.uli";
Status WriteNetRespawnMission(const char* path);
