#pragma once
#include <cstdint>

#include "engine/Vector3.h"

class NetSession;
class SpaceObject;
struct NetInbound;
namespace net_read {
struct ProjectileFields;
struct WeaponFire;
}  // namespace net_read

// A share that comes back with time: up to `capacity`, refilled at
// `perSecond` by the engine's clock. Untouched, it is full.
struct NetAllowance {
    double level = -1.0;   // negative: never taken from
    uint32_t at = 0;       // the engine's ms of the last take
    // Takes `amount`: false, and nothing taken, when less is left.
    bool Take(double amount, double perSecond, double capacity, uint32_t now);
    // What is left at `now`, refilled to then.
    double Left(double perSecond, double capacity, uint32_t now);
};

// The host's watch on how far a member's reports move its ship, judged on
// the host's copy: the distance in hand, and the place the pilot's word (or
// the host, making or bringing back the copy) last put the copy at.
struct NetMoveTrack {
    NetAllowance reach;          // units
    Vector3 at{0.0f, 0.0f, 0.0f};
    int32_t ship = -1;           // the copy `at` is a place of (its uoid)
    int32_t life = 0;            // its deaths then: one more, and the host has brought it back elsewhere
    bool out = false;            // out of the world then (a wreck, gone through a gate)
};

// The host's watch on whether a member's copy rests, by the places its
// pilot's reports put it at and the times they arrived: a place it stood at
// and when, and whether it has stood a whole span since.
struct NetRestTrack {
    Vector3 from{0.0f, 0.0f, 0.0f};
    uint32_t since = 0;          // the engine's ms it stood at `from`
    int32_t ship = -1;           // the copy `from` is a place of (its uoid)
    bool rests = false;
};

// What one weapon of a member's ship has left to fire: its shots, its
// damage (the sum of its five damage words) and its EMP charge.
struct NetWeaponAllowance {
    NetAllowance shots;
    NetAllowance damage;
    NetAllowance emp;
};

// A hit the host's world saw land on a player's ship.
struct NetSeenHit {
    int32_t attacker = -1;   // uoid
    uint32_t at = 0;         // the engine's ms
};

// A goal a pilot reported met before the host's copy of its ship stood where
// it is met, waiting for the copy to come (net_bounds::kGoalReportMs).
struct NetReportedGoal {
    int32_t goal = -1;   // its id; -1 a free place
    uint32_t at = 0;     // the engine's ms of the report
};

