// One frame of the sample mission as the game flies it: the simulate step,
// the world drawn through the flight camera and the HUD over it, on the
// 640 x 480 16-bit software canvas, 50 ms of game time a frame. The flight
// starts again (untimed) every minute of game time, so the frames timed are
// those of the mission's first minute.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "canvas/ScreenCanvas16.h"
#include "display/PixelFormat.h"
#include "game/DataDirectories.h"
#include "scene/OstrelSystem.h"
#include "tools/flightshot/FlightShot.h"
#include "tools/mkdata/SampleTree.h"

namespace {

constexpr int32_t kFramesAFlight = 1200;

void BM_FlightFrame(benchmark::State& state) {
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / "vorn-bench-flight";
    std::string error;
    if (!WriteSampleTree(root.string(), &error) || !g_dataDirs.Find(root.string())) {
        state.SkipWithError(error.c_str());
        return;
    }
    const int32_t previousFormat = g_pixelFormat;
    g_pixelFormat = kPixelFormatRgb565;
    {
        OstrelSystem engine(OstrelSystem::kGameHeapSize, OstrelSystem::kGameHeapMode);
        if (engine.Start(OstrelSystem::kGameArenaSize1, OstrelSystem::kGameArenaSize2, nullptr) != kStatusOk) {
            state.SkipWithError("the engine does not start");
            return;
        }
        std::unique_ptr<FlightShot> flight;
        std::unique_ptr<ScreenCanvas16> canvas;
        int32_t frames = kFramesAFlight;
        for (auto _ : state) {
            if (frames == kFramesAFlight) {
                state.PauseTiming();
                canvas.reset();
                flight.reset();
                flight = std::make_unique<FlightShot>();
                if (flight->Load("sample.uli", 1) != kStatusOk) {
                    state.SkipWithError("the sample mission cannot be flown");
                    break;
                }
                canvas = std::make_unique<ScreenCanvas16>(640, 480, nullptr, nullptr, flight->palette,
                                                          Canvas::kFlagHasDepth, 0, 0);
                canvas->EnableDepthTest();
                frames = 0;
                state.ResumeTiming();
            }
            flight->Frame(*canvas);
            ++frames;
        }
        canvas.reset();
        flight.reset();
    }
    g_pixelFormat = previousFormat;
    g_dataDirs.Clear();
    fs::remove_all(root);
}
BENCHMARK(BM_FlightFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
