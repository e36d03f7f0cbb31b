// One world pass over 20 hulls and 20 AI ships in five wings among 300
// drifting rocks and buoys (the demo world of tools/world), 50 ms of game
// time a pass.
#include <benchmark/benchmark.h>

#include "tools/world/DemoWorld.h"

namespace {

void BM_WorldPass(benchmark::State& state) {
    DemoWorld world(20, 300, 20);
    for (auto _ : state) {
        benchmark::DoNotOptimize(world.Step(50));
    }
    state.counters["objects"] = world.ObjectCount();
}
BENCHMARK(BM_WorldPass);

}  // namespace
