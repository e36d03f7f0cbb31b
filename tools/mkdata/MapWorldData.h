#pragma once
#include "engine/Status.h"

// "mapworld.uli": a mission for the navigation maps with an object of every
// class the maps tell apart (rocks of each model, the base and the depot,
// fighters and raiders of each side, mines, gates of each class word, way
// points, buoys and an unidentified raider) and goals on them: a kill, a
// travel, a jump through a gate and one whose text runs past the list's
// column.
inline constexpr const char* kMapWorldMissionFile = "mapworld.uli";
Status WriteMapWorldMission(const char* path);
