#pragma once
#include <cstdint>

#include "engine/NamedObject.h"
#include "engine/Vector3.h"
#include "objects/space/ObjectLink.h"
#include "objects/space/SpaceObject.h"

class Billboard;
class Palette;
class ProjectileLightHolder;
struct ProjectileType;
class SceneObject;
class StreamEffect;
class Weapon;

// A shot in flight (not a space object): its type's model, glow and light,
// a straight flight that may burst into fragments after a fuse, hit-tested
// once a frame by the game state's projectile pass. Only the host or an
// offline game ends projectiles; they are named across machines by their
// place in the game state's projectile list.
class Projectile : public NamedObject {
public:
    static constexpr int kNameBytes = 16;
    static constexpr float kLightInner = 5.0f;
    static constexpr float kLightOuter = 20.0f;
    static constexpr uint32_t kEnded = 0x1000000;

    // A bare record, for packets read and written without a flight.
    Projectile();
    // Builds the visuals and joins the game state's projectile list; takes
    // the stream effect.
    Projectile(ProjectileType* type, const DamageRecord& damage, int32_t emp, const Vector3& velocity,
               const Vector3& launchPoint, SpaceObject* owner, Weapon* weapon, int32_t lifetime, StreamEffect* stream);
    ~Projectile() override;
    Projectile(const Projectile&) = delete;
    Projectile& operator=(const Projectile&) = delete;

    void Draw() override;
    void Update() override;
    // "3DPROJ" with a model, else the game's current palette: the group key.
    Palette* GetPalette() const;
    // The launching weapon, only while its craft is there.
    Weapon* LaunchingWeapon() const { return owner.Get() != nullptr ? weapon : nullptr; }

    SceneObject* sceneObject = nullptr;      // owned
    Billboard* glow = nullptr;               // owned
    StreamEffect* stream = nullptr;          // owned
    ProjectileLightHolder* lightHolder = nullptr;   // held by the light holders
    ObjectLink owner;
    Weapon* weapon = nullptr;
    DamageRecord damage;
    int32_t emp = 0;
    int32_t lifetimeLeft = 0;   // ms
    uint32_t createdAt = 0;
    int32_t lastElapsed = 0;
    Vector3 velocity{};
    Vector3 previousPoint{};
    Vector3 currentPoint{};
    ProjectileType* type = nullptr;
    char typeName[kNameBytes + 1] = {};
    char trailName[kNameBytes + 1] = {};

private:
    void Burst();
};

// The host's (or an offline game's) pass over the flying projectiles:
// lifetimes, hits, damage, explosions and the packets that tell the others.
void UpdateProjectiles();
// Registers the pass as the game state's projectile step.
void RegisterProjectilePass();
// A projectile made by this machine: kept (and grouped under its palette)
// when the network lets it exist here, deleted otherwise. True when kept.
bool KeepProjectile(Projectile* projectile);
