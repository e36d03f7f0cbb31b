// PLACEHOLDERS: empty stand-ins for the scene-record and shared-goal
// senders, which are being written on their own branch; the merge replaces
// this file with the real definitions.
#include "net/NetJoinSenders.h"

namespace net_handlers {

void SendSceneRecords(NetSession&) {}   // placeholder
void SendSharedGoals(NetSession&) {}    // placeholder

}  // namespace net_handlers
