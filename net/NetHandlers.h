#pragma once
#include <cstdint>

class NetSession;
class SpaceObject;

// One received packet on its way to its handler: the dispatcher has checked
// its header against the bytes received and its size against its type.
struct NetInbound {
    NetSession& session;
    uint32_t from;
    uint32_t to;
    const uint8_t* data;
    uint32_t size;   // the header's size
    bool trace;      // header flag bit 0: the handler prints its lines
};

// The handlers of the object, identity and weapon packets. Each silently
// ignores a packet whose preconditions fail (no mission, no world, no such
// object); none answers with an error.
namespace net_handlers {

// The debugger line, only when the packet asks for tracing.
void Trace(const NetInbound& packet, const char* line);
// The same with the uoid formatted into the line.
void TraceUoid(const NetInbound& packet, const char* format, int32_t uoid);
// The world's first object, null without a mission or world.
SpaceObject* World();
SpaceObject* FindByUoid(int32_t uoid);
// Sends the way this machine sends to one machine: the host from
// serverDpid (queued for all), a client from its own id to the server.
void SendTo(NetSession& session, uint32_t to, const uint8_t* data, uint32_t size);
void SendToServer(NetSession& session, const uint8_t* data, uint32_t size);
void SendToAll(NetSession& session, const uint8_t* data, uint32_t size);
// Attaches the heavy-damage "Exhaust" stream to the first part once.
void AddExhaust(SpaceObject& object);

void ObjectCreate(const NetInbound& packet);
void CreationRequest(const NetInbound& packet);
void ObjectUpdate(const NetInbound& packet);
void ObjectRequest(const NetInbound& packet);
void DestructionRequest(const NetInbound& packet);
void ObjectDestroy(const NetInbound& packet);
void AutoturretRequest(const NetInbound& packet);
// The host's welcome of a newcomer: OBJECT_CREATE for every active object
// with a uoid, in world order, to all (the others ignore what they hold).
void SendWorld(NetSession& session);
// The teams of the game settings, each named (team games only), then every
// player with its team (none without teams or settings) and readiness; to all.
void SendTeams(NetSession& session);
// The host's: the name it knows a newcomer by, with its team and readiness,
// to that player alone.
void TellOwnName(NetSession& session, uint32_t dpid);

void NewPlayer(const NetInbound& packet);
void IdInfo(const NetInbound& packet);
void PlayerInfo(const NetInbound& packet);

// PROJ_REQUEST on the host, PROJ_CREATE on a client.
void MakeProjectile(const NetInbound& packet);
void ProjectileHit(const NetInbound& packet);
void ProjectileDestroy(const NetInbound& packet);
void WeaponFire(const NetInbound& packet);   // GUN_SHOT and BEAM_HIT
void EmpDamage(const NetInbound& packet);
void EcmStatus(const NetInbound& packet);
// The host's: ECM_STATUS for a ship whose ECM is on, to all or to one
// machine, after the ship's OBJECT_CREATE. A machine that joins, or takes
// the ship late, learns so how it was switched before.
void SendEcmState(NetSession& session, const SpaceObject& ship, bool toAll, uint32_t to);
void Salvage(const NetInbound& packet);

// COLLISION on a client: the host's outcome replayed on both copies.
void Collision(const NetInbound& packet);
// DEATH on the host: a client's report of its own kill or death.
void Death(const NetInbound& packet);

}  // namespace net_handlers
