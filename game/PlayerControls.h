#pragma once
#include <cstdint>

// What the player's hands keep between flight frames, besides the commands.
struct PlayerControls {
    // The throttle, 0 to 1 of the engine's acceleration, while a throttle
    // key is held; a new press starts again from the engine's allocation, so
    // the throttle follows whatever else set the power.
    float throttle = 0.0f;
    bool throttling = false;
    // The weapon group the fire command fires; 0 until the first shot or
    // choice picks the first group the ship carries.
    int32_t weaponGroup = 0;
};
