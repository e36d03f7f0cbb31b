#pragma once
#include <string>

#include "engine/Status.h"

class IffFile;

// The requisition screen's and the salvage bay's art under the data root:
// "option/REQU1.iff" and "option/salvage1.iff" (sprites and the 21 data-sheet
// plaques each) and their event maps "cel/REQU.iff" and "cel/SALVAGE.iff".
Status WriteRequisitionArt(const std::string& root);
// Their sprites' buttons as "ARTW" items of the open "optart.iff".
Status WriteRequisitionArtItems(IffFile& iff);
