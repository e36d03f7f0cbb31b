#include "objects/weapons/WeaponNet.h"

#include "game/GameState.h"
#include "net/NetPacket.h"
#include "net/NetPacketType.h"
#include "net/NetSession.h"
#include "objects/ships/Craft.h"
#include "objects/space/SpaceObject.h"

namespace weapon_net {

namespace {

void Send(const NetPacket& packet) {
    NetSession* const session = g_gameState != nullptr ? g_gameState->netSession : nullptr;
    if (session == nullptr || !session->IsActive() || packet.GetData() == nullptr) return;
    session->SendGamePacket(packet.GetData(), packet.GetSize());
}

// What a hit names to the other machines. A wreck takes nothing here, and
// names nothing there: the host may have brought the ship back by the time
// the word arrives, and the new ship would take the hit meant for the wreck.
const SpaceObject* Struck(const SpaceObject* target) {
    const auto* const craft = dynamic_cast<const Craft*>(target);
    return craft != nullptr && craft->dead != 0 ? nullptr : target;
}

}  // namespace

void SendWeaponFire(uint16_t type, const DamageRecord& record, int32_t strength, const SpaceObject* target,
                    const char* name, int32_t firingPart, int32_t hitPart, const Vector3& impact) {
    NetPacket packet;
    packet.BuildWeaponFire(type, record, strength, Struck(target), 0, name, firingPart, hitPart, impact);
    Send(packet);
}

void SendEmpDamage(const SpaceObject* target, int32_t amount) {
    if (Struck(target) == nullptr) return;
    NetPacket packet;
    packet.BuildEmpDamage(kEmpDamage, target, amount);
    Send(packet);
}

}  // namespace weapon_net
