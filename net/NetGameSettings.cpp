#include "net/NetGameSettings.h"

#include <cstring>

#include "objects/ships/PlayerShip.h"

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

int32_t NetGameSettings::PilotSide(int32_t team, int32_t uoid) const {
    if (gameType == kCooperative || gameType == kCooperativeTeams) return PlayerShip::kPlayersSide;
    if (HasTeams()) return team >= 0 && team < kMostTeams ? team + 1 : uoid;
    return gameType > kCooperativeTeams ? uoid : PlayerShip::kPlayersSide;
}
