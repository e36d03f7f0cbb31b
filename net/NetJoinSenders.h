#pragma once

#include "net/NetGoalPackets.h"
#include "net/NetScenePackets.h"

class NetSession;

namespace net_handlers {

// The join calls the mission's scene-record and shared-goal senders through
// these, so that a test can see where in the welcome they come.
inline void (*g_sendSceneRecords)(NetSession&) = &SendSceneRecords;
inline void (*g_sendSharedGoals)(NetSession&) = &SendSharedGoals;

}  // namespace net_handlers
