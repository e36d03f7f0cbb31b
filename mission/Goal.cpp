#include "mission/Goal.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "game/GameState.h"
#include "game/Mission.h"
#include "ai/WingGroup.h"
#include "objects/ships/AiShip.h"
#include "objects/ships/Craft.h"
#include "objects/ships/PlayerShip.h"
#include "objects/space/SpaceObject.h"

Goal* g_goalList = nullptr;
Goal* g_objectiveChain = nullptr;

namespace {

GoalNetHooks g_goalNetHooks;

}  // namespace

Goal::Goal(SpaceObject* worldList, int32_t) : world(worldList) {
    next = g_goalList;
    g_goalList = this;
}

Goal::~Goal() {
    for (Goal** link = &g_goalList; *link != nullptr; link = &(*link)->next) {
        if (*link == this) {
            *link = next;
            break;
        }
    }
    if (g_gameState != nullptr && g_gameState->mission != nullptr && g_gameState->mission->goalList == this) {
        g_gameState->mission->goalList = g_goalList;
    }
    if (g_gameState != nullptr && g_gameState->jumpGoal == this) g_gameState->jumpGoal = nullptr;
    if (g_objectiveChain == this) g_objectiveChain = nextGoal != this ? nextGoal : nullptr;
    for (Goal* goal = g_goalList; goal != nullptr; goal = goal->next) {
        if (goal->nextGoal == this) goal->nextGoal = nextGoal != this ? nextGoal : nullptr;
    }
}

int32_t Goal::Evaluate(uint32_t) { return met; }

void Goal::Fail() {
    if (done != 0) return;
    done = 1;
    met = 0;
    active = 0;
}

namespace {

int32_t Meet(Goal& goal, SpaceObject* by) {
    if (goal.met == 0) {
        goal.met = 1;
        goal.done = 1;
        goal.metBy = by;
        goal.active = 0;
    }
    return 1;
}

SpaceObject* OwnShip() { return g_gameState != nullptr ? g_gameState->playerShip : nullptr; }

SpaceObject* FirstObject() {
    const Mission* const mission = g_gameState != nullptr ? g_gameState->mission : nullptr;
    return mission != nullptr ? mission->firstObject : nullptr;
}

bool Destroyed(const SpaceObject& object) {
    const auto* const craft = object.type >= SpaceObject::kTypeCraft ? dynamic_cast<const Craft*>(&object) : nullptr;
    return object.hitPoints <= 0 || (craft != nullptr && craft->dead != 0);
}

const char* WingName(const SpaceObject& object) {
    const WingGroup* wing = nullptr;
    if (const auto* const pilot = dynamic_cast<const AiShip*>(&object)) wing = pilot->wingGroup;
    if (const auto* const player = dynamic_cast<const PlayerShip*>(&object)) wing = player->wingGroup;
    return wing != nullptr ? wing->name : nullptr;
}

// The one who destroyed it, else the player's ship (who was sent to).
SpaceObject* Credited(const SpaceObject* subject) {
    SpaceObject* const killer = subject != nullptr ? subject->killer.Get() : nullptr;
    return killer != nullptr ? killer : OwnShip();
}

bool WingStillFlies(const char* wing) {
    for (SpaceObject* object = FirstObject(); object != nullptr; object = object->GetNext()) {
        if (object->type < SpaceObject::kTypeCraft || Destroyed(*object)) continue;
        const char* const name = WingName(*object);
        if (name != nullptr && std::strncmp(name, wing, Goal::kLinkNameBytes) == 0) return true;
    }
    return false;
}

}  // namespace

int32_t KillGoal::Evaluate(uint32_t) {
    if (done != 0) return met;
    // A subject still on its way into the world is not gone.
    if (pendingSubject >= 0) return 0;
    if (subjectWing[0] != 0) return WingStillFlies(subjectWing) ? 0 : Meet(*this, OwnShip());
    const SpaceObject* const subject = GetSubject();
    return subject == nullptr || Destroyed(*subject) ? Meet(*this, Credited(subject)) : 0;
}

int32_t DisableGoal::Evaluate(uint32_t) {
    if (done != 0) return met;
    if (pendingSubject >= 0) return 0;
    const SpaceObject* const subject = GetSubject();
    if (subject == nullptr || Destroyed(*subject)) {
        Fail();
        return 0;
    }
    if (subject->maxHitPoints <= 0) return 0;
    return int64_t(subject->hitPoints) * 100 <= int64_t(threshold) * subject->maxHitPoints ? Meet(*this, Credited(subject)) : 0;
}

int32_t ProtectGoal::Evaluate(uint32_t elapsedMs) {
    if (done != 0) return met;
    if (pendingSubject >= 0) return 0;
    const SpaceObject* const subject = GetSubject();
    if (subject == nullptr || Destroyed(*subject) ||
        int64_t(subject->hitPoints) * 100 < int64_t(threshold) * subject->maxHitPoints) {
        Fail();
        return 0;
    }
    return timeMs > 0 && elapsedMs >= timeMs ? Meet(*this, nullptr) : 0;
}

