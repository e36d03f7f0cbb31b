#pragma once
#include <cstdint>

#include "engine/Vector3.h"
#include "objects/space/ObjectLink.h"
#include "scene/BoxObject.h"

class Frame;
class SpaceObject;

// A gun shot: a thin box from the muzzle to where the shot ends, both in
// the frame it leaves from (the owner, or one of its parts or turrets),
// seen for two frames (the second one faded). A shot whose object left the
// world ends at its next update.
class ShotEffect : public BoxObject {
public:
    static constexpr float kHalfSide = 0.2f;

    ShotEffect(Frame* owner, const Vector3& endPoint, const Vector3& startPoint);
    ~ShotEffect() override;
    void Update() override;

    int32_t updateCount = 0;
    ObjectLink owner;   // the space object the frame belongs to
    Vector3 startPoint{};
    Vector3 endPoint{};
};
