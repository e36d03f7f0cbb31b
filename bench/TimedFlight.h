#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>

// Times one frame a benchmark iteration of the mission file `mission`,
// flown as the game flies it (simulate, draw, HUD) on the 640 x 480 16-bit
// software canvas over a started engine, on the calling thread. The flight
// is loaded again, untimed, every `framesAFlight` frames, and its first
// `untimedFrames` frames are flown untimed each time. The data directories
// must already name the tree the mission is in.
void TimeFlightFrames(benchmark::State& state, const char* mission, int32_t framesAFlight, int32_t untimedFrames);
