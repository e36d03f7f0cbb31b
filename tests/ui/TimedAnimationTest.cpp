#include "ui/TimedAnimation.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "game/DrawString.h"
#include "tests/support/FakeClock.h"
#include "tests/support/RecordingCanvas.h"

namespace {

Bitmap* Cel(uint8_t colour) {
    auto* const cel = new Bitmap;
    EXPECT_EQ(cel->Create(4, 4, Bitmap::kDepth8Bit, true), kStatusOk);
    cel->pixels[0] = colour;
    return cel;
}

class TimedAnimationTest : public ::testing::Test {
protected:
    TimedAnimationTest() : previousClock_(platform::Clock::Install(&clock_)) { clock_.SetMilliseconds(1000); }
    ~TimedAnimationTest() override { platform::Clock::Install(previousClock_); }

    // Frames shown and results of `calls` Advance calls, `stepMs` apart.
    static std::vector<std::pair<int32_t, int32_t>> Play(TimedAnimation& animation, FakeClock& clock, int calls,
                                                         uint32_t stepMs) {
        std::vector<std::pair<int32_t, int32_t>> out;
        for (int i = 0; i < calls; ++i) {
            clock.Advance(stepMs);
            const int32_t result = animation.Advance();
            out.push_back({animation.currentFrame, result});
        }
        return out;
    }

    FakeClock clock_;
    platform::Clock* previousClock_;
};

using Steps = std::vector<std::pair<int32_t, int32_t>>;

TEST_F(TimedAnimationTest, AdvanceStepsAfterTheDelayAndStopsOrWraps) {
    TimedAnimation idle("Idle", nullptr, nullptr, 0, TimedAnimation::kModeLoop);
    idle.AddFrame(Cel(1));
    idle.AddFrame(Cel(2));
    EXPECT_EQ(Play(idle, clock_, 3, 1000), (Steps{{0, 1}, {0, 1}, {0, 1}}));   // delay 0 never steps

    TimedAnimation single("One", nullptr, nullptr, 10, TimedAnimation::kModeForward);
    single.AddFrame(Cel(1));
    EXPECT_EQ(single.Advance(), 0);

    TimedAnimation loop("Loop", nullptr, nullptr, 10, TimedAnimation::kModeLoop);
    for (uint8_t i = 0; i < 4; ++i) loop.AddFrame(Cel(i));
    EXPECT_EQ(Play(loop, clock_, 6, 20), (Steps{{1, 1}, {2, 1}, {3, 1}, {0, 0}, {1, 1}, {2, 1}}));
    EXPECT_EQ(loop.SetFrame(4), 0);
    EXPECT_EQ(loop.currentFrame, 2);
}

// More than the delay must pass, and a step across the clock's wrap counts
// one millisecond less.
TEST_F(TimedAnimationTest, DelayIsStrictAndCountsAcrossTheClockWrap) {
    TimedAnimation animation("Door", nullptr, nullptr, 10, TimedAnimation::kModeForward);
    for (uint8_t i = 0; i < 4; ++i) animation.AddFrame(Cel(i));
    clock_.Advance(10);
    animation.Advance();
    EXPECT_EQ(animation.currentFrame, 0);
    clock_.SetMilliseconds(0xFFFFFFFAu);
    animation.MarkStep();
    clock_.SetMilliseconds(5);   // 11 later, counted as 10: not more than the delay
    animation.Advance();
    EXPECT_EQ(animation.currentFrame, 0);
    clock_.SetMilliseconds(6);
    animation.Advance();
    EXPECT_EQ(animation.currentFrame, 1);
}

// Only cels have a place on the screen: frames handed to the constructor
// are never drawn; a cel frame is blitted keyed at its position.
TEST_F(TimedAnimationTest, DrawsCelFramesOnly) {
    RecordingCanvas canvas;
    Canvas* const previous = std::exchange(g_gameCanvas, &canvas);
    DynArray<PixelImage*> frames;
    auto* const image = new PixelImage(PixelImage::kFormat8Bit);
    ASSERT_EQ(image->Create(4, 4, 8, false), kStatusOk);
    frames.Append(image);
    TimedAnimation given("Given", &frames, nullptr, 10, TimedAnimation::kModeLoop);
    EXPECT_EQ(frames.Count(), 0);
    given.Draw();
    EXPECT_TRUE(canvas.CallsOf("BlitImage").empty());

    TimedAnimation cels("Cels", nullptr, nullptr, 10, TimedAnimation::kModeLoop);
    Bitmap* const cel = Cel(9);
    cel->x = 30;
    cel->y = 40;
    cels.AddFrame(cel);
    cels.LockFrames();
    cels.Draw();
    const std::vector<CanvasCall> blits = canvas.CallsOf("BlitImage");
    ASSERT_EQ(blits.size(), 1u);
    EXPECT_EQ(blits[0].rect->x, 30);
    EXPECT_EQ(blits[0].rect->y, 40);
    // A held frame skips one draw only.
    cels.hold = 1;
    cels.Draw();
    cels.Draw();
    EXPECT_EQ(canvas.CallsOf("BlitImage").size(), 2u);
    g_gameCanvas = previous;
}

}  // namespace
