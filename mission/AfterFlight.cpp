#include "mission/AfterFlight.h"

#include <string>

#include "game/CareerRecord.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "game/MessageEntry.h"
#include "game/PilotFile.h"
#include "mission/CampaignMessages.h"
#include "mission/CareerUpdate.h"
#include "mission/MissionFile.h"

void SettleFlight(GameState& game, int32_t outcome, const char* landingMovie, const MoviePlayer& playMovie) {
    if (game.flightUnsettled == 0) return;
    game.flightUnsettled = 0;
    game.MissionSettled();
    const bool network = game.IsNetworkGame();
    // The file as it stands now: its awards and its cut-scene.
    mission_file::Contents flown;
    if (!game.missionName.empty()) {
        mission_file::Load((g_dataDirs.Prefix(DataDir::kMissions) + game.missionName).c_str(), &flown);
    }
    UpdateCareerAfterMission(game);
    if (!network && game.career != nullptr) PayAwards(*game.career, flown.awards, outcome);
    const char* const movie = !flown.movie.empty() ? flown.movie.c_str() : landingMovie;
    if (movie != nullptr && playMovie) playMovie(movie);
    if (network) {
        (void)WritePilotFile(game);
        return;
    }
    LoadMissionFile(game.missionName.c_str(), outcome);
}

void AcceptFlightLoss(GameState& game) { SettleFlight(game, MessageEntry::kLost, nullptr, nullptr); }
