#include "shell/VictoryWatch.h"

#include "game/GameState.h"
#include "objects/ships/Craft.h"
#include "objects/space/SpaceObject.h"

namespace {

bool HostileCraftActive(const GameState& game, const SpaceObject& player) {
    for (const SpaceObject* o = game.mission != nullptr ? game.mission->firstObject : nullptr; o != nullptr;
         o = o->GetNext()) {
        if (o == &player || o->type < SpaceObject::kTypeCraft || o->active == 0) continue;
        if (o->IsHostile(&player) || player.IsHostile(o)) return true;
    }
    return false;
}

}  // namespace

void VictoryWatch::Start() {
    clear_ = false;
    clearSince_ = 0;
}

bool VictoryWatch::Update(const GameState& game, uint32_t now) {
    const SpaceObject* const player = game.playerShip;
    const auto* const craft = dynamic_cast<const Craft*>(player);
    // A dead player wins nothing: the restart screen decides.
    if (craft == nullptr || craft->dead != 0 || craft->active == 0 || HostileCraftActive(game, *player)) {
        clear_ = false;
        return false;
    }
    if (!clear_) {
        clear_ = true;
        clearSince_ = now;
    }
    return now - clearSince_ >= kEndDelayMs;
}