// The host's judgement of what a member says its own ship did, made on the
// host's copy of that ship: a member reports only its own ship, and only
// what that ship can do. Each answers whether the report counts; a report
// that does not count changes nothing and goes no further.
namespace net_bounds {

// The fastest a craft flies, units a second: a hull holds itself to 200
// below its boost's last frame, and a collision may push it harder; twice
// that leaves honest flight a wide margin while a jump across the world
// still takes its time.
constexpr float kFastestFlight = 400.0f;
// How much later than its pilot's place a copy may stand, or a target's
// copy on the shooter's screen: a report a frame old, a loaded link, the
// host's pass. Shots are judged on places this much apart at most.
constexpr uint32_t kShotLagMs = 500;
// A member's reports move its copy out of an allowance that refills at
// kFastestFlight and holds this much flight at most: reports a pilot sends
// at its frame rate may arrive bunched after a stall of the link, and a
// second's flight arriving at once still counts, however many reports bring
// it, however packed or timed.
constexpr uint32_t kMoveLagMs = 1000;
// How far an honest pilot's orientation rows may have drifted from unit
// length and right angles (a tenth, as a fraction of the ship's size and as
// a cosine): they drift by far less between re-orthonormalisations. Rows
// within it are squared again; rows beyond are no turn of a ship.
constexpr float kRowDrift = 0.1f;
// A weapon's allowances hold this much of its fire: a client's long frame
// claims up to a second of fire in one shot (a frame's elapsed time is cut
// at a second), and another second may arrive bunched behind it.
constexpr uint32_t kFireSlackMs = 2000;
// A killer named for a player's death must have hit its ship this
// recently on the host: the report follows the killing blow by a round
// trip, many seconds on a stalled link.
constexpr uint32_t kSeenHitMs = 10000;
// A goal a pilot reports met before the host's copy of its ship stands where
// it is met waits this long for the copy to come: the report goes out the
// moment the goal is met, ahead of the place it was met at, and a stalled
// link delays both.
constexpr uint32_t kGoalReportMs = 5000;

// How long a copy's reports must keep it still before it rests: a few of
// an honest pilot's reports, and a pass at any speed moves it farther
// than a resting ship drifts in that time however its reports are timed.
constexpr uint32_t kRestMs = 250;
// How far a resting copy may stand from where its rest began beyond the
// slow drift the rest allows: what the rounding of a place stated in its
// report may add.
constexpr float kRestSlack = 0.5f;

// GUN_SHOT and BEAM_HIT from the sender's ship at the target (null: none):
// a weapon of that kind and name (one on the firing part first), the target
// within its reach, no word of the damage beyond the weapon's, and within
// its rate.
bool ShotCounts(const NetInbound& packet, SpaceObject& shooter, const SpaceObject* target,
                const net_read::WeaponFire& shot);
// EMP_DAMAGE at a craft, from a gun or beam of the sender's ship that
// carries a charge and reaches it, within that charge a second.
bool PulseCounts(const NetInbound& packet, SpaceObject& shooter, const SpaceObject& target, int32_t amount);
// PROJ_REQUEST from a projectile weapon of the sender's ship firing that
// type: leaving from the ship, no faster, longer-lived or stronger than the
// weapon's shots, and no more often than the weapon fires.
bool ProjectileCounts(const NetInbound& packet, SpaceObject& owner, const net_read::ProjectileFields& shot);
// PLAYER_INFO's new place `to` for the copy of the sender's ship (table
// entry `entry`), moved from where the pilot's last report put the copy (or
// where the host made it, or brought it back): within the distance the
// pilot has in hand, which drains as the copy moves and refills at
// kFastestFlight up to kMoveLagMs of flight; onto a jump gate whose jump
// reaches from there (which takes all in hand); else as far toward `to` as
// the distance in hand reaches, `to` set there, so that a copy a stalled
// link left behind catches up with its pilot. False, and nothing moves,
// for a place that is no place and for a copy out of the flight (a wreck,
// gone through a gate, given up).
bool MoveCounts(NetSession& session, int32_t entry, SpaceObject& ship, Vector3* to);
// PLAYER_INFO's orientation rows (row 0, 1, 2; nine words) for a ship of
// size `scale`: rows each within kRowDrift of the size, at right angles
// within it, and turning the right way (row 0 is row 1 across row 2), made
// exactly so in `rows` (forward kept, up squared to it). False for anything
// else: a member turns its ship, it never stretches, flattens or mirrors it.
bool RotationCounts(const float reported[9], float scale, float rows[9]);
// Whether the host saw `killer` hit the ship of table entry `entry` lately;
// the ship itself (and no killer) always counts.
bool SeenKiller(const NetSession& session, int32_t entry, int32_t killer);
// How near `ship` must come to `gate` to jump through it: the two hulls
// meeting, or for the jump goal's own gate that goal's distance.
float JumpReach(const SpaceObject& ship, const SpaceObject& gate);
// Whether the copy flies: in the world, alive, not gone through a gate.
bool Flying(const SpaceObject& ship);
// Whether the copy `ship` rests where the latest report of its pilot put it
// (at `now`): its reports have kept it within `slowest` units a second of a
// place it stood at kRestMs or more before, the velocity they state
// unheeded. The first report of a copy only starts the watch.
bool RestsAt(NetRestTrack& track, const SpaceObject& ship, float slowest, uint32_t now);
// A member's PLAYER_INFO word on its own ship's hull (`percent`, as its
// machine rounds it down) and on its first 12 hit-point records (each
// record's low byte), taken on the host's copy. The copy's hull is the one
// the host saw hit; a report lowers it to the most the word can mean and
// never raises it, so a pilot's machine can neither mend its ship nor keep
// it from the host's hits. A percent beyond 0 to 100 says nothing.
void TakeReportedHull(SpaceObject& ship, int32_t percent, const uint8_t partBytes[12]);

}  // namespace net_bounds
