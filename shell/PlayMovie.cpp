#include "shell/PlayMovie.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "display/Canvas.h"
#include "display/MoviePlayer.h"
#include "display/SurfaceDisplayDriver.h"
#include "engine/input/InputSystem.h"
#include "game/GameState.h"
#include "platform/Clock.h"
#include "platform/SteppedClock.h"
#include "platform/Window.h"
#include "shell/Startup.h"

namespace {

// Between frames: the movie runs at 25 frames a second at most.
constexpr auto kFramePause = std::chrono::milliseconds(10);
constexpr uint32_t kFarthestDepth = 0xFFFFFFFF;
// Where the window kind shows the movie: a 320 x 240 picture in the middle
// of the 640 x 480 window.
constexpr int32_t kMovieLeft = 160;
constexpr int32_t kMovieTop = 120;
constexpr int32_t kMovieWidth = 320;
constexpr int32_t kMovieHeight = 240;

void ClearAndShow() {
    if (g_gameCanvas != nullptr) g_gameCanvas->Clear(0, kFarthestDepth);
    if (g_display != nullptr) {
        g_display->InvalidateAll();
        g_display->Present();
    }
}

}  // namespace

int32_t PlayMovie(const char* path, uint32_t noSkipMs) {
    // No movie, no flash of black frames and no pause of the devices.
    std::error_code error;
    if (path == nullptr || !std::filesystem::is_regular_file(path, error)) return kMovieFileMissing;
    if (g_display == nullptr) return kMovieNoObject;
    InputSystem* const input = g_gameState != nullptr ? g_gameState->Input() : nullptr;
    if (input != nullptr) input->ResetDevices();
    ClearAndShow();
    ClearAndShow();

    // Display surfaces take the stream kind; the DIB display the window kind,
    // whose video window shows the movie in the middle of the main window.
    auto* const surfaces = dynamic_cast<SurfaceDisplayDriver*>(g_display);
    const bool stream = surfaces != nullptr && surfaces->directDraw != nullptr && surfaces->backBuffer != nullptr;
    std::unique_ptr<MoviePlayer> player;
    int32_t result = kMovieOk;
    if (stream) {
        player = std::make_unique<StreamMoviePlayer>(surfaces->directDraw.get(), surfaces->backBuffer);
        result = player->Open(path, 0);
    } else {
        auto graph = std::make_unique<GraphMoviePlayer>(g_mainWindow);
        result = graph->Open(path, 0);
        if (result == kMovieOk) graph->SetDestinationRect(kMovieLeft, kMovieTop, kMovieWidth, kMovieHeight);
        player = std::move(graph);
    }
    if (result == kMovieOk) result = player->Play();
    if (result == kMovieOk) {
        bool skip = false;
        platform::Window::Procedure previous;
        if (g_mainWindow != nullptr) {
            previous = g_mainWindow->SetProcedure([&skip, &previous](platform::Window& self,
                                                                   const platform::WindowMessage& message) {
                if (message.type == platform::WindowMessageType::kKeyDown ||
                    message.type == platform::WindowMessageType::kMouseButtonDown) {
                    skip = true;
                }
                return previous && previous(self, message);
            });
        }
        const uint32_t start = platform::Clock::Current().Milliseconds();
        for (;;) {
            if (g_mainWindow != nullptr && !g_mainWindow->PumpMessages()) break;
            player->RenderFrame();
            if (stream) {
                g_display->InvalidateAll();
                g_display->Present();
            }
            if (player->Update() == 0) break;
            // A press before the no-skip time is forgotten.
            const uint32_t elapsed = platform::Clock::Current().Milliseconds() - start;
            if (skip && elapsed >= noSkipMs) break;
            skip = false;
            // Under a stepped clock (a run without a window) the movie's time
            // is the clock's: it moves by the pause instead of waiting it out.
            if (auto* const stepped = dynamic_cast<platform::SteppedClock*>(&platform::Clock::Current())) {
                stepped->Advance(uint32_t(kFramePause.count()));
            } else {
                std::this_thread::sleep_for(kFramePause);
            }
        }
        if (g_mainWindow != nullptr) g_mainWindow->SetProcedure(std::move(previous));
    }
    player->Stop();
    player->Close();
    if (input != nullptr) input->OpenDevices();
    return result;
}
