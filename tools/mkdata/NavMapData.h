#pragma once
#include <string>

#include "engine/Status.h"

// The navigation maps' art and maps under the data root: "option/warroom1.iff"
// (the war-room map, its art in FORM "OPTI" > "OPTS" > "NAVM"),
// "option/spacenav.iff" (the in-flight map, its art directly in "OPTI"),
// each with 33 symbol images, a background and the maps' buttons, and the
// event maps "cel/WarNav.iff" and "cel/NavMap.iff".
Status WriteNavMapArt(const std::string& root);
// One art file on its own, for the tests; `warRoom` picks the twin.
Status WriteNavMapArtFile(const char* path, bool warRoom);
// The number of symbol images each art file holds.
inline constexpr int kNavMapSymbolCount = 33;
