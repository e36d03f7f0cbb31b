#include "platform/Sleeper.h"

#include <chrono>
#include <thread>

#include "platform/ServiceSlot.h"

namespace platform {
namespace {

class SystemSleeperImpl final : public Sleeper {
public:
    void Sleep(uint32_t milliseconds) override {
        if (milliseconds == 0) {
            std::this_thread::yield();
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
};

constinit ServiceSlot<Sleeper> g_slot{&SystemSleeper};

}  // namespace

Sleeper& SystemSleeper() {
    static Sleeper* const sleeper = new SystemSleeperImpl();
    return *sleeper;
}

Sleeper& Sleeper::Current() { return g_slot.Get(); }

Sleeper* Sleeper::Install(Sleeper* sleeper) { return g_slot.Swap(sleeper); }

}  // namespace platform
