#include "net/NetGameSettings.h"

#include <cstring>

uint32_t g_netGameLaunched = 0;

NetGameSettings::~NetGameSettings() {
    for (TeamRecord& team : teams) EngineRelease(team.name);
}

void NetGameSettings::SetTeamName(int32_t team, const char* name) {
    if (team < 0 || team >= kMostTeams) return;
    EngineRelease(teams[team].name);
    teams[team].name = nullptr;
    if (name == nullptr) return;
    teams[team].name = EngineCopyText(name);
}
