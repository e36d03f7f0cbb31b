#include "objects/weapons/WeaponNet.h"

#include "game/GameState.h"
#include "net/NetPacket.h"
#include "net/NetPacketType.h"
#include "net/NetSession.h"
#include "objects/space/SpaceObject.h"

namespace weapon_net {

namespace {

void Send(const NetPacket& packet) {
    NetSession* const session = g_gameState != nullptr ? g_gameState->netSession : nullptr;
    if (session == nullptr || !session->IsActive() || packet.GetData() == nullptr) return;
    session->SendGamePacket(packet.GetData(), packet.GetSize());
}

}  // namespace

void SendWeaponFire(uint16_t type, const DamageRecord& record, int32_t strength, const SpaceObject* target,
                    const char* name, int32_t firingPart, int32_t hitPart, const Vector3& impact) {
    NetPacket packet;
    packet.BuildWeaponFire(type, record, strength, target, 0, name, firingPart, hitPart, impact);
    Send(packet);
}

void SendEmpDamage(const SpaceObject* target, int32_t amount) {
    NetPacket packet;
    packet.BuildEmpDamage(kEmpDamage, target, amount);
    Send(packet);
}

}  // namespace weapon_net
