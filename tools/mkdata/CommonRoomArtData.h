#pragma once
#include <string>

#include "engine/Status.h"

// The common room under the data root: its art "option/COMMON1.iff" (the
// room, its habitués, the sixteen trophies and five pairs on show, and the
// trophy case's close-up "UPCL"), and the maps "cel/COMMON.iff" and
// "cel/TROPHY.iff".
Status WriteCommonRoomArt(const std::string& root);
