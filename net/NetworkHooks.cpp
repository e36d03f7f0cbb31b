#include "net/NetworkHooks.h"

#include "game/GameState.h"
#include "net/NetGameSettings.h"
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

// Drains every message waiting; one too large for the buffer is dropped by the link.
void Receive(GameState& game) {
    static uint8_t buffer[platform::kMaxSessionMessageSize];
    NetSession* const session = game.netSession;
    if (session == nullptr) return;
    while (session->Receive(buffer, sizeof buffer) == 0) {
    }
}

// The identities, object updates and the client's own report of the
// network pass go before the flush once the flight sends them.
void Send(GameState& game) {
    if (game.netSession != nullptr) game.netSession->FlushFrame();
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
}
