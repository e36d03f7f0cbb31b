// The session's sides: every machine holds each pilot's ship on the side
// its game gives the pilot, from the moment the ship is made or numbered
// until the pilot's team changes, when it moves with the table's entry.
#include "game/GameState.h"
#include "net/NetGameSettings.h"
#include "net/NetHandlers.h"
#include "net/NetSession.h"
#include "objects/space/SpaceObject.h"

void NetSession::SetPlayerTeam(int32_t index, int32_t team) {
    if (!InRange(index)) return;
    NetPlayer& player = players_[index];
    player.team = team;
    // This machine's own ship flies under a number of its own until the
    // host names it; every other pilot's ship under the entry's.
    const GameState* const game = g_gameState;
    const bool own = player.inUse != 0 && player.dpid != 0 && player.dpid == ownDpid;
    SpaceObject* const ship = own && game != nullptr && game->playerShip != nullptr ? game->playerShip
                                                                                    : net_handlers::FindByUoid(player.shipUoid);
    if (ship != nullptr) GivePilotSide(index, *ship);
}

void NetSession::GivePilotSide(int32_t index, SpaceObject& ship) const {
    const GameState* const game = g_gameState;
    if (game == nullptr || game->netSettings == nullptr) return;
    const int32_t team = InRange(index) && players_[index].inUse != 0 ? players_[index].team : -1;
    ship.SetSide(game->netSettings->PilotSide(team, ship.uoid));
}
