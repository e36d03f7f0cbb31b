#include "tools/mkdata/MapWorldData.h"

#include "engine/IffFile.h"
#include "mission/MissionFile.h"
#include "mission/SpawnRecords.h"
#include "tools/mkdata/MissionRecords.h"
#include "tools/mkdata/RandomData.h"

namespace {

MissionRecord Field(const char* definition, float x, float y, float z, const char* name) {
    MissionRecord r(spawn_records::kRockBytes);
    r.Text(0, definition, 16).Floats(40, {x, y, z, 0.0f}).Floats(60, {150.0f}).Floats(68, {0.0f}).Text(96, name, 32);
    return r;
}

// An AI ship's record; the word after the respawn one says whether the
// player's side has identified it.
MissionRecord Ship(const char* definition, const char* name, float x, float y, float z, int32_t side,
                   bool identified = true) {
    return AiShipRecord(definition, name, name, x, y, z, side, 0).Word(36, identified ? 1 : 0);
}

MissionRecord Gate(const char* definition, const char* name, float x, float z) {
    MissionRecord gate(spawn_records::kGateBytes);
    gate.Text(0, definition, 16).Floats(36, {x, 0.0f, z, 0.0f});
    gate.Floats(56, {1, 0, 0, 0, 1, 0, 0, 0, 1, x, 0.0f, z}).Text(236, name, 32);
    return gate;
}

}  // namespace

Status WriteMapWorldMission(const char* path) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(mission_file::kForm);
    MissionRecord header(mission_file::kHeaderBytes);
    header.Word(0, 30).Word(4, 20).Word(8, 10);
    header.Floats(12, {0.0f, 0.0f, -50.0f, 0.0f});
    header.Floats(28, {0.0f, 0.0f, 1000.0f, 0.0f});                 // the maps' centre
    header.Floats(44, {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0});        // the maps look along +z
    status = PutRecord(iff, mission_file::kHeader, header, status);
    MissionRecord player(mission_file::kPlayerBytes);
    player.Text(0, "P101", 16).Text(16, "Alpha", 16);
    status = PutRecord(iff, mission_file::kPlayer, player, status);
    status = PutSky(iff, SkyLook{.seed = 5}, status);

    // The enemies first, so that T locks on one before a friend or the stray.
    status = PutRecord(iff, mission_file::kShip, Ship("Depot", "Depot", 2500.0f, -600.0f, 2500.0f, 2), status);
    status = PutRecord(iff, mission_file::kShip, Ship("Capital", "Bastion", 1200.0f, 1200.0f, 4200.0f, 2), status);
    status = PutRecord(iff, mission_file::kShip, Ship("Raider", "Red 1", 600.0f, 500.0f, 2200.0f, 2), status);
    status = PutRecord(iff, mission_file::kShip, Ship("Raider", "Shadow", 1800.0f, 0.0f, 600.0f, 2, false), status);
    status = PutRecord(iff, mission_file::kShip, Ship("Outpost", "Outpost", -2500.0f, 800.0f, 3000.0f, 1), status);
    status = PutRecord(iff, mission_file::kShip, Ship("P101", "Alpha 2", -300.0f, 0.0f, 400.0f, 1), status);
    status = PutRecord(iff, mission_file::kShip, Ship("Raider", "Stray", -1200.0f, -400.0f, 1800.0f, 0), status);
    status = PutRecord(iff, mission_file::kShip, Ship("PILT", "Pod", -600.0f, 300.0f, 1200.0f, 1), status);

    const char* const rocks[] = {"Rock 1", "Rock 2", "Rock 3", "Rock 4", "Rock 5"};
    for (int i = 0; i < 5; ++i) {
        const float x = -3000.0f + 1500.0f * float(i);
        status = PutRecord(iff, mission_file::kRock, Field(rocks[i], x, -200.0f * float(i % 2), -1500.0f, "Belt"), status);
    }
    // A second rock of the first kind: the maps list rocks of one name once.
    status = PutRecord(iff, mission_file::kRock, Field(rocks[0], -3300.0f, 300.0f, -900.0f, "Belt"), status);
    status = PutRecord(iff, mission_file::kMine, Field("Mine", 0.0f, 0.0f, 3200.0f, "Mine 1"), status);
    const char* const gates[] = {"Gate 50", "Gate 51", "Gate 52", "Gate 53"};
    const char* const gateNames[] = {"North Gate", "South Gate", "East Gate", "West Gate"};
    for (int i = 0; i < 4; ++i) {
        status = PutRecord(iff, mission_file::kGate, Gate(gates[i], gateNames[i], -3500.0f + 2300.0f * float(i), 5000.0f), status);
    }
    for (int i = 0; i < 2; ++i) {
        MissionRecord point(mission_file::kWayPointBytes);
        point.Text(0, "Way Point", 16).Text(16, i == 0 ? "Nav 1" : "Nav 2", 32);
        point.Floats(48, {800.0f * float(i), 0.0f, 1500.0f + 1500.0f * float(i)});
        status = PutRecord(iff, mission_file::kWayPoint, point, status);
    }
    MissionRecord buoy(mission_file::kBuoyBytes);
    buoy.Text(0, "Nav Buoy", 16).Floats(16, {-1500.0f, 0.0f, 500.0f}).Text(28, "Beacon", 32).Word(60, 20);
    status = PutRecord(iff, mission_file::kBuoy, buoy, status);

    status = PutRecord(iff, mission_file::kGoal, GoalRecord(1, 1, "Red 1", "", "Destroy Red 1"), status);
    status = PutRecord(iff, mission_file::kGoal, GoalRecord(2, 5, "", "Nav 1", "Fly to Nav 1", 300.0f), status);
    status = PutRecord(iff, mission_file::kGoal,
                       GoalRecord(3, 1, "Depot", "", "Destroy the depot beyond the belt"), status);
    status = PutRecord(iff, mission_file::kGoal, GoalRecord(4, 9, "", "North Gate", "Jump through North Gate", 300.0f), status);

    if (status == kStatusOk) status = iff.Ascend();
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}
