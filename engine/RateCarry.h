#pragma once
#include <cstdint>

// Turns a rate into whole units frame by frame without losing the fraction.
// A grant of "rate x elapsed / divisor" truncated every frame depends on the
// frame length (short frames round every grant down to 0); one RateCarry per
// consumer keeps what a frame's division left over and adds it to the next,
// so that over a second the units granted equal the rate whatever the frame
// length. Where every frame's amount divides evenly nothing changes.
class RateCarry {
public:
    // The whole part of (amount + what was left over) / divisor; keeps the
    // rest. A divisor other than the last call's rescales the rest to it; a
    // divisor of 0 or less grants nothing and forgets the rest. Truncates
    // toward zero, so a negative amount carries a negative rest.
    int64_t Take(int64_t amount, int64_t divisor);
    // Rate per second over a frame: Take(rate x milliseconds, 1000).
    int64_t TakeRate(int64_t ratePerSecond, int64_t milliseconds) { return Take(ratePerSecond * milliseconds, 1000); }
    // Drops the fraction kept so far (a new burst, a reset system).
    void Clear() { rest_ = 0; }

    int64_t Rest() const { return rest_; }

private:
    int64_t rest_ = 0;      // in 1 / divisor_ units, |rest_| < divisor_
    int64_t divisor_ = 1000;
};
