#pragma once
#include <cstdint>

#include "engine/Vector3.h"
#include "objects/space/ObjectLink.h"
#include "scene/BoxObject.h"

struct BeamType;
class Frame;
class SpaceObject;
class Turret;

// A beam weapon's ray: a long box from the muzzle of its owner to the
// target, along a turret's aim or straight ahead, pulsing in width and
// level, shown for four frames. A beam whose owner left the world ends at
// its next update.
class BeamEffect : public BoxObject {
public:
    static constexpr int32_t kDefaultLength = 1000;
    static constexpr int32_t kShownUpdates = 4;

    explicit BeamEffect(BeamType* type);
    ~BeamEffect() override;

    // A null offset is the owner's origin.
    void SetParams(SpaceObject* owner, SpaceObject* target, int32_t wordA, int32_t wordB, int32_t length,
                   const Vector3* muzzleOffset, Turret* turret, int32_t multiplicity);
    // A beam weapon's beam leaves from a part or turret node of the owner and
    // ends at a part node of the target; both are read only while the
    // owner, and the target, are in the world.
    void SetNodes(Frame* launch, Frame* targetPart) {
        launchNode = launch;
        targetNode = targetPart;
    }
    void Update() override;

    int32_t updateCount = 0;
    ObjectLink owner;
    ObjectLink target;
    Vector3 muzzleOffset{};
    BeamType* beamType = nullptr;
    uint32_t startTime = 0;
    int32_t length = kDefaultLength;
    int32_t updateCounter = 0;
    int32_t multiplicity = 1;
    Turret* turret = nullptr;
    int32_t netWords[2] = {};   // kept for the network
    Frame* launchNode = nullptr;
    Frame* targetNode = nullptr;
    // The weapon's pointer to this layer, cleared when the layer goes, so
    // that a layer the groups removed is never reached through it.
    BeamEffect** heldBy = nullptr;
};
