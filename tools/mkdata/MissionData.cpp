#include "tools/mkdata/MissionData.h"

#include <cstring>
#include <initializer_list>
#include <vector>

#include "engine/ByteOrder.h"
#include "engine/IffFile.h"
#include "mission/Goal.h"
#include "mission/MissionFile.h"
#include "mission/SpawnRecords.h"
#include "tools/mkdata/MissionRecords.h"
#include "tools/mkdata/MusicData.h"
#include "tools/mkdata/RandomData.h"

Status WriteSampleMission(const char* path) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(mission_file::kForm);
    MissionRecord header(mission_file::kHeaderBytes);
    header.Word(0, 30).Word(4, 20).Word(8, 10);                    // report delays for difficulties 1, 2, 4
    header.Floats(12, {0.0f, 0.0f, -50.0f, 0.0f});                  // the chase object's start
    header.Floats(28, {0.0f, 0.0f, 1500.0f, 0.0f});                 // the maps' centre
    header.Floats(44, {1, 0, 0, 0, 0, 1, 0, -1, 0, 0, 4000, 1500}); // the maps look down
    status = PutRecord(iff, mission_file::kHeader, header, status);
    MissionRecord player(mission_file::kPlayerBytes);
    player.Text(0, "P101", 16).Text(16, "Alpha", 16);
    status = PutRecord(iff, mission_file::kPlayer, player, status);
    MissionRecord music(mission_file::kMusicBytes);
    music.Text(0, kPatrolTune, 16).Word(16, 0);
    status = PutRecord(iff, mission_file::kMusic, music, status);

    // The raiders come up from behind, one after the other (side by side
    // they met head-on as both turned on the player), so that the wingmen
    // turn back to meet them and a pilot who only flies ahead reaches the
    // gate; the capital ship lies well off that way. Targets cycle in the
    // ships' order here: the enemies come before the wingmen.
    status = PutRecord(iff, mission_file::kShip, AiShipRecord("Raider", "Red 1", "Red", -150.0f, 50.0f, -2500.0f, 2, 0), status);
    status = PutRecord(iff, mission_file::kShip, AiShipRecord("Raider", "Red 2", "Red", 150.0f, 50.0f, -2800.0f, 2, 0, 1), status);
    status = PutRecord(iff, mission_file::kShip, AiShipRecord("Capital", "Bastion", "Bastion", -2500.0f, -300.0f, 3500.0f, 2, 0), status);
    status = PutRecord(iff, mission_file::kShip, AiShipRecord("P101", "Alpha 2", "Alpha", -40.0f, 0.0f, -30.0f, 1, 1), status);
    status = PutRecord(iff, mission_file::kShip, AiShipRecord("P101", "Alpha 3", "Alpha", 40.0f, 0.0f, -30.0f, 1, 1), status);

    for (int i = 0; i < 4; ++i) {
        status = PutRecord(iff, mission_file::kRock, RockRecord("Asteroid", 800.0f, 0.0f, 1200.0f, 300.0f, float(4 + i), "Field"), status);
    }
    status = PutRecord(iff, mission_file::kMine, RockRecord("Mine", -600.0f, 0.0f, 1500.0f, 80.0f, 0.0f, "Mine 1"), status);
    status = PutRecord(iff, mission_file::kMine, RockRecord("Mine", -600.0f, 60.0f, 1600.0f, 80.0f, 0.0f, "Mine 2"), status);

    MissionRecord gate(spawn_records::kGateBytes);
    gate.Text(0, "Gate", 16).Floats(36, {0.0f, 0.0f, 6000.0f, 0.0f});
    gate.Floats(56, {1, 0, 0, 0, 1, 0, 0, 0, 1, 0.0f, 0.0f, 6000.0f}).Text(236, "Home Gate", 32);
    status = PutRecord(iff, mission_file::kGate, gate, status);
    MissionRecord debris(spawn_records::kDebrisBytes);
    debris.Text(0, "Debris", 16).Floats(44, {300.0f, -50.0f, 900.0f, 0.0f}).Floats(64, {6.0f}).Text(92, "Wreck", 32);
    status = PutRecord(iff, mission_file::kDebris, debris, status);

    status = PutRecord(iff, mission_file::kWayPoint, NavPointRecord("Nav 1", 0.0f, 0.0f, 2000.0f), status);
    status = PutRecord(iff, mission_file::kWayPoint, NavPointRecord("Nav 2", 0.0f, 0.0f, 4000.0f), status);
    status = PutRecord(iff, mission_file::kBuoy, BuoyRecord("Beacon", 200.0f, 100.0f, 3000.0f, 20), status);

    // Goals after the objects they name: the raiders, the way, the gate
    // home. Nav 1 and the gate lie straight ahead of the start.
    status = PutRecord(iff, mission_file::kGoal, GoalRecord(1, Goal::kKill, "Red 1", "", "Destroy Red 1"), status);
    status = PutRecord(iff, mission_file::kGoal, GoalRecord(2, Goal::kTravel, "", "Nav 1", "Fly to Nav 1", 300.0f), status);
    status = PutRecord(iff, mission_file::kGoal,
                       GoalRecord(3, Goal::kJumpThrough, "", "Home Gate", "Jump through Home Gate", 300.0f), status);
    // The sky last, so that the objects keep their record numbers.
    status = PutSky(iff, SkyLook{}, status);

    if (status == kStatusOk) status = iff.Ascend();
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}

