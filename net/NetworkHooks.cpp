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

}  // namespace

void InstallNetworkHooks() {
    GameState::NetworkHooks hooks;
    hooks.isNetworkGame = [] { return ActiveSession() != nullptr; };
    hooks.isHost = [] { return ActiveSession() != nullptr && ActiveSession()->IsHost(); };
    hooks.isClient = [] { return ActiveSession() != nullptr && !ActiveSession()->IsHost(); };
    hooks.createObject = CreateObject;
    hooks.createProjectile = CreateProjectile;
    hooks.deleteSession = [](NetSession* session) { delete session; };
    hooks.deleteSettings = [](NetGameSettings* settings) { delete settings; };
    GameState::SetNetworkHooks(hooks);
}
