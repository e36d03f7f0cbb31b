#pragma once
#include "engine/Status.h"

// The sample's saved game for the load screen: the career "Korvane" in the
// sample mission, under the title "Sample career". `path` should end in
// ".sav", which keys it.
Status WriteSampleSave(const char* path);
// The sample's pilot file for the lobby, keyed from its ".plr" path.
Status WriteSamplePilot(const char* path);
