// The world pass among many rocks: the skirmish's two wings and the
// player's ship in a field of 1,000 or 8,000 asteroids of the sample tree,
// set up from a mission file as a flight would be. One world pass of 50 ms
// a pass, and five simulated seconds of the whole flight frame.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "engine/IffFile.h"
#include "engine/Random.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "game/Mission.h"
#include "mission/MissionFile.h"
#include "mission/MissionSetUp.h"
#include "mission/ObjectLoader.h"
#include "net/NetworkHooks.h"
#include "net/PacketBytes.h"
#include "objects/space/SpaceObject.h"
#include "objects/space/WorldPass.h"
#include "platform/Clock.h"
#include "platform/SteppedClock.h"
#include "bench/BenchSampleTree.h"

namespace {

// The sample tree, written once for every benchmark of the run.
const std::string& SampleRoot() {
    static const std::string root = [] {
        std::string error;
        const std::string& tree = BenchSampleTree(&error);
        if (tree.empty()) std::fprintf(stderr, "sample tree: %s\n", error.c_str());
        return tree;
    }();
    return root;
}

// The skirmish's records and `rocks` asteroids spread over 12,000 by 6,000
// by 12,000 units around the wings, written as "rocks<N>.uli".
std::string WriteRockMission(int32_t rocks) {
    const std::string missions = g_dataDirs.Prefix(DataDir::kMissions);
    mission_file::Contents skirmish;
    if (mission_file::Load((missions + "skirmish.uli").c_str(), &skirmish) != kStatusOk) return "";
    const std::string name = "rocks" + std::to_string(rocks) + ".uli";
    IffFile iff(0);
    if (iff.OpenFile((missions + name).c_str(), kOpenWrite | kOpenCreate) != kStatusOk) return "";
    iff.BeginForm(mission_file::kForm);
    uint8_t header[mission_file::kHeaderBytes] = {};
    PacketWriter h(header, sizeof header);
    for (int i = 0; i < 3; ++i) h.I32(uint32_t(4 * i), skirmish.header.reportDelays[i]);
    for (int i = 0; i < 4; ++i) h.F32(12 + uint32_t(4 * i), skirmish.header.reference[i]);
    for (int i = 0; i < 12; ++i) h.F32(44 + uint32_t(4 * i), skirmish.header.mapView[i]);
    iff.WriteChunk(mission_file::kHeader, header, sizeof header);
    uint8_t player[mission_file::kPlayerBytes] = {};
    PacketWriter p(player, sizeof player);
    p.Text(0, 16, skirmish.player.definition);
    p.Text(16, 16, skirmish.player.wing);
    iff.WriteChunk(mission_file::kPlayer, player, sizeof player);
    for (const mission_file::Record& record : skirmish.records) {
        iff.WriteChunk(record.chunk, record.bytes.data(), uint32_t(record.bytes.size()));
    }
    GameRandomSeed(3);
    const auto spread = [](float half) { return float(GameRandom() % 2001 - 1000) * half / 1000.0f; };
    for (int32_t i = 0; i < rocks; ++i) {
        uint8_t rock[spawn_records::kRockBytes] = {};
        PacketWriter r(rock, sizeof rock);
        r.Text(0, 16, "Asteroid");
        r.F32(40, spread(6000.0f));
        r.F32(44, 2000.0f + spread(3000.0f));
        r.F32(48, spread(6000.0f));
        r.F32(60, 1.0f);   // a scatter: a rock without one is left at the origin
        r.F32(68, float(4 + i % 4));
        r.Text(96, 32, "Field");
        iff.WriteChunk(mission_file::kRock, rock, sizeof rock);
    }
    iff.Ascend();
    iff.CloseFile();
    return name;
}

// A flight of the rock mission, set up and ready to step.
class RockFlight {
public:
    explicit RockFlight(int32_t rocks) : previousClock_(platform::Clock::Install(&clock_)), previousGame_(g_gameState) {
        g_dataDirs.Find(SampleRoot());
        game_ = std::make_unique<GameState>();
        g_gameState = game_.get();
        InstallNetworkHooks();
        RegisterSpaceObjects();
        DefinitionLibrary::RegisterCoreBuilders();
        const std::string name = WriteRockMission(rocks);
        GameRandomSeed(7);
        ready_ = SetUpMission(name.c_str(), -1) == kStatusOk;
        for (SpaceObject* o = ready_ ? game_->mission->firstObject : nullptr; o != nullptr; o = o->GetNext()) ++objects_;
    }
    ~RockFlight() {
        FreeMission();
        game_.reset();
        g_gameState = previousGame_;
        platform::Clock::Install(previousClock_);
    }
    bool Ready() const { return ready_; }
    int32_t Objects() const { return objects_; }
    void WorldPass() {
        clock_.Advance(50);
        UpdateSpaceObjects();
    }
    void Frame() {
        clock_.Advance(50);
        game_->Simulate();
    }

private:
    platform::SteppedClock clock_{1000};
    platform::Clock* previousClock_;
    GameState* previousGame_;
    std::unique_ptr<GameState> game_;
    bool ready_ = false;
    int32_t objects_ = 0;
};

void BM_WorldPassAmongRocks(benchmark::State& state) {
    RockFlight flight(int32_t(state.range(0)));
    if (!flight.Ready()) {
        state.SkipWithError("the rock mission cannot be set up");
        return;
    }
    for (auto _ : state) flight.WorldPass();
    state.counters["objects"] = flight.Objects();
}
BENCHMARK(BM_WorldPassAmongRocks)->Arg(1000)->Arg(8000)->Unit(benchmark::kMicrosecond);

// Five simulated seconds (100 frames of 50 ms) of the whole flight frame.
void BM_FiveSecondsAmongRocks(benchmark::State& state) {
    RockFlight flight(int32_t(state.range(0)));
    if (!flight.Ready()) {
        state.SkipWithError("the rock mission cannot be set up");
        return;
    }
    for (auto _ : state) {
        for (int frame = 0; frame < 100; ++frame) flight.Frame();
    }
    state.counters["objects"] = flight.Objects();
}
BENCHMARK(BM_FiveSecondsAmongRocks)->Arg(8000)->Unit(benchmark::kMillisecond);

}  // namespace
