#include "mission/AfterFlight.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "game/CareerRecord.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "game/MessageEntry.h"
#include "game/MessageList.h"
#include "game/ShipRecord.h"
#include "game/PilotFile.h"
#include "mission/CampaignMessages.h"
#include "mission/CareerUpdate.h"
#include "mission/MissionFile.h"
#include "objects/ships/Craft.h"
#include "objects/ships/PlayerShip.h"

namespace {

// The name of the career ship the player ejected from, which the career
// update is about to take away (its hull's when it has none); nothing when
// there is none.
std::optional<std::string> EjectedFrom(const GameState& game) {
    const auto* const pod = dynamic_cast<const PlayerShip*>(game.playerShip);
    const ShipRecord* const record =
        pod != nullptr && pod->abandonedCraft != nullptr ? pod->abandonedCraft->FlownRecord() : nullptr;
    if (record == nullptr) return std::nullopt;
    return !record->displayName.empty() ? record->displayName : std::string(record->hullId);
}

void TellShipLost(GameState& game, const std::string& ship) {
    auto mail = std::make_unique<MessageEntry>();
    mail->list = MessageEntry::kEmail;
    mail->active = MessageEntry::kShown;
    mail->title = kShipLostTitle;
    char body[160];
    std::snprintf(body, sizeof body, kShipLostText, ship.c_str());
    mail->body = body;
    if (game.career == nullptr || game.career->GetShipCount() == 0) mail->body += kNoShipLeftText;
    game.newMail.Append(std::move(mail));
    MessageListsChanged(game);
}

}  // namespace

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
    const std::optional<std::string> ejectedFrom = network ? std::nullopt : EjectedFrom(game);
    UpdateCareerAfterMission(game);
    if (!network && game.career != nullptr) PayAwards(*game.career, flown.awards, outcome);
    const char* const movie = !flown.movie.empty() ? flown.movie.c_str() : landingMovie;
    if (movie != nullptr && playMovie) playMovie(movie);
    if (network) {
        (void)WritePilotFile(game);
        return;
    }
    LoadMissionFile(game.missionName.c_str(), outcome);
    if (ejectedFrom) TellShipLost(game, *ejectedFrom);
}

void AcceptFlightLoss(GameState& game) { SettleFlight(game, MessageEntry::kLost, nullptr, nullptr); }
