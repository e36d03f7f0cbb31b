#pragma once
#include <cstdint>
#include <vector>

#include "engine/Status.h"
#include "engine/input/InputEventMap.h"

class IffFile;

// One input event map as the screens load it: a name of up to 12
// characters and its events, each a number (0 to 511) and its trigger.
struct EventMapSpec {
    struct Event {
        uint32_t number = 0;
        InputTrigger trigger;
    };
    const char* name = "";
    std::vector<Event> events;
};

// The triggers the sample maps are made of: a hot spot (a rectangle of the
// screen), a key with an optional modifier condition, a mouse button.
InputTrigger SpotTrigger(int x, int y, int width, int height);
InputTrigger KeyTrigger(uint16_t key, uint16_t condition = InputTrigger::kNone);
InputTrigger MouseButtonTrigger(uint16_t button);
// The keyboard's focus walk shared by the screens' maps: Tab and Shift+Tab,
// Enter (unless a page keeps it for itself) and the left button activating,
// F1 for help (none when -1).
void AddFocusWalkKeys(EventMapSpec& map, uint32_t next, uint32_t previous, uint32_t activate, int32_t help,
                      bool enterActivates = true);

// Writes the map as a FORM "MEVT" at the current level of `iff`.
Status WriteEventMap(IffFile& iff, const EventMapSpec& map);
// A chunk file holding the maps at its top level.
Status WriteEventMapFile(const char* path, const std::vector<EventMapSpec>& maps);
