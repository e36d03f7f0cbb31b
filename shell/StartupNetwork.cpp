// The network's start: the command line's address as the way out, and the
// line a run without a window prints once it hosts or joins.
#include <cstdint>
#include <cstdio>
#include <memory>

#include "platform/EnetSessionService.h"
#include "platform/SessionProviders.h"
#include "shell/LaunchOptions.h"
#include "shell/StartupSteps.h"

namespace startup {

// The command line's address: sessions are looked for there, and hosted
// on it and its port.
void UseNetAddress(Session& session, const LaunchOptions& options) {
    if (!options.net) return;
    const platform::SessionNetworkSettings settings = platform::SettingsForAddress(options.netAddress, options.netPort);
    session.providers = std::make_unique<platform::SessionProviders>();
    platform::AddTcpIpProvider(session.providers.get(), settings);
    session.previousProviders = platform::SessionProviders::Install(session.providers.get());
}

// A run without a window tells at once that it hosts or joined a game.
void ReportConnection(bool hosting, const char* sessionName, uint32_t ownId) {
    if (hosting) {
        std::printf("hosting \"%s\"\n", sessionName);
    } else {
        std::printf("joined \"%s\" as %u\n", sessionName, ownId);
    }
    std::fflush(stdout);
}

}  // namespace startup
