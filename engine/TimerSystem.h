#pragma once
#include <cstdint>

// What a periodic event calls, on the timer's thread, with the argument it
// was registered with. The result is ignored.
using PeriodicEventFunction = uint32_t (*)(uintptr_t argument);

// The engine's timer layer: the timer resolution, 32 slots of periodic
// events, and the calibration that lets GetMilliseconds read the processor's
// time-stamp counter. Process-wide; everything but the event callbacks runs
// on the game thread.
class TimerSystem {
public:
    static constexpr int32_t kSlotCount = 32;
    static constexpr uint32_t kCalibrationIterations = 20000000;
    // Calibration keeps looping until the process clock has moved this far,
    // so that a fast loop does not divide a difference of one or two ticks...
    static constexpr int64_t kMinCalibrationMs = 16;
    // ...but gives up after this many loops when the clock does not move.
    static constexpr uint32_t kMaxCalibrationRounds = 64;

    // The first call (and the first after a full shutdown) sets the rate and
    // clears the slots; the first call in the process also calibrates on a
    // Pentium-class processor. Calls nest with Shutdown.
    static void Init();
    static void Shutdown();
    // Kills every event and ends the period. Also on the exit list.
    static void Cleanup();

    // Sets the period to 549 / ((divisor + 1) * 10) ms: 54 ms for 0, 27 for 1,
    // 18 for 2. Returns 1, or 0 with no period when the system refuses it.
    static int32_t SetRate(uint16_t divisor);
    // SetRate(value / 36414).
    static int32_t SetRateScaled(uint32_t value);

    // Calls `function`(argument) every period * multiple ms from the first
    // free slot. Returns the timer id, or 0 when all slots are taken or the
    // system refused (the slot then stays free).
    static uint32_t AddPeriodicEvent(PeriodicEventFunction function, uint32_t multiple, uintptr_t argument);
    static void KillAllEvents();

    // Measures milliseconds per time-stamp tick over a busy loop of
    // `iterations`, repeated until kMinCalibrationMs have passed. Sets the
    // calibrated state on success; on failure (a clock or a counter that did
    // not move forward) leaves GetMilliseconds on the system clock.
    static bool Calibrate(uint32_t iterations);

    static int32_t StartCount();
    static uint32_t Period();  // ms, 0 when none is set
    static bool IsCalibrated();
    static double MillisecondsPerTick();

    // Tests only: forgets everything, including the one calibration a
    // process makes, without a platform call; later calibrations loop
    // `calibrationIterations` times.
    static void ResetForTesting(uint32_t calibrationIterations = kCalibrationIterations);
};
