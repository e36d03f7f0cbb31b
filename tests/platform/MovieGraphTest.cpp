// The movie graph, the window kind's player, on a headless window and a
// clock the test moves.
#include "platform/MovieGraph.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/Window.h"
#include "tests/support/FakeClock.h"
#include "tests/support/MovieBuilder.h"
#include "tests/support/ScopedDisplay.h"
#include "tests/support/TempDir.h"

namespace {

bool Near(uint32_t pixel, uint32_t expected) {
    for (int shift : {16, 8, 0}) {
        if (std::abs(int((pixel >> shift) & 0xFF) - int((expected >> shift) & 0xFF)) > 24) return false;
    }
    return true;
}

class MovieGraphTest : public ::testing::Test {
protected:
    void SetUp() override { previousClock_ = platform::Clock::Install(&clock_); }
    void TearDown() override { platform::Clock::Install(previousClock_); }

    // The graph of `path`, running, its picture over the whole window.
    std::unique_ptr<platform::MovieGraph> Run(const std::string& path) {
        std::unique_ptr<platform::MovieGraph> graph;
        EXPECT_EQ(platform::MovieGraph::Create(&graph), platform::kDeviceOk);
        EXPECT_EQ(graph->RenderFile(path), platform::kDeviceOk);
        graph->SetOwner(window_.get());
        graph->SetDestinationPosition(0, 0, 64, 48);
        EXPECT_EQ(graph->Run(), platform::kDeviceOk);
        return graph;
    }

    FakeClock clock_;
    platform::Clock* previousClock_ = nullptr;
    ScopedDisplay display_;
    std::unique_ptr<platform::Window> window_ = platform::Window::CreateHeadless("test", 64, 48, false);
    const TempDir dir_;
};

// Bare MPEG-1 pictures say nothing of their length: the graph is complete
// once the last frame has had its time, as the player's loop sees it.
TEST_F(MovieGraphTest, AMovieOfUnknownLengthIsCompleteAfterItsLastFrame) {
    const std::vector<uint32_t> colours = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFFFFFF, 0x00FFFF};
    std::string reason;
    const std::string path = dir_.Str() + "/bare.m1v";
    ASSERT_TRUE(MovieBuilder().Pictures(64, 48, 25, colours).Write(path, "mpeg1video", &reason)) << reason;
    const std::unique_ptr<platform::MovieGraph> graph = Run(path);
    double duration = -1;
    ASSERT_EQ(graph->GetDuration(&duration), platform::kDeviceOk);
    ASSERT_EQ(duration, 0.0);   // unknown

    int32_t code = 0;
    int64_t completeMs = -1;
    bool lastShown = false;
    for (int64_t now = 0; now <= 2000 && completeMs < 0; now += 10) {
        graph->Show();
        lastShown = lastShown || Near(display_.Presenter().Rgb(32, 24), colours.back());
        if (graph->GetEvent(&code)) completeMs = now;
        clock_.Advance(10);
    }
    EXPECT_EQ(code, platform::kGraphEventComplete);
    EXPECT_TRUE(lastShown);
    // Six frames of 40 ms.
    EXPECT_GE(completeMs, 240);
    EXPECT_LE(completeMs, 260);
    EXPECT_FALSE(graph->GetEvent(&code));   // once
}

// Without a window to show in, the movie still runs to its end.
TEST_F(MovieGraphTest, AnUnseenMovieOfUnknownLengthEndsToo) {
    std::string reason;
    const std::string path = dir_.Str() + "/bare.m1v";
    ASSERT_TRUE(MovieBuilder().Pictures(64, 48, 25, {0x808080, 0x404040}).Write(path, "mpeg1video", &reason)) << reason;
    const std::unique_ptr<platform::MovieGraph> graph = Run(path);
    graph->SetVisible(false);
    int32_t code = 0;
    EXPECT_FALSE(graph->GetEvent(&code));
    clock_.Advance(79);
    EXPECT_FALSE(graph->GetEvent(&code));
    clock_.Advance(1);
    ASSERT_TRUE(graph->GetEvent(&code));
    EXPECT_EQ(code, platform::kGraphEventComplete);
}

// The player sizes its picture from the movie's and may show a part of it;
// a part of no area, or of a graph with no movie, is refused.
TEST_F(MovieGraphTest, TheVideoSizeIsTheFilesAndASourceMustBeAnArea) {
    std::unique_ptr<platform::MovieGraph> empty;
    ASSERT_EQ(platform::MovieGraph::Create(&empty), platform::kDeviceOk);
    int32_t width = 0;
    int32_t height = 0;
    EXPECT_EQ(empty->GetVideoSize(&width, &height), platform::kDeviceFailed);
    EXPECT_EQ(empty->SetSourcePosition(0, 0, 16, 16), platform::kDeviceInvalidArguments);

    std::string reason;
    const std::string path = dir_.Str() + "/bare.m1v";
    ASSERT_TRUE(MovieBuilder().Pictures(32, 16, 25, {0x00FF00, 0x00FF00}).Write(path, "mpeg1video", &reason)) << reason;
    const std::unique_ptr<platform::MovieGraph> graph = Run(path);
    ASSERT_EQ(graph->GetVideoSize(&width, &height), platform::kDeviceOk);
    EXPECT_EQ(width, 32);
    EXPECT_EQ(height, 16);
    EXPECT_EQ(graph->GetVideoSize(&width, nullptr), platform::kDeviceFailed);
    EXPECT_EQ(graph->SetSourcePosition(0, 0, 0, 16), platform::kDeviceInvalidArguments);
    EXPECT_EQ(graph->SetSourcePosition(0, 0, 16, -1), platform::kDeviceInvalidArguments);
    // A quarter of the picture, stretched over the whole window.
    ASSERT_EQ(graph->SetSourcePosition(8, 4, 16, 8), platform::kDeviceOk);
    graph->Show();
    EXPECT_TRUE(Near(display_.Presenter().Rgb(0, 0), 0x00FF00));
    EXPECT_TRUE(Near(display_.Presenter().Rgb(63, 47), 0x00FF00));
}

}  // namespace
