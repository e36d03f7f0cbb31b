#include "shell/GoalReport.h"

#include "mission/FlightGoals.h"
#include "mission/Goal.h"

void GoalReport::Start() {
    said_.clear();
    outcome_ = 0;
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
