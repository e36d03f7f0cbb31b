#include "mission/CooperativeEnd.h"

#include "engine/Clock.h"
#include "game/CareerRecord.h"
#include "game/GameState.h"
#include "mission/RandomMissionGenerator.h"
#include "net/NetPacket.h"
#include "net/NetPacketType.h"
#include "net/NetSession.h"

void CheckCooperativeEnd(GameState& game) {
    RandomMissionGenerator* const generator = game.randomMissions.get();
    NetSession* const session = game.netSession;
    if (generator == nullptr || generator->cooperativePaid != 0 || session == nullptr || !session->IsActive() ||
        !session->IsHost()) {
        return;
    }
    const int64_t limitMs = int64_t(generator->CoopLimitSeconds()) * 1000;
    if (limitMs <= 0 || int64_t(GetMilliseconds() - generator->flightStartMs) <= limitMs) return;
    game.cooperativeTimeUp = 1;
    generator->cooperativePaid = 1;
    const int32_t players = session->CountPlayers();
    if (players < 1) return;
    const int32_t share = generator->payment / players;
    for (int32_t i = 0; i < session->playerCapacity; ++i) {
        const NetPlayer* const player = session->Player(i);
        if (player->inUse == 0) continue;
        if (player->dpid == session->ownDpid) {
            if (game.career != nullptr) game.career->funds += share;
            continue;
        }
        NetPacket packet;
        packet.BuildKillsUpdate(kKillsUpdate, share, player->dpid);
        if (packet.GetData() != nullptr) session->Send(session->serverDpid, player->dpid, packet.GetData(), packet.GetSize());
    }
}
