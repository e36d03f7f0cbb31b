#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/Status.h"
#include "engine/Vector3.h"

class Craft;
class EquipmentItem;
class ShipRecord;
class ShipSystem;
class SpaceObject;
namespace mission_file {
struct Player;
}

// Sets the named mission up (a ".uli" file of the missions directory; ""
// gives an empty mission): the old world, goals, wings and templates go,
// the effect definitions are read, every record is built through the
// factory and the definitions, then the player's ship, except for a
// career's flight (GameState::launchFromBase, not a network game's), whose
// ship is made at launch (LaunchPlayerShip). The game state's
// mission-ready flag is set only when the file loaded and the player's ship
// was made; a failure leaves an empty world. Goals that can never be met
// are refused (SetUpReport names each). 0, or the loader's failure (10
// unreadable, 12 malformed, also when the file names no player's ship or
// none can be made of it, when its goal chain loops, and when its goals
// could never win the flight: no goal of the player's is left that can be
// met, its only goals protect without a time, or, outside a network game,
// where a death match has none, it gives the player no goal).
Status SetUpMission(const char* name, int32_t slot);
// A mission flown again and again alike: both generators (the dice and the
// engine's seeded one, which places mine fields) seeded from `seed`, then
// the set-up; kStatusMalformed when it reports success without a mission.
Status SetUpSeededMission(const char* name, int32_t seed);
// What the last set-up refused, a line each: every record the file or the
// definitions refused (naming the record and why), every goal refused
// (`goal ID "OBJECTIVE": ` and why), and the reason a set-up failed after
// the file loaded. Names have their unprintable bytes escaped. Each set-up
// of a named mission tells its lines as it ends, on standard error
// ("vorn: NAME: LINE") and in the log ("Mission NAME: LINE").
const std::vector<std::string>& SetUpReport();

// Why the set-up refused a goal, or the whole mission for its goals.
namespace set_up_refusal {
inline constexpr const char* kNoSubject = "its subject is not in the mission";
inline constexpr const char* kNoDestination = "its destination is not in the mission";
inline constexpr const char* kNothingToFinish = "no goal after it on the chain can be met";
inline constexpr const char* kNextOnlyAtEnd = "the goal after it on the chain is met only at the end of the flight";
inline constexpr const char* kOnlyRefusedSwitch = "only goals refused here could switch it on";
// Followed by the id of a goal on the loop.
inline constexpr const char* kChainLoops = "the goal chain loops back through goal ";
inline constexpr const char* kNoGoalLeft = "no goal of the player's is left that can be met";
inline constexpr const char* kNoPlayerGoal = "the mission gives the player no goal";
inline constexpr const char* kOnlyHolding = "the player's only goals protect without a time: nothing flown can win";
}  // namespace set_up_refusal
// Everything a set-up made: the flight's effects, the world's objects, the
// goals, the wings and the definition templates.
void FreeMission();
// A career's flight launched: the player's ship of the mission's "PLYR"
// record made now from the career (CreatePlayerShip, the career's selected
// ship and its crewed wing); the ship already there when there is one;
// null when none can be made.
SpaceObject* LaunchPlayerShip();
// The player's ship of the "PLYR" record at the origin (type 15 with its
// equipment and the career's accuracy record), trailed by the chase object
// and leading its wing; null when the factory makes no player's ship. A
// launch from the base flies the career's selected ship instead, fitted as
// recorded, with every crewed ship of the career as a wingman named after
// its pilot; the fliers' counts start afresh.
SpaceObject* CreatePlayerShip(const mission_file::Player& player);
// A point near a random active object of class 33 (beyond its radius by
// 100) that no ship holds, farther out when the near ones are all held; 0
// with `out` unchanged when there is no such object.
int32_t PickRandomSpawnPoint(Vector3* out, int32_t flag);
// Where `ship` can come back at `wanted` clear of every other craft by
// twice their two radii: `wanted` itself when it is clear, else the nearest
// clear point on level rings round it.
Vector3 FreeSpawnPlace(const SpaceObject& ship, const Vector3& wanted);

// Where a network game's client ship starts: at the spot of `place` (the
// player's place in the table) beside one of the mission's spawn stations,
// every place's spot apart from every other's, so that players who launch
// at once, neither seeing the other yet, start apart; farther out when a
// ship already flies there. Without spawn stations, on rings round the
// mission's start, out along a bearing of the place's own.
Vector3 PickNetworkStart(int32_t place);

// A career's ship as a craft: its hull's definition, its fitted items at
// their damage, the record kept by the craft (its serial), the hull at the
// record's damage.
void FitFromRecord(Craft& craft, ShipRecord& record);

// The career ship's fitted items meet the craft's systems as its launch
// fitted them: each item the first system of its id not yet taken.
void ForEachFittedSystem(Craft& craft, ShipRecord& record,
                         const std::function<void(EquipmentItem& item, ShipSystem& system)>& visit);
