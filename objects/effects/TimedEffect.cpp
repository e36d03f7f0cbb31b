#include "objects/effects/TimedEffect.h"

#include "engine/Clock.h"
#include "engine/MathRoutineTable.h"
#include "game/EffectTypes.h"
#include "objects/space/SpaceObject.h"
#include "scene/Model.h"

TimedEffect::TimedEffect(AnimationType* type, const Vector3& at, SpaceObject* parent, const Vector3& direction,
                         const Vector3& drift)
    : animationType(type), position(at), forward(direction), velocity(drift) {
    parentFrame = parent;
    hadParent = parent != nullptr;
    startTime = GetMilliseconds();
    Show(0);
    if (forward.Dot(forward) > 0.0f) local.SetForward(&forward, Transform::kAllFlags);
    Place();
}

TimedEffect::~TimedEffect() = default;

void TimedEffect::Show(int32_t frame) {
    frameIndex = frame;
    if (animationType == nullptr || frame < 0 || frame >= animationType->frameCount) return;
    AttachModel((*animationType->frames)[frame], kAttachUpdateBounds);
}

void TimedEffect::Place() {
    Vector3 shown = position;
    if (SpaceObject* const parent = parentFrame.Get()) TransformPoint(&position, &parent->world.matrix, &shown);
    local.SetPosition(&shown, Transform::kAllFlags);
    UpdateWorldTransform(Transform::kUpdateInverse);
}

void TimedEffect::Animate() {
    const uint32_t elapsed = GetMilliseconds() - startTime;
    const float dt = float(elapsed - lastElapsed);
    position = position.Sum(velocity.Scaled(dt * 0.001f));
    lastElapsed = elapsed;
    if (animationType == nullptr || (hadParent && parentFrame.Get() == nullptr)) {
        flags |= 0x1000000;
        return;
    }
    const AnimationType& type = *animationType;
    const int32_t frame = type.duration >= 1 ? int32_t(int64_t(type.frameCount) * elapsed / type.duration)
                                             : frameIndex + 1;
    if (frame < type.frameCount) {
        if (frame != frameIndex) Show(frame);
    } else if (type.repeat != 0 && type.frameCount > 0) {
        startTime = GetMilliseconds();
        lastElapsed = 0;
        Show(0);
    } else {
        flags |= 0x1000000;
    }
    Place();
}
