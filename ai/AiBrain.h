#pragma once
#include <cstdint>
#include <vector>

#include "engine/BoundingSphere.h"
#include "engine/EngineAllocation.h"
#include "engine/Vector3.h"
#include "objects/space/ObjectLink.h"

class AiShip;
class SpaceObject;
class Turret;

// The per-ship brain of an AI ship: it keeps a hostile target, picks one of
// five behaviours each think, steers and throttles the ship for it, and
// fires the ship's guns, missiles and turrets when they bear. Every object
// it holds is held through a link, so a removed object is simply gone.
class AiBrain : public EngineObject {
public:
    enum Behavior : int32_t { kIdle, kPursue, kAttack, kEvade, kAvoid, kBehaviors };
    static constexpr uint32_t kAvoidMs = 2000;          // how long a warning steers
    static constexpr uint32_t kEvadeWindowMs = 1000;    // a hit this recent may make it break away
    static constexpr uint32_t kMissileSpacingMs = 5000;
    static constexpr float kLeadSeconds = 0.5f;
    static constexpr float kAttackReach = 1.2f;         // weapon ranges within which it attacks
    static constexpr float kBoostReach = 3.0f;          // ranges beyond which it pursues on afterburner
    static constexpr float kTurretAimDegrees = 5.0f;
    static constexpr float kCloseRate = 1.5f;      // degrees a second of turn wanted per degree off the nose
    static constexpr float kSpinResponse = 3.0f;   // turn command per degree a second short of the wanted spin
    static constexpr float kFollowSlack = 50.0f;
    static constexpr float kAvoidMargin = 40.0f;
    static constexpr float kCatchUpRate = 0.3f;     // speed over the leader's per unit from the slot
    static constexpr float kCatchUpCap = 80.0f;
    static constexpr int32_t kMissileGroup = 3;
    static constexpr int32_t kAttackThrottle = 75;   // percent
    // A third of the engine: the pace the wingmen's formation keeping is
    // made for (what half the throttle gave while short frames' power
    // grants were rounded down).
    static constexpr int32_t kCruiseThrottle = 33;
    static constexpr int32_t kAvoidThrottle = 20;    // slower turns tighter
    // A ship whose guns all sit on turrets closes on its target bow first;
    // inside the first share of its guns' reach it turns the target toward
    // its beam, above the deck where the turrets bear, circles it at the
    // second share and opens out when nearer, never running into it.
    static constexpr float kDeckTurnInShare = 0.6f;
    static constexpr float kDeckHoldShare = 0.4f;
    static constexpr float kDeckWidestBearing = 150.0f;   // degrees off the bow, when too near
    static constexpr float kDeckLeastElevation = 10.0f;   // degrees above the deck
    // A wingman's lines of "commwm.iff".
    static constexpr int32_t kLineAttacking = 1, kLineBreaking = 2, kLineTargetDown = 3;

    explicit AiBrain(SpaceObject* ship);
    virtual ~AiBrain() = default;
    AiBrain(const AiBrain&) = delete;
    AiBrain& operator=(const AiBrain&) = delete;

    // A behaviour number (0 to 4); anything else is ignored.
    virtual void SetBehavior(int32_t eventCode);
    // Takes or keeps a target and picks the behaviour.
    virtual void Think();
    // Steers and throttles for the behaviour.
    virtual void ExecuteBehavior();
    // Guns in their cone and range, missiles on a full lock, turrets on
    // target; nothing but missiles while a ship of its own side lies in a
    // line of fire short of the target.
    virtual void UpdateFireControl();
    // Passes a side change on to the ship the brain follows.
    virtual void SetLinkedShipSide(int32_t side);

    static const char* BehaviorName(int32_t behavior);

    SpaceObject* ship;
    ObjectLink hostile;               // the object the brain holds hostile
    int32_t avoid = 0;                // set while the brain avoids an obstacle
    int32_t avoidWords[2] = {};
    ObjectLink obstacle;
    uint32_t warnedAtAge = 0;
    int32_t mode = 0;                 // 1: steers even while a maneuver is set
    int32_t behavior = kIdle;
    ObjectLink followed;              // a wingman's leader
    Vector3 formationSlot{};          // where it flies, in the leader's frame
    uint32_t lastMissileAge = 0;
    int32_t missilesFired = 0;
    int32_t shotsFired = 0;           // volleys of guns and beams that left
    int32_t frameMs = 50;             // the length of the frame being thought, ms

private:
    AiShip* Pilot() const;
    void ChooseBehavior(AiShip& pilot);
    // A target that can still be fought, or null.
    SpaceObject* LiveHostile();
    SpaceObject* NearestHostile(AiShip& pilot);
    void Boost(AiShip& pilot, bool on);
    // The engine's share of the generator, in percent of what the engine can take.
    void Throttle(AiShip& pilot, int32_t percent);
    // Turns toward a world direction; nothing for a zero vector.
    void Steer(AiShip& pilot, const Vector3& direction);
    // Turns the nose onto a target and keeps it there as it moves.
    void Track(AiShip& pilot, const SpaceObject& target);
    // The turret that sets where a ship fighting from its deck holds its
    // target: its first, when every gun of the ship is on a turret; else null.
    static const Turret* DeckTurret(AiShip& pilot);
    // Turns the ship so that the target lies above the deck where the turrets
    // reach it: off the bow where it turns in, abeam at the holding distance,
    // astern nearer.
    void BringDeckToBear(AiShip& pilot, const SpaceObject& target, const Turret& turret);
    // The ships of the pilot's side but the target into friends_, each
    // sphere widened by the pilot's and the friend's moves in a frame.
    void GatherFriends(AiShip& pilot, const SpaceObject& target);
    // Whether a gathered friend lies across the line from `from` along the
    // unit `direction`, nearer than `reach`.
    bool FriendInLine(const Vector3& from, const Vector3& direction, float reach) const;

    std::vector<BoundingSphere> friends_;   // this frame's, kept for its room
};
