#include "shell/PlayMovie.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "display/DirectDrawDriver.h"
#include "display/MoviePlayer.h"
#include "display/PixelFormat.h"
#include "engine/input/InputSystem.h"
#include "game/GameState.h"
#include "platform/Clock.h"
#include "platform/Window.h"
#include "shell/Startup.h"
#include "tests/support/DistinctPalette.h"
#include "tests/support/FakeClock.h"
#include "tests/support/ScopedDisplay.h"
#include "tests/support/ScopedEngineHeap.h"
#include "tests/support/ScriptedInput.h"

namespace {

const std::string kIntro = std::string(VORN_SOURCE_DIR) + "/tools/mkdata/movies/intro.mpg";

// The globals PlayMovie plays against: a DirectDraw display, the main
// window and a game state holding the devices; time moves 20 ms a read.
class PlayMovieTest : public ::testing::Test {
protected:
    void SetUp() override {
        previousClock_ = platform::Clock::Install(&clock_);
        clock_.SetAdvancePerRead(20);
        window_ = platform::Window::CreateHeadless("test", 640, 480, false);
        g_mainWindow = window_.get();
        display_ = std::unique_ptr<DirectDrawDriver>(new DirectDrawDriver(window_.get()));
        ASSERT_EQ(display_->SetMode(640, 480, 16, palette_.get(), 0), kDisplayOk);
        g_display = display_.get();
        game_ = std::make_unique<GameState>();
        system_ = new DirectInputSystem(window_.get());
        system_->OpenDevices();
        game_->TakeInputSystem(system_);
        g_gameState = game_.get();
        // Records whether the keyboard was open at each message of the movie.
        window_->SetProcedure([this](platform::Window&, const platform::WindowMessage&) {
            keyboardOpen_.push_back(system_->IsKeyboardActive());
            return false;
        });
    }
    void TearDown() override {
        g_gameState = nullptr;
        g_display = nullptr;
        g_mainWindow = nullptr;
        game_.reset();
        display_.reset();
        window_.reset();
        platform::Clock::Install(previousClock_);
    }
    void PostKey() {
        platform::WindowMessage key;
        key.type = platform::WindowMessageType::kKeyDown;
        window_->Post(key);
    }

    const ScopedEngineHeap heap_{8 * 1024 * 1024};
    FakeClock clock_;
    platform::Clock* previousClock_ = nullptr;
    ScriptedInput input_;
    ScopedDisplay screen_;
    std::unique_ptr<Palette> palette_ = MakeDistinctPalette(kPixelFormatRgb565);
    std::unique_ptr<platform::Window> window_;
    std::unique_ptr<DirectDrawDriver> display_;
    std::unique_ptr<GameState> game_;
    DirectInputSystem* system_ = nullptr;
    std::vector<bool> keyboardOpen_;
};

TEST_F(PlayMovieTest, TheDevicesAreClosedForTheMovieAndOpenedAfter) {
    PostKey();
    const uint32_t before = clock_.Milliseconds();
    // A key within the no-skip time is forgotten: the movie plays to its end.
    EXPECT_EQ(PlayMovie(kIntro.c_str(), 5000), kMovieOk);
    EXPECT_GE(clock_.Milliseconds() - before, 1400u);
    ASSERT_FALSE(keyboardOpen_.empty());
    EXPECT_FALSE(keyboardOpen_.front());
    EXPECT_TRUE(system_->IsKeyboardActive());
    EXPECT_GT(screen_.Presenter().FrameCount(), 10);
}

TEST_F(PlayMovieTest, AKeyAfterTheNoSkipTimeEndsTheMovie) {
    PostKey();
    const uint32_t before = clock_.Milliseconds();
    EXPECT_EQ(PlayMovie(kIntro.c_str(), 0), kMovieOk);
    EXPECT_LT(clock_.Milliseconds() - before, 500u);
    EXPECT_TRUE(system_->IsKeyboardActive());
    // No file: nothing shown, the devices left alone.
    const int32_t frames = screen_.Presenter().FrameCount();
    EXPECT_EQ(PlayMovie("/no/such/movie.mpg", 0), kMovieFileMissing);
    EXPECT_EQ(screen_.Presenter().FrameCount(), frames);
}

}  // namespace
