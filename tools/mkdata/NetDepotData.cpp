#include "tools/mkdata/NetDepotData.h"

#include "engine/IffFile.h"
#include "mission/Goal.h"
#include "mission/MissionFile.h"
#include "tools/mkdata/MissionRecords.h"
#include "tools/mkdata/RandomData.h"

namespace {

// A goal's first link: the named object switched on or off as it is met.
MissionRecord Linked(MissionRecord goal, const char* name, int32_t on) {
    goal.Text(208, name, 16).Word(224, on);
    return goal;
}

}  // namespace

Status WriteNetDepotMission(const char* path) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(mission_file::kForm);
    status = PutRecord(iff, mission_file::kHeader, MissionHeader(0.0f), status);
    status = PutRecord(iff, mission_file::kPlayer, PlayerRecord("P101", "Alpha"), status);
    status = PutSky(iff, SkyLook{.seed = 8}, status);
    // A client's first starts lie 150 and 300 out at 45 degrees between +x
    // and +z; the depot hangs above the middle of the two, in reach of both
    // and of neither's hull, and out of the host's reach.
    status = PutRecord(iff, mission_file::kShip, AiShipRecord("Depot", "Depot", "Depot", 159.0f, 100.0f, 159.0f, 1, 0), status);
    // The call lies a short hop ahead of the host's ship, far from every
    // client's start.
    status = PutRecord(iff, mission_file::kWayPoint, NavPointRecord(kDepotCall, 0.0f, 0.0f, 40.0f), status);
    status = PutRecord(iff, mission_file::kGoal,
                       Linked(GoalRecord(1, Goal::kWait, "", "", "Hold at the start"), "Depot", 0), status);
    status = PutRecord(iff, mission_file::kGoal,
                       Linked(GoalRecord(2, Goal::kTravel, "", kDepotCall, "Call the depot", 25.0f), "Depot", 1), status);
    if (status == kStatusOk) status = iff.Ascend();
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}
