#pragma once

// Installs a replacement for one of the platform's process-wide services for
// the life of a scope and puts the previous one back afterwards, even when a
// test assertion returns early. Works with any interface that has
// `static Interface* Install(Interface*)` returning the one it replaced.
//
//     RecordingVirtualMemory memory;
//     ScopedInstall<platform::VirtualMemory> installed(memory);
template <typename Interface>
class ScopedInstall {
public:
    explicit ScopedInstall(Interface& replacement) : previous_(Interface::Install(&replacement)) {}
    ~ScopedInstall() { Interface::Install(previous_); }

    ScopedInstall(const ScopedInstall&) = delete;
    ScopedInstall& operator=(const ScopedInstall&) = delete;

    Interface* Previous() const { return previous_; }

private:
    Interface* const previous_;
};
