#pragma once
#include <cstdint>

class SpaceObject;

// What the network packets carry of an object beyond the base fields: the
// kinds fill it (a missile its words, owner, target and lifetime, a craft
// its logo, shield and power), the base gives the plain object's values.
struct NetObjectState {
    // The 44-byte tail of OBJECT_CREATE, as 32-bit words; the first `tailWords` are written.
    uint32_t tail[11] = {};
    int32_t tailWords = 0;
    SpaceObject* owner = nullptr;     // a missile's or mine's, for COLLISION
    int32_t explodeFlag = 1;          // DESTRCTION_REQUEST and OBJECT_DESTROY
    int32_t shieldDepletion = 0;      // percent
    int32_t cloaked = 0;
    int32_t powerDraw = 0;
};
