#pragma once
#include <cstdint>

#include "engine/DynArray.h"
#include "engine/RateCarry.h"
#include "objects/effects/Turret.h"
#include "objects/space/HullObject.h"
#include "objects/space/ObjectLink.h"

struct AccuracyRecord;
class FxObject;
class FlashLightHolder;
class ObjectPart;
class ProjectileWeapon;
class SceneObject;
class ShipRecord;
class ShipSystem;
class Turret;
class Weapon;

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
    // The same frame for a ship flown on another machine, whose flight is
    // its pilot's reports alone: every system that keeps state between
    // frames runs, but not the engine nor the flight controls.
    void UpdatePartsWithoutFlight(uint32_t milliseconds);
    void FillNetState(NetObjectState& state) const override;
    int32_t TakeJammerReport() const override;
    // A hit: applied here or left to the host, absorbed by shields, armour
    // and hardening, knocking the craft, spread over hull and systems; 1
    // when it destroyed the craft.
    int32_t TakeDamage(int32_t partIndex, const DamageRecord& record, SpaceObject* attacker) override;
    void Destroy(SpaceObject* killerObject, int32_t fromNetwork) override;
    void OnObjectRemoved(SpaceObject* removed) override;
    // The death: spin, the view on the wreck, light, explosions and fire,
    // then Destroy; the frame step plays the rest.
    void Explode(SpaceObject* killerObject, int32_t fromNetwork) override;
    // The hull's motion, then the death sequence and respawn, the cloak
    // fade, engine glow, turrets, a jump's end and the shield ripple.
    void Simulate(uint32_t milliseconds) override;
    // Fires the weapons of a group; a weapon on a turret's barrel is its
    // turret's to fire (the AI's fire control), never its group's.
    virtual int32_t FireWeaponGroup(int32_t group);
    bool OnTurretBarrel(const ShipSystem& system) const;
    // Whether the group's fire fires the weapon: one of the group, off any
    // turret's barrel.
    bool FiredWithGroup(const Weapon& weapon, int32_t group) const;
    // Leaves through the gate: frozen there until the jump ends 1800 ms on.
    void Jump(SpaceObject* gate);
    // Appears with a jump flash.
    void ArriveByJump();
    // Whether a destroyed craft comes back: its own flag, or on a network
    // host in games that respawn, any ship no player flies.
    int32_t CanRespawn() const;
    // Whole again and back in the world at its spawn point (in a hosted
    // free-for-all, a random spawn point no ship holds), as a respawning
    // craft comes back; never inside another hull.
    void Respawn();
    // Whole again, still, and back in the world at `at`: where another
    // machine brought it back.
    void RespawnAt(const Vector3& at);
    // The craft stands at the place its start gave it, which is also where
    // it comes back after a death.
    void StartAt(const Vector3& at);
    // No drift, no turn, and no speed it is set to fly at: left alone, it
    // stays where it is.
    void HoldStill();
    // Out of the flight without a death: through a gate, or given up by its
    // pilot's eject. Inactive and touching nothing, yet no wreck, so nothing
    // brings it back as its pilot's ship; only a jump in undoes it.
    void LeaveFlight();
    // The steering operations the pilot AI uses.
    int32_t IsTargetAhead();
    int32_t IsAheadOfTarget();
    int32_t PlayerOnPlusX() const;
    int32_t PlayerOnMinusX() const;
    int32_t PlayerOnPlusY() const;
    int32_t PlayerOnMinusY() const;
    int32_t PlayerBehind() const;
    void PitchRatePlus(int32_t percent);
    void PitchRateMinus(int32_t percent);
    void YawRatePlus(int32_t percent);
    void YawRateMinus(int32_t percent);
    void RollRatePlus(int32_t percent);
    void RollRateMinus(int32_t percent);
    // Turns toward a world direction; 1 when aligned.
    int32_t SteerToward(const Vector3& direction);
    // The longest reach of the weapons, missile launchers aside.
    int32_t GetMaxWeaponRange();

    // Appends a system to a part's list, which then owns it. A launcher of
    // the same kind and loadout entry as one already carried joins it as
    // its reserve (group 0). False, and the system still the caller's, when
    // the craft has no such part.
    bool AddSystem(int32_t part, ShipSystem* system);
    // The next system of a kind after `after` (0 any, 19 any weapon); the
    // kinds 1, 2, 4, 5 and 7 are cached once found.
    ShipSystem* GetSystem(int32_t kind, const ShipSystem* after);
    // The same search leaving the cache as it is.
    const ShipSystem* GetSystem(int32_t kind, const ShipSystem* after) const;
    DynArray<ShipSystem*>& GetWeaponList();
    // A pilot's fire control for the group about to fire: while the
    // targeting computer's target is hostile and lies within its cone, each gun of the
    // group that reaches the target aims its next shots at it (as an AI
    // pilot's guns do within its own cone). The number of guns aimed.
    int32_t AimGunsAtTarget(int32_t group);
    // The same for the group's projectile weapons: each that reaches the
    // target takes the direction from its part to the target as its aim
    // override; the others lose theirs. The number aimed.
    int32_t AimProjectilesAtTarget(int32_t group);
    // Where that fire control would aim a projectile weapon now, changing
    // nothing (the cockpit's gun sight reads it): the direction from its part
    // to the target, or false when the weapon would fire along its part.
    bool ProjectileAimAtTarget(const ProjectileWeapon& gun, Vector3* direction) const;
    int32_t GetTotalPowerDraw();
    int32_t SetTarget(SpaceObject* object);
    SpaceObject* GetTarget();
    // Every ship (type 15 up) other than this one of another side (hostile)
    // or of this side that the targeting computer can target.
    void CollectShips(int32_t hostile, DynArray<SpaceObject*>& list);
    // A turret on the part whose node is named `record.baseName` (within 16
    // characters). False, and no turret, for a negative turn rate or pitch
    // limit, or no such part.
    bool AddTurret(const Turret::Record& record);
    void CycleNavPoint(int32_t backwards);
    void SelectClosestNavPoint();
    // Every pulse that strikes the craft, from a weapon, a blast or a peer:
    // the level holds at its ends instead of wrapping, however many come.
    void AddEmp(int32_t amount);
    void CountWeaponHit(const ShipSystem* weapon);
    void CountWeaponShot(const ShipSystem* weapon);
    void CountKill(const SpaceObject* victim);
    void ResetSystems();
    // Fuel to the allowance and each weapon refilled (the pilot's own ship
    // as far as the career's funds pay); a refilled weapon whose rounds had
    // run out fires with its group again.
    void Rearm();
    void ResetSystemLevels();
    // A hit on the shield from a direction in the craft's own frame.
    void ShowShieldHit(const Vector3* direction, int32_t strength);

    // The sector of a unit direction: 0-4 the top ring, 5-9 the bottom, 10-19 the middle.
    static int32_t ShieldSector(const Vector3& direction);

    ObjectLink trackedTarget;   // the AI ship's target, as its targeting computer holds it
    ObjectLink lastAttacker;
    int32_t lastHitAge = 0;
    int32_t faceNumber = 0;
    DynArray<Turret*> turrets;   // owned
    SceneObject* engineGlow = nullptr;
    int32_t jumpDeadline = 0;
    // Set once the craft has left the flight without a death (a jump out, or
    // its pilot's eject in a network game): inactive, yet no wreck.
    int32_t jumpedOut = 0;
    int32_t dead = 0;
    FxObject* firstExplosion = nullptr;   // cleared by the explosion when it goes
    // Forgets the first explosion and tells it so: an explosion outlives the
    // death that set it off, and must not clear a craft freed before it.
    void ReleaseFirstExplosion();
    FlashLightHolder* flashLight = nullptr;   // held by the game state's light holders
    // The career's ship record this craft flies, by its serial (0: none): a
    // record sold or lost meanwhile is not found, never dangling.
    uint32_t shipSerial = 0;
    ShipRecord* FlownRecord() const;
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
    RateCarry empDecayCarry;   // the part of the EMP decay a frame left over
    // How far others' targeting has identified this craft (it persists
    // between targetings); whether the player's did is the object's
    // identified flag, which the maps read.
    int32_t identification = 0;
    int32_t deaths = 0;   // death sequences finished
    ObjectLink deathKiller;   // the killer of the last finished death, kept past a respawn
    // The host's kill announcements: the life whose death was last announced.
    int32_t announcedLife = kNoLife;
    uint32_t tailWords[2] = {};

    static constexpr uint32_t kJumpMs = 1800;
    static constexpr int32_t kNoLife = INT32_MIN;
    static constexpr int32_t kCloakSteps = 10;
    static constexpr int32_t kNoDebrisShip = 99;
    // The tumble of debris pieces and chips: up to 34 degrees a second each way.
    static constexpr int32_t kChipSpin = 35;

