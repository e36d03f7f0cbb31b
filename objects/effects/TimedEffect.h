#pragma once
#include <cstdint>

#include "engine/Vector3.h"
#include "objects/space/ObjectLink.h"
#include "scene/SceneObject.h"

struct AnimationType;
class SpaceObject;

// A 3-D animation: the models of an animation type shown in turn over its
// duration (or one per update), drifting with a velocity, placed in the
// world or in a parent object's frame.
class TimedEffect : public SceneObject {
public:
    TimedEffect(AnimationType* type, const Vector3& position, SpaceObject* parent, const Vector3& forward,
                const Vector3& velocity);
    ~TimedEffect() override;

    void Update() override { Animate(); }
    void Animate();

    AnimationType* animationType = nullptr;
    Vector3 position{};
    Vector3 forward{};
    Vector3 velocity{};
    // While set, the position is in the parent's coordinates. An effect
    // whose parent left the world ends with it.
    ObjectLink parentFrame;
    bool hadParent = false;
    uint32_t startTime = 0;
    int32_t frameIndex = 0;
    uint32_t lastElapsed = 0;

private:
    void Show(int32_t frame);
    void Place();
};
