#pragma once
#include <cstdint>

#include "engine/DynArray.h"
#include "objects/effects/Turret.h"
#include "objects/space/HullObject.h"
#include "objects/space/ObjectLink.h"

class AccuracyRecord;
class FlashLightHolder;
class SceneObject;
class ShipRecord;
class ShipSystem;
class Turret;

// The ripple a shield hit starts on the shield mesh.
struct ShieldRipple : public EngineObject {
    uint32_t unused = 0;
    uint32_t hitAt = 0;           // ms since the craft was made
    int32_t step = -1;
    uint32_t colour = 0;
    int8_t* faceCounters = nullptr;   // per face: -1 never lit, 1..4 lit, 0 burnt out
    ~ShieldRipple() { EngineRelease(faceCounters); }
};

// A space object that carries ship systems on its parts (type 14): every
// flyable ship. It finds its systems by kind, keeps a weapon list, a
// navigation target, accuracy counters, and restores or rearms itself.
class Craft : public HullObject {
public:
    static constexpr int kShieldSectors = 20;
    static constexpr float kNavPointRange = 32000.0f;
    static constexpr uint32_t kFriendlyHitSpacing = 250;   // ms between counted friendly hits
    static constexpr int32_t kHeavyDamagePercent = 40;

    explicit Craft(SpaceObject* templateObject);
    ~Craft() override;

    void Init() override;
    SpaceObject* Clone(SpaceObject* placementSource, int32_t = 0, int32_t = 0) override;
    void UpdateParts(uint32_t milliseconds) override;
    void FillNetState(NetObjectState& state) const override;
    int32_t TakeJammerReport() const override;
    // A hit: applied here or left to the host, absorbed by shields, armour
    // and hardening, knocking the craft, spread over hull and systems; 1
    // when it destroyed the craft.
    int32_t TakeDamage(int32_t partIndex, const DamageRecord& record, SpaceObject* attacker) override;
    void Destroy(SpaceObject* killerObject, int32_t fromNetwork) override;
    void OnObjectRemoved(SpaceObject* removed) override;
    virtual int32_t FireWeaponGroup(int32_t group);

    // Appends a system to a part's list.
    void AddSystem(int32_t part, ShipSystem* system);
    // The next system of a kind after `after` (0 any, 19 any weapon); the
    // kinds 1, 2, 4, 5 and 7 are cached once found.
    ShipSystem* GetSystem(int32_t kind, const ShipSystem* after);
    DynArray<ShipSystem*>& GetWeaponList();
    int32_t GetTotalPowerDraw();
    int32_t SetTarget(SpaceObject* object);
    SpaceObject* GetTarget();
    // Every ship (type 15 up) other than this one of another side (hostile)
    // or of this side that the targeting computer can target.
    void CollectShips(int32_t hostile, DynArray<SpaceObject*>& list);
    // A turret on the part whose node is named `record.baseName` (within 16 characters).
    void AddTurret(const Turret::Record& record);
    void CycleNavPoint(int32_t backwards);
    void SelectClosestNavPoint();
    void CountWeaponHit(const ShipSystem* weapon);
    void CountWeaponShot(const ShipSystem* weapon);
    void CountKill(const SpaceObject* victim);
    void ResetSystems();
    void Rearm();
    void ResetSystemLevels();
    // A hit on the shield from a direction in the craft's own frame.
    void ShowShieldHit(const Vector3* direction, int32_t strength);

    // The sector of a unit direction: 0-4 the top ring, 5-9 the bottom, 10-19 the middle.
    static int32_t ShieldSector(const Vector3& direction);

    uint32_t firstCraftWord = 0;
    ObjectLink lastAttacker;
    int32_t lastHitAge = 0;
    int32_t faceNumber = 0;
    DynArray<Turret*> turrets;   // owned
    SceneObject* engineGlow = nullptr;
    int32_t jumpDeadline = 0;
    int32_t dead = 0;
    void* firstExplosion = nullptr;
    FlashLightHolder* flashLight = nullptr;   // held by the game state's light holders
    ShipRecord* shipRecord = nullptr;
    float spawnPoint[4] = {};
    int32_t bits = 0;
    AccuracyRecord* accuracy = nullptr;
    int32_t cloaked = 0;
    int32_t cloakFade = 0;
    int32_t powerDrawCache = -1;
    int32_t decalSet = -1;
    int32_t friendlyHits = 0;
    uint32_t lastFriendlyHit = 0;
    char* faceName = nullptr;   // owned
    ShipSystem* targetingCache = nullptr;
    ShipSystem* shieldCache = nullptr;
    ShipSystem* radarCache = nullptr;
    ShipSystem* energyCache = nullptr;
    ShipSystem* engineCache = nullptr;
    DynArray<ShipSystem*> weapons;
    SceneObject* shieldMesh = nullptr;
    uint32_t shieldColours[4] = {};
    int32_t shieldColoursResolved = 0;
    ShieldRipple* shieldHit = nullptr;
    int32_t* shieldSectors = nullptr;
    uint32_t spareWords[2] = {};
    int32_t createdMs = 0;
    ObjectLink navTarget;
    int32_t respawns = 0;
    uint32_t craftWord = 0;
    int32_t empLevel = 0;
    // How far others' targeting has identified this craft (it persists
    // between targetings), and whether the player's did.
    int32_t identification = 0;
    int32_t identifiedByPlayer = 0;
    uint32_t tailWords[2] = {};

private:
    bool cached_[5] = {};
};
