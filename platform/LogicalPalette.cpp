#include "platform/LogicalPalette.h"

#include "platform/WindowGraphics.h"

namespace platform {

LogicalPalette::LogicalPalette(WindowGraphics& graphics, int32_t count, const DisplayPalette::Entry* entries)
    : graphics_(graphics), count_(count) {
    for (int32_t i = 0; i < count; ++i) entries_.entries[i] = entries[i];
    ++graphics_.livePalettes_;
}

LogicalPalette::~LogicalPalette() { --graphics_.livePalettes_; }

}  // namespace platform
