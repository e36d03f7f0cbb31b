// The game's own mouse cursor.
#include <cstdio>
#include <memory>
#include <string>

#include "game/DataDirectories.h"
#include "game/SoftCursor.h"
#include "platform/Window.h"
#include "shell/Startup.h"
#include "shell/StartupSteps.h"

namespace startup {

// The cursor's shapes from the data directory. Without them the window
// system's cursor serves, so a missing file only goes to the log.
std::unique_ptr<SoftCursor> LoadCursor() {
    auto cursor = std::make_unique<SoftCursor>();
    // A run without a window has no system cursor: the game draws its own,
    // so that the pictures of a scripted run show where the pointer is.
    cursor->software = g_mainWindow->Headless();
    const std::string path = g_dataDirs.Prefix(DataDir::kData) + SoftCursor::kFileName;
    const Status status = cursor->Load(path.c_str());
    if (status == kStatusOk) {
        std::printf("Cursors: %d shapes from %s\n", SoftCursor::kShapeCount, path.c_str());
    } else {
        std::printf("Cursors: %s cannot be read (%u): the system's cursor serves\n", path.c_str(), status);
    }
    std::fflush(stdout);
    return cursor;
}

}  // namespace startup
