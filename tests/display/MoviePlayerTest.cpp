#include "display/MoviePlayer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/Clock.h"
#include "platform/DisplayAdapter.h"
#include "platform/DisplayDevice.h"
#include "platform/MovieGraph.h"
#include "platform/MultimediaStream.h"
#include "platform/Window.h"
#include "tests/support/FakeClock.h"
#include "tests/support/ScopedDisplay.h"
#include "tests/support/ScopedEngineHeap.h"
#include "tests/support/TempDir.h"

namespace {

const std::string kIntro = std::string(VORN_SOURCE_DIR) + "/tools/mkdata/movies/intro.mpg";

// The stream player on a 640 x 480 (or smaller) 5-6-5 target, timed by a
// clock the test moves.
class MoviePlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        previousClock_ = platform::Clock::Install(&clock_);
        ASSERT_EQ(display_.Adapter().Open(&device_), platform::kDeviceOk);
    }
    void TearDown() override {
        player_.reset();
        target_.reset();
        device_.reset();
        platform::Clock::Install(previousClock_);
    }
    void MakePlayer(int32_t width = 640, int32_t height = 480) {
        platform::SurfaceDescription d;
        d.width = width;
        d.height = height;
        d.caps = platform::kCapsOffscreen | platform::kCapsSystemMemory;
        d.format = platform::kLayoutRgb565;
        ASSERT_EQ(device_->CreateSurface(d, &target_), platform::kDeviceOk);
        player_ = std::make_unique<StreamMoviePlayer>(device_.get(), target_);
    }
    uint16_t At(int32_t x, int32_t y) const {
        return reinterpret_cast<const uint16_t*>(target_->Memory() + size_t(y) * size_t(target_->Pitch()))[x];
    }

    const ScopedEngineHeap heap_{8 * 1024 * 1024};
    FakeClock clock_;
    platform::Clock* previousClock_ = nullptr;
    ScopedDisplay display_;
    std::unique_ptr<platform::DisplayDevice> device_;
    std::shared_ptr<platform::Surface> target_;
    std::unique_ptr<StreamMoviePlayer> player_;
};

TEST_F(MoviePlayerTest, ResultCodesFollowTheStateOfThePlayer) {
    MakePlayer();
    const int32_t created = platform::MultimediaStream::CreatedCount();
    EXPECT_EQ(player_->Open(nullptr, 0), kMovieBadArgument);
    EXPECT_EQ(player_->Open("/no/such/movie.mpg", 0), kMovieFileMissing);
    EXPECT_EQ(platform::MultimediaStream::CreatedCount(), created);   // nothing was made for it
    EXPECT_EQ(player_->Play(), kMovieNotOpen);
    EXPECT_EQ(player_->GetPosition(), uint32_t(kMovieNotOpen));
    const TempDir dir;
    dir.WriteFile("text.mpg", "not a movie");
    EXPECT_EQ(player_->Open((dir.Str() + "/text.mpg").c_str(), 0), kMovieNotAMovie);
    ASSERT_EQ(player_->Open(kIntro.c_str(), 0), kMovieOk);
    EXPECT_EQ(player_->Open(kIntro.c_str(), 0), kMovieAlreadyOpen);
    EXPECT_EQ(player_->Pause(), kMovieNotPlaying);
    EXPECT_EQ(player_->Resume(), kMovieNotPlaying);
    EXPECT_EQ(player_->Play(), kMovieOk);
    EXPECT_EQ(player_->Resume(), kMovieOk);
    EXPECT_EQ(player_->state, MoviePlayer::kPlaying);
    MovieInfo info;
    ASSERT_EQ(player_->GetInfo(&info), kMovieOk);
    EXPECT_EQ(info.width, 320);
    EXPECT_EQ(info.height, 240);
    EXPECT_NEAR(double(info.durationMs), 1500.0, 100.0);
}

