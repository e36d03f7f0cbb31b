#pragma once
#include <cstdint>

namespace platform {

// Gives up the thread for a while: the pauses the network link takes after
// opening a session and creating a player. Tests install one that only
// records, so they need not wait.
class Sleeper {
public:
    virtual ~Sleeper() = default;
    // 0 only yields the processor.
    virtual void Sleep(uint32_t milliseconds) = 0;

    static Sleeper& Current();
    static Sleeper* Install(Sleeper* sleeper);
};

Sleeper& SystemSleeper();

}  // namespace platform
