#pragma once
#include <cstdint>

#include "engine/Vector3.h"
#include "scene/ParticleSystem.h"

// A burst of red, orange and pale yellow particles flying out from a point
// with a common drift, gone after 40 updates.
class ExplosionSparks : public ParticleSystem {
public:
    static constexpr int32_t kLife = 40;   // updates

    ExplosionSparks(int32_t count, const Vector3& position, const Vector3& velocity);
    ~ExplosionSparks() override;
    void Update() override;

    int32_t lifeCounter = kLife;
};
