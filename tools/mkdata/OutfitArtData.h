#pragma once
#include <string>

#include "engine/Status.h"

class IffFile;

// The outfitting screen's art: FORM "OPTI" of "option/outfit1.iff" (its
// sprites, 21 plaques, 6 ship pictures and the views' button forms),
// written into the open file beside the hull forms.
Status WriteOutfitArt(IffFile& iff);
// The sprites' buttons as "ARTW" items of the open "optart.iff".
Status WriteOutfitArtItems(IffFile& iff);
// "cel/Outfit.iff": the screen's event map.
Status WriteOutfitMap(const std::string& celDirectory);
