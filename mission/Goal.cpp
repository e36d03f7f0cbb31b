#include "mission/Goal.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "game/GameState.h"
#include "game/Mission.h"
#include "objects/space/SpaceObject.h"

Goal* g_goalList = nullptr;
Goal* g_objectiveChain = nullptr;

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
    if (g_objectiveChain == this) g_objectiveChain = nextGoal;
    for (Goal* goal = g_goalList; goal != nullptr; goal = goal->next) {
        if (goal->nextGoal == this) goal->nextGoal = nextGoal;
    }
}

int32_t Goal::Evaluate(uint32_t) { return met; }

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

SpaceObject* PlayerShip() { return g_gameState != nullptr ? g_gameState->playerShip : nullptr; }

}  // namespace

int32_t KillGoal::Evaluate(uint32_t) {
    if (met != 0) return 1;
    // A subject still on its way into the world is not gone.
    if (pendingSubject >= 0) return 0;
    const SpaceObject* const subject = GetSubject();
    return subject == nullptr || subject->hitPoints <= 0 ? Meet(*this, PlayerShip()) : 0;
}

int32_t DisableGoal::Evaluate(uint32_t) {
    if (met != 0) return 1;
    const SpaceObject* const subject = GetSubject();
    if (subject == nullptr || subject->maxHitPoints <= 0) return 0;
    return int64_t(subject->hitPoints) * 100 <= int64_t(threshold) * subject->maxHitPoints ? Meet(*this, PlayerShip()) : 0;
}

int32_t ProtectGoal::Evaluate(uint32_t elapsedMs) {
    if (met != 0) return 1;
    const SpaceObject* const subject = GetSubject();
    if (subject == nullptr || subject->hitPoints <= 0) return 0;
    return elapsedMs >= timeMs ? Meet(*this, nullptr) : 0;
}

int32_t TravelGoal::Evaluate(uint32_t) {
    if (met != 0) return 1;
    SpaceObject* const ship = PlayerShip();
    if (ship == nullptr || destination == nullptr) return 0;
    return ship->DistanceTo(*destination) <= distance ? Meet(*this, ship) : 0;
}

int32_t WaitGoal::Evaluate(uint32_t elapsedMs) {
    if (met != 0) return 1;
    return elapsedMs >= timeMs ? Meet(*this, nullptr) : 0;
}

int32_t FinishInGoal::Evaluate(uint32_t elapsedMs) {
    if (met != 0) return 1;
    if (elapsedMs > timeMs) {
        active = 0;
        return 0;
    }
    return nextGoal != nullptr && nextGoal->met != 0 ? Meet(*this, nextGoal->metBy) : 0;
}

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

namespace {

GoalNetHooks g_goalNetHooks;

}  // namespace

void SetGoalNetHooks(const GoalNetHooks& hooks) { g_goalNetHooks = hooks; }

void ActivateGoal(Goal* goal, SpaceObject* ship) {
    if (goal == nullptr) return;
    Meet(*goal, ship);
    if (goal->playerGoal != 0 && g_goalNetHooks.met != nullptr) g_goalNetHooks.met(goal);
    if (goal->linksSwitched != 0) return;
    goal->linksSwitched = 1;
    for (const Goal::Link& link : goal->links) {
        if (link.name[0] == 0) continue;
        for (Goal* other = g_goalList; other != nullptr; other = other->next) {
            if (other == goal || other->objectiveText != link.name) continue;
            other->active = link.on != 0 ? 1 : 0;
            // Clients hold only the player goals.
            if (other->playerGoal != 0 && g_goalNetHooks.switched != nullptr) g_goalNetHooks.switched(other);
        }
        const Mission* const mission = g_gameState != nullptr ? g_gameState->mission : nullptr;
        for (SpaceObject* object = mission != nullptr ? mission->firstObject : nullptr; object != nullptr;
             object = object->GetNext()) {
            if (object->name != nullptr && std::strcmp(object->name, link.name) == 0) object->active = link.on != 0 ? 1 : 0;
        }
    }
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
