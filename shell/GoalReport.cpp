#include "shell/GoalReport.h"

#include <algorithm>
#include <vector>

#include "engine/PrintableText.h"
#include "mission/FlightGoals.h"
#include "mission/Goal.h"

void GoalReport::Start(const Say& say) {
    said_.clear();
    outcome_ = 0;
    if (!say) return;
    std::vector<Goal*> goals;
    for (Goal* goal = GetGoalList(); goal != nullptr; goal = goal->next) goals.push_back(goal);
    std::stable_sort(goals.begin(), goals.end(), [](const Goal* a, const Goal* b) { return a->id < b->id; });
    for (Goal* goal : goals) {
        const char* const description = goal->GetDescription();
        say("goal " + std::to_string(goal->id) + " " + std::to_string(goal->recordType) + " \"" +
            PrintableText(description != nullptr ? description : "") + "\"");
    }
}

void GoalReport::Update(const Say& say) {
    for (const Goal* goal = GetGoalList(); goal != nullptr; goal = goal->next) {
        const int32_t state = goal->met != 0 ? 1 : goal->Failed() ? 2 : 0;
        if (state == 0) continue;
        int32_t& said = said_[goal->id];
        if (said == state) continue;
        said = state;
        say("goal " + std::to_string(goal->id) + (state == 1 ? " met" : " failed"));
    }
    const flight_goals::Outcome outcome = flight_goals::GetOutcome();
    if (int32_t(outcome) == outcome_) return;
    outcome_ = int32_t(outcome);
    say(std::string("outcome ") + flight_goals::OutcomeName(outcome));
}

void GoalReport::End(const Say& say, int64_t flownMs) { say("flight over after " + std::to_string(flownMs) + " ms"); }
