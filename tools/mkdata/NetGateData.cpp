#include "tools/mkdata/NetGateData.h"

#include "engine/IffFile.h"
#include "mission/Goal.h"
#include "mission/MissionFile.h"
#include "mission/SpawnRecords.h"
#include "tools/mkdata/MissionRecords.h"
#include "tools/mkdata/RandomData.h"

Status WriteNetGateMission(const char* path) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(mission_file::kForm);
    status = PutRecord(iff, mission_file::kHeader, MissionHeader(0.0f), status);
    status = PutRecord(iff, mission_file::kPlayer, PlayerRecord("P101", "Alpha"), status);
    status = PutSky(iff, SkyLook{.seed = 10}, status);
    // The first client's start: the second ring of starts (150 apart) on the
    // bearing of place 1, the first ring lying too near the host.
    constexpr float kClientStart = 212.13203f;
    constexpr float kGateZ = kClientStart + 500.0f;
    MissionRecord gate(spawn_records::kGateBytes);
    gate.Text(0, "Gate", 16).Floats(36, {kClientStart, 0.0f, kGateZ, 0.0f});
    gate.Floats(56, {1, 0, 0, 0, 1, 0, 0, 0, 1, kClientStart, 0.0f, kGateZ}).Text(236, "Exit Gate", 32);
    status = PutRecord(iff, mission_file::kGate, gate, status);
    status = PutRecord(iff, mission_file::kGoal,
                       GoalRecord(1, Goal::kJumpThrough, "", "Exit Gate", "Jump through Exit Gate", 300.0f), status);
    if (status == kStatusOk) status = iff.Ascend();
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}
