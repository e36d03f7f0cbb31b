#pragma once
#include <string>

#include "engine/Status.h"

class IffFile;

// The navigation maps' art and maps under the data root: "option/spacenav.iff"
// (the in-flight map, its art directly in "OPTI"),
// each with 33 symbol images, a background and the maps' buttons, and the
// event maps "cel/WarNav.iff" and "cel/NavMap.iff".
Status WriteNavMapArt(const std::string& root);
// The map's forms inside an open "OPTI" form; the war-room twin nests them in
// "OPTS" > "NAVM", which the war room's own art file carries.
Status WriteNavMapForms(IffFile& iff, bool warRoom);
// One art file on its own, for the tests; `warRoom` picks the twin.
Status WriteNavMapArtFile(const char* path, bool warRoom);
// The number of symbol images each art file holds.
inline constexpr int kNavMapSymbolCount = 33;