int32_t TravelGoal::Evaluate(uint32_t) {
    if (done != 0) return met;
    SpaceObject* const ship = OwnShip();
    if (ship == nullptr || ship->active == 0 || Destroyed(*ship)) return 0;
    return ShipThere(*ship) ? Meet(*this, ship) : 0;
}

bool TravelGoal::ShipThere(const SpaceObject& ship) const {
    // A destination that reached a network client after its goal was bound as the subject.
    const SpaceObject* const to = destination != nullptr ? destination : GetSubject();
    if (to != nullptr) {
        // A gate takes a ship that touches it, however short the jump goal's distance.
        const float reach = recordType == kJumpThrough ? std::max(distance, to->Radius() + ship.Radius()) : distance;
        return ship.DistanceTo(*to) <= reach;
    }
    if (location[0] == 0 && location[1] == 0 && location[2] == 0) return false;
    const Vector3 at{float(location[0]), float(location[1]), float(location[2])};
    return ship.Position().Difference(at).Length() <= distance;
}

int32_t WaitGoal::Evaluate(uint32_t elapsedMs) {
    if (done != 0) return met;
    CountDown(elapsedMs);
    return elapsedMs >= timeMs ? Meet(*this, nullptr) : 0;
}

void WaitGoal::SetCountdown(const char* lead) {
    countdownLead_ = lead != nullptr ? lead : "";
    CountDown(0);
}

void WaitGoal::CountDown(uint32_t elapsedMs) {
    if (countdownLead_.empty()) return;
    // A part of a second still to wait counts as a whole one: the line says
    // 1 until the wait is over.
    const uint32_t left = elapsedMs < timeMs ? (timeMs - elapsedMs + 999) / 1000 : 0;
    secondText = countdownLead_ + " " + std::to_string(left) + (left == 1 ? " second" : " seconds");
}

int32_t FinishInGoal::Evaluate(uint32_t elapsedMs) {
    if (done != 0) return met;
    if (nextGoal != nullptr && nextGoal->met != 0) return Meet(*this, nextGoal->metBy);
    if (elapsedMs > timeMs || (nextGoal != nullptr && nextGoal->Failed())) Fail();
    return 0;
}

int32_t ReloadGoal::Evaluate(uint32_t) {
    if (done != 0) return met;
    SpaceObject* const ship = OwnShip();
    if (ship == nullptr || !Rearms(*ship, ship->velocity.Length() < kDockSpeed)) return 0;
    if (auto* const craft = dynamic_cast<Craft*>(ship)) craft->Rearm();
    return Meet(*this, ship);
}

bool ReloadGoal::Rearms(const SpaceObject& ship, bool resting) const {
    const SpaceObject* const station = GetSubject();
    // A mission holds a later arrival out of the world (inactive) at its
    // place until a goal brings it in by a jump; a jump out leaves it so.
    return station != nullptr && station->active != 0 && !Destroyed(*station) && !Destroyed(ship) && resting &&
           InReach(ship);
}

bool ReloadGoal::InReach(const SpaceObject& ship) const {
    const SpaceObject* const station = GetSubject();
    return station != nullptr && ship.DistanceTo(*station) <= ship.Radius() + station->Radius() + kDockReach;
}

bool ReloadGoal::ShipThere(const SpaceObject& ship) const { return InReach(ship) && ship.velocity.Length() < kDockSpeed; }

Goal* MakeGoal(int32_t recordType, SpaceObject* world) {
    switch (recordType) {
        case Goal::kKill: return new KillGoal(world, 0);
        case Goal::kProtect: return new ProtectGoal(world, 0);
        case Goal::kDisable: return new DisableGoal(world, 0);
        case Goal::kWait: return new WaitGoal(world, 0);
        case Goal::kTravel:
        case Goal::kJumpThrough: return new TravelGoal(world, 0);
        case Goal::kFinishIn: return new FinishInGoal(world, 0);
        default: return nullptr;
    }
}

Goal* GetGoalList() { return g_goalList; }

Goal* FindGoalById(int32_t id) {
    for (Goal* goal = g_goalList; goal != nullptr; goal = goal->next) {
        if (goal->id == id) return goal;
    }
    return nullptr;
}

void BindPendingSubjects(SpaceObject* object) {
    if (object == nullptr || object->uoid < 0) return;
    for (Goal* goal = g_goalList; goal != nullptr; goal = goal->next) {
        if (goal->pendingSubject != object->uoid) continue;
        goal->SetSubject(object);
        goal->pendingSubject = -1;
    }
}

void SetGoalNetHooks(const GoalNetHooks& hooks) { g_goalNetHooks = hooks; }

namespace {

// A goal switched on or off by another; a network host tells its clients
// of the player's goals (they hold no other).
void Switch(Goal& goal, int32_t on) {
    if (goal.done != 0 || goal.active == on) return;
    goal.active = on;
    if (goal.playerGoal != 0 && g_goalNetHooks.switched != nullptr) g_goalNetHooks.switched(&goal);
}

// A world object switched on by a goal comes in through a jump, a craft
// with its flash; one switched off leaves the flight.
void SwitchObject(SpaceObject& object, int32_t on) {
    if ((object.active != 0) == (on != 0)) return;
    if (on == 0) {
        object.active = 0;
        return;
    }
    if (auto* const craft = object.type >= SpaceObject::kTypeCraft ? dynamic_cast<Craft*>(&object) : nullptr) {
        craft->ArriveByJump();
    } else {
        object.Activate(0);
    }
}

}  // namespace

