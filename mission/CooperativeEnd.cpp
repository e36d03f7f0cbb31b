#include "mission/CooperativeEnd.h"

#include "engine/Clock.h"
#include "engine/Saturate.h"
#include "game/CareerRecord.h"
#include "game/GameState.h"
#include "mission/FlightGoals.h"
#include "mission/RandomMissionGenerator.h"
#include "net/NetPacket.h"
#include "net/NetPacketType.h"
#include "net/NetSession.h"

void CheckCooperativeEnd(GameState& game) {
    RandomMissionGenerator* const generator = game.randomMissions.get();
    NetSession* const session = game.netSession;
    if (generator == nullptr || session == nullptr || !session->IsActive() || !session->IsHost()) return;
    const int64_t limitMs = int64_t(generator->CoopLimitSeconds()) * 1000;
    const bool timeUp = limitMs > 0 && int64_t(GetMilliseconds() - generator->flightStartMs) > limitMs;
    if (timeUp) game.cooperativeTimeUp = 1;
    // The goal step runs before this one: a win is paid in the step it is decided.
    const flight_goals::Outcome outcome = flight_goals::GetOutcome();
    const bool won = outcome == flight_goals::Outcome::kWon;
    if (generator->cooperativePaid != 0 || (!timeUp && !won)) return;
    generator->cooperativePaid = 1;
    // A failed mission pays nobody, when its time is up either.
    if (outcome == flight_goals::Outcome::kFailed) return;
    const int32_t players = session->CountPlayers();
    if (players < 1) return;
    const int32_t share = generator->payment / players;
    for (int32_t i = 0; i < session->playerCapacity; ++i) {
        const NetPlayer* const player = session->Player(i);
        if (player->inUse == 0) continue;
        if (player->dpid == session->ownDpid) {
            // The funds (written to the pilot file) hold at their top.
            if (game.career != nullptr) game.career->funds = Saturate32(int64_t(game.career->funds) + share);
            continue;
        }
        NetPacket packet;
        packet.BuildKillsUpdate(kKillsUpdate, share, player->dpid);
        if (packet.GetData() != nullptr) session->Send(session->serverDpid, player->dpid, packet.GetData(), packet.GetSize());
    }
}
