#pragma once

class NetSession;

// What the host adds to a newcomer's welcome from the current mission.
namespace net_handlers {

// Every star-field record, then every space-dust, wallpaper and light
// record of the current mission, each kind from its first; to all, in queue 1.
void SendSceneRecords(NetSession& session);
// GOAL_NEW for every goal of the global list with its shared flag set; to
// all, in queue 1.
void SendSharedGoals(NetSession& session);

// The join calls the two through these, so that a test can see where in
// the welcome they come.
inline void (*g_sendSceneRecords)(NetSession&) = &SendSceneRecords;
inline void (*g_sendSharedGoals)(NetSession&) = &SendSharedGoals;

}  // namespace net_handlers
