#pragma once
#include <cstdint>

// The 256 colours an 8-bit display or texture shows, as a palette hands them
// to the display: red, green, blue and a flags byte per entry. A plain record
// so that every display back end can take it as it is.
struct DisplayPalette {
    static constexpr int kEntryCount = 256;

    // Entry flags.
    // The entry must keep a slot of its own in a shared system palette
    // rather than be merged with an equal colour there.
    static constexpr uint8_t kNoCollapse = 0x04;

    struct Entry {
        uint8_t red = 0;
        uint8_t green = 0;
        uint8_t blue = 0;
        uint8_t flags = 0;
    };

    Entry entries[kEntryCount] = {};
};
