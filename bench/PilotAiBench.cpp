// The pilots' share of a frame: think, execute and fire control for 50 AI
// raiders of the sample tree, 25 a side, 50 ms of game time a frame.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "ai/AiBrain.h"
#include "engine/Random.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "game/Mission.h"
#include "mission/ObjectLoader.h"
#include "objects/ships/AiShip.h"
#include "objects/space/WorldPass.h"
#include "platform/Clock.h"
#include "platform/SteppedClock.h"
#include "bench/BenchSampleTree.h"

namespace {

void BM_PilotAi(benchmark::State& state) {
    std::string error;
    const std::string& root = BenchSampleTree(&error);
    if (root.empty() || !g_dataDirs.Find(root)) {
        state.SkipWithError(error.c_str());
        return;
    }
    platform::SteppedClock clock{100000};
    platform::Clock* const previousClock = platform::Clock::Install(&clock);
    GameState* const previousGame = g_gameState;
    auto* const game = new GameState;
    g_gameState = game;
    Mission mission;
    game->mission = &mission;
    RegisterSpaceObjects();
    DefinitionLibrary::RegisterCoreBuilders();
    GameRandomSeed(7);

    std::vector<AiShip*> pilots;
    for (int i = 0; i < 50; ++i) {
        spawn_records::AiShip record;
        const float x = float(i % 5) * 120.0f, y = float((i / 5) % 5) * 120.0f, z = i < 25 ? -800.0f : 800.0f;
        const float f = i < 25 ? 1.0f : -1.0f;
        const float matrix[12] = {f, 0, 0, 0, 1, 0, 0, 0, f, x, y, z};
        std::copy(std::begin(matrix), std::end(matrix), record.transform);
        record.position[0] = x;
        record.position[1] = y;
        record.position[2] = z;
        DefinitionLibrary& library = DefinitionLibrary::Current();
        auto* const pilot =
            dynamic_cast<AiShip*>(library.LoadObjectDefinition("Raider", nullptr, SpaceObject::kTypeAiShip, 0, &record));
        if (pilot == nullptr) continue;
        library.LoadShipDefinition(pilot, nullptr, nullptr, 0);
        pilot->SetSide(i < 25 ? 1 : 2);
        pilot->CreateBrain(nullptr);
        game->AddObjectsToWorld(pilot, 0);
        pilots.push_back(pilot);
    }
    for (auto _ : state) {
        clock.Advance(50);
        for (AiShip* pilot : pilots) {
            pilot->brain->Think();
            pilot->brain->ExecuteBehavior();
            pilot->brain->UpdateFireControl();
        }
    }
    state.counters["ships"] = double(pilots.size());

    while (mission.firstObject != nullptr) {
        SpaceObject* const object = mission.firstObject;
        object->OnRemove(1);
        delete object;
    }
    DefinitionLibrary::Reset();
    game->mission = nullptr;
    delete game;
    g_gameState = previousGame;
    platform::Clock::Install(previousClock);
    g_dataDirs.Clear();
}
BENCHMARK(BM_PilotAi);

}  // namespace
