// One frame of the sample mission as the game flies it: the simulate step,
// the world drawn through the flight camera and the HUD over it, on the
// 640 x 480 16-bit software canvas, 50 ms of game time a frame. The flight
// starts again (untimed) every minute of game time, so the frames timed are
// those of the mission's first minute.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "bench/TimedFlight.h"
#include "game/DataDirectories.h"
#include "bench/BenchSampleTree.h"

namespace {

constexpr int32_t kFramesAFlight = 1200;

void BM_FlightFrame(benchmark::State& state) {
    std::string error;
    const std::string& root = BenchSampleTree(&error);
    if (root.empty() || !g_dataDirs.Find(root)) {
        state.SkipWithError(error.c_str());
        return;
    }
    TimeFlightFrames(state, "sample.uli", kFramesAFlight, 0);
    g_dataDirs.Clear();
}
BENCHMARK(BM_FlightFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
