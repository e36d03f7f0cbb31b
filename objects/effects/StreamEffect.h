#pragma once
#include <cstdint>

#include "engine/Vector3.h"
#include "objects/space/PartAttachment.h"
#include "scene/Billboard.h"

struct StreamType;

// One sprite of a particle stream: the type's frames played over its life
// while it drifts, fading as it ages. It ends itself after the last frame.
class EffectSprite : public Billboard {
public:
    EffectSprite(const Vector3& position, const Vector3& velocity, StreamType* type, int32_t timeOffset, float side);
    ~EffectSprite() override;
    void Update() override;

    StreamType* streamType = nullptr;
    float side = 0.0f;
    uint32_t startTime = 0;
    int32_t timeOffset = 0;     // the age at creation; negative is older
    int32_t frameIndex = 0;
    Vector3 velocity{};
    Vector3 basePosition{};
};

// A trail left behind a moving emitter: each update its owner hands it the
// emitter's position and velocity, and it lays sprites along the path at
// the type's spacing, each aged by when it would have been laid. A jump
// longer than kMaxSpritesPerUpdate spacings (a ship placed far away) is no
// path: the trail starts again where the emitter landed. Owned by its
// creator, not by the object groups; its sprites are. Riding on an object
// part, it follows the part.
class StreamEffect : public PartAttachment {
public:
    static constexpr int32_t kMaxSpritesPerUpdate = 64;

    explicit StreamEffect(const char* name);
    explicit StreamEffect(StreamType* type);
    ~StreamEffect() override;
    StreamEffect(const StreamEffect&) = delete;
    StreamEffect& operator=(const StreamEffect&) = delete;

    virtual void Update(const Vector3& position, const Vector3& velocity);
    void Follow(const Vector3& position, const Vector3& velocity) override { Update(position, velocity); }
    // One puff at a point, outside the trail.
    void Puff(const Vector3& at, const Vector3& velocity) { Spawn(at, velocity, 0); }

    StreamType* streamType = nullptr;
    float jitter = 0.0f;
    float spriteSide = 0.75f;
    uint32_t lastElapsed = 0;
    uint32_t startTime = 0;
    Vector3 lastSpawn{};
    int32_t firstUpdate = 1;

private:
    void Spawn(const Vector3& at, const Vector3& velocity, int32_t age);
};
