#include "ai/AiBrain.h"

#include <algorithm>
#include <cmath>

#include "ai/WingGroup.h"
#include "engine/DynArray.h"
#include "engine/MathRoutineTable.h"
#include "engine/Random.h"
#include "game/GameState.h"
#include "game/Mission.h"
#include "objects/effects/EffectSupport.h"
#include "objects/effects/Turret.h"
#include "objects/ships/AiShip.h"
#include "objects/space/ObjectPart.h"
#include "objects/systems/EnergySystem.h"
#include "objects/systems/EngineSystem.h"
#include "objects/systems/TargetingSystem.h"
#include "objects/weapons/GunWeapon.h"
#include "objects/weapons/Weapon.h"

namespace {

constexpr float kDegrees = 57.29578f;

bool Fightable(const SpaceObject* object) {
    if (object == nullptr || object->active == 0) return false;
    const auto* const craft = dynamic_cast<const Craft*>(object);
    return craft == nullptr || craft->dead == 0;
}

// Degrees between the craft's nose and a world direction.
float OffNose(const SpaceObject& craft, const Vector3& direction) {
    const Vector3 local = effects::DirectionToLocal(craft.world, direction);
    const float length = local.Length();
    if (length <= 0.0f) return 180.0f;
    return std::acos(std::clamp(local.z / length, -1.0f, 1.0f)) * kDegrees;
}

// The local unit axis of a turret's axis code (x = 1, y = 2, z = 3, the
// sign giving the direction); zero for none.
Vector3 AxisOf(int32_t code) {
    const float sign = code < 0 ? -1.0f : 1.0f;
    switch (code < 0 ? -code : code) {
        case 1: return {sign, 0.0f, 0.0f};
        case 2: return {0.0f, sign, 0.0f};
        case 3: return {0.0f, 0.0f, sign};
        default: return {0.0f, 0.0f, 0.0f};
    }
}

}  // namespace

AiBrain::AiBrain(SpaceObject* owner) : ship(owner) {}

AiShip* AiBrain::Pilot() const { return dynamic_cast<AiShip*>(ship); }

const char* AiBrain::BehaviorName(int32_t value) {
    static constexpr const char* kNames[kBehaviors] = {"idle", "pursue", "attack", "evade", "avoid"};
    return value >= 0 && value < kBehaviors ? kNames[value] : "?";
}

void AiBrain::SetBehavior(int32_t eventCode) {
    if (eventCode >= 0 && eventCode < kBehaviors) behavior = eventCode;
}

void AiBrain::SetLinkedShipSide(int32_t side) {
    if (SpaceObject* const leader = followed.Get()) leader->SetSide(side);
}

SpaceObject* AiBrain::LiveHostile() {
    if (!Fightable(hostile.Get())) hostile = nullptr;
    return hostile.Get();
}

SpaceObject* AiBrain::NearestHostile(AiShip& pilot) {
    DynArray<SpaceObject*> candidates;
    pilot.CollectShips(1, candidates);
    SpaceObject* nearest = nullptr;
    float best = 0.0f;
    for (SpaceObject* candidate : candidates) {
        if (!Fightable(candidate)) continue;
        const float distance = pilot.DistanceTo(*candidate);
        if (nearest == nullptr || distance < best) {
            nearest = candidate;
            best = distance;
        }
    }
    return nearest;
}

void AiBrain::Boost(AiShip& pilot, bool on) {
    auto* const engine = static_cast<EngineSystem*>(pilot.GetSystem(ShipSystem::kEngine, nullptr));
    if (engine == nullptr) return;
    if (on) {
        engine->StartAfterburner();
    } else {
        engine->StopAfterburner();
    }
}

void AiBrain::Throttle(AiShip& pilot, int32_t percent) {
    auto* const energy = static_cast<EnergySystem*>(pilot.GetSystem(ShipSystem::kEnergy, nullptr));
    auto* const engine = static_cast<EngineSystem*>(pilot.GetSystem(ShipSystem::kEngine, nullptr));
    if (energy == nullptr || engine == nullptr) return;
    const int32_t wanted = int32_t(int64_t(engine->maximumPower) * percent / 100);
    if (energy->engineAllocation != wanted) energy->SetEnginePower(wanted);
}

void AiBrain::Steer(AiShip& pilot, const Vector3& direction) {
    if (direction.Length() > 0.0f) {
        pilot.SteerToward(direction);
    } else {
        pilot.SetRotationVector({0.0f, 0.0f, 0.0f});
    }
}

