#pragma once
#include "engine/Status.h"

// "sample.uli" in the missions directory: the player's fighter with two
// wingmen, two hostile fighters and a capital ship, asteroids scattered in
// a field, mines, a gate, debris, two way points and a buoy.
inline constexpr const char* kSampleMissionFile = "sample.uli";
Status WriteSampleMission(const char* path);
