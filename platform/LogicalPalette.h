#pragma once
#include <cstdint>

#include "platform/DisplayPalette.h"

namespace platform {

class WindowGraphics;

// The colours a program wants a window to show for the indices of its
// frames. A device context selects it; realising it there makes its colours
// the ones the context draws with. Made by WindowGraphics::CreatePalette.
class LogicalPalette {
public:
    ~LogicalPalette();
    LogicalPalette(const LogicalPalette&) = delete;
    LogicalPalette& operator=(const LogicalPalette&) = delete;

    int32_t EntryCount() const { return count_; }
    // Entries past EntryCount() are black.
    const DisplayPalette& Entries() const { return entries_; }

private:
    friend class WindowGraphics;

    LogicalPalette(WindowGraphics& graphics, int32_t count, const DisplayPalette::Entry* entries);

    WindowGraphics& graphics_;
    const int32_t count_;
    DisplayPalette entries_;
};

}  // namespace platform
