#pragma once
#include <cstdint>

#include "engine/NamedObject.h"
#include "engine/Vector3.h"

// One coloured point in world space under a constant acceleration, living
// for a limited time. Its group steps and draws it; once seen in the view,
// it dies at its first later draw outside it.
class Particle : public NamedObject {
public:
    static constexpr uint32_t kFlagDead = 0x1;
    static constexpr uint32_t kFlagInView = 0x100;       // set by the point emitter
    static constexpr uint32_t kFlagLifeBySteps = 0x10000;
    static constexpr uint32_t kStateUnseen = 1;
    static constexpr uint32_t kStateSeen = 2;

    Particle(const Vector3* position, const Vector3* velocity, uint32_t colour, float life);
    Particle(float x, float y, float z, uint32_t colour, float life);
    Particle(float x, float y, float z, float vx, float vy, float vz, uint32_t colour, float life);

    void Draw() override;
    void Update() override;

    float step = 0.0f;
    Vector3 position{};
    uint32_t colour = 0;
    float life = 0.0f;
    Vector3 velocity{};
    Vector3 acceleration{};
    uint32_t state = kStateUnseen;
};
