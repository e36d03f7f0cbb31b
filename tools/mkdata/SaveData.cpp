#include "tools/mkdata/SaveData.h"

#include <cstring>

#include "engine/FileWrappers.h"
#include "game/CareerRecord.h"
#include "game/XorChunkStream.h"
#include "tools/mkdata/MissionData.h"

namespace {

void FillSampleCareer(CareerRecord& career) {
    std::strcpy(career.callsign, "Kestrel");
    career.funds = 25000;
    career.kills = 12;
    career.missions = 3;
    career.accuracyValue = 48;
    career.face = 2;
    career.logo = 5;
}

}  // namespace

Status WriteSampleSave(const char* path) {
    CareerRecord career(0);
    FillSampleCareer(career);
    XorChunkStream stream;
    Status status = stream.Open(path, kOpenWrite | kOpenCreate);
    if (status != kStatusOk) return status;
    status = stream.BeginForm(MakeTag("BODY"));
    if (status == kStatusOk) status = stream.WriteTextChunk(MakeTag("NAME"), "Sample career");
    if (status == kStatusOk) status = stream.WriteWordChunk(MakeTag("DIFF"), 2);
    if (status == kStatusOk) status = stream.WriteWordChunk(MakeTag("PLOT"), 1);
    if (status == kStatusOk) status = stream.WriteTextChunk(MakeTag("MNAM"), kSampleMissionFile);
    if (status == kStatusOk) status = career.Save(stream);
    if (status == kStatusOk) status = stream.Ascend();
    const Status closed = stream.CloseFile();
    return status != kStatusOk ? status : closed;
}

Status WriteSamplePilot(const char* path) {
    CareerRecord career(0);
    FillSampleCareer(career);
    XorChunkStream stream;
    Status status = stream.Open(path, kOpenWrite | kOpenCreate);
    if (status != kStatusOk) return status;
    status = career.Save(stream);
    const Status closed = stream.CloseFile();
    return status != kStatusOk ? status : closed;
}
