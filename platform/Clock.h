#pragma once
#include <cstdint>

namespace platform {

// The machine's millisecond clocks and the timer resolution.
class Clock {
public:
    virtual ~Clock() = default;

    // Milliseconds since the machine started; wraps at 2^32.
    virtual uint32_t Milliseconds() = 0;
    // Milliseconds since the process started (the C runtime's clock).
    virtual int64_t ProcessMilliseconds() = 0;
    // Asks for a timer resolution of `periodMs`; false when refused.
    virtual bool BeginPeriod(uint32_t periodMs) = 0;
    // Ends a resolution that BeginPeriod granted.
    virtual void EndPeriod(uint32_t periodMs) = 0;
    // True for a clock whose time moves only when its owner steps it: the
    // engine's millisecond clock then reads it even once the processor's
    // counter is calibrated, so that a run without a window gives the same
    // frames on every machine.
    virtual bool Stepped() const { return false; }
    // Gives up the thread for `milliseconds`; a stepped clock moves on by
    // that much instead, so a loop that sleeps still sees its time pass.
    virtual void Sleep(uint32_t milliseconds);

    static Clock& Current();
    static Clock* Install(Clock* clock);
};

Clock& SystemClock();

}  // namespace platform
