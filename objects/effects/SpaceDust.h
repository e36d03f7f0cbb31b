#pragma once
#include <cstdint>

#include "scene/Particle.h"

class Billboard;
class ParticleSystem;

// One mote of space dust: a shared sprite moved to where the mote drifts,
// placed anew ahead of the camera once it leaves the view or has been seen
// for 100 frames.
class DustMote : public Particle {
public:
    static constexpr int32_t kSeenFrames = 100;
    static constexpr float kAhead = 200.0f;
    static constexpr int32_t kBox = 400;

    explicit DustMote(Billboard* sprite);
    void Draw() override;
    void Update() override;
    // With `randomDirection` the mote also takes a new drift.
    virtual void Respawn(int32_t randomDirection);

    float speedFactor = 0.1f;
    Billboard* sprite;   // the game state's, shared
    int32_t framesShown = 0;
};

// The dust field of a flight: `count` motes spread over the game state's
// dust sprites, made once (nothing for a count below 1 or while a field
// exists). The game state owns it.
ParticleSystem* CreateDustField(int32_t count);
