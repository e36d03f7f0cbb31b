#pragma once
#include <cstdint>

#include "engine/EngineAllocation.h"
#include "engine/Vector3.h"
#include "objects/space/ObjectLink.h"
#include "objects/space/SpaceObject.h"

// A shot in flight, named across machines by its place in the game state's
// projectile list. The fields the packets carry; the projectile's flight,
// hits and visuals come with the projectile weapons.
class Projectile : public EngineObject {
public:
    static constexpr int kNameBytes = 16;

    Projectile() = default;
    virtual ~Projectile() = default;
    Projectile(const Projectile&) = delete;
    Projectile& operator=(const Projectile&) = delete;

    Vector3 velocity{};
    Vector3 position{};
    DamageRecord damage;
    int32_t emp = 0;
    int32_t life = 0;   // remaining, in milliseconds
    ObjectLink owner;
    char typeName[kNameBytes + 1] = {};
    char trailName[kNameBytes + 1] = {};
};