TEST_F(MoviePlayerTest, FramesAreCentredAndTimedByTheClock) {
    MakePlayer();
    ASSERT_EQ(player_->Open(kIntro.c_str(), 0), kMovieOk);
    EXPECT_EQ(player_->destination.left, 160);
    EXPECT_EQ(player_->destination.top, 120);
    EXPECT_EQ(player_->destination.right, 480);
    EXPECT_EQ(player_->destination.bottom, 360);
    ASSERT_EQ(player_->Play(), kMovieOk);
    player_->RenderFrame();
    // The first bar (75% grey) at the top left of the picture.
    const uint16_t grey = At(160 + 10, 120 + 40);
    EXPECT_NEAR((grey >> 11) & 0x1F, 0xBF >> 3, 3);
    EXPECT_EQ(At(100, 100), 0);   // outside the picture
    clock_.Advance(500);
    EXPECT_NEAR(double(player_->GetPosition()), 500.0, 1.0);
    EXPECT_EQ(player_->Pause(), kMovieOk);
    clock_.Advance(300);
    EXPECT_NEAR(double(player_->GetPosition()), 500.0, 1.0);   // paused: time stands
    EXPECT_EQ(player_->Resume(), kMovieOk);
    clock_.Advance(2000);
    // Past the end: stopped and back at the start.
    EXPECT_EQ(player_->Update(), 0u);
    EXPECT_EQ(player_->GetPosition(), 0u);
}

TEST_F(MoviePlayerTest, AMovieLargerThanTheTargetStartsAtItsCorner) {
    MakePlayer(200, 100);
    ASSERT_EQ(player_->Open(kIntro.c_str(), 0), kMovieOk);
    EXPECT_EQ(player_->destination.left, 0);
    EXPECT_EQ(player_->destination.top, 0);
    EXPECT_EQ(player_->destination.right, 200);
    EXPECT_EQ(player_->destination.bottom, 100);
    ASSERT_EQ(player_->Play(), kMovieOk);
    player_->RenderFrame();
    EXPECT_NE(At(10, 40), 0);
}

// A part of the picture can be shown anywhere on the target, and the
// movie can be moved to a time of the caller's.
TEST_F(MoviePlayerTest, SourceAndDestinationPickWhichPartShowsWhereAndSeekMovesTheMovie) {
    MakePlayer();
    EXPECT_EQ(player_->SetSourceRect(0, 0, 10, 10), kMovieNotOpen);
    EXPECT_EQ(player_->SetDestinationRect(0, 0, 10, 10), kMovieNotOpen);
    EXPECT_EQ(player_->Seek(100), kMovieNotOpen);
    ASSERT_EQ(player_->Open(kIntro.c_str(), 0), kMovieOk);
    ASSERT_EQ(player_->Play(), kMovieOk);
    player_->RenderFrame();
    // Whole and centred: the picture's column 200 is the target's 360.
    const uint16_t leftBar = At(160 + 10, 120 + 40), laterBar = At(160 + 200, 120 + 40);
    ASSERT_NE(leftBar, laterBar);

    // The right half of the picture at the target's top left corner.
    ASSERT_EQ(player_->SetSourceRect(160, 0, 160, 240), kMovieOk);
    ASSERT_EQ(player_->SetDestinationRect(0, 0, 160, 240), kMovieOk);
    player_->RenderFrame();
    EXPECT_EQ(At(40, 40), laterBar);
    EXPECT_EQ(At(200, 40), 0) << "nothing drawn right of the destination";

    ASSERT_EQ(player_->Seek(1000), kMovieOk);
    EXPECT_NEAR(double(player_->GetPosition()), 1000.0, 1.0);
    clock_.Advance(200);
    EXPECT_NEAR(double(player_->GetPosition()), 1200.0, 1.0) << "it plays on from there";
}

// Without a target the player decodes but draws nowhere, and keeps the
// picture's own rectangle as its destination.
TEST_F(MoviePlayerTest, APlayerWithoutATargetPlaysWithoutDrawing) {
    player_ = std::make_unique<StreamMoviePlayer>(device_.get(), nullptr);
    ASSERT_EQ(player_->Open(kIntro.c_str(), 0), kMovieOk);
    EXPECT_EQ(player_->destination.left, 0);
    EXPECT_EQ(player_->destination.top, 0);
    EXPECT_EQ(player_->destination.right, 320);
    EXPECT_EQ(player_->destination.bottom, 240);
    ASSERT_EQ(player_->Play(), kMovieOk);
    player_->RenderFrame();
    clock_.Advance(2000);
    player_->RenderFrame();
    EXPECT_EQ(player_->Update(), 0u) << "the end is still noticed";
}

}  // namespace

namespace {

// The window kind: its video window's picture goes to the presenter as the
// owner window's, with the movie at the destination rectangle.
class GraphMoviePlayerTest : public ::testing::Test {
protected:
    void SetUp() override { previousClock_ = platform::Clock::Install(&clock_); }
    void TearDown() override {
        player_.reset();
        platform::MovieGraph::SetFullScreenSupported(true);
        platform::Clock::Install(previousClock_);
    }

