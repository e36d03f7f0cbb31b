#include "game/CommandState.h"

void CommandState::Capture(const KeySet& now) {
    pressed_ = now & ~held_;
    held_ = now;
}

void CommandState::Clear() {
    held_.Clear();
    pressed_.Clear();
}

bool CommandState::IsHeld(uint32_t command) const { return command < kCommands && held_.Test(command); }

bool CommandState::WasPressed(uint32_t command) const { return command < kCommands && pressed_.Test(command); }
