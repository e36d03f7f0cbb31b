#pragma once
#include <cstdint>
#include <vector>

#include "platform/Clock.h"

// A clock that moves only when told to. Both clocks start at 0 and move
// together; with an advance per read set, every reading moves both by that
// much afterwards, so a loop waiting on the clock comes to an end.
// Like the system's, it refuses a period of 0.
class FakeClock : public platform::Clock {
public:
    uint32_t Milliseconds() override;
    int64_t ProcessMilliseconds() override;
    bool BeginPeriod(uint32_t periodMs) override;
    void EndPeriod(uint32_t periodMs) override;
    // The test moves the time: the engine's clock reads this one even once
    // an earlier test calibrated the processor's counter, unless a test of
    // the counter says otherwise.
    bool Stepped() const override { return stepped_; }
    void SetStepped(bool stepped) { stepped_ = stepped; }
    // A sleep moves both clocks by its length; each is noted.
    void Sleep(uint32_t milliseconds) override;
    const std::vector<uint32_t>& Sleeps() const { return sleeps_; }

    void SetMilliseconds(uint32_t milliseconds) { milliseconds_ = milliseconds; }
    void SetProcessMilliseconds(int64_t milliseconds) { processMilliseconds_ = milliseconds; }
    // Moves both clocks; the millisecond clock wraps at 2^32.
    void Advance(uint32_t milliseconds);
    void SetAdvancePerRead(uint32_t milliseconds) { advancePerRead_ = milliseconds; }
    void RefusePeriods(bool refuse) { refusePeriods_ = refuse; }

    // Every BeginPeriod request, granted or not, and every EndPeriod, in order.
    const std::vector<uint32_t>& BeginPeriodCalls() const { return beginPeriodCalls_; }
    const std::vector<uint32_t>& EndPeriodCalls() const { return endPeriodCalls_; }
    // Granted periods not yet ended, in the order they were granted.
    const std::vector<uint32_t>& ActivePeriods() const { return activePeriods_; }
    int32_t Reads() const { return reads_; }

private:
    uint32_t milliseconds_ = 0;
    int64_t processMilliseconds_ = 0;
    uint32_t advancePerRead_ = 0;
    bool refusePeriods_ = false;
    bool stepped_ = true;
    int32_t reads_ = 0;
    std::vector<uint32_t> beginPeriodCalls_;
    std::vector<uint32_t> endPeriodCalls_;
    std::vector<uint32_t> activePeriods_;
    std::vector<uint32_t> sleeps_;
};
