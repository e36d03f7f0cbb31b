#pragma once
#include <cstdint>

// The engine's clock. The origin is arbitrary; callers use differences only.

// Milliseconds, wrapping at 2^32: the time-stamp counter scaled by the timer
// layer's calibration when there is one, else the installed millisecond
// clock; a stepped clock wins over the calibration.
uint32_t GetMilliseconds();
// The same count without truncation or wrapping.
double GetMillisecondsF();
// The processor's time-stamp counter.
double ReadTimeStampCounter();
