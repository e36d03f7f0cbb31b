#include "engine/TimerSystem.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <set>
#include <vector>

#include "engine/Clock.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeCpu.h"
#include "tests/support/FakeMultimediaTimer.h"
#include "tests/support/ScopedInstall.h"

namespace {

constexpr uint32_t kFastLoop = 1000;

std::vector<uintptr_t> g_firstCalls;
std::vector<uintptr_t> g_secondCalls;

uint32_t RecordFirst(uintptr_t argument) {
    g_firstCalls.push_back(argument);
    return 0;
}

uint32_t RecordSecond(uintptr_t argument) {
    g_secondCalls.push_back(argument);
    return 7;
}

class TimerSystemTest : public testing::Test {
protected:
    void SetUp() override {
        TimerSystem::ResetForTesting(kFastLoop);
        clock_.SetStepped(false);   // the machine's clock, as calibration meets it
        g_firstCalls.clear();
        g_secondCalls.clear();
    }
    void TearDown() override { TimerSystem::ResetForTesting(); }

    // A Pentium whose counter runs 1024 ticks while the clock runs 16 ms.
    void MakePentium() {
        cpu_.SetProcessorType(platform::Cpu::kPentiumType);
        cpu_.SetCounterAdvancePerRead(1024);
        clock_.SetAdvancePerRead(16);
    }

