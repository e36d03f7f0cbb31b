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

// Writes the map as a FORM "MEVT" at the current level of `iff`.
Status WriteEventMap(IffFile& iff, const EventMapSpec& map);
// A chunk file holding the maps at its top level.
Status WriteEventMapFile(const char* path, const std::vector<EventMapSpec>& maps);
