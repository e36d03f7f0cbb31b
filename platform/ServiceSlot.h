#pragma once
#include <atomic>

namespace platform {

// The process-wide choice behind a platform service's Current() and
// Install(): the implementation a test installed, or the system's when none
// is. The system's is reached through its accessor only when it is needed, so
// installing a double never builds the real service. A slot can be constinit,
// so Current() works during the static initialisation of other files, and it
// has no destructor to run, so it works from exit handlers too.
template <typename Interface>
class ServiceSlot {
public:
    using SystemAccessor = Interface& (*)();

    explicit constexpr ServiceSlot(SystemAccessor system) : system_(system) {}

    ServiceSlot(const ServiceSlot&) = delete;
    ServiceSlot& operator=(const ServiceSlot&) = delete;

    Interface& Get() const {
        Interface* const installed = installed_.load(std::memory_order_acquire);
        return installed != nullptr ? *installed : system_();
    }

    // Installs `replacement`, null meaning the system's, and returns the one
    // in effect until now (the system's when none was installed), so that
    // installing what it returns puts everything back as it was.
    Interface* Swap(Interface* replacement) {
        Interface* const previous = installed_.exchange(replacement, std::memory_order_acq_rel);
        return previous != nullptr ? previous : &system_();
    }

private:
    const SystemAccessor system_;
    std::atomic<Interface*> installed_{nullptr};
};

}  // namespace platform
