#include "bench/TimedFlight.h"

#include <memory>

#include "canvas/ScreenCanvas16.h"
#include "display/PixelFormat.h"
#include "scene/OstrelSystem.h"
#include "tools/flightshot/FlightShot.h"

void TimeFlightFrames(benchmark::State& state, const char* mission, int32_t framesAFlight, int32_t untimedFrames) {
    const int32_t previousFormat = g_pixelFormat;
    g_pixelFormat = kPixelFormatRgb565;
    {
        OstrelSystem engine(OstrelSystem::kGameHeapSize, OstrelSystem::kGameHeapMode);
        if (engine.Start(OstrelSystem::kGameArenaSize1, OstrelSystem::kGameArenaSize2, nullptr) != kStatusOk) {
            state.SkipWithError("the engine does not start");
            g_pixelFormat = previousFormat;
            return;
        }
        std::unique_ptr<FlightShot> flight;
        std::unique_ptr<ScreenCanvas16> canvas;
        int32_t frames = framesAFlight;
        for (auto _ : state) {
            if (frames == framesAFlight) {
                state.PauseTiming();
                canvas.reset();
                flight.reset();
                flight = std::make_unique<FlightShot>();
                if (flight->Load(mission, 1) != kStatusOk) {
                    state.SkipWithError("the mission cannot be flown");
                    break;
                }
                canvas = std::make_unique<ScreenCanvas16>(640, 480, nullptr, nullptr, flight->palette,
                                                          Canvas::kFlagHasDepth, 0, 0);
                canvas->EnableDepthTest();
                for (int32_t i = 0; i < untimedFrames; ++i) flight->Frame(*canvas);
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
}
