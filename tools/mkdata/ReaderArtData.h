#pragma once
#include <string>

#include "engine/Status.h"

class IffFile;

// The message readers' art: "option/MISSIONS1.iff", "EMAIL1.iff",
// "NEWS1.iff" and "LOGS1.iff" (the frame page's button sprites), and the
// maps "cel/MISSIONS.iff", "EMAIL.iff", "NEWS.iff", "LOGS.iff" and
// "VOICE.iff".
Status WriteReaderArt(const std::string& root);
// The readers' buttons as "ARTW" items of the open "optart.iff".
Status WriteReaderArtItems(IffFile& iff);
