#include "platform/MultimediaTimer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <set>

#include "tests/support/FakeMultimediaTimer.h"
#include "tests/support/ScopedInstall.h"

namespace {

// Generous: the tests wait for things to happen, never for how long they take.
constexpr auto kPatience = std::chrono::seconds(30);

// Counts the calls of one event; the event's user word points at it.
struct Counter {
    std::mutex mutex;
    std::condition_variable changed;
    int32_t calls = 0;
    uint32_t lastId = 0;
    bool killOnFirstCall = false;

    bool WaitFor(int32_t wanted) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, kPatience, [&] { return calls >= wanted; });
    }
    int32_t Calls() {
        const std::lock_guard lock(mutex);
        return calls;
    }
};

void Count(uint32_t id, uintptr_t user) {
    Counter& counter = *reinterpret_cast<Counter*>(user);
    if (counter.killOnFirstCall) platform::SystemMultimediaTimer().Kill(id);
    const std::lock_guard lock(counter.mutex);
    ++counter.calls;
    counter.lastId = id;
    counter.changed.notify_all();
}

uintptr_t UserOf(Counter& counter) { return reinterpret_cast<uintptr_t>(&counter); }

// Lets real time pass by waiting for another event to fire a few times.
void LetTimePass() {
    platform::MultimediaTimer& timer = platform::SystemMultimediaTimer();
    Counter witness;
    const uint32_t id = timer.StartPeriodic(1, 1, Count, UserOf(witness));
    ASSERT_NE(id, 0u);
    EXPECT_TRUE(witness.WaitFor(5));
    timer.Kill(id);
}

TEST(SystemMultimediaTimer, FiresRepeatedlyUntilKilled) {
    platform::MultimediaTimer& timer = platform::SystemMultimediaTimer();
    Counter counter;
    const uint32_t id = timer.StartPeriodic(1, 1, Count, UserOf(counter));
    ASSERT_NE(id, 0u);

    ASSERT_TRUE(counter.WaitFor(3));
    EXPECT_EQ(counter.lastId, id);
    timer.Kill(id);
    const int32_t callsAtKill = counter.Calls();

    LetTimePass();
    EXPECT_EQ(counter.Calls(), callsAtKill);
}

TEST(SystemMultimediaTimer, EventMayKillItselfFromItsCallback) {
    Counter counter;
    counter.killOnFirstCall = true;
    const uint32_t id = platform::SystemMultimediaTimer().StartPeriodic(1, 1, Count, UserOf(counter));
    ASSERT_NE(id, 0u);

    ASSERT_TRUE(counter.WaitFor(1));
    LetTimePass();
    EXPECT_EQ(counter.Calls(), 1);
    platform::SystemMultimediaTimer().Kill(id);  // already gone: ignored
}

TEST(SystemMultimediaTimer, RunsManyEventsAtOnceWithDistinctNonZeroIds) {
    platform::MultimediaTimer& timer = platform::SystemMultimediaTimer();
    Counter counters[8];
    std::set<uint32_t> ids;
    for (Counter& counter : counters) ids.insert(timer.StartPeriodic(2, 1, Count, UserOf(counter)));
    EXPECT_EQ(ids.size(), 8u);
    EXPECT_EQ(ids.count(0), 0u);

    for (Counter& counter : counters) EXPECT_TRUE(counter.WaitFor(2));
    for (const uint32_t id : ids) timer.Kill(id);
}

TEST(SystemMultimediaTimer, RefusesZeroDelayAndNoCallback) {
    platform::MultimediaTimer& timer = platform::SystemMultimediaTimer();
    Counter counter;
    EXPECT_EQ(timer.StartPeriodic(0, 1, Count, UserOf(counter)), 0u);
    EXPECT_EQ(timer.StartPeriodic(10, 1, nullptr, 0), 0u);
}

TEST(SystemMultimediaTimer, KillOfAnUnknownIdIsIgnored) {
    platform::SystemMultimediaTimer().Kill(0);
    platform::SystemMultimediaTimer().Kill(0xFFFFFFFFu);
}

TEST(SystemMultimediaTimer, IsCurrentUnlessAnotherIsInstalled) {
    EXPECT_EQ(&platform::MultimediaTimer::Current(), &platform::SystemMultimediaTimer());
    FakeMultimediaTimer fake;
    {
        ScopedInstall<platform::MultimediaTimer> installed(fake);
        EXPECT_EQ(&platform::MultimediaTimer::Current(), &fake);
    }
    EXPECT_EQ(&platform::MultimediaTimer::Current(), &platform::SystemMultimediaTimer());
}

}  // namespace
