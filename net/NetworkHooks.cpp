#include "net/NetworkHooks.h"

#include "engine/Clock.h"
#include "game/GameState.h"
#include "game/Mission.h"
#include "objects/ships/Craft.h"
#include "objects/space/SpaceObject.h"
#include "net/NetGameSettings.h"
#include "net/NetGoalPackets.h"
#include "net/NetPacket.h"
#include "net/NetPacketType.h"
#include "net/NetSession.h"

namespace {

NetSession* ActiveSession() {
    NetSession* const session = g_gameState != nullptr ? g_gameState->netSession : nullptr;
    return session != nullptr && session->IsActive() ? session : nullptr;
}

int32_t CreateObject(SpaceObject* object) {
    NetSession* const session = ActiveSession();
    if (session == nullptr) return 1;
    NetPacket packet;
    packet.BuildObjectPacket(session->IsHost() ? kObjectCreate : kCreationRequest, object);
    if (packet.GetData() != nullptr) session->SendGamePacket(packet.GetData(), packet.GetSize());
    return session->IsHost() ? 1 : 0;
}

// The host makes every projectile and tells everybody; a client asks the host
// and keeps nothing of its own.
int32_t CreateProjectile(Projectile* projectile) {
    NetSession* const session = ActiveSession();
    if (session == nullptr) return 1;
    NetPacket packet;
    packet.BuildProjectilePacket(session->IsHost() ? kProjCreate : kProjRequest, projectile, nullptr, 0);
    if (packet.GetData() != nullptr) session->SendGamePacket(packet.GetData(), packet.GetSize());
    return session->IsHost() ? 1 : 0;
}

// The host takes a frame's share of packets: the rest wait for the next
// pass, so that a peer sending without pause cannot hold the frame. A
// client drains what its server sent (a MEGAPACKET a pass may hold more
// than a share). One too large for the buffer is dropped by the link.
void Receive(GameState& game) {
    static uint8_t buffer[platform::kMaxSessionMessageSize];
    NetSession* const session = game.netSession;
    if (session == nullptr) return;
    session->packetsThisPass = 0;
    const bool shared = session->IsHost();
    while ((!shared || session->packetsThisPass < NetSession::kPacketsPerPass) &&
           session->Receive(buffer, sizeof buffer) == 0) {
    }
}

// Identities again, on a clock of their own, to whoever has a ship and has
// not confirmed its number: an identity lost on the way would leave the
// client flying under a number nobody else knows.
void ResendIdentities(NetSession& session, uint32_t now) {
    if (now - session.lastIdInfoPass < NetSession::kIdInfoResendMs) return;
    session.lastIdInfoPass = now;
    for (int32_t i = 0; i < session.playerCapacity; ++i) {
        const NetPlayer* const player = session.Player(i);
        // The host never acknowledges itself; its own entry needs no identity.
        if (player->inUse == 0 || player->idAcked != 0 || player->dpid == session.ownDpid || player->shipUoid < 0) {
            continue;
        }
        NetPacket packet;
        packet.BuildIdInfo(kIdInfo, player->dpid, session.serverDpid, player->shipUoid);
        if (packet.GetData() != nullptr) session.Send(session.serverDpid, player->dpid, packet.GetData(), packet.GetSize());
    }
}

// The host's update pass: every object that changed since the last pass.
void SendHostUpdates(GameState& game, NetSession& session) {
    const uint32_t now = GetMilliseconds();
    ResendIdentities(session, now);
    if (now - session.lastUpdatePass <= uint32_t(session.updateInterval)) return;
    session.lastUpdatePass = now;
    ++session.updatePasses;
    if (game.mission == nullptr) return;
    for (SpaceObject* object = game.mission->firstObject; object != nullptr; object = object->GetNext()) {
        if (object->active == 0 || object->uoid < 0 || (object->flags & SpaceObject::kFlagChanged) == 0) continue;
        const auto* const craft = dynamic_cast<const Craft*>(object);
        if (craft != nullptr && craft->dead != 0) continue;
        object->flags &= ~SpaceObject::kFlagChanged;
        NetPacket packet;
        packet.BuildObjectPacket(kObjectUpdate, object);
        if (packet.GetData() != nullptr) session.SendToAll(session.serverDpid, packet.GetData(), packet.GetSize());
    }
}

void Send(GameState& game) {
    NetSession* const session = game.netSession;
    if (session == nullptr) return;
    if (session->IsHost()) {
        if (session->CountPlayers() > 1) SendHostUpdates(game, *session);
    } else if (game.playerShip != nullptr && game.playerShip->active != 0) {
        NetPacket packet;
        packet.BuildObjectPacket(kPlayerInfo, game.playerShip);
        if (packet.GetData() != nullptr) session->Send(session->ownDpid, session->serverDpid, packet.GetData(), packet.GetSize());
    }
    session->FlushFrame();
}

}  // namespace

void InstallNetworkHooks() {
    GameState::NetworkHooks hooks;
    hooks.isNetworkGame = [] { return ActiveSession() != nullptr; };
    hooks.isHost = [] { return ActiveSession() != nullptr && ActiveSession()->IsHost(); };
    hooks.isClient = [] { return ActiveSession() != nullptr && !ActiveSession()->IsHost(); };
    hooks.createObject = CreateObject;
    hooks.createProjectile = CreateProjectile;
    hooks.deleteSession = [](NetSession* session) {
        if (session != nullptr) session->Close();
        delete session;
    };
    hooks.receive = Receive;
    hooks.send = Send;
    hooks.deleteSettings = [](NetGameSettings* settings) { delete settings; };
    GameState::SetNetworkHooks(hooks);
    net_handlers::InstallGoalHooks();
}
