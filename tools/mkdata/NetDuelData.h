#pragma once
#include "engine/Status.h"

// "netduel.uli": a network game's shooting range. The host's ship starts at
// the origin facing +z with a "Drone" 300 units ahead; a joining client
// starts 300 units out on the bearing of its place in the player table
// (45 degrees for the first, at (212.1, 0, 212.1)), with a second drone
// 300 units ahead of it. A ship that never moves hits its drone by firing.
inline constexpr const char* kNetDuelMissionFile = "netduel.uli";
inline constexpr float kNetDuelRange = 300.0f;
Status WriteNetDuelMission(const char* path);
