#include "scene/ParticleSystem.h"

#include <new>

#include "scene/Particle.h"

ParticleSystem::ParticleSystem() : NamedObject(kTypeParticleSystem) {}

ParticleSystem::ParticleSystem(uint32_t n) : ParticleSystem() { SetCapacity(n); }

ParticleSystem::~ParticleSystem() { ParticleSystem::Clear(); }

Status ParticleSystem::SetCapacity(uint32_t n) {
    Clear();
    capacity = n;
    if (n == 0) return 1;
    members = new (std::nothrow) Particle*[n]();
    if (members == nullptr) {
        capacity = 0;
        return 2;
    }
    return kStatusOk;
}

void ParticleSystem::Clear() {
    takenBefore_ = 0;
    if (members != nullptr) {
        for (uint32_t i = 0; i < capacity; ++i) delete members[i];
        delete[] members;
    }
    members = nullptr;
}

void ParticleSystem::AddParticle(Particle* particle) { AddParticleAt(particle, FreeSlot()); }

uint32_t ParticleSystem::FreeSlot(uint32_t from) const {
    if (members == nullptr) return capacity;
    uint32_t slot = from;
    while (slot < capacity && members[slot] != nullptr && (members[slot]->flags & Particle::kFlagDead) == 0) ++slot;
    return slot;
}

uint32_t ParticleSystem::FirstFreeSlot() {
    takenBefore_ = FreeSlot(takenBefore_);
    return takenBefore_;
}

void ParticleSystem::AddParticleAt(Particle* particle, uint32_t slot) {
    if (particle == nullptr) return;
    if (members == nullptr || slot >= capacity) {
        delete particle;
        return;
    }
    if (members[slot] != particle) delete members[slot];
    if (slot == takenBefore_) ++takenBefore_;
    particle->position = {particle->position.x + origin.x, particle->position.y + origin.y,
                          particle->position.z + origin.z};
    particle->flags &= ~Particle::kFlagDead;
    particle->step = step;
    particle->renderMask = renderMask;
    members[slot] = particle;
}

void ParticleSystem::SetMemberFactor(float value) {
    // Every member took the group's step when it came and at each change
    // since: the same step again changes none.
    if (value == step) return;
    step = value;
    if (members == nullptr) return;
    for (uint32_t i = 0; i < capacity; ++i) {
        if (members[i] != nullptr) members[i]->step = value;
    }
}

void ParticleSystem::Draw() { VisitLive(&Particle::Draw); }

void ParticleSystem::Update() { VisitLive(&Particle::Update); }

// A member may die in its step or its draw: the walk that visits every
// member anyway notes the first free slot for the next newcomer.
void ParticleSystem::VisitLive(void (Particle::*visit)()) {
    if (members == nullptr) return;
    uint32_t firstFree = capacity;
    for (uint32_t i = 0; i < capacity; ++i) {
        Particle* const member = members[i];
        if (member != nullptr && (member->flags & Particle::kFlagDead) == 0) (member->*visit)();
        if (firstFree == capacity && (member == nullptr || (member->flags & Particle::kFlagDead) != 0)) firstFree = i;
    }
    takenBefore_ = firstFree;
}
