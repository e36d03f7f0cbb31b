#include "tests/support/FakeMultimediaTimer.h"

uint32_t FakeMultimediaTimer::StartPeriodic(uint32_t delayMs, uint32_t resolutionMs,
                                            platform::TimerCallback callback, uintptr_t user) {
    if (refuse_) {
        ++refusedStarts_;
        return 0;
    }
    StartedEvent event;
    event.id = ++lastId_;
    event.delayMs = delayMs;
    event.resolutionMs = resolutionMs;
    event.callback = callback;
    event.user = user;
    started_.push_back(event);
    return event.id;
}

void FakeMultimediaTimer::Kill(uint32_t id) {
    kills_.push_back(id);
    if (StartedEvent* const event = Find(id)) event->killed = true;
}

bool FakeMultimediaTimer::Fire(uint32_t id) {
    StartedEvent* const event = Find(id);
    if (event == nullptr || event->killed || event->callback == nullptr) return false;
    // Copied first: the callback may start events and move the records.
    const StartedEvent fired = *event;
    fired.callback(fired.id, fired.user);
    return true;
}

bool FakeMultimediaTimer::IsRunning(uint32_t id) const {
    for (const StartedEvent& event : started_)
        if (event.id == id) return !event.killed;
    return false;
}

int32_t FakeMultimediaTimer::RunningCount() const {
    int32_t running = 0;
    for (const StartedEvent& event : started_)
        if (!event.killed) ++running;
    return running;
}

FakeMultimediaTimer::StartedEvent* FakeMultimediaTimer::Find(uint32_t id) {
    for (StartedEvent& event : started_)
        if (event.id == id) return &event;
    return nullptr;
}