namespace {

// The goal's next goal on the chain comes on, once.
void PassChain(Goal& goal) {
    if (goal.chainPassed != 0) return;
    goal.chainPassed = 1;
    if (goal.nextGoal != nullptr && goal.nextGoal != &goal) Switch(*goal.nextGoal, 1);
}

void SwitchLinks(Goal& goal) {
    PassChain(goal);
    if (goal.linksSwitched != 0) return;
    goal.linksSwitched = 1;
    for (const Goal::Link& link : goal.links) {
        if (link.name[0] == 0) continue;
        for (Goal* other = g_goalList; other != nullptr; other = other->next) {
            if (other != &goal && other->objectiveText == link.name) Switch(*other, link.on != 0 ? 1 : 0);
        }
        for (SpaceObject* object = FirstObject(); object != nullptr; object = object->GetNext()) {
            if (object->name != nullptr && std::strcmp(object->name, link.name) == 0) SwitchObject(*object, link.on);
        }
    }
}

}  // namespace

void ActivateGoal(Goal* goal, SpaceObject* ship) {
    if (goal == nullptr) return;
    Meet(*goal, ship);
    if (goal->playerGoal != 0 && g_goalNetHooks.met != nullptr) g_goalNetHooks.met(goal);
    SwitchLinks(*goal);
}

void PassOnChain(Goal* goal) {
    if (goal != nullptr && goal->active != 0 && goal->done == 0 && goal->HoldsUntilTheEnd()) PassChain(*goal);
}

void FailGoal(Goal* goal) {
    // A goal its own check failed is told of here too.
    if (goal == nullptr || goal->met != 0) return;
    goal->Fail();
    if (goal->playerGoal != 0 && g_goalNetHooks.failed != nullptr) g_goalNetHooks.failed(goal);
}

int32_t CountGoals() {
    int32_t count = 0;
    for (const Goal* goal = g_goalList; goal != nullptr; goal = goal->next) ++count;
    return count;
}

Goal* CurrentObjective(int32_t side) {
    Goal* holding = nullptr;
    int32_t steps = CountGoals();
    for (Goal* goal = g_objectiveChain; goal != nullptr && steps-- > 0; goal = goal->nextGoal) {
        if (goal->side != 0 && goal->side != side) continue;
        if (goal->playerGoal == 0 || goal->active == 0 || goal->objectiveText.empty()) continue;
        if (goal->met != 0 || goal->metBy != nullptr) continue;
        if (!goal->HoldsUntilTheEnd()) return goal;
        if (holding == nullptr) holding = goal;
    }
    return holding;
}

int32_t LinkGoals(int32_t) {
    Mission* const mission = g_gameState != nullptr ? g_gameState->mission : nullptr;
    if (mission != nullptr && mission->goalList != nullptr) g_goalList = mission->goalList;
    std::vector<Goal*> chain;
    for (Goal* goal = g_goalList; goal != nullptr; goal = goal->next) {
        if (goal->playerGoal != 0) chain.push_back(goal);
    }
    std::stable_sort(chain.begin(), chain.end(), [](const Goal* a, const Goal* b) { return a->id < b->id; });
    for (size_t i = 0; i < chain.size(); ++i) chain[i]->nextGoal = i + 1 < chain.size() ? chain[i + 1] : nullptr;
    g_objectiveChain = chain.empty() ? nullptr : chain.front();
    return chain.empty() ? 0 : 1;
}

const char* Goal::GetDescription() {
    if (description_.empty()) description_ = objectiveText;
    return description_.c_str();
}

void Goal::ForgetObject(const SpaceObject* object) {
    if (object == nullptr) return;
    if (GetSubject() == object) SetSubject(nullptr);
    if (destination == object) destination = nullptr;
    if (metBy == object) metBy = nullptr;
}

ReloadGoal::ReloadGoal(SpaceObject* ship) {
    SetSubject(ship);
    // Open for as long as the station flies: it never counts for the outcome.
    active = 1;
    // The mission (when there is one) sees its goals from the newest.
    if (g_gameState != nullptr && g_gameState->mission != nullptr) g_gameState->mission->goalList = g_goalList;
}

const char* ReloadGoal::GetDescription() {
    if (description_.empty()) {
        const SpaceObject* const ship = GetSubject();
        description_ = std::string("Reload at ") + (ship != nullptr && ship->name != nullptr ? ship->name : "");
    }
    return description_.c_str();
}

void ForgetGoalSubject(const SpaceObject* object) {
    if (object == nullptr) return;
    for (Goal* goal = g_goalList; goal != nullptr; goal = goal->next) goal->ForgetObject(object);
}

void FreeGoals() {
    g_objectiveChain = nullptr;
    while (g_goalList != nullptr) delete g_goalList;
}
