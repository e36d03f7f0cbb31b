#include "tools/mkdata/NetFightData.h"

#include "engine/IffFile.h"
#include "mission/MissionFile.h"
#include "mission/SpawnRecords.h"
#include "tools/mkdata/MissionRecords.h"

Status WriteNetFightMission(const char* path) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(mission_file::kForm);
    status = PutRecord(iff, mission_file::kHeader, MissionHeader(0.0f), status);
    // The host's own ship waits below the fight, farther from either wing
    // than the wings are from each other, so that they go for each other.
    status = PutRecord(iff, mission_file::kPlayer, PlayerRecord("P101", "Alpha"), status);
    status = PutSky(iff, SkyLook{.seed = 6}, status);
    const char* const blue[] = {"Blue 1", "Blue 2", "Blue 3"};
    const char* const red[] = {"Red 1", "Red 2", "Red 3"};
    // Red is the enemy of the file's player's side: it comes first, so that
    // T locks on an enemy before a friend (in the death match every wing is
    // the host's enemy).
    for (int i = 0; i < 3; ++i) {
        const float x = -100.0f + 100.0f * float(i);
        status = PutRecord(iff, mission_file::kShip, AiShipRecord("Marauder", red[i], "Red", x, 2000.0f, 900.0f, 2, 0, 0, true), status);
    }
    for (int i = 0; i < 3; ++i) {
        const float x = -100.0f + 100.0f * float(i);
        status = PutRecord(iff, mission_file::kShip, AiShipRecord("Marauder", blue[i], "Blue", x, 2000.0f, -900.0f, 1, 0), status);
    }
    for (int i = 0; i < 4; ++i) {
        status = PutRecord(iff, mission_file::kRock, RockRecord("Asteroid", 600.0f, 1800.0f, 0.0f, 400.0f, float(5 + 3 * i), "Drift"), status);
    }
    status = PutRecord(iff, mission_file::kMine, RockRecord("Mine", -700.0f, 1900.0f, 200.0f, 60.0f, 0.0f, "Mine 1"), status);
    status = PutRecord(iff, mission_file::kMine, RockRecord("Mine", -700.0f, 1950.0f, 300.0f, 60.0f, 0.0f, "Mine 2"), status);

    MissionRecord gate(spawn_records::kGateBytes);
    gate.Text(0, "Gate", 16).Floats(36, {0.0f, 0.0f, 4000.0f, 0.0f});
    gate.Floats(56, {1, 0, 0, 0, 1, 0, 0, 0, 1, 0.0f, 0.0f, 4000.0f}).Text(236, "Arena Gate", 32);
    status = PutRecord(iff, mission_file::kGate, gate, status);
    MissionRecord buoy(mission_file::kBuoyBytes);
    buoy.Text(0, "Nav Buoy", 16).Floats(16, {-400.0f, 500.0f, 0.0f}).Text(28, "Marker", 32).Word(60, 20);
    status = PutRecord(iff, mission_file::kBuoy, buoy, status);

    if (status == kStatusOk) status = iff.Ascend();
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}