Status WriteSkirmishMission(const char* path) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(mission_file::kForm);
    MissionRecord header(mission_file::kHeaderBytes);
    header.Word(0, 30).Word(4, 20).Word(8, 10);
    header.Floats(12, {0.0f, 0.0f, -50.0f, 0.0f});
    header.Floats(44, {1, 0, 0, 0, 0, 1, 0, -1, 0, 0, 4000, 0});
    status = PutRecord(iff, mission_file::kHeader, header, status);
    // The player's ship waits between the wings and below them, farther from
    // each than the wings are from each other (so each wing's nearest enemy
    // is the other wing) but within four radar ranges, where AI ships fly.
    MissionRecord player(mission_file::kPlayerBytes);
    player.Text(0, "P101", 16).Text(16, "Watch", 16);
    status = PutRecord(iff, mission_file::kPlayer, player, status);
    // Lit from above, as the wings fight above the player's ship, a nebula
    // ahead of it. The chase view looks down on the ship and sees little
    // above its heading, so the cloud stands far ahead and only a little
    // above, filling the picture's upper half at the start. Its shape and turn
    // follow from where it stands: moved, it must be looked at again.
    status = PutSky(iff,
                    SkyLook{.seed = 2, .stars = 1200, .sun = {-0.3f, -0.9f, 0.2f}, .nebula = "Nebula 2",
                            .nebulaAt = {-1946.0f, -93.0f, 7730.0f}},
                    status);
    MissionRecord music(mission_file::kMusicBytes);
    music.Text(0, kSkirmishTune, 16).Word(16, 0);
    status = PutRecord(iff, mission_file::kMusic, music, status);
    const char* const blue[] = {"Blue 1", "Blue 2", "Blue 3", "Blue 4"};
    const char* const red[] = {"Red 1", "Red 2", "Red 3", "Red 4"};
    // The player's ship flies on Blue's side: the Red wing comes first, so
    // that T locks on an enemy before a friend.
    for (int i = 0; i < 4; ++i) {
        const float x = -150.0f + 100.0f * float(i);
        status = PutRecord(iff, mission_file::kShip, AiShipRecord("Raider", red[i], "Red", x, 2800.0f, 1500.0f, 2, 0, 0, true), status);
    }
    for (int i = 0; i < 4; ++i) {
        const float x = -150.0f + 100.0f * float(i);
        status = PutRecord(iff, mission_file::kShip, AiShipRecord("Raider", blue[i], "Blue", x, 2800.0f, -1500.0f, 1, 0), status);
    }
    // Each side's player is sent against the other wing, all four of it.
    status = PutRecord(iff, mission_file::kGoal,
                       GoalRecord(1, Goal::kKill, "Red", "", "Destroy the Red wing", 0.0f, -1, {.side = 1}), status);
    status = PutRecord(iff, mission_file::kGoal,
                       GoalRecord(2, Goal::kKill, "Blue", "", "Destroy the Blue wing", 0.0f, -1, {.side = 2}), status);
    if (status == kStatusOk) status = iff.Ascend();
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}
