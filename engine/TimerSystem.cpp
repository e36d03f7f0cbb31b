#include "engine/TimerSystem.h"

#include <array>
#include <atomic>
#include <cmath>

#include "engine/ExitList.h"
#include "platform/Clock.h"
#include "platform/Cpu.h"
#include "platform/MultimediaTimer.h"

namespace {

constexpr uint32_t kRateDividend = 549;  // the PC timer's 54.9 ms tick, in tenths
constexpr uint32_t kRateScale = 36414;

struct EventSlot {
    uint32_t id = 0;  // 0: free
    PeriodicEventFunction function = nullptr;
    uintptr_t argument = 0;
};

struct TimerState {
    int32_t startCount = 0;
    uint32_t period = 0;
    // GetMilliseconds may run on a timer thread, so the calibration is
    // published with the factor written before the flag.
    std::atomic<bool> calibrated{false};
    std::atomic<double> millisecondsPerTick{0.0};
    bool calibrationDone = false;  // a process measures once
    bool exitHandlerRegistered = false;  // the exit list has no removal, so once
    uint32_t calibrationIterations = TimerSystem::kCalibrationIterations;
    std::array<EventSlot, TimerSystem::kSlotCount> slots{};
};

constinit TimerState g_state;

// The slot index travels as the timer's user word.
void OnPeriodicEvent(uint32_t id, uintptr_t user) {
    (void)id;
    if (user >= g_state.slots.size()) return;
    const EventSlot& slot = g_state.slots[user];
    if (slot.function != nullptr) slot.function(slot.argument);
}

void BusyLoop(uint32_t iterations) {
    // volatile, or the optimiser removes the loop and the measurement with it
    volatile bool flag = false;
    for (uint32_t i = 0; i < iterations; ++i) flag = !flag;
}

// to - from when it is positive, as a double; 0 when time stood still or ran
// backwards. Unsigned arithmetic, so no pair of readings can overflow.
double ForwardDifference(int64_t from, int64_t to) {
    if (to <= from) return 0.0;
    return static_cast<double>(static_cast<uint64_t>(to) - static_cast<uint64_t>(from));
}

}  // namespace

void TimerSystem::Init() {
    if (g_state.startCount == 0) {
        g_state.period = 0;
        SetRate(0);
        g_state.slots = {};
        if (!g_state.exitHandlerRegistered) g_state.exitHandlerRegistered = RegisterExitHandler(Cleanup) == 0;
        if (!g_state.calibrationDone) {
            g_state.calibrationDone = true;
            g_state.calibrated.store(false, std::memory_order_release);
            if (platform::Cpu::Current().ProcessorType() == platform::Cpu::kPentiumType)
                Calibrate(g_state.calibrationIterations);
        }
    }
    ++g_state.startCount;
}

void TimerSystem::Shutdown() {
    EmptyDebugHook(Cleanup);
    if (g_state.startCount < 1) return;
    if (--g_state.startCount == 0) Cleanup();
}

void TimerSystem::Cleanup() {
    KillAllEvents();
    if (g_state.period != 0) platform::Clock::Current().EndPeriod(g_state.period);
    g_state.period = 0;
}

int32_t TimerSystem::SetRate(uint16_t divisor) {
    platform::Clock& clock = platform::Clock::Current();
    if (g_state.period != 0) clock.EndPeriod(g_state.period);
    g_state.period = kRateDividend / ((static_cast<uint32_t>(divisor) + 1) * 10);
    if (clock.BeginPeriod(g_state.period)) return 1;
    g_state.period = 0;
    return 0;
}

int32_t TimerSystem::SetRateScaled(uint32_t value) {
    // The divisor is 16 bits wide; larger quotients keep their low bits.
    return SetRate(static_cast<uint16_t>(value / kRateScale));
}

uint32_t TimerSystem::AddPeriodicEvent(PeriodicEventFunction function, uint32_t multiple, uintptr_t argument) {
    for (size_t index = 0; index < g_state.slots.size(); ++index) {
        EventSlot& slot = g_state.slots[index];
        if (slot.id != 0) continue;
        slot.function = function;
        slot.argument = argument;
        slot.id = platform::MultimediaTimer::Current().StartPeriodic(g_state.period * multiple, g_state.period,
                                                                     OnPeriodicEvent, index);
        return slot.id;
    }
    return 0;
}

void TimerSystem::KillAllEvents() {
    for (EventSlot& slot : g_state.slots) {
        if (slot.id == 0) continue;
        platform::MultimediaTimer::Current().Kill(slot.id);
        slot.id = 0;
    }
}

bool TimerSystem::Calibrate(uint32_t iterations) {
    g_state.calibrated.store(false, std::memory_order_release);
    platform::Clock& clock = platform::Clock::Current();
    platform::Cpu& cpu = platform::Cpu::Current();

    const int64_t clockStart = clock.ProcessMilliseconds();
    const int64_t counterStart = cpu.ReadTimeStampCounter();
    int64_t counterEnd = counterStart;
    double elapsedMs = 0.0;
    for (uint32_t round = 0; round < kMaxCalibrationRounds; ++round) {
        BusyLoop(iterations);
        counterEnd = cpu.ReadTimeStampCounter();
        elapsedMs = ForwardDifference(clockStart, clock.ProcessMilliseconds());
        if (elapsedMs >= static_cast<double>(kMinCalibrationMs)) break;
    }
    const double elapsedTicks = ForwardDifference(counterStart, counterEnd);
    if (elapsedMs < static_cast<double>(kMinCalibrationMs) || elapsedTicks == 0.0) return false;

    const double perTick = elapsedMs / elapsedTicks;
    if (!std::isfinite(perTick) || perTick <= 0.0) return false;
    g_state.millisecondsPerTick.store(perTick, std::memory_order_relaxed);
    g_state.calibrated.store(true, std::memory_order_release);
    return true;
}

int32_t TimerSystem::StartCount() { return g_state.startCount; }

uint32_t TimerSystem::Period() { return g_state.period; }

bool TimerSystem::IsCalibrated() { return g_state.calibrated.load(std::memory_order_acquire); }

double TimerSystem::MillisecondsPerTick() { return g_state.millisecondsPerTick.load(std::memory_order_relaxed); }

void TimerSystem::ResetForTesting(uint32_t calibrationIterations) {
    g_state.startCount = 0;
    g_state.period = 0;
    g_state.calibrated.store(false, std::memory_order_release);
    g_state.millisecondsPerTick.store(0.0, std::memory_order_relaxed);
    g_state.calibrationDone = false;
    g_state.calibrationIterations = calibrationIterations;
    g_state.slots = {};
}
