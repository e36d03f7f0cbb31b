#include "shell/WorldReport.h"

#include <string>
#include <utility>

#include "game/GameState.h"
#include "game/Mission.h"
#include "objects/ships/AiShip.h"
#include "objects/ships/Craft.h"
#include "objects/space/SpaceObject.h"

void WorldReport::Start(const GameState& game, bool trace, flight_report::Say say) {
    trace_ = trace;
    say_ = std::move(say);
    crafts_.clear();
    seenDebris_.clear();
    reported_.clear();
    kills_ = 0;
    flownMs_ = 0;
    if (game.mission == nullptr) return;
    for (SpaceObject* object = game.mission->firstObject; object != nullptr; object = object->GetNext()) {
        if (object->type >= SpaceObject::kTypeCraft) crafts_[object] = {0, false, object->hitPoints};
        if (object->type == SpaceObject::kTypeDebris) seenDebris_.insert(object);
    }
}

void WorldReport::Update(const GameState& game, int64_t flownMs, bool newCrafts) {
    const bool secondEnds = flownMs / 1000 > flownMs_ / 1000;
    flownMs_ = flownMs;
    if (game.mission == nullptr || !say_) return;
    int32_t debris = 0;
    for (SpaceObject* object = game.mission->firstObject; object != nullptr; object = object->GetNext()) {
        if (newCrafts && object->type >= SpaceObject::kTypeCraft && object->uoid >= 0) {
            crafts_.try_emplace(object, flight_report::CraftState{0, false, object->hitPoints});
        }
        if (auto it = crafts_.find(object); it != crafts_.end()) {
            kills_ += flight_report::ReportCraft(static_cast<const Craft&>(*object), it->second, trace_, say_);
        }
        if (trace_ && secondEnds) {
            const auto* const pilot = dynamic_cast<const AiShip*>(object);
            if (pilot != nullptr && pilot->active != 0) say_(flight_report::TraceLine(uint32_t(flownMs / 1000), *pilot));
        }
        if (object->type == SpaceObject::kTypeDebris && object->active != 0 && seenDebris_.insert(object).second) ++debris;
    }
    if (debris > 0) say_("debris " + std::to_string(debris));
    for (SpaceObject* object = game.mission->firstObject; object != nullptr; object = object->GetNext()) {
        if (object->active != 0 || object->removeWhenDone == 0 || reported_.count(object) != 0) continue;
        reported_.insert(object);
        // Chips and pieces of wrecks come and go unnamed.
        if (object->type == SpaceObject::kTypeSpaceObject || object->type == SpaceObject::kTypeDebris) continue;
        const SpaceObject* const killer = object->killer.Get();
        say_(flight_report::DestroyedLine(*object, killer));
        if (object->type >= SpaceObject::kTypeCraft && flight_report::CountsAsKill(*object, killer)) ++kills_;
    }
    // The world pass deletes what it removes, and a craft it deleted leaves
    // its address to the next one made: only what the world still holds is
    // remembered.
    std::set<const SpaceObject*> living, livingDebris;
    std::map<const SpaceObject*, flight_report::CraftState> watched;
    for (SpaceObject* object = game.mission->firstObject; object != nullptr; object = object->GetNext()) {
        if (reported_.count(object) != 0) living.insert(object);
        if (seenDebris_.count(object) != 0) livingDebris.insert(object);
        if (auto it = crafts_.find(object); it != crafts_.end()) watched.insert(*it);
    }
    reported_.swap(living);
    seenDebris_.swap(livingDebris);
    crafts_.swap(watched);
}
