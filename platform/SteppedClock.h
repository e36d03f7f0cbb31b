#pragma once
#include <cstdint>

#include "platform/Clock.h"

namespace platform {

// Time that moves only when its owner steps it, so that a simulation run
// without a window gives the same frames for the same inputs whatever the
// machine's speed. Both clocks read the same value; periods are granted.
class SteppedClock final : public Clock {
public:
    explicit SteppedClock(uint32_t start) : now_(start) {}

    uint32_t Milliseconds() override { return now_; }
    int64_t ProcessMilliseconds() override { return now_; }
    bool BeginPeriod(uint32_t) override { return true; }
    void EndPeriod(uint32_t) override {}
    bool Stepped() const override { return true; }
    void Sleep(uint32_t milliseconds) override { Advance(milliseconds); }

    void Advance(uint32_t milliseconds) { now_ += milliseconds; }

private:
    uint32_t now_;
};

}  // namespace platform
