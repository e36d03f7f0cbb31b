#pragma once
#include <string>

#include "engine/Status.h"

class IffFile;

// The outfitting screen's art: FORM "OPTI" of "option/outfit1.iff" (its
// sprites, 21 plaques, 6 ship pictures and the views' button forms),
// written into the open file beside the hull forms.
Status WriteOutfitArt(IffFile& iff);
// The 21 data-sheet plaques as FORM "PLAQ"s, each at (x, y): the value
// boxes of a sheet whose "name" box sits at (x + 88, y + 7) fall on its labels.
Status WriteSheetPlaques(IffFile& iff, int x, int y);
// The sprites' buttons as "ARTW" items of the open "optart.iff".
Status WriteOutfitArtItems(IffFile& iff);
// "cel/Outfit.iff": the screen's event map.
Status WriteOutfitMap(const std::string& celDirectory);
