#include "engine/TimeStamp.h"

#include "engine/Clock.h"

uint32_t TimeStamp::Elapsed(uint32_t stamp) { return ElapsedAt(stamp, GetMilliseconds()); }
