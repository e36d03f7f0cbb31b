#include "engine/ExitList.h"

#include <cstdlib>

int32_t RegisterExitHandler(void (*handler)()) { return std::atexit(handler); }

void EmptyDebugHook(void (*handler)()) { (void)handler; }
