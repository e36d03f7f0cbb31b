#pragma once
#include <string>

#include "engine/Status.h"

class IffFile;

// The controls page under the data root: "cel/CONTROL.iff" (its events on
// the cells, the buttons, the keys, the mouse and the joystick) and
// "option/CONTROL1.iff" (the button and conflict icons and the sprites).
Status WriteControlArt(const std::string& root);

// The page's buttons and cells as "ARTW" items, written into the open FORM
// "OPTI" of "optart.iff".
Status WriteControlArtItems(IffFile& iff);
