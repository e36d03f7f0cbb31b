#pragma once
#include <cstdint>
#include <vector>

#include "platform/MultimediaTimer.h"

// A timer whose events run only when the test fires them, on the test's
// thread. Ids count up from 1; every start and kill is recorded.
class FakeMultimediaTimer : public platform::MultimediaTimer {
public:
    struct StartedEvent {
        uint32_t id = 0;
        uint32_t delayMs = 0;
        uint32_t resolutionMs = 0;
        platform::TimerCallback callback = nullptr;
        uintptr_t user = 0;
        bool killed = false;
    };

    // Records and accepts the event unless told to refuse; a refused start
    // records nothing and returns 0.
    uint32_t StartPeriodic(uint32_t delayMs, uint32_t resolutionMs, platform::TimerCallback callback,
                           uintptr_t user) override;
    void Kill(uint32_t id) override;

    void Refuse(bool refuse) { refuse_ = refuse; }
    // Calls the event's callback once with its id and user word; false (and
    // no call) for an unknown or killed id.
    bool Fire(uint32_t id);

    const std::vector<StartedEvent>& Started() const { return started_; }
    // Every id passed to Kill, known or not, in order.
    const std::vector<uint32_t>& Kills() const { return kills_; }
    int32_t RefusedStarts() const { return refusedStarts_; }
    bool IsRunning(uint32_t id) const;
    int32_t RunningCount() const;

private:
    StartedEvent* Find(uint32_t id);

    bool refuse_ = false;
    uint32_t lastId_ = 0;
    int32_t refusedStarts_ = 0;
    std::vector<StartedEvent> started_;
    std::vector<uint32_t> kills_;
};