void AiBrain::Track(AiShip& pilot, const SpaceObject& target) {
    // The steering command speeds the spin up toward the target; alone it
    // swings the nose past a target that crosses the sky and back, and at
    // close range never settles on it. The spin wanted is the one that
    // follows the line of sight plus a part that closes the angle; the
    // command is what brings the spin there.
    const Vector3 line = target.Position().Difference(pilot.Position());
    const float range2 = line.Dot(line);
    if (!(range2 > 0.0f)) return;
    const Vector3 closing = target.velocity.Difference(pilot.velocity);
    // The world-to-local turn of a ship drawn larger than its model shrinks
    // every vector by the ship's scale; a rate must keep its size.
    const float scale = pilot.world.scale > 0.0f ? pilot.world.scale : 1.0f;
    const Vector3 sight = effects::DirectionToLocal(pilot.world, line.Cross(closing).Scaled(kDegrees * scale / range2));
    const Vector3 local = effects::DirectionToLocal(pilot.world, line);
    const float yaw = std::atan2(local.x, local.z) * kDegrees;
    const float pitch = std::atan2(local.y, local.z) * kDegrees;
    const Vector3 wanted{sight.x - pitch * kCloseRate, sight.y + yaw * kCloseRate, 0.0f};
    Vector3 command = wanted.Difference(pilot.angularVelocity).Scaled(kSpinResponse);
    // No axis past the craft's turn rate, either way.
    const float largest = std::max({std::abs(command.x), std::abs(command.y), std::abs(command.z)});
    if (largest > pilot.maxTurnRate && largest > 0.0f) command = command.Scaled(pilot.maxTurnRate / largest);
    pilot.SetRotationVector(command);
}

const Turret* AiBrain::DeckTurret(AiShip& pilot) {
    if (pilot.turrets.Count() == 0) return nullptr;
    for (ShipSystem* weapon : pilot.GetWeaponList()) {
        if (weapon->typeId != Weapon::kMissileLauncher && !pilot.OnTurretBarrel(*weapon)) return nullptr;
    }
    const Turret* const turret = pilot.turrets[0];
    return AxisOf(turret->yawAxis).Length() > 0.0f ? turret : nullptr;
}

void AiBrain::BringDeckToBear(AiShip& pilot, const SpaceObject& target, const Turret& turret) {
    const Vector3 line = target.Position().Difference(pilot.Position());
    const float distance = line.Length();
    if (!(distance > 0.0f)) return;
    Vector3 seen = effects::DirectionToLocal(pilot.world, line);
    if (!(seen.Length() > 0.0f)) return;
    seen.Normalize();
    // The deck is the plane the turrets turn in; its normal is where they
    // fire. Ahead is the bow laid on the deck, abeam the side the target is on.
    const Vector3 deck = AxisOf(turret.yawAxis);
    Vector3 ahead{0.0f, 0.0f, 1.0f};
    if (std::abs(deck.z) > 0.5f) ahead = Vector3{0.0f, 1.0f, 0.0f};
    ahead = ahead.Difference(deck.Scaled(ahead.Dot(deck)));
    ahead.Normalize();
    Vector3 abeam = deck.Cross(ahead);
    if (seen.Dot(abeam) < 0.0f) abeam = abeam.Scaled(-1.0f);

    // Nearer than where it turns in, the target goes from the bow toward the
    // beam and up off the deck; nearer than the holding distance, astern.
    const float reach = float(pilot.GetMaxWeaponRange());
    const float turnIn = kDeckTurnInShare * reach, hold = kDeckHoldShare * reach;
    const float share = turnIn > hold ? std::clamp((turnIn - distance) / (turnIn - hold), 0.0f, 2.0f) : 1.0f;
    const float bearing = std::min(90.0f * share, kDeckWidestBearing);
    const float elevation = std::max(0.5f * float(turret.greatestPitch), kDeckLeastElevation) * std::min(share, 1.0f);
    const float b = bearing / kDegrees, e = elevation / kDegrees;
    const Vector3 wanted = ahead.Scaled(std::cos(b) * std::cos(e))
                               .Sum(abeam.Scaled(std::sin(b) * std::cos(e)))
                               .Sum(deck.Scaled(std::sin(e)));
    // Turning the ship about wanted x seen carries the target's direction
    // toward the wanted one; straight opposite, any turn off the deck will do.
    const float off = std::acos(std::clamp(wanted.Dot(seen), -1.0f, 1.0f)) * kDegrees;
    Vector3 axis = wanted.Cross(seen);
    if (axis.Length() < 1e-4f) axis = off > 90.0f ? abeam : Vector3{0.0f, 0.0f, 0.0f};
    if (axis.Length() > 0.0f) axis.Normalize();
    Vector3 command = axis.Scaled(off * kCloseRate).Difference(pilot.angularVelocity).Scaled(kSpinResponse);
    const float largest = std::max({std::abs(command.x), std::abs(command.y), std::abs(command.z)});
    if (largest > pilot.maxTurnRate && largest > 0.0f) command = command.Scaled(pilot.maxTurnRate / largest);
    pilot.SetRotationVector(command);
}

