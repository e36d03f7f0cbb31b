#include "tools/mkdata/NetDuelData.h"

#include "engine/IffFile.h"
#include "mission/MissionFile.h"
#include "tools/mkdata/MissionRecords.h"

Status WriteNetDuelMission(const char* path) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(mission_file::kForm);
    status = PutRecord(iff, mission_file::kHeader, MissionHeader(0.0f), status);
    status = PutRecord(iff, mission_file::kPlayer, PlayerRecord("P101", "Alpha"), status);
    status = PutSky(iff, SkyLook{.seed = 8}, status);
    // The first client's start: the second ring of starts (150 apart) on
    // the bearing of place 1, the first ring lying too near the host.
    constexpr float kClientStart = 212.13203f;
    status = PutRecord(iff, mission_file::kShip,
                       AiShipRecord("Drone", "Drone A", "Range", 0.0f, 0.0f, kNetDuelRange, 2, 0, 0, true), status);
    status = PutRecord(iff, mission_file::kShip,
                       AiShipRecord("Drone", "Drone B", "Range", kClientStart, 0.0f, kClientStart + kNetDuelRange, 2, 0, 0, true),
                       status);
    if (status == kStatusOk) status = iff.Ascend();
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}
