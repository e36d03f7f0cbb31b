#pragma once
#include "engine/Status.h"

// "netfight.uli": a mission to host a network game on. Two wings of three
// "Marauder" raiders (gun, ion beam, missiles and flak) face each other
// 1800 units apart above the player's ship, among drifting asteroids, two
// mines, a gate and a buoy. No goals: the wings fight until one is gone.
inline constexpr const char* kNetFightMissionFile = "netfight.uli";
Status WriteNetFightMission(const char* path);
