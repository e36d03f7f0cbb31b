#pragma once
#include <cstdint>

#include "engine/EngineAllocation.h"

// One of the two teams of a network game.
struct TeamRecord {
    char* name = nullptr;   // owned, or none
    uint32_t logo = 0;      // 0 to 18
};

// The game type and teams of a network game; the game state holds it while
// a network game is set up or played.
class NetGameSettings : public EngineObject {
public:
    // Up to 4 the team games; each game without teams is its team variant plus 4.
    static constexpr uint32_t kTagTeams = 2, kDeathMatchTeams = 3, kCooperativeTeams = 4;
    static constexpr uint32_t kTag = 6, kDeathMatch = 7, kCooperative = 8;
    // A team game has at most this many teams.
    static constexpr int32_t kMostTeams = 2;

    NetGameSettings() = default;
    ~NetGameSettings();
    NetGameSettings(const NetGameSettings&) = delete;
    NetGameSettings& operator=(const NetGameSettings&) = delete;

    // A copy of the name (none for null) replaces the team's.
    void SetTeamName(int32_t team, const char* name);
    // The game types in which players fly in teams.
    bool HasTeams() const { return gameType >= 1 && gameType <= 4; }
    // The side of the ship a pilot of `team` (-1 none) flies under the
    // number `uoid`, the same on every machine: in the team battles its
    // team's, the team number plus 1 (as a team's goals count it); in the
    // cooperative games the players' side; in the games of every ship for
    // itself, and for a pilot of no team in a team battle, its own number.
    int32_t PilotSide(int32_t team, int32_t uoid) const;

    uint32_t gameType = 0;
    int32_t teamCount = 0;
    TeamRecord teams[kMostTeams];
};

// Set from the moment this machine enters a network game from the lobby
// until the front menu clears it.
extern uint32_t g_netGameLaunched;
