#include "objects/effects/StreamEffect.h"

#include <algorithm>
#include <cmath>

#include "engine/Random.h"
#include "engine/Clock.h"
#include "game/EffectTypes.h"
#include "objects/effects/EffectSupport.h"
#include "scene/Material.h"

EffectSprite::EffectSprite(const Vector3& at, const Vector3& drift, StreamType* type, int32_t offset, float spriteSide)
    : streamType(type), side(spriteSide), timeOffset(offset), velocity(drift), basePosition(at) {
    startTime = GetMilliseconds();
    position = at;
    alpha = 255;
    width = height = side;
    if (type != nullptr && type->frameCount > 0) SetMaterial(type->frames[0]);
}

EffectSprite::~EffectSprite() = default;

void EffectSprite::Update() {
    if (streamType == nullptr || streamType->frameCount <= 0) {
        flags |= 0x1000000;
        return;
    }
    const StreamType& type = *streamType;
    const int32_t perFrame = std::max(type.timePerFrame, 1);
    const int32_t t = int32_t(GetMilliseconds() - startTime) - timeOffset;
    position = basePosition.Sum(velocity.Scaled(float(t) * 0.001f));
    if (t > perFrame) {
        const int32_t n = t / perFrame;
        timeOffset += n * perFrame;
        basePosition = position;
        frameIndex += n;
        if (frameIndex < type.frameCount) {
            SetMaterial(type.frames[size_t(frameIndex)]);
        } else {
            flags |= 0x1000000;
        }
    }
    width = height = side;
    const int32_t left = std::max(type.frameCount - frameIndex, 0);
    alpha = 255 * left / type.frameCount;
}

StreamEffect::StreamEffect(const char* name) : StreamEffect(FindStreamType(name)) {}

StreamEffect::StreamEffect(StreamType* type) : streamType(type) { startTime = GetMilliseconds(); }

StreamEffect::~StreamEffect() = default;

void StreamEffect::Spawn(const Vector3& at, const Vector3& velocity, int32_t age) {
    auto* const sprite = new EffectSprite(at, velocity, streamType, age, spriteSide);
    lastSpawn = sprite->position;
    effects::Register(sprite, "weapons");
}

void StreamEffect::Update(const Vector3& position, const Vector3& velocity) {
    if (streamType == nullptr) return;
    const uint32_t elapsed = GetMilliseconds() - startTime;
    const float dt = float(elapsed - lastElapsed);
    lastElapsed = elapsed;
    // An emitter somewhere no sprite can stand lays nothing, and the trail
    // goes on from where it last was.
    if (!std::isfinite(position.x) || !std::isfinite(position.y) || !std::isfinite(position.z)) return;
    Vector3 drift = velocity.Scaled(float(streamType->driftPercent) / 100.0f);
    if (!std::isfinite(drift.x) || !std::isfinite(drift.y) || !std::isfinite(drift.z)) drift = {};
    const float spacing = streamType->spacing;
    Vector3 d = position.Difference(lastSpawn);
    float dist = d.Length();
    // Beyond the cap the float steps below would also stop shrinking the
    // distance (a spacing lost in a huge one), so the loop must not start.
    const bool farJump = !std::isfinite(dist) || (spacing > 0.0f && dist > spacing * float(kMaxSpritesPerUpdate));
    if (firstUpdate != 0 || farJump) {
        Spawn(position, drift, 0);
        firstUpdate = 0;
        return;
    }
    if (!(dist > 0.0f)) return;
    // Without a positive spacing there is no path to lay sprites along.
    if (!(spacing > 0.0f)) return;
    const int32_t stepTime = int32_t(dt * spacing / dist);
    if (dist <= spacing) return;
    d.Normalize();
    d = d.Scaled(spacing);
    int32_t age = int32_t(dt);
    int32_t laid = 0;
    do {
        const Vector3 at = lastSpawn.Sum(d);
        dist -= spacing;
        Vector3 spriteVelocity = drift;
        if (jitter > 0.0f) {
            Vector3 shake = RandomDifferenceVector();
            shake.Normalize();
            spriteVelocity = spriteVelocity.Sum(shake.Scaled(jitter));
        }
        age -= stepTime;
        Spawn(at, spriteVelocity, age);
    } while (dist > spacing && ++laid < kMaxSpritesPerUpdate);
}
