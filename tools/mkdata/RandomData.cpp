#include "tools/mkdata/RandomData.h"

#include <vector>

#include "engine/IffFile.h"
#include "mission/MissionFile.h"
#include "mission/RandomMissionGenerator.h"
#include "mission/SkyRecords.h"
#include "mission/SpawnRecords.h"
#include "game/Mission.h"

namespace {

using Generator = RandomMissionGenerator;

struct SampleTemplate {
    int32_t kind;
    const char* description;
    int32_t enemies, asteroids, mines;
    const char* objective;   // of the kind's first goal
    const char* second;
};

// The capital ship's missions are tuned against the fighters that fly
// them, the career's Lancer and the sectors' P101, each of which beats a
// lone raider more often than not: the enemy capital stands alone at the
// career's first difficulty (each harder one adds a raider), and the
// convoy is attacked by one raider.
constexpr SampleTemplate kTemplates[] = {
    {Generator::kScout, "Scout the buoys of the sector and jump out", 1, 6, 0, "Scout the first buoy",
     "The buoys mark the convoy lane"},
    {Generator::kDestroy, "Destroy the enemy capital ship", 0, 4, 2, "Destroy the capital ship",
     "Its deck guns do not reach as far as yours"},
    {Generator::kProtect, "Protect the convoy until it is safe", 1, 2, 0, "Protect the convoy",
     "The convoy jumps once the lane is clear"},
    {Generator::kCapture, "Disable the raider for capture", 1, 4, 2, "Disable the raider", "A wreck is worth nothing"},
    {Generator::kDeathMatch, "Every pilot for himself", 0, 0, 0, "", ""},
};

// Each template adds one record of every sky kind to the sectors' sky,
// told apart by its index.
Status PutTemplateSky(IffFile& iff, int32_t index, Status status) {
    const float shade = 0.1f * float(index);
    MissionRecord stars(Mission::kStarFieldBytes);
    stars.Word(0, 11 + index).Word(4, 300).Word(8, 0xC0D0FF).Floats(12, {7000.0f, 1.0f, 0.5f + shade});
    status = PutRecord(iff, sky_records::kStarChunk, stars, status);
    MissionRecord dust(Mission::kSpaceDustBytes);
    dust.Text(0, "Dust", 16).Word(16, 20 + 10 * index).Floats(20, {2.0f, 0.5f}).Word(28, 0x808080);
    status = PutRecord(iff, sky_records::kDustChunk, dust, status);
    MissionRecord nebula(Mission::kWallpaperBytes);
    nebula.Text(0, "Nebula 1", 16).Floats(16, {-6000.0f, -1000.0f + 500.0f * float(index), 9000.0f, 0.0f, 90.0f, 0.0f});
    nebula.Word(40, 5 + index).Floats(44, {0.6f});
    status = PutRecord(iff, sky_records::kWallChunk, nebula, status);
    MissionRecord light(Mission::kLightBytes);
    light.Word(0, 2).Floats(4, {2000.0f, 500.0f, 3000.0f, 0.0f, 0.0f, 0.0f}).Word(28, 0xFFC080);
    light.Floats(32, {0.4f + shade, 100.0f, 6000.0f});
    return PutRecord(iff, sky_records::kLightChunk, light, status);
}

}  // namespace

