#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>

#include "tests/support/FakeClock.h"
#include "tests/support/ScopedInstall.h"

namespace {

int64_t ReadMilliseconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

TEST(SystemClock, MillisecondsAreTheBootClockTruncatedTo32Bits) {
    const uint32_t before = static_cast<uint32_t>(ReadMilliseconds(CLOCK_BOOTTIME));
    const uint32_t reading = platform::SystemClock().Milliseconds();
    const uint32_t after = static_cast<uint32_t>(ReadMilliseconds(CLOCK_BOOTTIME));

    // Differences in 32 bits, so a wrap between the readings is no failure.
    EXPECT_LE(static_cast<uint32_t>(reading - before), static_cast<uint32_t>(after - before));
}

TEST(SystemClock, ProcessMillisecondsCountTheMonotonicClockFromAFixedOrigin) {
    platform::Clock& clock = platform::SystemClock();
    const int64_t monotonicBefore = ReadMilliseconds(CLOCK_MONOTONIC);
    const int64_t first = clock.ProcessMilliseconds();
    const int64_t second = clock.ProcessMilliseconds();
    const int64_t monotonicAfter = ReadMilliseconds(CLOCK_MONOTONIC);

    EXPECT_GE(first, 0);
    EXPECT_GE(second, first);
    EXPECT_LE(second - first, monotonicAfter - monotonicBefore);
}

TEST(SystemClock, GrantsPeriodsFromOneMillisecondToOneMillion) {
    platform::Clock& clock = platform::SystemClock();
    EXPECT_FALSE(clock.BeginPeriod(0));
    EXPECT_FALSE(clock.BeginPeriod(1000001));
    ASSERT_TRUE(clock.BeginPeriod(1));
    ASSERT_TRUE(clock.BeginPeriod(1000000));
    ASSERT_TRUE(clock.BeginPeriod(1));
    clock.EndPeriod(1);
    clock.EndPeriod(1);
    clock.EndPeriod(1000000);
    clock.EndPeriod(1);   // no longer held: ignored
    clock.EndPeriod(77);  // never granted: ignored
    EXPECT_TRUE(clock.BeginPeriod(54));
    clock.EndPeriod(54);
}

TEST(SystemClock, IsCurrentUnlessAnotherIsInstalled) {
    EXPECT_EQ(&platform::Clock::Current(), &platform::SystemClock());
    FakeClock fake;
    {
        ScopedInstall<platform::Clock> installed(fake);
        EXPECT_EQ(installed.Previous(), &platform::SystemClock());
        EXPECT_EQ(&platform::Clock::Current(), &fake);
    }
    EXPECT_EQ(&platform::Clock::Current(), &platform::SystemClock());

    EXPECT_EQ(platform::Clock::Install(&fake), &platform::SystemClock());
    EXPECT_EQ(platform::Clock::Install(nullptr), &fake);
    EXPECT_EQ(&platform::Clock::Current(), &platform::SystemClock());
}

}  // namespace
