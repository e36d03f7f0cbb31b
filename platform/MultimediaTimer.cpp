#include "platform/MultimediaTimer.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/ServiceSlot.h"

namespace platform {
namespace {

using SteadyClock = std::chrono::steady_clock;

// One periodic event and the thread that runs it. The thread holds its own
// reference, so an event killed from its callback outlives the kill.
struct PeriodicEvent {
    uint32_t id = 0;
    std::chrono::milliseconds period{0};
    TimerCallback callback = nullptr;
    uintptr_t user = 0;

    std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;  // guarded by mutex
    std::thread thread;     // written once, under the timer's lock
};

void RunEvent(const std::shared_ptr<PeriodicEvent> event) {
    SteadyClock::time_point due = SteadyClock::now() + event->period;
    std::unique_lock lock(event->mutex);
    while (!event->wake.wait_until(lock, due, [&] { return event->stopping; })) {
        lock.unlock();
        event->callback(event->id, event->user);
        lock.lock();
        // A callback that overran its period is followed at once by the next
        // one, not by a burst that makes up for every missed tick.
        due = std::max(due + event->period, SteadyClock::now());
    }
}

// Stops an event that is no longer reachable through the timer and waits for
// its thread, except on that thread itself, which finishes on its own once
// the running callback returns.
void Stop(const std::shared_ptr<PeriodicEvent>& event) {
    {
        const std::lock_guard lock(event->mutex);
        event->stopping = true;
    }
    event->wake.notify_all();
    if (!event->thread.joinable()) return;
    if (event->thread.get_id() == std::this_thread::get_id())
        event->thread.detach();
    else
        event->thread.join();
}

class SystemTimer final : public MultimediaTimer {
public:
    uint32_t StartPeriodic(uint32_t delayMs, uint32_t resolutionMs, TimerCallback callback,
                           uintptr_t user) override {
        (void)resolutionMs;  // steady_clock waits are as fine as the system allows
        if (delayMs == 0 || callback == nullptr) return 0;

        auto event = std::make_shared<PeriodicEvent>();
        event->period = std::chrono::milliseconds(delayMs);
        event->callback = callback;
        event->user = user;

        // The thread starts under the lock, so a callback that kills its own
        // event finds it registered with its thread in place.
        const std::lock_guard lock(mutex_);
        if (closed_) return 0;
        event->id = NextFreeId();
        try {
            event->thread = std::thread(RunEvent, event);
        } catch (const std::system_error&) {
            return 0;
        }
        events_.emplace(event->id, event);
        return event->id;
    }

    void Kill(uint32_t id) override {
        std::shared_ptr<PeriodicEvent> event;
        {
            const std::lock_guard lock(mutex_);
            const auto found = events_.find(id);
            if (found == events_.end()) return;
            event = std::move(found->second);
            events_.erase(found);
        }
        Stop(event);
    }

    // Runs from the exit list: no timer thread may outlive the program, and
    // none may start once the program is ending.
    void KillAll() {
        std::map<uint32_t, std::shared_ptr<PeriodicEvent>> events;
        {
            const std::lock_guard lock(mutex_);
            closed_ = true;
            events.swap(events_);
        }
        for (auto& [id, event] : events) Stop(event);
    }

private:
    // Ids count up, skipping 0 and any id still in use after a wrap.
    uint32_t NextFreeId() {
        do {
            ++lastId_;
        } while (lastId_ == 0 || events_.count(lastId_) != 0);
        return lastId_;
    }

    std::mutex mutex_;
    std::map<uint32_t, std::shared_ptr<PeriodicEvent>> events_;
    uint32_t lastId_ = 0;
    bool closed_ = false;
};

SystemTimer* g_systemTimer = nullptr;

void KillSystemTimersAtExit() { g_systemTimer->KillAll(); }

constinit ServiceSlot<MultimediaTimer> g_slot{&SystemMultimediaTimer};

}  // namespace

MultimediaTimer& SystemMultimediaTimer() {
    // Never destroyed, so kills that come from exit handlers registered
    // before this one still find a live object (and nothing left to kill).
    static SystemTimer* const timer = [] {
        g_systemTimer = new SystemTimer();
        std::atexit(KillSystemTimersAtExit);
        return g_systemTimer;
    }();
    return *timer;
}

MultimediaTimer& MultimediaTimer::Current() { return g_slot.Get(); }

MultimediaTimer* MultimediaTimer::Install(MultimediaTimer* timer) { return g_slot.Swap(timer); }

}  // namespace platform
