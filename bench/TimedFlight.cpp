#include "bench/TimedFlight.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "canvas/ScreenCanvas16.h"
#include "display/PixelFormat.h"
#include "scene/OstrelSystem.h"
#include "tools/flightshot/FlightShot.h"

namespace {

// FNV-1a over the picture's rows, the padding between them left out.
uint64_t PictureHash(const Canvas& canvas) {
    uint64_t hash = 0xCBF29CE484222325ull;
    const int32_t rowBytes = canvas.width * 2;
    for (int32_t y = 0; y < canvas.height; ++y) {
        const uint8_t* row = canvas.Row(y);
        for (int32_t x = 0; x < rowBytes; ++x) hash = (hash ^ row[x]) * 0x100000001B3ull;
    }
    return hash;
}

// With VORN_BENCH_FRAME_HASHES naming a file, every frame flown (the
// untimed ones too) appends its picture's hash there, so that two builds
// can be shown to draw the same flight. Hashing is paid in the timings.
class FrameHashLog {
public:
    explicit FrameHashLog(const char* mission) {
        const char* path = std::getenv("VORN_BENCH_FRAME_HASHES");
        if (path == nullptr || *path == '\0') return;
        file_ = std::fopen(path, "a");
        if (file_ != nullptr) std::fprintf(file_, "flight %s\n", mission);
    }
    ~FrameHashLog() {
        if (file_ != nullptr) std::fclose(file_);
    }
    FrameHashLog(const FrameHashLog&) = delete;
    FrameHashLog& operator=(const FrameHashLog&) = delete;

    void Frame(const Canvas& canvas) {
        if (file_ == nullptr) return;
        std::fprintf(file_, "%d %016llx\n", frame_++, static_cast<unsigned long long>(PictureHash(canvas)));
    }
    void Restart() { frame_ = 0; }

private:
    std::FILE* file_ = nullptr;
    int32_t frame_ = 0;
};

}  // namespace

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
        FrameHashLog hashes(mission);
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
                hashes.Restart();
                for (int32_t i = 0; i < untimedFrames; ++i) {
                    flight->Frame(*canvas);
                    hashes.Frame(*canvas);
                }
                frames = 0;
                state.ResumeTiming();
            }
            flight->Frame(*canvas);
            hashes.Frame(*canvas);
            ++frames;
        }
        canvas.reset();
        flight.reset();
    }
    g_pixelFormat = previousFormat;
}
