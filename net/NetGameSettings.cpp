#include "net/NetGameSettings.h"

#include <cstring>

uint32_t g_netGameLaunched = 0;

NetGameSettings::~NetGameSettings() {
    for (TeamRecord& team : teams) EngineRelease(team.name);
}

void NetGameSettings::SetTeamName(int32_t team, const char* name) {
    if (team < 0 || team > 1) return;
    EngineRelease(teams[team].name);
    teams[team].name = nullptr;
    if (name == nullptr) return;
    const size_t length = std::strlen(name);
    teams[team].name = static_cast<char*>(EngineAllocate(length + 1));
    if (teams[team].name != nullptr) std::memcpy(teams[team].name, name, length + 1);
}
