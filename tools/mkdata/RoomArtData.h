#pragma once
#include <string>

#include "engine/Status.h"

// The rooms of the base under the data root: the painted art
// "option/OFFICE1.iff", "option/HALLWAY1.iff", "option/WARROOM1.iff" and
// "option/HANGAR1.iff", and their maps "cel/OFFICE.iff", "cel/HALLWAY.iff",
// "cel/WARROOM.iff" and "cel/HANGAR.iff".
Status WriteRoomArt(const std::string& root);
