#include "engine/Clock.h"

#include "engine/TimerSystem.h"
#include "platform/Clock.h"
#include "platform/Cpu.h"

namespace {

// Exactly the doubles that truncate to an int64_t: [-2^63, 2^63).
constexpr double kInt64Low = -9223372036854775808.0;
constexpr double kInt64End = 9223372036854775808.0;

// The processor's counter times the game only when nobody steps the time.
bool UsesCounter() {
    return TimerSystem::IsCalibrated() && !platform::Clock::Current().Stepped();
}

double CalibratedMilliseconds() {
    return ReadTimeStampCounter() * TimerSystem::MillisecondsPerTick();
}

}  // namespace

uint32_t GetMilliseconds() {
    if (!UsesCounter()) return platform::Clock::Current().Milliseconds();
    const double milliseconds = CalibratedMilliseconds();
    // A counter far out of range (or a NaN) has no defined conversion; 0 then.
    if (!(milliseconds >= kInt64Low && milliseconds < kInt64End)) return 0;
    return static_cast<uint32_t>(static_cast<uint64_t>(static_cast<int64_t>(milliseconds)));
}

double GetMillisecondsF() {
    if (!UsesCounter()) return static_cast<double>(platform::Clock::Current().Milliseconds());
    return CalibratedMilliseconds();
}

double ReadTimeStampCounter() {
    return static_cast<double>(platform::Cpu::Current().ReadTimeStampCounter());
}
