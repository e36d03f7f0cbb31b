#include "engine/Clock.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "engine/TimerSystem.h"
#include "platform/SteppedClock.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeCpu.h"
#include "tests/support/ScopedInstall.h"

namespace {

class ClockTest : public testing::Test {
protected:
    // The machine's clock, which the calibrated counter takes over from.
    void SetUp() override {
        TimerSystem::ResetForTesting();
        clock_.SetStepped(false);
    }
    void TearDown() override { TimerSystem::ResetForTesting(); }

    // One round of calibration with the clock moving 16 ms while the
    // counter moves 1024 ticks: 1/64 ms per tick, exact in a double.
    void CalibrateAtOneSixtyFourthPerTick() {
        clock_.SetAdvancePerRead(16);
        cpu_.SetCounterAdvancePerRead(1024);
        ASSERT_TRUE(TimerSystem::Calibrate(1));
        ASSERT_EQ(TimerSystem::MillisecondsPerTick(), 1.0 / 64.0);
        clock_.SetAdvancePerRead(0);
        cpu_.SetCounterAdvancePerRead(0);
    }

    FakeClock clock_;
    FakeCpu cpu_;
    ScopedInstall<platform::Clock> installedClock_{clock_};
    ScopedInstall<platform::Cpu> installedCpu_{cpu_};
};

TEST_F(ClockTest, UncalibratedClockIsTheSystemClockExactly) {
    clock_.SetMilliseconds(0xFFFFFFF0u);
    cpu_.SetTimeStampCounter(123456789);

    EXPECT_EQ(GetMilliseconds(), 0xFFFFFFF0u);
    EXPECT_EQ(GetMillisecondsF(), 4294967280.0);  // unsigned, not -16
    EXPECT_EQ(cpu_.CounterReads(), 0);
}

TEST_F(ClockTest, NonPentiumProcessorKeepsTheSystemClockAfterInit) {
    cpu_.SetProcessorType(platform::Cpu::kI486Type);
    cpu_.SetTimeStampCounter(1 << 20);
    cpu_.SetCounterAdvancePerRead(1000);
    clock_.SetAdvancePerRead(20);
    clock_.SetMilliseconds(777);
    TimerSystem::Init();

    EXPECT_FALSE(TimerSystem::IsCalibrated());
    EXPECT_EQ(GetMilliseconds(), 777u);
    EXPECT_EQ(cpu_.CounterReads(), 0);
    TimerSystem::Shutdown();
}

TEST_F(ClockTest, CalibratedClockScalesTheCounter) {
    CalibrateAtOneSixtyFourthPerTick();
    clock_.SetMilliseconds(5);
    cpu_.SetTimeStampCounter(64000);

    EXPECT_EQ(GetMilliseconds(), 1000u);
    EXPECT_EQ(GetMillisecondsF(), 1000.0);
}

TEST_F(ClockTest, CalibratedClockTruncatesTowardZero) {
    CalibrateAtOneSixtyFourthPerTick();

    cpu_.SetTimeStampCounter(64063);  // 1000.98 ms
    EXPECT_EQ(GetMilliseconds(), 1000u);
    EXPECT_DOUBLE_EQ(GetMillisecondsF(), 64063.0 / 64.0);

    cpu_.SetTimeStampCounter(-64063);  // -1000.98 ms: -1000, low 32 bits
    EXPECT_EQ(GetMilliseconds(), static_cast<uint32_t>(-1000));
}

TEST_F(ClockTest, CalibratedClockWrapsAt32BitsButTheDoubleDoesNot) {
    CalibrateAtOneSixtyFourthPerTick();
    cpu_.SetTimeStampCounter((int64_t{1} << 32 | 5) * 64);

    EXPECT_EQ(GetMilliseconds(), 5u);
    EXPECT_EQ(GetMillisecondsF(), 4294967301.0);
}

TEST_F(ClockTest, CalibratedValueBeyondInt64GivesZero) {
    // 2^31 ms per tick: the largest counter is about 2^94 ms.
    clock_.SetAdvancePerRead(uint32_t{1} << 31);
    cpu_.SetCounterAdvancePerRead(1);
    ASSERT_TRUE(TimerSystem::Calibrate(1));
    cpu_.SetCounterAdvancePerRead(0);

    cpu_.SetTimeStampCounter(std::numeric_limits<int64_t>::max());
    EXPECT_EQ(GetMilliseconds(), 0u);
    cpu_.SetTimeStampCounter(std::numeric_limits<int64_t>::min());
    EXPECT_EQ(GetMilliseconds(), 0u);
    EXPECT_EQ(GetMillisecondsF(), -0x1p94);  // the double keeps it
}

TEST_F(ClockTest, ReadTimeStampCounterIsTheSignedCounterAsDouble) {
    cpu_.SetTimeStampCounter(-5);
    EXPECT_EQ(ReadTimeStampCounter(), -5.0);
    cpu_.SetTimeStampCounter(int64_t{1} << 40);
    EXPECT_EQ(ReadTimeStampCounter(), 1099511627776.0);
}

TEST_F(ClockTest, SteppedClockTimesTheGameEvenAfterCalibration) {
    CalibrateAtOneSixtyFourthPerTick();
    cpu_.SetTimeStampCounter(64000);
    platform::SteppedClock stepped{1000};
    {
        ScopedInstall<platform::Clock> installed{stepped};
        EXPECT_EQ(GetMilliseconds(), 1000u);
        stepped.Advance(50);
        cpu_.SetTimeStampCounter(6400000);   // the counter runs on regardless
        EXPECT_EQ(GetMilliseconds(), 1050u);
        EXPECT_EQ(GetMillisecondsF(), 1050.0);
    }
    // Gone again: the calibrated counter rules.
    EXPECT_EQ(GetMilliseconds(), 100000u);
}

}  // namespace
