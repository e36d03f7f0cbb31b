#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/Status.h"

class IffFile;

// The two tables an AI ship is read from: "ai.iff" (trait values by ship
// number, and trait modifiers by race) and the kill part of "aidetail.iff"
// (maneuver names by ship name and skill level).
namespace ai_tables {

inline constexpr uint32_t kDataBytes = 12;   // six little-endian 16-bit words
inline constexpr uint32_t kMaxNameBytes = 64;

// Word 0 is the key (ship number, or race id = race digit x 100); words 1-5
// feed the traits 1, 2, 5, 3 and 4 in that order.
struct TraitRecord {
    int16_t words[6] = {};
};

struct TraitTables {
    std::vector<TraitRecord> ships;
    std::vector<TraitRecord> races;
};

enum ManeuverList { kAttack, kAggressive, kDefensive, kManeuverLists };
enum Skill { kLow, kNormal, kAce, kSkills };

struct KillShip {
    std::string name;
    std::vector<std::string> maneuvers[kSkills][kManeuverLists];
};

// From a reader whose header has been checked: FORM " AI " of FORM "SHIP"
// and FORM "RACE", each with a chunk "DATA". A DATA chunk of another size is
// passed over. 0, or 10 when the walk was refused (what was read is kept).
Status ReadTraits(IffFile& iff, TraitTables* out);
// FORM "KILL" of FORM "SHIP": "NAME", then FORM "LOSY", "NORM" and "ACE ",
// each of FORM "ATTK", "AGGR" and "DEFN" holding chunks "MANU". Names are
// read within their chunk. 0, or 10 as above.
Status ReadKillLists(IffFile& iff, std::vector<KillShip>* out);

// The files of the data directory, read afresh; 10 when a file cannot be
// opened or its header is wrong.
Status LoadTraits(TraitTables* out);
Status LoadKillLists(std::vector<KillShip>* out);
// The same, read once per data directory and kept (every AI ship of a
// mission reads them); what cannot be read is kept empty.
const TraitTables& CachedTraits();
const std::vector<KillShip>& CachedKillLists();
// The next request reads the files again (a new mission, new data).
void ForgetCachedTables();

// The skill word of a ship: 0 low, 1 normal, anything else ace.
inline Skill SkillOf(int32_t skill) { return skill == 0 ? kLow : skill == 1 ? kNormal : kAce; }

}  // namespace ai_tables
