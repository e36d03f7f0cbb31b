#pragma once
#include <cstdint>

#include "engine/Vector3.h"
#include "objects/space/ObjectLink.h"
#include "scene/BoxObject.h"

class SpaceObject;

// A gun shot: a thin box from the muzzle to where the shot ends, both in
// its owner's frame, seen for two frames (the second one faded). A shot
// whose owner left the world ends at its next update.
class ShotEffect : public BoxObject {
public:
    static constexpr float kHalfSide = 0.2f;

    ShotEffect(SpaceObject* owner, const Vector3& endPoint, const Vector3& startPoint);
    ~ShotEffect() override;
    void Update() override;

    int32_t updateCount = 0;
    ObjectLink owner;
    Vector3 startPoint{};
    Vector3 endPoint{};
};
