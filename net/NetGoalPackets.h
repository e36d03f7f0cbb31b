#pragma once
#include <cstdint>
#include <optional>

#include "net/NetPacket.h"

class NetSession;
class SpaceObject;
struct NetInbound;

// The goals of a network game: the host owns them; GOAL_NEW gives a client
// one it lacks, SET_GOAL tells every client that one was met or switched,
// GOAL_DONE is a client's report that one of its ships met one.
//
// On the wire a goal's record type names its class: 0 kill, 1 disable,
// 2 protect, 3 travel, 7 wait, 8 finish in, 9 the jump through a gate (a
// travel goal); every other number makes no goal. GOAL_NEW's one object
// is a travel goal's destination (where it has one), any other goal's
// subject.
namespace net_read {

// GOAL_NEW: each text offset is -1 (no such text) or lies inside the text
// area at byte 64 with its text ending inside the packet; anything else
// refuses the packet. The texts point into the received bytes.
struct GoalNew {
    int32_t id = -1;
    int32_t recordType = -1;
    uint32_t jumpGoal = 0;
    int32_t distance = 0;
    int32_t value = 0;
    int32_t subject = -1;   // the uoid of its object (see above)
    int32_t clock = 0;   // 1 starts the mission clock, 2 restarts it
    uint32_t playerGoal = 0;
    uint32_t active = 0;
    uint32_t wordC = 0;
    int32_t side = 0;
    const char* objective = nullptr;
    const char* second = nullptr;
};
std::optional<GoalNew> ReadGoalNew(const uint8_t* data, uint32_t received);

// SET_GOAL (form 0 met, 1 activation) and GOAL_DONE (form 0).
struct GoalState {
    int32_t id = -1;
    int32_t ship = -1;
    uint32_t value = 0;
    uint32_t form = 0;
};
std::optional<GoalState> ReadSetGoal(const uint8_t* data, uint32_t received);
std::optional<GoalState> ReadGoalDone(const uint8_t* data, uint32_t received);

}  // namespace net_read

namespace net_handlers {

void GoalNew(const NetInbound& packet);    // client
void SetGoal(const NetInbound& packet);    // client
// Host: the first report of an open, active goal meets it (ActivateGoal);
// every report of a decided goal is answered with the goal as the host
// holds it, to all. A report that an open goal was met from a ship the
// host does not yet hold where the goal is met, or before the host has
// switched the goal on, waits for the ship's next reports
// (TakeReportedGoal), each goal on its own, a few at once
// (NetPlayer::kReportedGoals).
void GoalDone(const NetInbound& packet);
// Host, after a report of its ship moved the copy of table entry `entry`:
// each goal its pilot reported met, once the goal is on and the copy stands
// where it is met, within net_bounds::kGoalReportMs of its report, while
// still open.
void TakeReportedGoal(NetSession& session, int32_t entry, SpaceObject& ship);

// The host's GOAL_NEW for every shared goal (player goals) of the current
// mission, to all, each decided one followed by its SET_GOAL (met form);
// clients ignore the ids they hold. Nothing without a mission.
void SendSharedGoals(NetSession& session);

// Lets goals met or switched here reach the others: the host tells all, a
// client reports its own ships' goals to the host. Installed with the
// network's other hooks.
void InstallGoalHooks();

// Host, after a report of its ship moved the copy of table entry `entry`:
// the copy rearmed (Craft::Rearm) at each station in the world whose reload
// rearms it where the copy stands (ReloadGoal::Rearms), once a station, as
// its pilot's own reload goal rearms the pilot's ship; at rest by the
// places its reports show over time (net_bounds::RestsAt), whatever
// velocity they state. Each machine keeps its own reload goals and none is
// reported: nothing the pilot says of a reload rearms the copy.
void RearmAtStations(NetSession& session, int32_t entry, SpaceObject& ship);

}  // namespace net_handlers
