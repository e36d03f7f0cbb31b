#include "shell/NetReport.h"

#include <cstdio>

#include "game/GameState.h"
#include "game/Mission.h"
#include "mission/Goal.h"
#include "mission/SkyRecords.h"
#include "net/NetSession.h"
#include "objects/space/ObjectPart.h"
#include "objects/space/SpaceObject.h"
#include "objects/systems/CountermeasureSystems.h"

void PrintObjectMatrix(const SpaceObject& object) {
    if (object.uoid < 0) return;
    const Matrix34& m = object.world.matrix;
    std::printf("matrix %d", int(object.uoid));
    for (const auto& row : m.rows) std::printf(" %.2f %.2f %.2f", row[0], row[1], row[2]);
    std::printf("\n");
}

namespace {

const EcmSystem* SwitchedOnEcm(const SpaceObject& object) {
    for (const ObjectPart* part : object.parts) {
        for (const ShipSystem* system : part->systems) {
            const auto* const ecm = dynamic_cast<const EcmSystem*>(system);
            if (ecm != nullptr && ecm->switchedOn != 0) return ecm;
        }
    }
    return nullptr;
}

}  // namespace

void PrintNetReport(const GameState& game) {
    const sky_records::Held held = sky_records::CountHeld();
    int32_t met = 0;
    for (const Goal* goal = GetGoalList(); goal != nullptr; goal = goal->next) {
        if (goal->playerGoal != 0 && goal->met != 0) ++met;
    }
    std::printf("net goals %d met %d\n", int(held.goals), int(met));
    std::printf("net sky %d %d %d %d\n", int(held.starFields), int(held.spaceDust), int(held.wallpapers),
                int(held.lights));
    for (const SpaceObject* object = game.mission != nullptr ? game.mission->firstObject : nullptr; object != nullptr;
         object = object->GetNext()) {
        if (object->uoid < 0) continue;
        std::printf("object %d %d \"%s\"\n", int(object->uoid), int(object->type), object->name != nullptr ? object->name : "");
        PrintObjectMatrix(*object);
        if (object->type >= SpaceObject::kTypeCraft && object->active == 0) std::printf("inactive %d\n", int(object->uoid));
        if (const EcmSystem* const ecm = SwitchedOnEcm(*object)) std::printf("ecm %d %d\n", int(object->uoid), int(ecm->range));
    }
    const NetSession* const session = game.netSession;
    for (int32_t i = 0; session != nullptr && i < session->GetPlayerSlotCount(); ++i) {
        const NetPlayer* const player = session->Player(i);
        if (player == nullptr || player->inUse == 0) continue;
        std::printf("net player \"%s\" score %d kills %d\n", player->name != nullptr ? player->name : "",
                    int(player->score), int(player->kills));
    }
    std::fflush(stdout);
}