    FakeClock clock_;
    FakeCpu cpu_;
    FakeMultimediaTimer timer_;
    ScopedInstall<platform::Clock> installedClock_{clock_};
    ScopedInstall<platform::Cpu> installedCpu_{cpu_};
    ScopedInstall<platform::MultimediaTimer> installedTimer_{timer_};
};

// Start count and period

TEST_F(TimerSystemTest, FirstInitSets54MsPeriod) {
    TimerSystem::Init();

    EXPECT_EQ(TimerSystem::StartCount(), 1);
    EXPECT_EQ(TimerSystem::Period(), 54u);
    EXPECT_EQ(clock_.BeginPeriodCalls(), std::vector<uint32_t>{54});
    TimerSystem::Shutdown();
}

TEST_F(TimerSystemTest, TwoInitsThenOneShutdownKeepThePeriodAndTheSecondEndsIt) {
    TimerSystem::Init();
    TimerSystem::Init();
    EXPECT_EQ(clock_.BeginPeriodCalls().size(), 1u);

    TimerSystem::Shutdown();
    EXPECT_EQ(TimerSystem::StartCount(), 1);
    EXPECT_EQ(TimerSystem::Period(), 54u);
    EXPECT_TRUE(clock_.EndPeriodCalls().empty());

    TimerSystem::Shutdown();
    EXPECT_EQ(TimerSystem::StartCount(), 0);
    EXPECT_EQ(TimerSystem::Period(), 0u);
    EXPECT_EQ(clock_.EndPeriodCalls(), std::vector<uint32_t>{54});
    EXPECT_TRUE(clock_.ActivePeriods().empty());
}

TEST_F(TimerSystemTest, ShutdownWithoutInitChangesNothing) {
    TimerSystem::Shutdown();
    EXPECT_EQ(TimerSystem::StartCount(), 0);

    TimerSystem::Init();
    TimerSystem::Shutdown();
    TimerSystem::Shutdown();
    EXPECT_EQ(TimerSystem::StartCount(), 0);
    EXPECT_EQ(clock_.EndPeriodCalls().size(), 1u);
    EXPECT_TRUE(timer_.Kills().empty());
}

TEST_F(TimerSystemTest, InitAfterFullShutdownSetsThePeriodAgain) {
    TimerSystem::Init();
    TimerSystem::Shutdown();
    TimerSystem::Init();

    EXPECT_EQ(TimerSystem::Period(), 54u);
    EXPECT_EQ(clock_.BeginPeriodCalls(), (std::vector<uint32_t>{54, 54}));
    TimerSystem::Shutdown();
}

TEST_F(TimerSystemTest, InitIgnoresARefusedPeriod) {
    clock_.RefusePeriods(true);
    TimerSystem::Init();
    EXPECT_EQ(TimerSystem::StartCount(), 1);
    EXPECT_EQ(TimerSystem::Period(), 0u);

    TimerSystem::Shutdown();
    EXPECT_TRUE(clock_.EndPeriodCalls().empty());
}

TEST_F(TimerSystemTest, CleanupAfterShutdownFindsNothingToDo) {
    TimerSystem::Init();
    TimerSystem::AddPeriodicEvent(RecordFirst, 1, 0);
    TimerSystem::Shutdown();
    const size_t ends = clock_.EndPeriodCalls().size();
    const size_t kills = timer_.Kills().size();

    TimerSystem::Cleanup();
    EXPECT_EQ(clock_.EndPeriodCalls().size(), ends);
    EXPECT_EQ(timer_.Kills().size(), kills);
}

// Rate

TEST_F(TimerSystemTest, SetRateDividesTheTimerTick) {
    const struct {
        uint16_t divisor;
        uint32_t period;
    } cases[] = {{0, 54}, {1, 27}, {2, 18}, {3, 13}, {9, 5}, {53, 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(TimerSystem::SetRate(c.divisor), 1) << "divisor " << c.divisor;
        EXPECT_EQ(TimerSystem::Period(), c.period) << "divisor " << c.divisor;
        EXPECT_EQ(clock_.BeginPeriodCalls().back(), c.period);
    }
}

TEST_F(TimerSystemTest, SetRateEndsThePreviousPeriodFirst) {
    TimerSystem::SetRate(0);
    TimerSystem::SetRate(1);

    EXPECT_EQ(clock_.EndPeriodCalls(), std::vector<uint32_t>{54});
    EXPECT_EQ(clock_.ActivePeriods(), std::vector<uint32_t>{27});
}

TEST_F(TimerSystemTest, RefusedPeriodLeavesNoneAndReturnsZero) {
    TimerSystem::SetRate(0);
    clock_.RefusePeriods(true);

    EXPECT_EQ(TimerSystem::SetRate(1), 0);
    EXPECT_EQ(TimerSystem::Period(), 0u);

    // Nothing is held, so the next rate ends nothing.
    clock_.RefusePeriods(false);
    EXPECT_EQ(TimerSystem::SetRate(2), 1);
    EXPECT_EQ(clock_.EndPeriodCalls(), std::vector<uint32_t>{54});
}

TEST_F(TimerSystemTest, DivisorTooLargeForAPeriodIsRefused) {
    EXPECT_EQ(TimerSystem::SetRate(54), 0);  // 549 / 550 == 0
    EXPECT_EQ(TimerSystem::Period(), 0u);
}

TEST_F(TimerSystemTest, SetRateScaledDividesBy36414) {
    EXPECT_EQ(TimerSystem::SetRateScaled(36413), 1);
    EXPECT_EQ(TimerSystem::Period(), 54u);
    EXPECT_EQ(TimerSystem::SetRateScaled(36414), 1);
    EXPECT_EQ(TimerSystem::Period(), 27u);
    EXPECT_EQ(TimerSystem::SetRateScaled(2 * 36414 + 36413), 1);
    EXPECT_EQ(TimerSystem::Period(), 18u);
}

// Periodic events

TEST_F(TimerSystemTest, EventRunsEveryPeriodTimesMultiple) {
    TimerSystem::Init();
    const uint32_t id = TimerSystem::AddPeriodicEvent(RecordFirst, 3, 99);

    ASSERT_EQ(timer_.Started().size(), 1u);
    const FakeMultimediaTimer::StartedEvent& started = timer_.Started()[0];
    EXPECT_NE(id, 0u);
    EXPECT_EQ(started.id, id);
    EXPECT_EQ(started.delayMs, 162u);
    EXPECT_EQ(started.resolutionMs, 54u);
    TimerSystem::Shutdown();
}

TEST_F(TimerSystemTest, ThirtyThirdEventIsRefusedAndLeavesTheOthersRunning) {
    TimerSystem::Init();
    std::set<uint32_t> ids;
    for (int32_t i = 0; i < TimerSystem::kSlotCount; ++i) {
        const uint32_t id = TimerSystem::AddPeriodicEvent(RecordFirst, 1, i);
        EXPECT_NE(id, 0u);
        ids.insert(id);
    }
    EXPECT_EQ(ids.size(), 32u);

    EXPECT_EQ(TimerSystem::AddPeriodicEvent(RecordSecond, 1, 33), 0u);
    EXPECT_EQ(timer_.Started().size(), 32u);
    EXPECT_EQ(timer_.RunningCount(), 32);
    EXPECT_TRUE(timer_.Kills().empty());

    // Every slot still calls its own function with its own argument.
    for (const FakeMultimediaTimer::StartedEvent& event : timer_.Started()) timer_.Fire(event.id);
    ASSERT_EQ(g_firstCalls.size(), 32u);
    for (uintptr_t i = 0; i < 32; ++i) EXPECT_EQ(g_firstCalls[i], i);
    EXPECT_TRUE(g_secondCalls.empty());
    TimerSystem::Shutdown();
}

TEST_F(TimerSystemTest, FiringAnEventCallsItsFunctionWithItsArgument) {
    TimerSystem::Init();
    const uint32_t first = TimerSystem::AddPeriodicEvent(RecordFirst, 1, 0x1234);
    const uint32_t second = TimerSystem::AddPeriodicEvent(RecordSecond, 2, 0xBEEF);

    timer_.Fire(second);
    timer_.Fire(second);
    timer_.Fire(first);

    EXPECT_EQ(g_firstCalls, std::vector<uintptr_t>{0x1234});
    EXPECT_EQ(g_secondCalls, (std::vector<uintptr_t>{0xBEEF, 0xBEEF}));
    TimerSystem::Shutdown();
}

TEST_F(TimerSystemTest, KillAllEventsKillsEveryIdOnceAndFreesTheSlots) {
    TimerSystem::Init();
    std::vector<uint32_t> ids;
    for (uintptr_t i = 0; i < 3; ++i) ids.push_back(TimerSystem::AddPeriodicEvent(RecordFirst, 1, i));

    TimerSystem::KillAllEvents();
    EXPECT_EQ(timer_.Kills(), ids);
    EXPECT_EQ(timer_.RunningCount(), 0);

    TimerSystem::KillAllEvents();
    EXPECT_EQ(timer_.Kills().size(), 3u);

    for (int32_t i = 0; i < TimerSystem::kSlotCount; ++i) EXPECT_NE(TimerSystem::AddPeriodicEvent(RecordFirst, 1, i), 0u);
    TimerSystem::Shutdown();
}

TEST_F(TimerSystemTest, ShutdownKillsTheEvents) {
    TimerSystem::Init();
    const uint32_t first = TimerSystem::AddPeriodicEvent(RecordFirst, 1, 1);
    const uint32_t second = TimerSystem::AddPeriodicEvent(RecordFirst, 1, 2);

    TimerSystem::Shutdown();
    EXPECT_EQ(timer_.Kills(), (std::vector<uint32_t>{first, second}));
}

TEST_F(TimerSystemTest, RefusedTimerLeavesItsSlotFree) {
    TimerSystem::Init();
    timer_.Refuse(true);
    EXPECT_EQ(TimerSystem::AddPeriodicEvent(RecordFirst, 1, 0), 0u);
    EXPECT_EQ(timer_.RefusedStarts(), 1);

    timer_.Refuse(false);
    for (int32_t i = 0; i < TimerSystem::kSlotCount; ++i) EXPECT_NE(TimerSystem::AddPeriodicEvent(RecordFirst, 1, i), 0u);
    EXPECT_EQ(TimerSystem::AddPeriodicEvent(RecordFirst, 1, 0), 0u);
    TimerSystem::Shutdown();
}

// Calibration

TEST_F(TimerSystemTest, InitCalibratesAPentium) {
    MakePentium();
    TimerSystem::Init();

    EXPECT_TRUE(TimerSystem::IsCalibrated());
    EXPECT_EQ(TimerSystem::MillisecondsPerTick(), 16.0 / 1024.0);
    TimerSystem::Shutdown();
}

TEST_F(TimerSystemTest, CalibrationIsMadeOncePerProcessAndOutlivesShutdown) {
    MakePentium();
    TimerSystem::Init();
    TimerSystem::Shutdown();

    EXPECT_TRUE(TimerSystem::IsCalibrated());
    cpu_.SetCounterAdvancePerRead(0);
    cpu_.SetTimeStampCounter(64000);
    EXPECT_EQ(GetMilliseconds(), 1000u);
    const int32_t reads = cpu_.CounterReads();

    cpu_.SetCounterAdvancePerRead(2048);
    TimerSystem::Init();
    EXPECT_EQ(TimerSystem::MillisecondsPerTick(), 16.0 / 1024.0);
    EXPECT_EQ(cpu_.CounterReads(), reads);
    TimerSystem::Shutdown();
}

TEST_F(TimerSystemTest, CalibrationLoopsUntil16MsHavePassed) {
    clock_.SetAdvancePerRead(1);
    cpu_.SetCounterAdvancePerRead(100);

    ASSERT_TRUE(TimerSystem::Calibrate(kFastLoop));
    // The start reading and one reading per round until 16 ms have passed.
    EXPECT_EQ(cpu_.CounterReads(), 17);
    EXPECT_EQ(TimerSystem::MillisecondsPerTick(), 16.0 / 1600.0);
}

TEST_F(TimerSystemTest, ClockThatNeverMovesFailsCalibrationAfterBoundedRounds) {
    cpu_.SetCounterAdvancePerRead(100);
    clock_.SetMilliseconds(4242);

    EXPECT_FALSE(TimerSystem::Calibrate(kFastLoop));
    EXPECT_EQ(cpu_.CounterReads(), 1 + static_cast<int32_t>(TimerSystem::kMaxCalibrationRounds));
    EXPECT_FALSE(TimerSystem::IsCalibrated());
    EXPECT_EQ(GetMilliseconds(), 4242u);
}

TEST_F(TimerSystemTest, CounterThatStandsStillFailsCalibration) {
    clock_.SetAdvancePerRead(16);
    clock_.SetMilliseconds(31);

    EXPECT_FALSE(TimerSystem::Calibrate(kFastLoop));
    EXPECT_FALSE(TimerSystem::IsCalibrated());
    EXPECT_EQ(GetMilliseconds(), 31u + 16u * 2u);  // two reads by the calibration
}

TEST_F(TimerSystemTest, CounterRunningBackwardsFailsCalibration) {
    clock_.SetAdvancePerRead(16);
    cpu_.SetTimeStampCounter(1000000);
    cpu_.SetCounterAdvancePerRead(-1024);

    EXPECT_FALSE(TimerSystem::Calibrate(kFastLoop));
    EXPECT_FALSE(TimerSystem::IsCalibrated());
}

TEST_F(TimerSystemTest, FailedCalibrationInInitLeavesTheSystemClock) {
    cpu_.SetProcessorType(platform::Cpu::kPentiumType);
    clock_.SetMilliseconds(500);

    TimerSystem::Init();
    EXPECT_EQ(TimerSystem::StartCount(), 1);
    EXPECT_FALSE(TimerSystem::IsCalibrated());
    EXPECT_EQ(GetMilliseconds(), 500u);
    TimerSystem::Shutdown();
}

TEST_F(TimerSystemTest, FailedCalibrationUndoesAnEarlierOne) {
    MakePentium();
    ASSERT_TRUE(TimerSystem::Calibrate(kFastLoop));

    cpu_.SetCounterAdvancePerRead(0);
    EXPECT_FALSE(TimerSystem::Calibrate(kFastLoop));
    EXPECT_FALSE(TimerSystem::IsCalibrated());
}

}  // namespace

// The real counter against the real process clock, with the loop the
// engine runs at start-up.
TEST(TimerSystemOnThisMachine, CalibratesAgainstItsOwnCounter) {
    TimerSystem::ResetForTesting();
    EXPECT_TRUE(TimerSystem::Calibrate(TimerSystem::kCalibrationIterations));
    EXPECT_TRUE(std::isfinite(TimerSystem::MillisecondsPerTick()));
    EXPECT_GT(TimerSystem::MillisecondsPerTick(), 0.0);
    TimerSystem::ResetForTesting();
}
