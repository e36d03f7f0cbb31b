// The campaign's first fight as a new career flies it: the strike set up
// from the base in the career's own ship and flown by its keys.
#include <gtest/gtest.h>

#include "engine/MathRoutineTable.h"
#include "engine/input/KeySet.h"
#include "game/CommandTable.h"
#include "game/GameState.h"
#include "objects/ships/Craft.h"
#include "objects/weapons/Weapon.h"
#include "shell/FlightInput.h"
#include "tests/shell/CareerFight.h"
#include "tools/mkdata/CampaignData.h"

namespace {

using namespace command_table;

class StrikeFightTest : public CareerFight {};

// Fire held with a ship targeted 500 ahead and 60 aside, inside the
// targeting cone and the laser's reach: the guns aim at a raider and strike
// it, never at the wingman, whom a shot straight ahead misses.
TEST_F(StrikeFightTest, TheGunsAimAtAHostileTargetAndNeverAtAFriend) {
    ASSERT_TRUE(Launch(kStrikeMissionFile, 1));
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
        EXPECT_EQ(Fight(kStrikeMissionFile, Plan::kAttack, seed), End::kWon) << "seed " << seed;
        for (const Plan plan : {Plan::kIdle, Plan::kFlee}) {
            EXPECT_NE(Fight(kStrikeMissionFile, plan, seed), End::kWon) << PlanName(plan) << " seed " << seed;
        }
    }
}

}  // namespace
