#include "scene/Particle.h"

#include "engine/MathRoutineTable.h"
#include "scene/Camera.h"
#include "scene/RenderPath.h"
#include "scene/ViewContext.h"

Particle::Particle(const Vector3* where, const Vector3* moving, uint32_t particleColour, float lifetime)
    : NamedObject(kTypeParticle), colour(particleColour), life(lifetime) {
    if (where != nullptr) position = *where;
    if (moving != nullptr) velocity = *moving;
}

Particle::Particle(float x, float y, float z, uint32_t particleColour, float lifetime)
    : Particle(x, y, z, 0.0f, 0.0f, 0.0f, particleColour, lifetime) {}

Particle::Particle(float x, float y, float z, float vx, float vy, float vz, uint32_t particleColour, float lifetime)
    : NamedObject(kTypeParticle), position{x, y, z}, colour(particleColour), life(lifetime), velocity{vx, vy, vz} {}

void Particle::Update() {
    if (life > 0.0f) {
        life -= (flags & kFlagLifeBySteps) != 0 ? step : 1.0f;
        if (!(life > 0.0f)) flags |= kFlagDead;
    }
    if (step != 0.0f) {
        velocity = {velocity.x + acceleration.x * step, velocity.y + acceleration.y * step,
                    velocity.z + acceleration.z * step};
        position = {position.x + velocity.x * step, position.y + velocity.y * step, position.z + velocity.z * step};
    }
}

void Particle::Draw() {
    ViewContext* const current = g_viewContext;
    if (current == nullptr || current->camera == nullptr || current->camera->canvas == nullptr) return;
    // The point is drawn as this particle in its group's view: the view
    // is lent for the one point rather than copied and pushed, which a
    // trail's hundreds of particles a frame would pay each.
    NamedObject* const drawing = current->object;
    current->object = this;
    const Camera& camera = *current->camera;
    Vector3 eye;
    g_mathRoutineTable.transformPoint(&position, &camera.transform.inverse, &eye);
    g_primScratch.x = eye.x;
    g_primScratch.y = eye.y;
    g_primScratch.depth = eye.z;
    g_primScratch.colour = colour;
    g_primScratch.intensity = float(CanvasFullLevel(*camera.canvas));
    flags &= ~kFlagInView;
    EmitSortedPrimitive(kDrawClip);
    current->object = drawing;
    if (state == kStateUnseen && (flags & kFlagInView) != 0) {
        state = kStateSeen;
    } else if (state == kStateSeen && (flags & kFlagInView) == 0) {
        flags |= kFlagDead;
        life = 0.0f;
    }
}
