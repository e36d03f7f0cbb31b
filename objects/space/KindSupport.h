#pragma once
#include <cstdint>

#include "engine/Vector3.h"

class NetSession;
class SpaceObject;

// What the mission's passive and launched kinds share.
namespace kinds {

// A spin from a record's drift D (or a buoy's spin range): each axis
// (r mod D) - (r AND 2D) with the game's dice, in 64 bits whatever D is;
// zero for a drift of 0.
Vector3 DriftSpin(int32_t drift);
// The crafts' tumble: each axis (r mod range) - (r mod range) with the
// game's dice (debris pieces and chips, range 35).
Vector3 RandomSpin(int32_t range);
// The solid part whose jittered direction lies closest to `direction` (in
// the object's own frame), nearer than `bound`; ties keep the earlier part;
// 0 without one.
int32_t ClosestSolidPart(const SpaceObject& object, const Vector3& direction, float bound);
// A machine that only asks the host (a network game's client).
bool IsNetworkClient();
// An object that went off already: inactive and waiting to be removed.
bool HasExploded(const SpaceObject& object);
// The network game, while one is running and connected; null otherwise.
NetSession* ActiveSession();
// An object event packet (first object, second object) to the game.
void SendObjectEvent(NetSession& session, uint16_t type, const SpaceObject* first, const SpaceObject* second);
// An object leaves the game: OBJECT_DESTROY from the host, a destruction
// request from a client.
void SendRemoval(NetSession& session, const SpaceObject* object, const SpaceObject* killer);

}  // namespace kinds
