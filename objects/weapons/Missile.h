#pragma once
#include <cstdint>

#include "objects/space/MovingObject.h"
#include "objects/space/ObjectLink.h"

class Weapon;

// A missile (type 12) as its launcher leaves it: who fired it and with
// what, what it carries and whom it homes on. Its flight is its own.
class Missile : public MovingObject {
public:
    explicit Missile(SpaceObject* templateObject);
    SpaceObject* Clone(SpaceObject* placementSource, int32_t = 0, int32_t = 0) override;

    ObjectLink owner;
    // The launching weapon: read only while `owner` still holds its craft.
    Weapon* launcher = nullptr;
    DamageRecord damage;
    ObjectLink target;      // null: unguided
    int32_t targetPart = 0;
    int32_t lifetimeMs = 0;
    int32_t guidance = 0;   // the launcher's lock class
    int32_t empCharge = 0;
    int32_t visibilityWord = 0;   // 0: seen
};

// A mine (type 8) as its layer drops it.
class Mine : public MovingObject {
public:
    explicit Mine(SpaceObject* templateObject);
    SpaceObject* Clone(SpaceObject* placementSource, int32_t = 0, int32_t = 0) override;

    ObjectLink owner;
    Weapon* launcher = nullptr;   // read only while `owner` holds its craft
    DamageRecord damage;
    int32_t empCharge = 0;
    int32_t visibilityWord = 0;   // -1: laid hidden
};
