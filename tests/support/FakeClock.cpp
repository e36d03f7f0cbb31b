#include "tests/support/FakeClock.h"

#include <algorithm>

uint32_t FakeClock::Milliseconds() {
    const uint32_t now = milliseconds_;
    ++reads_;
    Advance(advancePerRead_);
    return now;
}

int64_t FakeClock::ProcessMilliseconds() {
    const int64_t now = processMilliseconds_;
    ++reads_;
    Advance(advancePerRead_);
    return now;
}

bool FakeClock::BeginPeriod(uint32_t periodMs) {
    beginPeriodCalls_.push_back(periodMs);
    if (refusePeriods_ || periodMs == 0) return false;
    activePeriods_.push_back(periodMs);
    return true;
}

void FakeClock::EndPeriod(uint32_t periodMs) {
    endPeriodCalls_.push_back(periodMs);
    const auto found = std::find(activePeriods_.begin(), activePeriods_.end(), periodMs);
    if (found != activePeriods_.end()) activePeriods_.erase(found);
}

void FakeClock::Advance(uint32_t milliseconds) {
    milliseconds_ += milliseconds;
    processMilliseconds_ += milliseconds;
}

void FakeClock::Sleep(uint32_t milliseconds) {
    sleeps_.push_back(milliseconds);
    Advance(milliseconds);
}
