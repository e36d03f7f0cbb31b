// The host's collisions replayed on the clients, and the clients' reports
// of their kills and deaths.
#include "game/GameState.h"
#include "net/NetHandlers.h"
#include "net/NetPacketReaders.h"
#include "net/NetPilotBounds.h"
#include "net/NetSession.h"
#include "objects/ships/Craft.h"
#include "objects/space/SpaceObject.h"
#include "scene/Transform.h"

namespace net_handlers {

namespace {

// Where the host left one side of the collision, before its impact.
void TakeOutcome(SpaceObject& object, SpaceObject& partner, int32_t impact, int32_t hidden, const Vector3& position,
                 const Vector3& velocity) {
    object.collisionPartner = &partner;
    object.partnerPart = impact;
    object.collisionDelay = hidden;
    object.UpdateVisibility();
    object.SetPositionFlags(position, Transform::kAllFlags);
    object.velocity = velocity;
}

}  // namespace

void Collision(const NetInbound& packet) {
    const GameState* const game = g_gameState;
    if (game == nullptr || game->playerShip == nullptr || game->mode != GameState::kModeFlight) return;
    Trace(packet, "Recieving COLLISION packet.\n");
    const auto in = net_read::ReadCollision(packet.data, packet.size);
    if (!in) return;
    SpaceObject* const first = FindByUoid(in->first);
    SpaceObject* const second = FindByUoid(in->second);
    if (first == nullptr || second == nullptr) return;
    TakeOutcome(*first, *second, in->firstImpact, in->firstHidden, in->firstPosition, in->firstVelocity);
    TakeOutcome(*second, *first, in->secondImpact, in->secondHidden, in->secondPosition, in->secondVelocity);
    // The host applied them in this order; each copy takes its own damage.
    first->ApplyImpact(0);
    second->ApplyImpact(0);
}

void Death(const NetInbound& packet) {
    Trace(packet, "Recieving DEATH packet.\n");
    const auto in = net_read::ReadDeath(packet.data, packet.size);
    if (!in) return;
    NetSession& session = packet.session;
    // A client reports its own ship's death, which the host's world saw
    // (its request to destroy the ship went first: the copy is in its death
    // sequence, or lies inactive), at the hands of a killer the host saw
    // strike it. Any other report would let a member announce, score and
    // pay deaths nobody died, or credit anyone with its own. A ship that
    // left the flight (a jump out, an eject) died no death.
    const int32_t entry = session.FindPlayerByDpid(packet.from);
    const int32_t ownShip = entry >= 0 ? session.GetPlayerUoid(entry) : -1;
    const auto* const craft = dynamic_cast<const Craft*>(FindByUoid(in->victim));
    if (ownShip < 0 || in->victim != ownShip || craft == nullptr || (craft->active != 0 && craft->dead == 0) ||
        craft->jumpedOut != 0) {
        return;
    }
    if (!net_bounds::SeenKiller(session, entry, in->killer)) return;
    // A death without a killer is the pilot's own doing.
    session.AnnounceKill(in->killer >= 0 ? in->killer : in->victim, in->victim);
}

}  // namespace net_handlers
