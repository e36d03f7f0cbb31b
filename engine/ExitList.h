#pragma once
#include <cstdint>

// Adds `handler` to the C runtime's exit list; returns the runtime's result
// (0 when registered).
int32_t RegisterExitHandler(void (*handler)());

// Does nothing. The timer layer passes it the handler it registered when it
// shuts down, which gives a debugger a place to watch for that.
void EmptyDebugHook(void (*handler)());