void AiBrain::Think() {
    AiShip* const pilot = Pilot();
    if (pilot == nullptr || pilot->active == 0 || pilot->dead != 0) {
        behavior = kIdle;
        return;
    }
    const int32_t before = behavior;
    // A target that is there but no longer fightable went down.
    const bool targetDown = hostile.Get() != nullptr && !Fightable(hostile.Get());
    ChooseBehavior(*pilot);
    if (targetDown) {
        pilot->SayWingmanMessage(kLineTargetDown);
    } else if (behavior != before && behavior == kAttack) {
        pilot->SayWingmanMessage(kLineAttacking);
    } else if (behavior != before && behavior == kEvade) {
        pilot->SayWingmanMessage(kLineBreaking);
    }
}

void AiBrain::ChooseBehavior(AiShip& ship) {
    AiShip* const pilot = &ship;
    const uint32_t age = pilot->Age();
    const bool hitLately = pilot->lastHitAge > 0 && age - uint32_t(pilot->lastHitAge) < kEvadeWindowMs;
    SpaceObject* target = LiveHostile();
    // A pilot shot at by an enemy it is not fighting turns on it.
    SpaceObject* const attacker = hitLately ? pilot->lastAttacker.Get() : nullptr;
    if (attacker != nullptr && attacker != target && attacker->type >= SpaceObject::kTypeCraft && Fightable(attacker) &&
        pilot->IsHostile(attacker)) {
        target = nullptr;
        hostile = attacker;
        pilot->SetTarget(attacker);
        target = attacker;
    }
    if (target == nullptr && (target = NearestHostile(*pilot)) != nullptr) {
        hostile = target;
        pilot->SetTarget(target);
    }

    if (avoid != 0 && obstacle.Get() != nullptr && age - warnedAtAge < kAvoidMs) {
        behavior = kAvoid;
        mode = 1;
        return;
    }
    avoid = 0;
    mode = 0;

    const int32_t courage = pilot->traits[3];
    const int32_t hull = pilot->maxHitPoints > 0 ? int32_t(int64_t(pilot->hitPoints) * 100 / pilot->maxHitPoints) : 100;
    if (hitLately && hull < courage) {
        behavior = kEvade;
        pilot->PickRandomManeuver();
        return;
    }
    if (target == nullptr) {
        behavior = kIdle;
        return;
    }
    const float range = float(pilot->GetMaxWeaponRange());
    const float distance = pilot->DistanceTo(*target);
    if (range > 0.0f && distance < kAttackReach * range) {
        behavior = kAttack;
        // The bolder the pilot, the likelier a set piece: a chance per 50 ms
        // of attack, taken every frame in proportion to its length.
        if (pilot->currentManeuver == nullptr && (GameRandom() % 1000) * 50 < (pilot->traits[1] / 10) * frameMs) {
            pilot->PickAttackManeuver();
        }
    } else {
        behavior = kPursue;
    }
}

