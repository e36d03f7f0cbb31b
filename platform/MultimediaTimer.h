#pragma once
#include <cstdint>

namespace platform {

// Called on the timer's own thread with the event's id and user word.
using TimerCallback = void (*)(uint32_t id, uintptr_t user);

// Periodic callbacks on a thread of their own.
class MultimediaTimer {
public:
    virtual ~MultimediaTimer() = default;

    // Starts calling `callback` every `delayMs` milliseconds (at least 1).
    // Returns the event's id, never 0, or 0 when refused.
    virtual uint32_t StartPeriodic(uint32_t delayMs, uint32_t resolutionMs,
                                   TimerCallback callback, uintptr_t user) = 0;
    // Stops the event and waits for a running callback to finish, unless
    // called from that callback. Unknown ids are ignored.
    virtual void Kill(uint32_t id) = 0;

    static MultimediaTimer& Current();
    static MultimediaTimer* Install(MultimediaTimer* timer);
};

MultimediaTimer& SystemMultimediaTimer();

}  // namespace platform
