#pragma once
#include "engine/Status.h"

// "cursors.iff" of the data directory: FORM "CURS" holding the cursor's
// three shapes as FORM "XCEL" in shape order (the arrow, the highlighted
// arrow, the hourglass), 16 x 16 pictures with a palette of their own, each
// cel's position its hot spot, index 255 clear.
Status WriteCursorShapes(const char* path);
