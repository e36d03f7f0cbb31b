#pragma once
#include <cstdint>

#include "ui/MenuScreen.h"

// A page of the squadron menu that keeps its own event gate rather than the
// shared dispatch state, and whose handlers never end it.
class SquadronPage : public MenuScreen {
public:
    using MenuScreen::MenuScreen;

protected:
    // A whole pass under that gate: the input read unless the help pop-up
    // over the page reads it, the held events, cursor, panels, transition.
    // The result, and `panelChanged` set when the step left another panel
    // current.
    int32_t DrawGatedPass(bool* panelChanged);
};