private:
    // The targeting computer's target while it is active, hostile and within
    // the computer's cone; null otherwise.
    SpaceObject* HostileTargetInCone() const;
    static bool IsLauncher(const ShipSystem& system);
    void HoldInReserve(Weapon& launcher);
    // A weapon refilled after it dropped out of its group for want of
    // rounds takes the group back, a launcher only while no other of its
    // magazine holds it; a disabled one stays out.
    void TakeGroupBack(Weapon& weapon);
    // Every solid part shown with opaque faces again.
    void ShowOpaqueParts();
    void FinishDeath();
    // One of the definition's debris templates at random; null without any.
    SpaceObject* PickDebrisTemplate() const;
    // A chip of the hull: a clone of the template at the part, flying with
    // the craft for 10 to 19 seconds; tumbling when asked.
    void ThrowChip(SpaceObject* debrisTemplate, const ObjectPart& from, bool tumbling);
    // Each system's step (flying: the engine's and flight controls' too),
    // and what the parts carry.
    void StepSystems(uint32_t milliseconds, bool flying);
    void StepCloak();
    void StepRipple();
    void CompleteJump();
    // A "Jump" puff 3000 units along a local direction and one at the craft.
    void JumpFlash(const Vector3& localDirection);

    bool cached_[5] = {};
};
