// Also built and run under ThreadSanitizer: the polling joysticks share
// their records with a timer thread.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "engine/input/Joystick.h"
#include "platform/MultimediaTimer.h"
#include "tests/support/FakeMultimediaTimer.h"
#include "tests/support/ScriptedInput.h"

namespace {

class ScopedTimer {
public:
    explicit ScopedTimer(platform::MultimediaTimer* timer) : previous_(platform::MultimediaTimer::Install(timer)) {}
    ~ScopedTimer() { platform::MultimediaTimer::Install(previous_); }

private:
    platform::MultimediaTimer* previous_;
};

platform::JoystickInfo Read(Joystick& joystick) {
    platform::JoystickInfo info;
    joystick.ReadState(&info);
    return info;
}

TEST(WinmmJoystick, AxesAreNormalisedToTheirReportedRanges) {
    struct Case {
        uint32_t minimum, maximum, position, expected;
    } const cases[] = {
        {0, 65535, 32767, 32767},      // (32767 << 16) / 65535
        {0, 65535, 65535, 65536},
        {100, 300, 200, 32768},
        {500, 500, 1234, 1234},        // no width: left raw
        {1000, 2000, 10, 0},           // below the range: clamped
        {0, 1, 0xFFFFFFFF, 65536},     // far above: clamped, not wrapped
    };
    for (const Case& c : cases) {
        ScriptedInput input;
        platform::JoystickCaps caps;
        caps.xMin = c.minimum;
        caps.xMax = c.maximum;
        caps.axes = 1;
        input.AttachJoystick(caps, false);
        WinmmJoystick joystick(input);
        ASSERT_EQ(joystick.Open(), 1u);
        input.FeedJoystickAxis(0, int32_t(c.position));
        input.FeedJoystickAxis(1, 777);   // one axis reported: y stays raw
        const platform::JoystickInfo info = Read(joystick);
        EXPECT_EQ(info.x, c.expected) << c.minimum << ".." << c.maximum << " at " << c.position;
        EXPECT_EQ(info.y, 777u);
        EXPECT_EQ(info.size, 52u);
        EXPECT_EQ(info.flags, 0xCFFu);
    }
}

TEST(WinmmJoystick, APressBetweenPolledReadsIsReportedOnce) {
    FakeMultimediaTimer timer;
    ScopedTimer scoped(&timer);
    ScriptedInput input;
    input.PlugJoystick();
    WinmmJoystick joystick(input);
    joystick.Open();
    ASSERT_TRUE(joystick.StartPolling(true, 10));
    const uint32_t id = timer.Started().back().id;
    input.FeedJoystickButton(2, true);
    timer.Fire(id);
    input.FeedJoystickButton(2, false);
    timer.Fire(id);
    EXPECT_EQ(Read(joystick).buttons, 4u);
    timer.Fire(id);
    EXPECT_EQ(Read(joystick).buttons, 0u);
    // Closing stops the timer; so does deleting a polling joystick.
    joystick.Close();
    EXPECT_FALSE(timer.IsRunning(id));
    uint32_t second = 0;
    {
        WinmmJoystick polling(input);
        polling.Open();
        polling.StartPolling(true, 10);
        second = timer.Started().back().id;
        EXPECT_TRUE(timer.IsRunning(second));
    }
    EXPECT_FALSE(timer.IsRunning(second));
}

// Closing ends the polling with its timer: reopened, the joystick is read
// afresh instead of giving the last polled record forever.
TEST(WinmmJoystick, ReopenedAfterPollingItReadsTheStickAgain) {
    FakeMultimediaTimer timer;
    ScopedTimer scoped(&timer);
    ScriptedInput input;
    input.PlugJoystick();
    WinmmJoystick joystick(input);
    joystick.Open();
    ASSERT_TRUE(joystick.StartPolling(true, 10));
    input.FeedJoystickAxis(0, 1000);
    timer.Fire(timer.Started().back().id);
    EXPECT_EQ(Read(joystick).x, 1000u);   // the polled copy stays raw
    joystick.Close();
    EXPECT_FALSE(joystick.IsPolling());
    ASSERT_EQ(joystick.Open(), 1u);
    input.FeedJoystickAxis(0, 65535);
    input.FeedJoystickButton(3, true);
    const platform::JoystickInfo info = Read(joystick);
    EXPECT_EQ(info.x, 65536u);
    EXPECT_EQ(info.buttons, 8u);
}

// A joystick pulled out between the game counting it and opening it is
// not there to open.
TEST(WinmmJoystick, AJoystickPulledOutBeforeItIsOpenedIsNotOpened) {
    ScriptedInput input;
    input.PlugJoystick();
    WinmmJoystick joystick(input);
    ASSERT_EQ(joystick.DeviceCount(), 1);
    input.DetachJoystick();
    EXPECT_EQ(joystick.Open(), 0u);
    EXPECT_EQ(joystick.DeviceCount(), 0);
    EXPECT_EQ(joystick.GetDevice(), nullptr);   // read through the system's joystick calls, not a device
}

// Polling turned off stops the timer; the joystick is read directly again.
TEST(WinmmJoystick, PollingTurnedOffReadsTheStickDirectly) {
    FakeMultimediaTimer timer;
    ScopedTimer scoped(&timer);
    ScriptedInput input;
    input.PlugJoystick();
    WinmmJoystick joystick(input);
    ASSERT_EQ(joystick.Open(), 1u);
    ASSERT_TRUE(joystick.StartPolling(true, 10));
    const uint32_t id = timer.Started().back().id;
    input.FeedJoystickAxis(0, 1000);
    timer.Fire(id);
    EXPECT_FALSE(joystick.StartPolling(false, 10));
    EXPECT_FALSE(timer.IsRunning(id));
    EXPECT_FALSE(joystick.IsPolling());
    input.FeedJoystickAxis(0, 65535);
    EXPECT_EQ(Read(joystick).x, 65536u);
}

TEST(TimedJoystick, PollingTurnedOffReadsItsDeviceDirectly) {
    FakeMultimediaTimer timer;
    ScopedTimer scoped(&timer);
    ScriptedInput input;
    ASSERT_TRUE(input.OpenInput(nullptr));
    input.PlugJoystick(false);
    TimedJoystick joystick(input);
    ASSERT_NE(joystick.GetDevice(), nullptr);
    EXPECT_FALSE(joystick.StartPolling(true, 10)) << "not open";
    joystick.Open();
    ASSERT_TRUE(joystick.StartPolling(true, 10));
    const uint32_t id = timer.Started().back().id;
    EXPECT_FALSE(joystick.StartPolling(false, 10));
    EXPECT_FALSE(timer.IsRunning(id));
    input.FeedJoystickButton(2, true);
    EXPECT_EQ(Read(joystick).buttons, 4u);
    input.FeedJoystickButton(2, false);
    EXPECT_EQ(Read(joystick).buttons, 0u);
    joystick.Close();
}

TEST(TimedJoystick, ReadsButtonsHatAndPressesBetweenReads) {
    FakeMultimediaTimer timer;
    ScopedTimer scoped(&timer);
    ScriptedInput input;
    ASSERT_TRUE(input.OpenInput(nullptr));
    input.PlugJoystick(false);
    TimedJoystick joystick(input);
    ASSERT_EQ(joystick.DeviceCount(), 1);
    // Closed: all zeros, size included.
    EXPECT_EQ(Read(joystick).size, 0u);
    joystick.Open();
    input.FeedJoystickAxis(0, 1234);
    input.FeedJoystickButton(1, true);
    platform::JoystickInfo info = Read(joystick);
    EXPECT_EQ(info.size, 52u);
    EXPECT_EQ(info.x, 1234u);
    EXPECT_EQ(info.buttons, 2u);
    EXPECT_EQ(info.pov, 0xFFFFu);   // no hat
    input.FeedJoystickButton(1, false);

    ASSERT_TRUE(joystick.StartPolling(true, 10));
    input.FeedJoystickButton(5, true);
    input.FeedJoystickButton(5, false);
    timer.Fire(timer.Started().back().id);
    EXPECT_EQ(Read(joystick).buttons, 32u);
    EXPECT_EQ(Read(joystick).buttons, 0u);
    joystick.Close();
    EXPECT_EQ(timer.RunningCount(), 0);
    EXPECT_EQ(Read(joystick).size, 0u);
}

TEST(TimedJoystick, WithAHatItsPositionIsReported) {
    ScriptedInput input;
    input.OpenInput(nullptr);
    input.PlugJoystick(true);
    TimedJoystick joystick(input);
    joystick.Open();
    input.FeedJoystickHat(9000);
    EXPECT_EQ(Read(joystick).pov, 9000u);
}

// On the real timer thread: the polled record is written there while the
// game thread copies and clears it, and deleting a polling joystick must
// stop the thread first. ThreadSanitizer watches this one.
TEST(WinmmJoystick, PollingOnTheTimerThreadSharesItsRecordSafely) {
    ScriptedInput input;
    input.PlugJoystick();
    auto joystick = std::make_unique<WinmmJoystick>(input);
    joystick->Open();
    ASSERT_TRUE(joystick->StartPolling(true, 1));
    uint32_t seen = 0;
    for (int i = 0; i < 200; ++i) {
        input.FeedJoystickButton(i % 8, (i & 1) == 0);
        seen |= Read(*joystick).buttons;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    joystick.reset();
    EXPECT_NE(seen, 0u);
}

}  // namespace
