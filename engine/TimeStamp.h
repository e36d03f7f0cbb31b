#pragma once
#include <cstdint>

// Ages on the millisecond clock.
struct TimeStamp {
    // Now minus the stamp; one less when the clock has wrapped since.
    static uint32_t Elapsed(uint32_t stamp);
    // The same against a given reading.
    static uint32_t ElapsedAt(uint32_t stamp, uint32_t now) { return now >= stamp ? now - stamp : now - stamp - 1; }
};
