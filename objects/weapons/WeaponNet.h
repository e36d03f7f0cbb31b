#pragma once
#include <cstdint>

#include "engine/Vector3.h"

class SpaceObject;
struct DamageRecord;

// What the weapons tell the other machines, only while a session is open
// and connected: a client sends to the host, the host to everybody.
namespace weapon_net {

// GUN_SHOT or BEAM_HIT: the strength is a gun's shot count.
void SendWeaponFire(uint16_t type, const DamageRecord& record, int32_t strength, const SpaceObject* target,
                    const char* name, int32_t firingPart, int32_t hitPart, const Vector3& impact);
void SendEmpDamage(const SpaceObject* target, int32_t amount);

}  // namespace weapon_net
