#pragma once
#include <cstdint>

// What the player's hands keep between flight frames, besides the commands.
struct PlayerControls {
    // The throttle, 0 to 1 of the engine's acceleration, and the engine
    // power it last set. Once something else has changed the power (-1: the
    // throttle never set it), the keys go on from the power as it stands.
    float throttle = 0.0f;
    int32_t throttlePower = -1;
    // The weapon group the fire command fires; 0 until the first shot or
    // choice picks the first group the ship carries.
    int32_t weaponGroup = 0;
};
