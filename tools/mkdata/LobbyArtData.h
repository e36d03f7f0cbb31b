#pragma once
#include <string>

#include "engine/Status.h"

// The lobby under the data root: "option/NETOPT1.iff" (the background and
// the buttons of its twelve panels, nested as the screen reads them) and
// the twelve pages of its event maps in "cel/".
Status WriteLobbyArt(const std::string& root);
Status WriteLobbyArtFile(const char* path);
Status WriteLobbyMaps(const std::string& celDirectory);
