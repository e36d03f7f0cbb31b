#pragma once
#include <cstdint>

#include "engine/Vector3.h"
#include "objects/space/ObjectLink.h"
#include "scene/Billboard.h"

struct ExplosionType;
class LensFlare;
class Projectile;
class SpaceObject;

// A sprite explosion: the frames of an explosion type played once on a
// billboard after a random start delay, with the type's flare, sound, shock
// spheres and 3-D animation set off when the first frame shows. It ends
// itself: the type is cleared after the last frame and the next update
// asks the object groups to remove it.
class FxObject : public Billboard {
public:
    static constexpr int32_t kDefaultSizeAt = 25;        // 1.0 world units
    static constexpr int32_t kDefaultSizeNamed = 50;     // 2.0
    static constexpr float kSizeUnit = 0.04f;

    ~FxObject() override;
    void Update() override;

    // At an object, half its radius along the flight camera's line of
    // sight, moving with it. Null without a flight camera.
    static FxObject* FxObjectAt(SpaceObject* object, const char* name);
    // Where a projectile ends: its type's explosion at its point, facing
    // back along its flight (toward the struck object's surface with one).
    static FxObject* FxObjectFor(const Projectile* projectile, const SpaceObject* hitObject);
    // On the surface of an object, following it; silent.
    static FxObject* FxObjectNamed(SpaceObject* object, const char* name);
    // Unlinks and deletes every element of a chain linked through `next`.
    static void DeleteChain(NamedObject* chain);

    Vector3 GetPosition() const { return position; }

    uint32_t startTime = 0;
    uint32_t frameClock = 0;    // elapsed ms already turned into frames
    uint32_t moveClock = 0;     // elapsed ms already turned into movement
    int32_t startDelay = 0;
    int32_t frameIndex = -1;
    ExplosionType* explosionType = nullptr;
    int32_t soundFlag = 0;
    float size = 0.0f;
    int32_t attachFlag = 0;
    ObjectLink attached;
    Vector3 velocity{};
    Vector3 forward{};
    LensFlare* lensFlare = nullptr;
    // A pointer that names this explosion (a dying craft's first one); the
    // explosion clears it when it goes.
    FxObject** watcher = nullptr;

private:
    FxObject(const char* name, int32_t defaultSizeCode);
    // Off the game state's flare list and deleted with its elements.
    void EndFlare();
    // Steps 5a-5e: what happens once, when the first frame shows.
    void Start(const Vector3& random);
};
