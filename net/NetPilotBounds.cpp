#include "net/NetPilotBounds.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "engine/Clock.h"
#include "engine/TextCompare.h"
#include "game/EffectTypes.h"
#include "game/GameState.h"
#include "mission/Goal.h"
#include "net/NetHandlers.h"
#include "net/NetPacketReaders.h"
#include "net/NetSession.h"
#include "objects/ships/Craft.h"
#include "objects/weapons/BeamWeapon.h"
#include "objects/weapons/GunWeapon.h"
#include "objects/weapons/ProjectileWeapon.h"

double NetAllowance::Left(double perSecond, double capacity, uint32_t now) {
    level = level < 0.0 ? capacity : std::min(capacity, level + double(now - at) * perSecond / 1000.0);
    at = now;
    return level;
}

bool NetAllowance::Take(double amount, double perSecond, double capacity, uint32_t now) {
    Left(perSecond, capacity, now);
    if (!(amount >= 0.0) || amount > level) return false;
    level -= amount;
    return true;
}

namespace net_bounds {

namespace {

constexpr double kSlackSeconds = double(kFireSlackMs) / 1000.0;

bool Finite(const Vector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

NetPlayer* SenderOf(const NetInbound& packet) {
    return packet.session.EditPlayer(packet.session.FindPlayerByDpid(packet.from));
}

// The sender's own flying ship with its table entry: what it fires is
// judged; another's ship, a wreck or a ship gone through a gate fires nothing.
struct Shooter {
    Craft* craft = nullptr;
    NetPlayer* player = nullptr;
};
Shooter ShooterOf(const NetInbound& packet, SpaceObject& ship) {
    Shooter shooter{dynamic_cast<Craft*>(&ship), SenderOf(packet)};
    if (shooter.craft == nullptr || shooter.player == nullptr || shooter.player->shipUoid != ship.uoid || !Flying(ship)) {
        return {};
    }
    // A new copy's weapons start with their allowances whole.
    if (shooter.player->fireShip != ship.uoid) {
        shooter.player->fireShip = ship.uoid;
        for (NetWeaponAllowance& weapon : shooter.player->fire) weapon = NetWeaponAllowance{};
    }
    return shooter;
}

// The copy's weapon at `index` of its weapon list, of `kind`, with its allowances.
struct Armed {
    Weapon* weapon = nullptr;
    NetWeaponAllowance* allowance = nullptr;
};
Armed WeaponAt(const Shooter& shooter, int32_t index, int32_t kind) {
    ShipSystem* const system = shooter.craft->GetWeaponList()[index];
    if (system->typeId != kind || index >= NetPlayer::kTrackedWeapons) return {};
    return {static_cast<Weapon*>(system), &shooter.player->fire[index]};
}

// A shot spans the weapon's range from the muzzle to the target's skin; the
// copies of both may each stand a lag's flight from where the shooter saw them.
bool Reaches(const SpaceObject& from, const SpaceObject& to, int32_t range) {
    const float lag = 2.0f * kFastestFlight * float(kShotLagMs) / 1000.0f;
    const float reach = float(std::max(range, 0)) + from.Radius() + to.Radius() + lag;
    return from.DistanceTo(to) <= reach;
}

// No word beyond the weapon's own (a frame's share of a second's fire
// never is), nor of the other sign.
bool WithinDamage(const int32_t given[5], const DamageRecord& weapon) {
    for (int i = 0; i < 5; ++i) {
        const int32_t most = weapon.amounts[i];
        if (given[i] < std::min(most, 0) || given[i] > std::max(most, 0)) return false;
    }
    return true;
}

double DamageOf(const int32_t words[5]) {
    double sum = 0.0;
    for (int i = 0; i < 5; ++i) sum += std::abs(double(words[i]));
    return sum;
}

// Both shares at once, or neither.
bool TakeBoth(NetAllowance& first, double firstAmount, double firstRate, NetAllowance& second, double secondAmount,
              double secondRate, uint32_t now) {
    const NetAllowance before = first;
    if (!first.Take(firstAmount, firstRate, firstRate * kSlackSeconds, now)) return false;
    if (second.Take(secondAmount, secondRate, secondRate * kSlackSeconds, now)) return true;
    first = before;
    return false;
}

// A report that lands on a jump gate from within the jump's reach of it
// (the ship standing `from`).
bool ThroughGate(const SpaceObject& ship, const Vector3& from, const Vector3& to, float reach) {
    for (SpaceObject* gate = net_handlers::World(); gate != nullptr; gate = gate->GetNext()) {
        if (gate->type != SpaceObject::kTypeJumpGate || gate->active == 0) continue;
        if (!(to.Difference(gate->Position()).Length() <= gate->Radius() + ship.Radius())) continue;
        if (from.Difference(gate->Position()).Length() <= JumpReach(ship, *gate) + reach) return true;
    }
    return false;
}

Vector3 Row(const float words[9], int row) { return {words[3 * row], words[3 * row + 1], words[3 * row + 2]}; }

}  // namespace

float JumpReach(const SpaceObject& ship, const SpaceObject& gate) {
    const float near = gate.Radius() + ship.Radius();
    const GameState* const game = g_gameState;
    const Goal* const goal = game != nullptr ? game->jumpGoal : nullptr;
    if (goal == nullptr || (goal->destination != &gate && goal->GetSubject() != &gate)) return near;
    return std::max(near, goal->distance);
}

bool Flying(const SpaceObject& ship) {
    const auto* const craft = dynamic_cast<const Craft*>(&ship);
    return ship.active != 0 && (craft == nullptr || (craft->dead == 0 && craft->jumpedOut == 0));
}

bool ShotCounts(const NetInbound& packet, SpaceObject& shooterShip, const SpaceObject* target,
                const net_read::WeaponFire& shot) {
    if (!packet.session.IsHost()) return true;
    const Shooter shooter = ShooterOf(packet, shooterShip);
    if (shooter.craft == nullptr) return false;
    const uint32_t now = GetMilliseconds();
    const int32_t kind = shot.gun ? Weapon::kGun : Weapon::kBeam;
    const int32_t count = shooter.craft->GetWeaponList().Count();
    // The weapons on the firing part first, then the others of the kind: a
    // refitted ship may carry its hull's weapons on other mounts.
    for (int32_t n = 0; n < 2 * count; ++n) {
        const Armed armed = WeaponAt(shooter, n % count, kind);
        Weapon* const weapon = armed.weapon;
        if (weapon == nullptr || (weapon->partIndex == shot.firingPart) != (n < count)) continue;
        const auto* const gun = shot.gun ? static_cast<const GunWeapon*>(weapon) : nullptr;
        const auto* const beam = shot.gun ? nullptr : static_cast<const BeamWeapon*>(weapon);
        const char* const name = gun != nullptr ? gun->explosionName : beam->beamName;
        const int32_t range = gun != nullptr ? gun->range : beam->range;
        if (text::_stricmp(name, shot.name) != 0 || !WithinDamage(shot.damage, weapon->damageRecord)) continue;
        if (target != nullptr && !Reaches(shooterShip, *target, range)) continue;
        // A gun's frame fires at most its rate's shots (a frame is a second at most).
        const int32_t shots = gun != nullptr ? shot.strength : 0;
        if (gun != nullptr && (shots < 0 || shots > gun->rateOfFire)) continue;
        const double rate = gun != nullptr ? double(gun->rateOfFire) : 0.0;
        if (TakeBoth(armed.allowance->shots, double(shots), rate, armed.allowance->damage, DamageOf(shot.damage),
                     DamageOf(weapon->damageRecord.amounts), now)) {
            return true;
        }
    }
    return false;
}

bool PulseCounts(const NetInbound& packet, SpaceObject& shooterShip, const SpaceObject& target, int32_t amount) {
    if (!packet.session.IsHost()) return true;
    const Shooter shooter = ShooterOf(packet, shooterShip);
    if (shooter.craft == nullptr || amount < 0) return false;
    const uint32_t now = GetMilliseconds();
    const DynArray<ShipSystem*>& weapons = shooter.craft->GetWeaponList();
    for (int32_t i = 0; i < weapons.Count(); ++i) {
        Armed armed = WeaponAt(shooter, i, Weapon::kGun);
        if (armed.weapon == nullptr) armed = WeaponAt(shooter, i, Weapon::kBeam);
        Weapon* const weapon = armed.weapon;
        if (weapon == nullptr || weapon->empCharge <= 0 || amount > weapon->empCharge) continue;
        const int32_t range = weapon->typeId == Weapon::kGun ? static_cast<GunWeapon*>(weapon)->range
                                                              : static_cast<BeamWeapon*>(weapon)->range;
        if (!Reaches(shooterShip, target, range)) continue;
        const double charge = double(weapon->empCharge);
        if (armed.allowance->emp.Take(double(amount), charge, charge * kSlackSeconds, now)) return true;
    }
    return false;
}

bool ProjectileCounts(const NetInbound& packet, SpaceObject& owner, const net_read::ProjectileFields& shot) {
    if (!packet.session.IsHost()) return true;
    const Shooter shooter = ShooterOf(packet, owner);
    if (shooter.craft == nullptr) return false;
    // It leaves from a gun of the ship, wherever the copy lags its pilot.
    const float fromShip = shot.position.Difference(owner.Position()).Length();
    if (!(fromShip <= owner.Radius() + kFastestFlight * float(kShotLagMs) / 1000.0f)) return false;
    const float speed = shot.velocity.Length();
    const uint32_t now = GetMilliseconds();
    const DynArray<ShipSystem*>& weapons = shooter.craft->GetWeaponList();
    for (int32_t i = 0; i < weapons.Count(); ++i) {
        const Armed armed = WeaponAt(shooter, i, Weapon::kProjectileWeapon);
        const auto* const weapon = static_cast<const ProjectileWeapon*>(armed.weapon);
        if (weapon == nullptr || text::_stricmp(weapon->projectileName, shot.typeName) != 0) continue;
        if (shot.life > weapon->shotLifetime || shot.emp < 0 || shot.emp > std::max(weapon->empCharge, 0) ||
            !WithinDamage(shot.damage, weapon->damageRecord)) {
            continue;
        }
        // The type's speed, with the ship's own flight carried along, scaled by the type's factor.
        const ProjectileType* const type = weapon->projectileType;
        if (type != nullptr && !(speed <= (type->speed + kFastestFlight) * std::abs(type->speedFactor) + 1.0f)) continue;
        const double perSecond =
            weapon->refireDelay > 0 ? 1000.0 / double(weapon->refireDelay) : double(NetSession::kProjectilesPerSecond);
        // However slow the weapon, a shot that waited its delay goes.
        if (armed.allowance->shots.Take(1.0, perSecond, std::max(1.0, perSecond * kSlackSeconds), now)) return true;
    }
    return false;
}

bool MoveCounts(NetSession& session, int32_t entry, SpaceObject& ship, Vector3* to) {
    NetPlayer* const player = session.EditPlayer(entry);
    if (player == nullptr || to == nullptr || !Finite(*to)) return false;
    NetMoveTrack& track = player->moves;
    const auto* const craft = dynamic_cast<const Craft*>(&ship);
    const int32_t life = craft != nullptr ? craft->deaths : 0;
    // A copy out of the flight goes nowhere by its pilot's word: what
    // brings it back (the host's return, a jump in) places it.
    if (!Flying(ship)) {
        track.out = true;
        return false;
    }
    // The host placed the copy since the pilot's word last did: made it,
    // or brought it back after a death or from out of the world. Its
    // pilot flies on from there; the distance in hand stays as it was.
    if (track.ship != ship.uoid || track.out || track.life != life || !Finite(track.at)) {
        track.at = ship.Position();
        track.ship = ship.uoid;
        track.life = life;
        track.out = false;
    }
    constexpr double kHeld = double(kFastestFlight) * double(kMoveLagMs) / 1000.0;
    const uint32_t now = GetMilliseconds();
    const double left = track.reach.Left(kFastestFlight, kHeld, now);
    const Vector3 step = to->Difference(track.at);
    const float distance = step.Length();
    if (!std::isfinite(distance)) return false;
    if (double(distance) > left && !ThroughGate(ship, track.at, *to, float(left))) {
        *to = track.at.Sum(step.Scaled(float(left / double(distance))));
    }
    track.reach.Take(std::min(double(distance), left), kFastestFlight, kHeld, now);
    track.at = *to;
    return true;
}

bool RestsAt(NetRestTrack& track, const SpaceObject& ship, float slowest, uint32_t now) {
    const Vector3 at = ship.Position();
    const uint32_t still = now - track.since;
    const float moved = at.Difference(track.from).Length();
    // A rest is judged from a place at most a span old, so that a long
    // stand earns no dash afterwards.
    if (track.ship != ship.uoid || !(moved <= slowest * float(still) / 1000.0f + kRestSlack)) {
        track = NetRestTrack{at, now, ship.uoid, false};
        return false;
    }
    if (still >= kRestMs) {
        track.rests = true;
        track.from = at;
        track.since = now;
    }
    return track.rests;
}

void TakeReportedHull(SpaceObject& ship, int32_t percent, const uint8_t partBytes[12]) {
    const int64_t most = ship.GetMaxHitPoints(nullptr);
    if (percent < 0 || percent > 100 || most <= 0) return;
    // The most hit points that round down to the percent.
    const int64_t reported = std::min(most, ((percent + 1) * most - 1) / 100);
    ship.hitPoints = int32_t(std::clamp<int64_t>(std::min<int64_t>(ship.hitPoints, reported), 0, most));
    for (int32_t i = 0; i < 12 && i < ship.HitPointRecordCount(); ++i) {
        const int32_t held = ship.HitPointRecord(i).hp;
        // The most, at or below the held, whose low byte is the reported one.
        int32_t lowered = (held & ~0xFF) | partBytes[i];
        if (lowered > held) lowered -= 0x100;
        if (lowered >= 0) ship.SetHitPointRecord(i, lowered);
    }
}

bool RotationCounts(const float reported[9], float scale, float rows[9]) {
    if (!(scale > 0.0f) || !std::isfinite(scale)) return false;
    Vector3 axes[3];
    for (int row = 0; row < 3; ++row) {
        axes[row] = Row(reported, row);
        const float length = axes[row].Length();
        if (!Finite(axes[row]) || !(std::abs(length - scale) <= kRowDrift * scale)) return false;
        axes[row] = axes[row].DividedBy(length);
    }
    const Vector3& right = axes[0];
    const Vector3& up = axes[1];
    const Vector3& ahead = axes[2];
    if (!(std::abs(right.Dot(up)) <= kRowDrift) || !(std::abs(right.Dot(ahead)) <= kRowDrift) ||
        !(std::abs(up.Dot(ahead)) <= kRowDrift) || !(up.Cross(ahead).Dot(right) > 0.0f)) {
        return false;
    }
    Vector3 square = up.Difference(ahead.Scaled(up.Dot(ahead)));
    square = square.DividedBy(square.Length());
    const Vector3 made[3] = {square.Cross(ahead), square, ahead};
    for (int row = 0; row < 3; ++row) {
        rows[3 * row] = made[row].x * scale;
        rows[3 * row + 1] = made[row].y * scale;
        rows[3 * row + 2] = made[row].z * scale;
    }
    return true;
}

bool SeenKiller(const NetSession& session, int32_t entry, int32_t killer) {
    const NetPlayer* const player = session.Player(entry);
    if (player == nullptr) return false;
    if (killer < 0 || killer == player->shipUoid) return true;
    const uint32_t now = GetMilliseconds();
    for (const NetSeenHit& hit : player->seenHits) {
        if (hit.attacker == killer && now - hit.at <= kSeenHitMs) return true;
    }
    return false;
}

}  // namespace net_bounds
