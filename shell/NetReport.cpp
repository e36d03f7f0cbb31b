#include "shell/NetReport.h"

#include <cstdio>

#include "game/GameState.h"
#include "game/Mission.h"
#include "mission/Goal.h"
#include "net/NetSession.h"

void PrintNetReport(const GameState& game) {
    const Mission* const mission = game.mission;
    int32_t goals = 0;
    if (mission != nullptr) {
        for (const Goal* goal = mission->goalList; goal != nullptr; goal = goal->next) ++goals;
    }
    std::printf("net goals %d\n", int(goals));
    std::printf("net sky %zu %zu %zu %zu\n", mission != nullptr ? mission->starFields.size() : 0,
                mission != nullptr ? mission->spaceDust.size() : 0, mission != nullptr ? mission->wallpapers.size() : 0,
                mission != nullptr ? mission->lights.size() : 0);
    const NetSession* const session = game.netSession;
    for (int32_t i = 0; session != nullptr && i < session->GetPlayerSlotCount(); ++i) {
        const NetPlayer* const player = session->Player(i);
        if (player == nullptr || player->inUse == 0) continue;
        std::printf("net player \"%s\" score %d kills %d\n", player->name != nullptr ? player->name : "",
                    int(player->score), int(player->kills));
    }
    std::fflush(stdout);
}
