#include "tools/mkdata/NetRespawnData.h"

#include "engine/IffFile.h"
#include "mission/MissionFile.h"
#include "tools/mkdata/MissionRecords.h"

Status WriteNetRespawnMission(const char* path) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(mission_file::kForm);
    status = PutRecord(iff, mission_file::kHeader, MissionHeader(0.0f), status);
    status = PutRecord(iff, mission_file::kPlayer, PlayerRecord("Raider", "Alpha"), status);
    status = PutSky(iff, SkyLook{.seed = 9}, status);
    if (status == kStatusOk) status = iff.Ascend();
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}