Status WriteRandomTable(const char* path) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(Generator::kForm);
    MissionRecord pays(Generator::kPayWords * 4);
    for (int32_t kind = 0; kind < 4; ++kind) {
        for (int32_t level = 0; level < Generator::kDifficulties; ++level) {
            pays.Word(uint32_t(4 * (4 * kind + level)), 5000 + 1000 * kind + 2500 * level);
        }
    }
    pays.Word(4 * Generator::kCoopLimitWord, 60).Word(4 * Generator::kDeathMatchPayWord, 2000);
    pays.Word(4 * Generator::kKillPayWord, 500);
    status = PutRecord(iff, Generator::kPaysChunk, pays, status);
    for (const SampleTemplate& entry : kTemplates) {
        const int32_t index = int32_t(&entry - kTemplates);
        if (status == kStatusOk) status = iff.BeginForm(Generator::kTemplateForm);
        MissionRecord info(Generator::kTemplateBytes);
        info.Word(0, entry.kind).Text(4, entry.description, Generator::kDescriptionBytes);
        info.Word(4 + Generator::kDescriptionBytes, entry.enemies);
        info.Word(8 + Generator::kDescriptionBytes, entry.asteroids);
        info.Word(12 + Generator::kDescriptionBytes, entry.mines);
        status = PutRecord(iff, Generator::kTemplateChunk, info, status);
        MissionRecord texts(2 * Generator::kGoalTextBytes);
        texts.Text(0, entry.objective, Generator::kGoalTextBytes).Text(Generator::kGoalTextBytes, entry.second, Generator::kGoalTextBytes);
        status = PutRecord(iff, Generator::kGoalTextChunk, texts, status);
        status = PutTemplateSky(iff, index, status);
        if (status == kStatusOk) status = iff.Ascend();
    }
    if (status == kStatusOk) status = iff.Ascend();
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}

Status WriteSectors(const char* path) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(mission_file::kForm);
    status = PutRecord(iff, mission_file::kHeader, MissionHeader(2000.0f), status);
    status = PutRecord(iff, mission_file::kPlayer, PlayerRecord("P101", "Alpha"), status);
    MissionRecord station(spawn_records::kRockBytes);
    station.Text(0, "Station", 16).Floats(40, {-1500.0f, 0.0f, 1500.0f, 0.0f}).Floats(60, {1.0f}).Text(96, "Station", 32);
    status = PutRecord(iff, mission_file::kRock, station, status);
    // The sky: stars, a nebula far off, dust and a key light from above.
    MissionRecord stars(Mission::kStarFieldBytes);
    stars.Word(0, 7).Word(4, 600).Word(8, 0xFFFFF0).Floats(12, {9000.0f, 1.5f, 0.8f});
    status = PutRecord(iff, sky_records::kStarChunk, stars, status);
    MissionRecord nebula(Mission::kWallpaperBytes);
    nebula.Text(0, "Nebula 1", 16).Floats(16, {4000.0f, 2000.0f, 12000.0f, 0.0f, 30.0f, 0.0f}).Word(40, 3).Floats(44, {1.0f});
    status = PutRecord(iff, sky_records::kWallChunk, nebula, status);
    MissionRecord dust(Mission::kSpaceDustBytes);
    dust.Text(0, "Dust", 16).Word(16, 60).Floats(20, {1.0f, 1.0f}).Word(28, 0xC0C0C0);
    status = PutRecord(iff, sky_records::kDustChunk, dust, status);
    MissionRecord light(Mission::kLightBytes);
    light.Word(0, 1).Floats(4, {0.0f, 0.0f, 0.0f, 0.0f, -1.0f, 0.3f}).Word(28, 0xFFFFFF).Floats(32, {0.8f, 0.0f, 0.0f});
    status = PutRecord(iff, sky_records::kLightChunk, light, status);
    if (status == kStatusOk) status = iff.Ascend();
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}

MissionRecord GoalRecord(int32_t id, int32_t recordType, const char* subject, const char* destination,
                         const char* objective, float distance, int32_t nextGoalId, const GoalTerms& terms) {
    MissionRecord goal(mission_file::kGoalBytes);
    goal.Word(0, id).Word(4, recordType).Word(8, 1).Word(12, terms.side).Word(16, 1).Word(20, terms.active);
    goal.Word(24, terms.wordC).Word(28, terms.threshold).Word(32, int32_t(terms.timeMs));
    goal.Floats(36, {distance}).Word(44, nextGoalId);
    goal.Text(48, subject, 16).Text(64, destination, 16).Text(80, objective, 64);
    return goal;
}
