#include "mission/Goal.h"

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
}

void ForgetGoalSubject(const SpaceObject* object) {
    if (object == nullptr) return;
    for (Goal* goal = g_goalList; goal != nullptr; goal = goal->next) {
        if (goal->GetSubject() == object) goal->SetSubject(nullptr);
    }
}
