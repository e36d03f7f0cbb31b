#pragma once
#include <string>

#include "engine/Status.h"

class IffFile;

// The kill board's and the encyclopedia's art, maps and data under the
// data root: "option/kill1.iff", "option/ENCYC1.iff", "cel/KILL.iff",
// "cel/ENCYC.iff" and "data/encyclopedia.iff".
Status WriteRecordsArt(const std::string& root);
// Their sprites' buttons as "ARTW" items of the open "optart.iff".
Status WriteRecordsArtItems(IffFile& iff);
// The encyclopedia's entries alone, for the tests.
Status WriteEncyclopedia(const char* path);
