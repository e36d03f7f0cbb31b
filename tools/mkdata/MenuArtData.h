#pragma once
#include <string>

#include "engine/Status.h"

// The art, maps and texts of the game's first menus under the data root:
// "cel/INIT.iff", "cel/HELP.iff", "cel/TUT.iff", "option/initopt1.iff",
// "option/TUT1.iff", "option/optart.iff" and "data/tutor.iff".
Status WriteMenuArt(const std::string& root);

// Each piece on its own, for the tests.
Status WriteInitialOptionsArt(const char* path);
Status WriteTutorialArt(const char* path);
Status WriteOptArt(const char* path);
Status WriteTutorTexts(const char* path);
Status WriteMenuMaps(const std::string& celDirectory);