void AiBrain::ExecuteBehavior() {
    AiShip* const pilot = Pilot();
    if (pilot == nullptr || pilot->active == 0 || pilot->dead != 0) return;
    const Vector3 here = pilot->Position();
    SpaceObject* const target = LiveHostile();
    switch (behavior) {
        case kPursue:
        case kAttack: {
            if (target == nullptr) break;
            // A ship that fights from its deck closes bow first like any
            // other; near the target it turns its deck to it.
            const Turret* const deck = DeckTurret(*pilot);
            if (deck != nullptr && pilot->DistanceTo(*target) < kDeckTurnInShare * float(pilot->GetMaxWeaponRange())) {
                BringDeckToBear(*pilot, *target, *deck);
                Throttle(*pilot, behavior == kPursue ? 100 : kAttackThrottle);
                Boost(*pilot, false);
                return;
            }
            // Pursuit flies to where the target will be; within weapon range the
            // nose goes on the target itself, since gun shots strike at once.
            const float leadSeconds = behavior == kPursue ? kLeadSeconds : 0.0f;
            const Vector3 lead = target->Position().Sum(target->velocity.Scaled(leadSeconds));
            const Vector3 toLead = lead.Difference(here);
            if (behavior == kAttack) {
                Track(*pilot, *target);
            } else {
                Steer(*pilot, toLead);
            }
            // Turning onto a target off the nose, it slows for a tighter turn.
            const float off = OffNose(*pilot, toLead);
            Throttle(*pilot, behavior == kPursue ? 100 : off > 60.0f ? 20 : off > 20.0f ? 50 : kAttackThrottle);
            const float range = float(pilot->GetMaxWeaponRange());
            Boost(*pilot, behavior == kPursue && range > 0.0f && pilot->DistanceTo(*target) > kBoostReach * range);
            return;
        }
        case kEvade: {
            const SpaceObject* const attacker = pilot->lastAttacker.Get();
            Steer(*pilot, attacker != nullptr ? here.Difference(attacker->Position()) : pilot->world.forward);
            Throttle(*pilot, 100);
            Boost(*pilot, true);
            return;
        }
        case kAvoid: {
            const SpaceObject* const from = obstacle.Get();
            if (from == nullptr) break;
            // Past the obstacle's edge: the line that grazes its sphere, widened
            // by a margin, on the side the ship's up points to.
            Vector3 toward = from->Position().Difference(here);
            const float distance = toward.Length();
            const float clear = from->Radius() + pilot->Radius() + kAvoidMargin;
            Vector3 up;
            const Vector3 localUp{0.0f, 1.0f, 0.0f};
            TransformVector(&localUp, &pilot->world.matrix, &up);
            if (distance > 0.0f) toward = toward.Scaled(1.0f / distance);
            Vector3 aside = up.Difference(toward.Scaled(up.Dot(toward)));
            if (aside.Length() <= 0.0f) aside = pilot->world.forward;
            aside.Normalize();
            const float along = distance > clear ? std::sqrt(distance * distance - clear * clear) : 0.0f;
            Steer(*pilot, toward.Scaled(along).Sum(aside.Scaled(clear)));
            Throttle(*pilot, kAvoidThrottle);
            Boost(*pilot, false);
            return;
        }
        default:
            break;
    }
    Boost(*pilot, false);
    // Idle: a wingman keeps its slot by its leader; others fly to their navigation point.
    if (const SpaceObject* const leader = followed.Get(); leader != nullptr && leader != pilot && leader->active != 0) {
        Vector3 slot;
        TransformPoint(&formationSlot, &leader->world.matrix, &slot);
        const Vector3 toSlot = slot.Difference(here);
        const float gap = toSlot.Length();
        Steer(*pilot, gap > kFollowSlack ? toSlot : leader->world.forward);
        // The leader's speed, and more the farther the slot: a wingman that
        // came too fast would only circle it.
        const float wanted = leader->velocity.Length() + std::min(gap * kCatchUpRate, kCatchUpCap);
        Throttle(*pilot, pilot->velocity.Length() > wanted ? 0 : 100);
        return;
    }
    Throttle(*pilot, kCruiseThrottle);
    if (const SpaceObject* const point = pilot->navTarget.Get()) {
        Steer(*pilot, point->Position().Difference(here));
        return;
    }
    pilot->SetRotationVector({0.0f, 0.0f, 0.0f});
}

void AiBrain::GatherFriends(AiShip& pilot, const SpaceObject& target) {
    friends_.clear();
    const Mission* const mission = g_gameState != nullptr ? g_gameState->mission : nullptr;
    if (mission == nullptr || pilot.side == 0) return;
    const float frameSeconds = float(std::max(frameMs, 0)) * 0.001f;
    const float ownMove = pilot.velocity.Length() * frameSeconds;
    for (SpaceObject* object = mission->firstObject; object != nullptr; object = object->GetNext()) {
        if (object == &pilot || object == &target || object->side != pilot.side || !Fightable(object) ||
            object->type < SpaceObject::kTypeCraft) {
            continue;
        }
        BoundingSphere sphere;
        if (object->GetBoundingSphere(&sphere) != 0) continue;
        sphere.radius = object->Radius() + ownMove + object->velocity.Length() * frameSeconds;
        friends_.push_back(sphere);
    }
}

bool AiBrain::FriendInLine(const Vector3& from, const Vector3& direction, float reach) const {
    for (const BoundingSphere& sphere : friends_) {
        const Vector3 toward = sphere.centre.Difference(from);
        // The point of the line, from the muzzle to the reach, nearest the friend.
        const float along = std::clamp(toward.Dot(direction), 0.0f, std::max(reach, 0.0f));
        if (toward.Difference(direction.Scaled(along)).Length() < sphere.radius) return true;
    }
    return false;
}

