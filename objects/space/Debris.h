#pragma once
#include <cstdint>

#include "mission/SpawnRecords.h"
#include "objects/space/MovingObject.h"
#include "objects/space/ObjectLink.h"
#include "scene/ParticleSystem.h"

class DebrisSparks;

// A tumbling piece (type 9), never sent over the network: inactive until
// activated with a spin, a kick and an optional lifetime; it may feed a
// spark trail while it flies.
class Debris : public MovingObject {
public:
    explicit Debris(SpaceObject* templateObject);
    Debris(SpaceObject* templateObject, const spawn_records::Debris& record);
    ~Debris() override;
    void Init() override;
    SpaceObject* Clone(SpaceObject* placementSource, int32_t = 0, int32_t = 0) override;
    void Activate(float seconds) override;
    void Simulate(uint32_t milliseconds) override;

    DebrisSparks* sparks = nullptr;   // owned by the object groups; cleared when it goes
};

// Red sparks trailing a piece of debris; they fade eight updates after the
// debris stops feeding them.
class DebrisSparks : public ParticleSystem {
public:
    static constexpr uint32_t kCapacity = 20;
    static constexpr int32_t kFadeUpdates = 9;

    explicit DebrisSparks(Debris* owner);
    ~DebrisSparks() override;
    void Emit();
    void Update() override;

    ObjectLink owner;
    uint32_t darkRed = 0;
    uint32_t brightRed = 0;
    int32_t age = 0;
};
