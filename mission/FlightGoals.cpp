#include "mission/FlightGoals.h"

#include <algorithm>
#include <string>
#include <vector>

#include "engine/Clock.h"
#include "game/Cockpit.h"
#include "game/GameState.h"
#include "game/Mission.h"
#include "mission/Goal.h"
#include "objects/ships/Craft.h"
#include "objects/ships/PlayerShip.h"
#include "objects/space/JumpGate.h"
#include "objects/space/SpaceObject.h"

namespace flight_goals {
namespace {

struct State {
    uint32_t clockMs = 0;
    bool clockStarted = false;     // a goal started the clock already
    bool stepped = false;
    uint32_t lastStepAt = 0;
    Outcome outcome = Outcome::kOpen;
    uint32_t decidedAtClock = 0;   // flight time (not the mission clock) when decided
    uint32_t flownMs = 0;          // flight time since launch
    bool jumped = false;           // the player's ship went into the gate
    bool ejected = false;          // the player left the ship in the pod
    uint32_t ejectedAt = 0;        // flight time of the eject
    std::string shownSecond;       // the objective's second line the cockpit was given last
};

State g_state;

int32_t PlayerSide(const GameState& game) { return game.playerShip != nullptr ? game.playerShip->side : 0; }

Craft* PlayerCraft(const GameState& game) {
    SpaceObject* const ship = game.playerShip;
    return ship != nullptr && ship->type >= SpaceObject::kTypeCraft ? dynamic_cast<Craft*>(ship) : nullptr;
}

// The goals a machine decides itself: every goal where the world is its
// own; on a client only those its own ship meets by flying: a travel leg
// that counts for its ship, and a reload, which is never shared (each
// machine makes its own for every station) and measures only its own ship.
bool DecidesHere(const GameState& game, const Goal& goal) {
    if (!game.IsClient()) return true;
    switch (goal.GetKind()) {
        case Goal::kReload: return true;
        case Goal::kTravel: return goal.CountsFor(PlayerSide(game));
        default: return false;
    }
}

void AdvanceClock() {
    const uint32_t now = GetMilliseconds();
    const uint32_t step = g_state.stepped ? std::min(now - g_state.lastStepAt, kLongestStepMs) : 0;
    g_state.stepped = true;
    g_state.lastStepAt = now;
    g_state.clockMs += step;
    g_state.flownMs += step;
}

void Met(Goal& goal) {
    ActivateGoal(&goal, goal.metBy);
    const bool starts = (goal.clockStart != 0 || (goal.wordC & Goal::kStartsClock) != 0) && !g_state.clockStarted;
    const bool restarts = goal.clockRestart != 0 || (goal.wordC & Goal::kRestartsClock) != 0;
    if (starts || restarts) {
        g_state.clockMs = 0;
        g_state.clockStarted = true;
    }
}

// The goals checked this step, as they stand before any is met: a goal
// switched on by another is checked from the next step.
std::vector<Goal*> ActiveGoals() {
    std::vector<Goal*> goals;
    for (Goal* goal = g_goalList; goal != nullptr; goal = goal->next) {
        if (goal->active != 0 && goal->done == 0 && goal->met == 0) goals.push_back(goal);
    }
    return goals;
}

// The player's ship goes through the mission's gate when it comes within
// the jump goal's distance of it (or touches it) while the goal is
// active, or at any time once the flight's outcome is decided.
void CheckJump(GameState& game) {
    Goal* const goal = game.jumpGoal;
    Craft* const ship = PlayerCraft(game);
    if (goal == nullptr || ship == nullptr || g_state.jumped || ship->active == 0 || ship->dead != 0) return;
    const bool open = goal->active != 0 && goal->done == 0 && goal->met == 0;
    if (!open && g_state.outcome == Outcome::kOpen) return;
    SpaceObject* const gate = goal->destination != nullptr ? goal->destination : goal->GetSubject();
    if (gate == nullptr || !goal->ShipThere(*ship)) return;
    g_state.jumped = true;
    if (open) {
        goal->met = 1;
        goal->done = 1;
        goal->active = 0;
        goal->metBy = ship;
        Met(*goal);
    }
    if (auto* const jumpGate = dynamic_cast<JumpGate*>(gate)) {
        jumpGate->PlayJumpEffect(ship);
    } else {
        ship->Jump(gate);
    }
}

// The ship is out by a jump, whichever goal or gate sent it: a wreck is
// not, even one that died in the gate.
bool JumpComplete(const GameState& game) {
    const Craft* const ship = PlayerCraft(game);
    return ship != nullptr ? ship->jumpedOut != 0 : g_state.jumped;
}

// The goals that are off now but that the chain or a link may still switch
// on: those named by a goal still to be met (or by one such a goal would
// switch on). A goal that holds until the end passes its chain on as it
// comes on, but its links act only when it is met, with the flight's win:
// what they would switch on comes too late to be flown for.
std::vector<const Goal*> GoalsStillToCome() {
    std::vector<const Goal*> reach;
    for (const Goal* goal = g_goalList; goal != nullptr; goal = goal->next) {
        if (goal->active != 0 && goal->done == 0 && goal->met == 0) reach.push_back(goal);
    }
    const auto reached = [&reach](const Goal* goal) {
        return std::find(reach.begin(), reach.end(), goal) != reach.end();
    };
    const auto add = [&](const Goal* goal) {
        if (goal != nullptr && goal->done == 0 && goal->met == 0 && !reached(goal)) reach.push_back(goal);
    };
    // Each goal joins once: the walk ends however the goals link.
    for (size_t i = 0; i < reach.size(); ++i) {
        const Goal* const from = reach[i];
        if (from->linksSwitched != 0) continue;
        if (from->chainPassed == 0 && from->nextGoal != from) add(from->nextGoal);
        if (from->HoldsUntilTheEnd()) continue;
        for (const Goal::Link& link : from->links) {
            if (link.name[0] == 0 || link.on == 0) continue;
            for (const Goal* other = g_goalList; other != nullptr; other = other->next) {
                if (other != from && other->objectiveText == link.name) add(other);
            }
        }
    }
    std::vector<const Goal*> toCome;
    for (const Goal* goal : reach) {
        if (goal->active == 0) toCome.push_back(goal);
    }
    return toCome;
}

Outcome Decide(GameState& game) {
    const int32_t side = PlayerSide(game);
    bool anyMet = false;
    bool open = false;
    std::vector<Goal*> holding;
    for (Goal* goal = g_goalList; goal != nullptr; goal = goal->next) {
        if (!goal->CountsFor(side)) continue;
        if (goal->Failed()) return Outcome::kFailed;
        if (goal->met != 0) {
            anyMet = true;
        } else if (goal->active != 0) {
            if (goal->HoldsUntilTheEnd()) {
                holding.push_back(goal);
            } else {
                open = true;
            }
        }
    }
    // Nothing is won by waiting: a holding goal is met only with another
    // goal that was flown for, once nothing else can still be switched on.
    if (open || !anyMet) return Outcome::kOpen;
    if (!holding.empty()) {
        for (const Goal* goal : GoalsStillToCome()) {
            if (goal->CountsFor(side)) return Outcome::kOpen;
        }
        // A client learns of the holding goals from its host.
        if (game.IsClient()) return Outcome::kOpen;
    }
    for (Goal* goal : holding) {
        goal->met = 1;
        goal->done = 1;
        goal->active = 0;
        Met(*goal);
    }
    return Outcome::kWon;
}

// A ship that has left the flight meets no goal any more: what is still
// open for it fails.
void FailWhatIsLeft(const GameState& game) {
    // The others of a network game fly on.
    if (game.IsNetworkGame()) return;
    const int32_t side = PlayerSide(game);
    for (Goal* goal = g_goalList; goal != nullptr; goal = goal->next) {
        if (goal->CountsFor(side) && goal->done == 0 && goal->met == 0 && goal->active != 0) FailGoal(goal);
    }
}

// A single-player flight whose pilot can fly for nothing more is lost,
// unless it was decided already.
void LoseWhatIsOpen(const GameState& game) {
    if (g_state.outcome != Outcome::kOpen || game.IsNetworkGame()) return;
    FailWhatIsLeft(game);
    g_state.outcome = Outcome::kFailed;
    g_state.decidedAtClock = g_state.flownMs;
}

// The cockpit shows the chain's current goal; a new one becomes the
// ship's target (a nav point its nav target), where it names one.
void FollowObjective(GameState& game) {
    Cockpit& cockpit = game.TheCockpit();
    Goal* const objective = CurrentObjective(PlayerSide(game));
    const char* const second = objective != nullptr ? objective->GetSecondText() : "";
    const bool same = objective == cockpit.objective;
    // The same goal shows each new count of a line that counts down.
    if (same && g_state.shownSecond == second) return;
    g_state.shownSecond = second;
    cockpit.SetObjective(objective, objective != nullptr ? objective->GetObjectiveText() : nullptr, second);
    if (same) return;
    Craft* const ship = PlayerCraft(game);
    if (objective == nullptr || ship == nullptr) return;
    SpaceObject* const aim = objective->destination != nullptr ? objective->destination : objective->GetSubject();
    if (aim != nullptr && aim != ship && aim->active != 0) ship->SetTarget(aim);
}

}  // namespace

void Start(GameState& game) {
    g_state = State{};
    // The last flight's goals are gone: a new one at the same address is
    // still a new objective.
    game.TheCockpit().SetObjective(nullptr, nullptr, nullptr);
    game.SetSimulateHook(GameState::kGoalStep, Step);
}

void Step(GameState& game) {
    if (game.mission == nullptr) return;
    AdvanceClock();
    const Mission& mission = *game.mission;
    const std::vector<Goal*> goals = ActiveGoals();
    for (Goal* goal : goals) {
        if (goal->done != 0 || goal->met != 0 || goal == game.jumpGoal || !DecidesHere(game, *goal)) continue;
        if (mission.playerReported != 0 && (goal->wordC & Goal::kUndetected) != 0 && !game.IsClient()) {
            FailGoal(goal);
            continue;
        }
        if (goal->HoldsUntilTheEnd()) PassOnChain(goal);
        if (goal->Evaluate(g_state.clockMs) != 0) {
            Met(*goal);
        } else if (goal->Failed()) {
            FailGoal(goal);
        }
    }
    CheckJump(game);
    if (g_state.outcome == Outcome::kOpen && JumpComplete(game)) FailWhatIsLeft(game);
    const auto* const pod = dynamic_cast<const PlayerShip*>(game.playerShip);
    if (!g_state.ejected && pod != nullptr && pod->abandonedCraft != nullptr) {
        g_state.ejected = true;
        g_state.ejectedAt = g_state.flownMs;
        // A pilot in a pod meets no goal: what was not won is lost.
        LoseWhatIsOpen(game);
    }
    // Nor does a pilot shot down, who flies again only in a network game.
    const Craft* const ship = PlayerCraft(game);
    if (ship != nullptr && ship->dead != 0) LoseWhatIsOpen(game);
    if (g_state.outcome == Outcome::kOpen) {
        g_state.outcome = Decide(game);
        if (g_state.outcome != Outcome::kOpen) g_state.decidedAtClock = g_state.flownMs;
    }
    FollowObjective(game);
}

Outcome GetOutcome() { return g_state.outcome; }

const char* OutcomeName(Outcome outcome) {
    switch (outcome) {
        case Outcome::kWon: return "won";
        case Outcome::kFailed: return "failed";
        default: return "open";
    }
}

uint32_t ClockMs() { return g_state.clockMs; }

void MetElsewhere(Goal& goal, SpaceObject* by) {
    // The first ship to meet it keeps the credit.
    if (goal.met == 0) goal.metBy = by;
    Met(goal);
}

bool PickedUp() { return g_state.ejected && g_state.flownMs - g_state.ejectedAt >= kEjectEndMs; }

bool FlightOver(const GameState& game) {
    if (JumpComplete(game)) return true;
    if (PickedUp()) return true;
    if (g_state.outcome == Outcome::kOpen || game.jumpGoal != nullptr) return false;
    return g_state.flownMs - g_state.decidedAtClock >= kEndDelayMs;
}

}  // namespace flight_goals