void AiBrain::UpdateFireControl() {
    AiShip* const pilot = Pilot();
    SpaceObject* const target = LiveHostile();
    if (pilot == nullptr || target == nullptr || pilot->dead != 0 || pilot->active == 0) return;
    const Vector3 toTarget = target->Position().Difference(pilot->Position());
    const float distance = toTarget.Length();
    const float cone = 10.0f - float(pilot->traits[2]) / 20.0f;
    const bool bears = OffNose(*pilot, toTarget) < cone;
    const uint32_t age = pilot->Age();
    auto* const targeting = static_cast<TargetingSystem*>(pilot->GetSystem(ShipSystem::kTargeting, nullptr));
    // Whether a weapon's shots from `muzzle` may go out along its line: at
    // the target, or along the nose. They stop in the target, so a friend
    // beyond its near side is safe. The friends are gathered once, and only
    // in a frame when something would fire.
    bool gathered = false;
    const auto clear = [&](const Vector3& muzzle, bool atTarget, float range) {
        if (!gathered) GatherFriends(*pilot, *target);
        gathered = true;
        Vector3 line = atTarget ? target->Position().Difference(muzzle) : pilot->world.forward;
        const float shortOfTarget = target->Position().Difference(muzzle).Length() - target->Radius();
        if (!(line.Length() > 0.0f)) return true;
        line.Normalize();
        return !FriendInLine(muzzle, line, std::min(range, shortOfTarget));
    };
    const auto muzzleOf = [pilot](const ShipSystem& weapon) {
        const int32_t part = weapon.partIndex;
        const SceneObject* const node = part >= 0 && part < pilot->parts.Count() ? pilot->parts[part]->node : nullptr;
        return node != nullptr ? effects::WorldPosition(*node) : pilot->Position();
    };
    bool groupFires[4] = {};
    bool groupHeld[4] = {};
    for (ShipSystem* system : pilot->GetWeaponList()) {
        auto* const weapon = static_cast<Weapon*>(system);
        if (pilot->OnTurretBarrel(*weapon)) continue;
        if (weapon->group == 1 || weapon->group == 2) {
            const float range = float(weapon->GetRange());
            const bool fires = bears && distance <= range;
            groupFires[weapon->group] = groupFires[weapon->group] || fires;
            // The group fires whole: every weapon's line must be clear, a
            // gun's in reach at the target, any other along the nose.
            const bool atTarget = fires && weapon->typeId == Weapon::kGun;
            if (bears && !groupHeld[weapon->group] && !clear(muzzleOf(*weapon), atTarget, range)) {
                groupHeld[weapon->group] = true;
            }
        } else if (weapon->group == kMissileGroup && targeting != nullptr && age - lastMissileAge >= kMissileSpacingMs &&
                   targeting->GetLockStrength(weapon, weapon->LockClass()) >= 100) {
            groupFires[kMissileGroup] = true;
        }
    }
    for (const int32_t group : {2, 1}) {
        if (!groupFires[group] || groupHeld[group]) continue;
        // A gun's shots go at the target the fire control names, for one update.
        for (ShipSystem* system : pilot->GetWeaponList()) {
            auto* const weapon = static_cast<Weapon*>(system);
            if (weapon->typeId == Weapon::kGun && pilot->FiredWithGroup(*weapon, group) &&
                distance <= float(weapon->GetRange())) {
                static_cast<GunWeapon*>(weapon)->aimTarget = target;
            }
        }
        if (pilot->FireWeaponGroup(group) != 0) ++shotsFired;
    }
    if (groupFires[kMissileGroup] && pilot->FireWeaponGroup(kMissileGroup) != 0) {
        lastMissileAge = age;
        ++missilesFired;
    }
    for (Turret* turret : pilot->turrets) {
        if (!turret->IsObjectInArc(target)) continue;
        if (turret->target.Get() != target) turret->SetTarget(target);
        auto* const gun = static_cast<Weapon*>(turret->FindWeapon());
        // It fires once the barrel bears, the target is within the gun's
        // reach and no friend is in the way.
        if (gun == nullptr || turret->aimError >= kTurretAimDegrees || distance > float(gun->GetRange())) continue;
        if (!clear(muzzleOf(*gun), true, float(gun->GetRange()))) continue;
        const int32_t barrel = turret->barrelPart;
        SceneObject* const from = barrel >= 0 && barrel < pilot->parts.Count() ? pilot->parts[barrel]->node : nullptr;
        gun->Fire(from, nullptr);
    }
}
