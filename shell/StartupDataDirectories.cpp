// The data directories, found under the data root or on a disc.
#include <cstdio>

#include "game/DataDirectories.h"
#include "game/GameMessages.h"
#include "platform/MessageBox.h"
#include "shell/LaunchOptions.h"
#include "shell/StartupSteps.h"

namespace startup {

namespace {

// The system's message names no folder: the log names each one missing.
void LogMissingDataDirectories(const LaunchOptions& options) {
    for (int i = 0; i < DataDirectories::kCount; ++i) {
        if (g_dataDirs.Found(static_cast<DataDir>(i))) continue;
        std::printf("Data directory \"%s\" (with %s) not found under %s nor on a disc\n", DataDirectories::kNames[i],
                    DataDirectories::kProbeFile, options.dataRoot.empty() ? "." : options.dataRoot.c_str());
    }
    std::fflush(stdout);
}

}  // namespace

// Asks for the disc until every data directory is found or the player gives up.
bool FindDataDirectories(const LaunchOptions& options) {
    for (;;) {
        if (g_dataDirs.Find(options.dataRoot)) return true;
        LogMissingDataDirectories(options);
        platform::MessageBoxAnswer answer = platform::MessageBox::Current().Show(
            msg::kInsertCdRom, msg::kCaptionInitialization,
            platform::kMessageBoxRetryCancel | platform::kMessageBoxIconError);
        if (answer != platform::MessageBoxAnswer::kRetry) return false;
    }
}

}  // namespace startup
