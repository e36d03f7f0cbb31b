#include "shell/PilotWatch.h"

#include <cstdio>
#include <utility>
#include <vector>

#include "game/GameState.h"
#include "game/Mission.h"
#include "net/NetSession.h"
#include "objects/ships/Craft.h"
#include "objects/space/SpaceObject.h"
#include "shell/FlightReport.h"

namespace {

SpaceObject* FindShip(const GameState& game, int32_t uoid) {
    SpaceObject* const first = game.mission != nullptr ? game.mission->firstObject : nullptr;
    return first != nullptr && uoid >= 0 ? first->FindByUoid(uoid) : nullptr;
}

}  // namespace

void PilotWatch::Start(Say say, bool tellDeaths) {
    own_.Start();
    clients_.clear();
    told_.clear();
    say_ = std::move(say);
    tellDeaths_ = tellDeaths;
}

bool PilotWatch::Update(GameState& game, uint32_t now) {
    const bool network = game.IsNetworkGame();
    const bool overdue = own_.Update(game.playerShip, now);
    // Only once the wreck's death has run its course.
    auto* const own = dynamic_cast<Craft*>(game.playerShip);
    if (overdue && network && game.IsHost() && own != nullptr && own->dead == 0) own->Respawn();
    if (network && game.IsHost() && game.netSession != nullptr) BringBackClients(game, now);
    TellPilots(game);
    return overdue && !network;
}

void PilotWatch::BringBackClients(GameState& game, uint32_t now) {
    const NetSession& session = *game.netSession;
    std::map<int32_t, DeathWatch> watched;
    for (int32_t i = 0; i < session.playerCapacity; ++i) {
        const NetPlayer* const player = session.Player(i);
        if (player == nullptr || player->inUse == 0 || player->dpid == session.ownDpid) continue;
        auto* const ship = dynamic_cast<Craft*>(FindShip(game, player->shipUoid));
        if (ship == nullptr || ship == game.playerShip) continue;
        DeathWatch watch;
        if (const auto found = clients_.find(ship->uoid); found != clients_.end()) watch = found->second;
        if (watch.Update(ship, now) && ship->dead == 0) ship->Respawn();
        watched[ship->uoid] = watch;
    }
    clients_.swap(watched);
}

void PilotWatch::TellPilots(GameState& game) {
    std::vector<Craft*> pilots;
    if (auto* const own = dynamic_cast<Craft*>(game.playerShip)) pilots.push_back(own);
    const NetSession* const session = game.IsNetworkGame() ? game.netSession : nullptr;
    for (int32_t i = 0; session != nullptr && i < session->playerCapacity; ++i) {
        const NetPlayer* const player = session->Player(i);
        if (player == nullptr || player->inUse == 0) continue;
        auto* const ship = dynamic_cast<Craft*>(FindShip(game, player->shipUoid));
        if (ship != nullptr && ship != game.playerShip) pilots.push_back(ship);
    }
    // Ships gone from the world since the last frame are forgotten with
    // their addresses.
    std::map<const Craft*, Told> told;
    for (const Craft* craft : pilots) {
        const auto found = told_.find(craft);
        Told& now = told[craft];
        now = found != told_.end() ? found->second : Told{craft->deaths, craft->dead != 0};
        Tell(*craft, now);
    }
    told_.swap(told);
}

void PilotWatch::Tell(const Craft& craft, Told& told) const {
    if (craft.dead != 0 || craft.deaths > told.deaths) told.down = true;
    (void)flight_report::TellDeaths(craft, &told.deaths, &told.dyingTold,
                                    tellDeaths_ ? say_ : flight_report::Say());
    if (!told.down || craft.active == 0 || craft.dead != 0) return;
    told.down = false;
    if (!say_) return;
    // Plus zero: a place on an axis prints as 0.0, never -0.0.
    const Vector3 at = craft.Position().Sum(Vector3{0.0f, 0.0f, 0.0f});
    char line[96];
    std::snprintf(line, sizeof line, "respawn %d %.1f %.1f %.1f", int(craft.uoid), at.x, at.y, at.z);
    say_(line);
}
