// A frame of a crowded battle as the game flies it: missions of 50, 200 and
// 1,000 objects, half of them raiders in two hostile wings that close on
// each other and fire (every craft's weapon flash is in the light chain),
// half rocks drifting between them, the player's ship watching. The simulate
// step, the world drawn and the HUD over it on the 640 x 480 16-bit
// software canvas, 50 ms of game time a frame, on the calling thread. The
// first two seconds of each flight (the wings' approach) are flown
// untimed; the flight starts again, untimed, after a minute of game time.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/TimedFlight.h"
#include "engine/IffFile.h"
#include "game/DataDirectories.h"
#include "mission/Goal.h"
#include "mission/MissionFile.h"
#include "tools/mkdata/MissionRecords.h"
#include "tools/mkdata/RandomData.h"
#include "bench/BenchSampleTree.h"

namespace {

constexpr int32_t kFramesAFlight = 1200;
constexpr int32_t kApproachFrames = 40;

// The sample tree, written once for every benchmark of the run; or a tree
// kept from an earlier run (VORN_BENCH_CROWD_TREE), so that figures taken
// before and after a change to the sample data compare the same flight.
const std::string& CrowdRoot() {
    static const std::string root = [] {
        if (const char* kept = std::getenv("VORN_BENCH_CROWD_TREE"); kept != nullptr && *kept != '\0') return std::string(kept);
        std::string error;
        const std::string& tree = BenchSampleTree(&error);
        if (tree.empty()) std::fprintf(stderr, "sample tree: %s\n", error.c_str());
        return tree;
    }();
    return root;
}

// "crowd<N>.uli": N / 4 raiders a wing in square ranks facing each other
// 1,200 units apart ahead of the player's ship, N / 2 rocks in a slab
// between them: the whole battle in the chase camera's view.
std::string WriteCrowdMission(int32_t objects) {
    const std::string name = "crowd" + std::to_string(objects) + ".uli";
    const std::string path = g_dataDirs.Prefix(DataDir::kMissions) + name;
    IffFile iff(0);
    Status status = iff.OpenFile(path.c_str(), kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(mission_file::kForm);
    status = PutRecord(iff, mission_file::kHeader, MissionHeader(0.0f), status);
    status = PutRecord(iff, mission_file::kPlayer, PlayerRecord("P101", "Watch"), status);
    const int32_t perWing = std::max(1, objects / 4);
    const int32_t across = int32_t(std::ceil(std::sqrt(float(perWing))));
    for (int32_t i = 0; i < perWing; ++i) {
        const float x = 60.0f * (float(i % across) - float(across - 1) / 2.0f);
        const float y = 60.0f * (float(i / across) - float(across - 1) / 2.0f);
        const std::string blue = "Blue " + std::to_string(i + 1), red = "Red " + std::to_string(i + 1);
        status = PutRecord(iff, mission_file::kShip, AiShipRecord("Raider", blue.c_str(), "Blue", x, y, 700.0f, 1, 0), status);
        status = PutRecord(iff, mission_file::kShip,
                           AiShipRecord("Raider", red.c_str(), "Red", x, y, 1900.0f, 2, 0, 0, true), status);
    }
    const int32_t rocks = objects - 2 * perWing;
    for (int32_t i = 0; i < rocks; ++i) {
        const float x = -900.0f + float((i * 397) % 1800);
        const float y = -450.0f + float((i * 211) % 900);
        const float z = 1000.0f + float((i * 131) % 600);
        status = PutRecord(iff, mission_file::kRock, RockRecord("Asteroid", x, y, z, 1.0f, float(4 + i % 4), "Field"), status);
    }
    status = PutRecord(iff, mission_file::kGoal,
                       GoalRecord(1, Goal::kKill, "Red", "", "Destroy the Red wing", 0.0f, -1, {.side = 1}), status);
    status = PutRecord(iff, mission_file::kGoal,
                       GoalRecord(2, Goal::kKill, "Blue", "", "Destroy the Blue wing", 0.0f, -1, {.side = 2}), status);
    if (status == kStatusOk) status = iff.Ascend();
    const Status closed = iff.CloseFile();
    return status == kStatusOk && closed == kStatusOk ? name : "";
}

void BM_CrowdedFlightFrame(benchmark::State& state) {
    if (!g_dataDirs.Find(CrowdRoot())) {
        state.SkipWithError("no sample tree");
        return;
    }
    const std::string mission = WriteCrowdMission(int32_t(state.range(0)));
    if (mission.empty()) {
        state.SkipWithError("the crowded mission cannot be written");
        return;
    }
    TimeFlightFrames(state, mission.c_str(), kFramesAFlight, kApproachFrames);
    g_dataDirs.Clear();
}
// A fixed count of frames, so that every run times the same stretch of the
// battle: the frame grows as the wings close and fire, and a count chosen by
// the clock would time a different stretch on a faster machine.
constexpr int32_t kTimedFrames = 400;
BENCHMARK(BM_CrowdedFlightFrame)->Arg(50)->Arg(200)->Arg(1000)->Iterations(kTimedFrames)->Unit(benchmark::kMillisecond);

}  // namespace
