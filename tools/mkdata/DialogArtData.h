#pragma once
#include <string>

#include "engine/Status.h"

class IffFile;

// The quit and pause dialogs and the restart page under the data root:
// "cel/QUIT.iff", "cel/PAUSE.iff", "cel/RESTART.iff", "option/QUIT1.iff",
// "option/PAUSE1.iff" and "option/RESTART1.iff"; and the controls page.
Status WriteDialogArt(const std::string& root);

// The dialogs' buttons as "ARTW" items, written into the open FORM "OPTI"
// of "optart.iff".
Status WriteDialogArtItems(IffFile& iff);
