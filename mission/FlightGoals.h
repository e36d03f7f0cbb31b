#pragma once
#include <cstdint>

class GameState;
class Goal;
class SpaceObject;

// The goals of the flight in progress, checked once a simulation step
// (GameState::kGoalStep): each active goal by its kind, on the machine that
// decides it (a single-player game or a network game's host decides every
// goal; every machine decides the goals its own ship meets by flying:
// travel, reload and the jump through the mission's gate). Meeting a goal
// activates it (ActivateGoal), which moves the objective chain on.
//
// The outcome, for the goals that count for the player's ship (its side's
// and every side's player goals): failed as soon as one of them fails; won
// once at least one is met and none is still open (a goal switched off by
// another no longer counts). A flight with no such goal is never won. Out
// of a network game, a pilot shot down or gone in the pod loses what was
// still open: those goals fail, and so does the flight.
namespace flight_goals {

enum class Outcome : int32_t { kOpen = 0, kWon = 1, kFailed = 2 };

// A decided flight without a gate to leave by ends this long after its
// outcome; one with a gate ends when the player's ship has jumped out.
inline constexpr uint32_t kEndDelayMs = 5000;
// A pilot who ejected is picked up this long after.
inline constexpr uint32_t kEjectEndMs = 3000;
// The mission clock moves at most this much in one step: the time a frozen
// pause or a slow frame took is no flight time.
inline constexpr uint32_t kLongestStepMs = 250;

// At set-up: the mission clock at 0, the outcome open, no jump; installs
// the step in the game state.
void Start(GameState& game);
// One check of every goal; the simulation step calls it.
void Step(GameState& game);

Outcome GetOutcome();
const char* OutcomeName(Outcome outcome);
// The mission clock in ms: the flight's time since launch, or since the
// goal that last started or restarted it was met.
uint32_t ClockMs();
// A goal another machine reports met by `by` (null: by nobody) is met as
// this machine's own check meets one: it is activated (ActivateGoal), and
// the mission clock starts or restarts as the goal says.
void MetElsewhere(Goal& goal, SpaceObject* by);
// True once the pilot who ejected has been in the pod kEjectEndMs: the
// flight is over for that pilot in any game, a network game's too.
bool PickedUp();
// True once the flight is over by its goals: the player's ship has gone
// through the gate and its jump is complete, the player ejected
// kEjectEndMs ago (whatever was open for the ship failed then), or the
// outcome has been decided for kEndDelayMs of flight in a mission
// without a jump goal.
bool FlightOver(const GameState& game);

}  // namespace flight_goals
