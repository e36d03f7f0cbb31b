// The campaign's first fight as a new career flies it: the strike set up
// from the base in the career's own ship, flown through the flight keys by
// a small pilot that decides each frame what it holds, from what the ship
// shows (its target and where it lies).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "engine/MathRoutineTable.h"
#include "engine/Random.h"
#include "engine/input/KeySet.h"
#include "game/CareerRecord.h"
#include "game/CommandTable.h"
#include "game/GameState.h"
#include "game/Mission.h"
#include "mission/FlightGoals.h"
#include "mission/MissionSetUp.h"
#include "objects/effects/EffectSupport.h"
#include "objects/ships/Craft.h"
#include "objects/weapons/Weapon.h"
#include "shell/FlightInput.h"
#include "tests/support/world/SampleMissionTest.h"
#include "tools/mkdata/CampaignData.h"

namespace {

using namespace command_table;

enum class Plan { kAttack, kIdle, kFlee };

const char* PlanName(Plan plan) {
    switch (plan) {
        case Plan::kAttack: return "attack";
        case Plan::kIdle: return "idle";
        default: return "flee";
    }
}

// The longest a strike is flown here: a fight not over by then is lost.
constexpr uint32_t kFightMs = 150000;
constexpr uint32_t kFrameMs = 50;
// Within this many degrees of the nose the pilot stops turning that way.
constexpr float kDeadZone = 2.0f;

class StrikeFightTest : public SampleMissionTest {
protected:
    // The strike as a new career flies it: the war room's accept sets it up
    // and the hangar launches the career's ship. False when it will not fly.
    bool Launch(int32_t seed) {
        GameState& game = Game();
        delete game.career;
        game.career = new CareerRecord;
        GameRandomSeed(uint32_t(seed));
        RandomSeed(seed, seed + 1);
        game.launchFromBase = 1;
        if (SetUpMission(kStrikeMissionFile, -1) != kStatusOk) return false;
        if (LaunchPlayerShip() == nullptr) return false;
        flight_goals::Start(game);
        StartFlightInput(game);
        return true;
    }

    const SpaceObject* NearestHostile(const Craft& ship) {
        const SpaceObject* nearest = nullptr;
        for (SpaceObject* o = Game().mission->firstObject; o != nullptr; o = o->GetNext()) {
            if (o->type < SpaceObject::kTypeCraft || o->active == 0 || o->side == 0 || o->side == ship.side) continue;
            if (nearest == nullptr || ship.DistanceTo(*o) < ship.DistanceTo(*nearest)) nearest = o;
        }
        return nearest;
    }

    // What the pilot of `plan` holds this frame.
    KeySet Keys(Plan plan, Craft& ship) {
        KeySet keys;
        if (plan == Plan::kIdle) return keys;
        keys.Set(kThrottleUp);
        SpaceObject* const target = ship.GetTarget();
        if (plan == Plan::kAttack) {
            // T until a raider is targeted: a new press each second frame.
            if (target == nullptr || target->active == 0 || target->side == 0 || target->side == ship.side) {
                if ((++frames_ & 1) != 0) keys.Set(kNextTarget);
                return keys;
            }
            keys.Set(kFire);
        }
        // Attack the target; flee from the nearest raider.
        const SpaceObject* const from = plan == Plan::kAttack ? target : NearestHostile(ship);
        if (from == nullptr) return keys;
        Vector3 local = effects::PointToLocal(ship.world, from->Position());
        if (plan == Plan::kFlee) local = Vector3{-local.x, -local.y, -local.z};
        const float yaw = std::atan2(local.x, local.z) * 57.29578f;
        const float pitch = std::atan2(local.y, std::hypot(local.x, local.z)) * 57.29578f;
        if (yaw > kDeadZone) keys.Set(kYawRight);
        if (yaw < -kDeadZone) keys.Set(kYawLeft);
        if (pitch > kDeadZone) keys.Set(kNoseUp);
        if (pitch < -kDeadZone) keys.Set(kNoseDown);
        return keys;
    }

