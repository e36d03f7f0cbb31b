#include "platform/Clock.h"

#include <chrono>
#include <ctime>
#include <map>
#include <mutex>
#include <thread>

#include "platform/ServiceSlot.h"

namespace platform {
namespace {

// Timer resolutions the system grants, in milliseconds.
constexpr uint32_t kMinPeriodMs = 1;
constexpr uint32_t kMaxPeriodMs = 1000000;

int64_t ReadMilliseconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// The process clock counts from its first reading. That reading is taken
// during static initialisation, so the count starts with the process rather
// than with whoever asks first.
int64_t ProcessOrigin() {
    static const int64_t origin = ReadMilliseconds(CLOCK_MONOTONIC);
    return origin;
}

[[maybe_unused]] const int64_t g_processOriginAtStart = ProcessOrigin();

class SystemClockImpl final : public Clock {
public:
    uint32_t Milliseconds() override {
        // Boot time keeps counting while the machine sleeps, as the system
        // time did; the low 32 bits wrap every 49.7 days.
        return static_cast<uint32_t>(ReadMilliseconds(CLOCK_BOOTTIME));
    }

    int64_t ProcessMilliseconds() override { return ReadMilliseconds(CLOCK_MONOTONIC) - ProcessOrigin(); }

    bool BeginPeriod(uint32_t periodMs) override {
        if (periodMs < kMinPeriodMs || periodMs > kMaxPeriodMs) return false;
        const std::lock_guard lock(mutex_);
        ++granted_[periodMs];
        return true;
    }

    void EndPeriod(uint32_t periodMs) override {
        // Linux timers need no resolution request; the count only keeps an
        // unmatched end from cancelling a period that someone else holds.
        const std::lock_guard lock(mutex_);
        const auto found = granted_.find(periodMs);
        if (found == granted_.end()) return;
        if (--found->second == 0) granted_.erase(found);
    }

private:
    std::mutex mutex_;
    std::map<uint32_t, uint32_t> granted_;  // period -> number of grants not yet ended
};

constinit ServiceSlot<Clock> g_slot{&SystemClock};

}  // namespace

Clock& SystemClock() {
    // Never destroyed: the engine's exit handlers may still read the clock
    // after the static destructors have started to run.
    static Clock* const clock = new SystemClockImpl();
    return *clock;
}

void Clock::Sleep(uint32_t milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

Clock& Clock::Current() { return g_slot.Get(); }

Clock* Clock::Install(Clock* clock) { return g_slot.Swap(clock); }

}  // namespace platform