    const ScopedEngineHeap heap_{8 * 1024 * 1024};
    FakeClock clock_;
    platform::Clock* previousClock_ = nullptr;
    ScopedDisplay display_;
    std::unique_ptr<platform::Window> window_ = platform::Window::CreateHeadless("test", 640, 480, false);
    std::unique_ptr<GraphMoviePlayer> player_ = std::make_unique<GraphMoviePlayer>(window_.get());
};

TEST_F(GraphMoviePlayerTest, ResultCodesOfTheWindowKind) {
    EXPECT_EQ(GraphMoviePlayer(nullptr).Open(kIntro.c_str(), 0), kMovieBadArgument);
    EXPECT_EQ(player_->GetPosition(), 0u);   // no movie: 0 from this kind
    const TempDir dir;
    dir.WriteFile("text.mpg", "not a movie");
    EXPECT_EQ(player_->Open((dir.Str() + "/text.mpg").c_str(), 0), kMovieCallFailed);
    platform::MovieGraph::SetFullScreenSupported(false);
    EXPECT_EQ(player_->Open(kIntro.c_str(), MoviePlayer::kFullScreen), kMovieFullScreenRefused);
    player_->Close();
    ASSERT_EQ(player_->Open(kIntro.c_str(), 0), kMovieOk);   // refused, but not asked for
    EXPECT_EQ(player_->Pause(), kMovieNotPlaying);
    EXPECT_EQ(player_->Play(), kMovieOk);
    EXPECT_EQ(player_->Pause(), kMovieOk);
    EXPECT_EQ(player_->Pause(), kMovieOk);
    EXPECT_EQ(player_->Resume(), kMovieOk);
}

TEST_F(GraphMoviePlayerTest, TheMovieShowsAtItsDestinationUntilItIsComplete) {
    ASSERT_EQ(player_->Open(kIntro.c_str(), 0), kMovieOk);
    ASSERT_EQ(player_->SetDestinationRect(160, 120, 320, 240), kMovieOk);
    ASSERT_EQ(player_->Play(), kMovieOk);
    player_->RenderFrame();
    ASSERT_EQ(display_.Presenter().Width(), 640);
    const uint32_t grey = display_.Presenter().Rgb(160 + 10, 120 + 40);
    EXPECT_NEAR(int((grey >> 16) & 0xFF), 0xBF, 24);
    EXPECT_EQ(display_.Presenter().Rgb(100, 100), 0u);
    clock_.Advance(700);
    EXPECT_NEAR(double(player_->GetPosition()), 700.0, 1.0);
    EXPECT_EQ(player_->Update(), MoviePlayer::kPlaying);
    clock_.Advance(1000);
    EXPECT_EQ(player_->Update(), 0u);   // complete: stopped
    EXPECT_EQ(player_->GetPosition(), 0u);
}

TEST_F(GraphMoviePlayerTest, InfoSeekAndTheSourcePartOfTheWindowKind) {
    MovieInfo info;
    EXPECT_EQ(player_->GetInfo(nullptr), kMovieBadArgument);
    EXPECT_EQ(player_->GetInfo(&info), kMovieNotOpen);
    EXPECT_EQ(player_->Seek(100), kMovieNotOpen);
    EXPECT_EQ(player_->SetSourceRect(0, 0, 10, 10), kMovieNotOpen);
    ASSERT_EQ(player_->Open(kIntro.c_str(), 0), kMovieOk);
    ASSERT_EQ(player_->GetInfo(&info), kMovieOk);
    EXPECT_EQ(info.width, 320);
    EXPECT_EQ(info.height, 240);
    EXPECT_NEAR(double(info.durationMs), 1500.0, 100.0);

    ASSERT_EQ(player_->SetDestinationRect(0, 0, 320, 240), kMovieOk);
    ASSERT_EQ(player_->Play(), kMovieOk);
    player_->RenderFrame();
    const uint32_t laterBar = display_.Presenter().Rgb(200, 40);
    ASSERT_NE(display_.Presenter().Rgb(10, 40), laterBar);
    // The right half of the picture, stretched to the destination.
    ASSERT_EQ(player_->SetSourceRect(160, 0, 160, 240), kMovieOk);
    clock_.Advance(100);   // the window shows only a new frame
    player_->RenderFrame();
    EXPECT_EQ(display_.Presenter().Rgb(80, 40), laterBar);

    // A seek stops the movie where it is put.
    ASSERT_EQ(player_->Seek(900), kMovieOk);
    EXPECT_EQ(player_->state, 0u);
    EXPECT_NEAR(double(player_->GetPosition()), 900.0, 1.0);
}

}  // namespace
