#include "mission/Goal.h"

#include "game/GameState.h"
#include "game/Mission.h"
#include "objects/space/SpaceObject.h"

Goal* g_goalList = nullptr;

Goal::Goal() {
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
}

const char* Goal::GetDescription() { return description_.c_str(); }

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
    while (g_goalList != nullptr) delete g_goalList;
}
