#pragma once
#include "engine/Status.h"

// The sample's saved game for the load screen: the career "Korvane" in the
// sample mission, under the title "Sample career", a while in: three ships,
// two hired pilots (one on the wing), spares in the stores and money.
// `path` should end in ".sav", which keys it; the data tree's definitions
// must be found (g_dataDirs) for the ships and pilots.
Status WriteSampleSave(const char* path);
// The sample's pilot file for the lobby, keyed from its ".plr" path.
Status WriteSamplePilot(const char* path);
