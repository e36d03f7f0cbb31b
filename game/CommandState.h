#pragma once
#include <cstdint>

#include "engine/input/KeySet.h"

// The 512 command bits of a flight frame: command n is bit n, the event n
// of the game's input event map. Each capture also keeps which commands came
// on since the one before, so a command that acts once per press (pause, a
// weapon group) does not repeat while its key stays down.
class CommandState {
public:
    static constexpr uint32_t kCommands = KeySet::kBits;

    // This frame's commands; those not held at the last capture are pressed.
    void Capture(const KeySet& now);
    // Nothing held or pressed, and the next capture sees every command as new.
    void Clear();

    // False for a number past the last command.
    bool IsHeld(uint32_t command) const;
    bool WasPressed(uint32_t command) const;

private:
    KeySet held_;
    KeySet pressed_;
};
