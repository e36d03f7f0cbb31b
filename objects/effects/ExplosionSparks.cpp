#include "objects/effects/ExplosionSparks.h"

#include <algorithm>

#include "engine/Random.h"
#include "objects/effects/EffectSupport.h"
#include "scene/Particle.h"

ExplosionSparks::ExplosionSparks(int32_t count, const Vector3& position, const Vector3& velocity) {
    struct Kind {
        uint32_t colour;
        float speed;
        int32_t shortest;
    };
    const Kind kinds[3] = {
        {effects::ColourIn("explode", 255, 0, 0), 1.25f, 20},
        {effects::ColourIn("explode", 255, 200, 0), 1.5f, 16},
        {effects::ColourIn("explode", 255, 255, 100), 1.75f, 12},
    };
    const int32_t n = std::max(count, 0);
    SetCapacity(uint32_t(3 * n));
    SetMemberFactor(0.2f);
    for (int32_t i = 0; i < n; ++i) {
        for (const Kind& kind : kinds) {
            Vector3 direction = RandomDifferenceVector();
            direction.Normalize();
            const Vector3 speed = direction.Sum(velocity).Scaled(kind.speed);
            const float life = float(GameRandom() % 20 + kind.shortest);
            AddParticle(new Particle(&position, &speed, kind.colour, life));
        }
    }
}

ExplosionSparks::~ExplosionSparks() = default;

void ExplosionSparks::Update() {
    if (--lifeCounter <= 0) flags |= 0x1000000;
    ParticleSystem::Update();
}