    // The fight flown to its end: true when it is won with the pilot alive.
    bool Fight(Plan plan, int32_t seed) {
        if (!Launch(seed)) {
            ADD_FAILURE() << "the strike does not launch";
            return false;
        }
        GameState& game = Game();
        frames_ = 0;
        for (uint32_t flown = 0; flown < kFightMs; flown += kFrameMs) {
            auto* const ship = dynamic_cast<Craft*>(game.playerShip);
            if (ship == nullptr || ship->dead != 0 || ship->active == 0) return false;
            game.commands.Capture(Keys(plan, *ship));
            HandleFlightInput(game, kFrameMs);
            builder_->Clock().Advance(kFrameMs);
            game.Simulate();
            const flight_goals::Outcome outcome = flight_goals::GetOutcome();
            if (outcome != flight_goals::Outcome::kOpen) return outcome == flight_goals::Outcome::kWon;
        }
        return false;
    }

    SpaceObject* Named(const char* name) {
        for (SpaceObject* o = Game().mission->firstObject; o != nullptr; o = o->GetNext()) {
            if (o->name != nullptr && std::strcmp(o->name, name) == 0) return o;
        }
        return nullptr;
    }

    uint32_t frames_ = 0;
};

// Fire held with a ship targeted 500 ahead and 60 aside, inside the
// targeting cone and the laser's reach: the guns aim at a raider and strike
// it, never at the wingman, whom a shot straight ahead misses.
TEST_F(StrikeFightTest, TheGunsAimAtAHostileTargetAndNeverAtAFriend) {
    ASSERT_TRUE(Launch(1));
    GameState& game = Game();
    auto* const ship = dynamic_cast<Craft*>(game.playerShip);
    ASSERT_NE(ship, nullptr);
    const Weapon* laser = nullptr;
    for (ShipSystem* s = ship->GetSystem(ShipSystem::kAnyWeapon, nullptr); s != nullptr && laser == nullptr;
         s = ship->GetSystem(ShipSystem::kAnyWeapon, s)) {
        if (static_cast<Weapon*>(s)->typeId == Weapon::kGun) laser = static_cast<Weapon*>(s);
    }
    ASSERT_NE(laser, nullptr);
    const Vector3 nose{0.0f, 0.0f, 1.0f}, side{1.0f, 0.0f, 0.0f};
    Vector3 forward, right;
    TransformVector(&nose, &ship->world.matrix, &forward);
    TransformVector(&side, &ship->world.matrix, &right);
    // The matrix carries the model's scale.
    forward.Normalize();
    right.Normalize();
    const Vector3 aside = ship->Position().Sum(forward.Scaled(500.0f)).Sum(right.Scaled(60.0f));
    // Whether the ship's guns strike `name`, set there, targeted and fired at.
    const auto struck = [&](const char* name) {
        auto* const target = dynamic_cast<Craft*>(Named(name));
        if (target == nullptr) {
            ADD_FAILURE() << name;
            return false;
        }
        target->lastAttacker = nullptr;
        // A second of fire, the target held where it was put.
        for (uint32_t flown = 0; flown < 1000; flown += kFrameMs) {
            target->SetPositionFlags(aside, Transform::kAllFlags | 0x10);
            ship->SetTarget(target);
            game.playerControls.weaponGroup = laser->group;
            KeySet keys;
            keys.Set(kFire);
            game.commands.Capture(keys);
            HandleFlightInput(game, kFrameMs);
            builder_->Clock().Advance(kFrameMs);
            game.Simulate();
        }
        const bool hit = target->lastAttacker.Get() == ship;
        // Out of the way of the next.
        target->SetPositionFlags(ship->Position().Sum(forward.Scaled(-3000.0f)), Transform::kAllFlags | 0x10);
        return hit;
    };
    EXPECT_FALSE(struck("Alpha 2")) << "the guns aim at the wingman";
    EXPECT_TRUE(struck("Red 1")) << "the guns do not aim at the raider";
}

// A few seeds of each plan in the career's Lancer: locked on a raider and
// flown at it with the guns held, the pilot wins; left idle, or flown away,
// the pilot loses while Alpha 2 fights the other raider.
TEST_F(StrikeFightTest, ALockedOnPilotWinsTheStrikeAndAnIdleOrFleeingOneLosesIt) {
    for (const int32_t seed : {1, 2, 3}) {
        EXPECT_TRUE(Fight(Plan::kAttack, seed)) << "seed " << seed;
        for (const Plan plan : {Plan::kIdle, Plan::kFlee}) {
            EXPECT_FALSE(Fight(plan, seed)) << PlanName(plan) << " seed " << seed;
        }
    }
}

}  // namespace
