#pragma once
#include "engine/Status.h"

// "sample.uli" in the missions directory: the player's fighter with two
// wingmen, two hostile fighters and a capital ship, asteroids scattered in
// a field, mines, a gate, debris, two way points and a buoy; its music is
// "patrol.xmi".
inline constexpr const char* kSampleMissionFile = "sample.uli";
Status WriteSampleMission(const char* path);

// "skirmish.uli": two wings of four AI raiders on opposite sides, 3000
// units apart, facing each other, with the player's ship between them; its
// music is "skirmish.xmi".
inline constexpr const char* kSkirmishMissionFile = "skirmish.uli";
Status WriteSkirmishMission(const char* path);
