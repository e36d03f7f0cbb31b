#pragma once
#include <cstdint>

#include "engine/NamedObject.h"
#include "engine/Status.h"
#include "engine/Vector3.h"

class Particle;

// A fixed-capacity group of particles that it owns, steps and draws. Dead
// members keep their slots until a newcomer takes one. It cannot be
// copied: two groups would own one member array.
class ParticleSystem : public NamedObject {
public:
    ParticleSystem();
    explicit ParticleSystem(uint32_t capacity);
    ParticleSystem(const ParticleSystem&) = delete;
    ParticleSystem& operator=(const ParticleSystem&) = delete;
    ~ParticleSystem() override;

    void Draw() override;
    void Update() override;
    // 1 for 0 (and no array), 2 when memory runs out, else 0; the members
    // before are deleted either way.
    virtual Status SetCapacity(uint32_t n);
    virtual void Clear();
    // Takes the particle: into the first free or dead slot, moved by the
    // origin, given the group's step and render mask; deleted when the
    // group is full of live particles.
    void AddParticle(Particle* particle);
    // The first slot from `from` on that a newcomer may take (empty, or a
    // dead member's); `capacity` when all the rest hold live particles.
    uint32_t FreeSlot(uint32_t from = 0) const;
    // FreeSlot() for a group whose members change only through it (its
    // adds, steps, draws and clears): the walk starts past the slots its
    // own steps and draws found taken, so a full group costs no walk.
    uint32_t FirstFreeSlot();
    // AddParticle into that slot, which FreeSlot gave since the last change.
    // The particle may be the slot's own dead member, made anew.
    void AddParticleAt(Particle* particle, uint32_t slot);
    void SetMemberFactor(float value);

    float step = 1.0f;
    uint32_t unused0 = 0;
    uint32_t capacity = 0;
    Particle** members = nullptr;
    uint32_t unused1[4] = {};
    Vector3 origin{};

private:
    // Steps or draws each live member (`visit` Particle::Update or Draw).
    void VisitLive(void (Particle::*visit)());
    // No slot before it is free, as long as the members change only
    // through the group.
    uint32_t takenBefore_ = 0;
};
