// The campaign's first fight as a new career flies it: the strike set up
// from the base in the career's own ship and flown by its keys.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "engine/MathRoutineTable.h"
#include "engine/input/KeySet.h"
#include "game/CommandTable.h"
#include "game/GameState.h"
#include "game/RadioMessage.h"
#include "objects/ships/Craft.h"
#include "objects/ships/ShipRadio.h"
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

// A new pilot doing what the briefing says: T once locks on a raider, not
// the wingman, and flown at it with the throttle and the trigger held the
// strike is won; left idle, or flown away, the pilot loses it, shot down or
// with Alpha 2 lost, long before the test would give up on the fight.
TEST_F(StrikeFightTest, OneTLocksOnARaiderAndWinsTheStrikeWhileAnIdleOrFleeingPilotLosesIt) {
    for (int32_t seed = 1; seed <= 6; ++seed) {
        EXPECT_EQ(EndName(Fight(kStrikeMissionFile, Plan::kAttackOnce, seed)), std::string("won")) << "seed " << seed;
        EXPECT_TRUE(lockedHostile_) << "T locked on \"" << locked_ << "\", seed " << seed;
    }
    for (const Plan plan : {Plan::kIdle, Plan::kFlee}) {
        for (int32_t seed = 1; seed <= (plan == Plan::kIdle ? 6 : 3); ++seed) {
            const End end = Fight(kStrikeMissionFile, plan, seed);
            EXPECT_TRUE(end == End::kDied || end == End::kFailed) << PlanName(plan) << " seed " << seed << ": " << EndName(end);
        }
    }
}

// Full throttle and a hard turn from the launch, every way: the wing starts
// with room for it, and the leader neither rams its wingman nor dies in the
// seconds before the raiders close. A hard left carries the leader across
// Alpha 2's line of fire as it opens on the raiders: it holds its fire.
TEST_F(StrikeFightTest, ATurnAtLaunchKeepsClearOfTheWingmanAndItsFire) {
    for (int32_t seed = 1; seed <= 8; ++seed) {
        for (const uint16_t turn : {kYawLeft, kYawRight, kNoseUp, kNoseDown}) {
            EXPECT_EQ(EndName(Fight(kStrikeMissionFile, Plan::kTurn, seed, 6000, turn)), std::string("open"))
                << "turn " << turn << ", seed " << seed;
            EXPECT_FALSE(rammed_) << "turn " << turn << ", seed " << seed;
            EXPECT_EQ(friendHits_, 0) << "turn " << turn << ", seed " << seed;
        }
    }
}

// Alpha 2's guns finish a raider, and it calls the kill; then the leader
// rams into it at speed and is destroyed, by Alpha 2 as the world counts
// it, and it calls nothing over its own leader.
TEST_F(StrikeFightTest, AWingmanCallsItsKillOfARaiderButNotOfTheLeaderThatRamsIt) {
    ASSERT_TRUE(Launch(kStrikeMissionFile, 1));
    GameState& game = Game();
    auto* const ship = dynamic_cast<Craft*>(game.playerShip);
    auto* const wingman = dynamic_cast<Craft*>(Named(kStrikeWingman));
    auto* const raider = dynamic_cast<Craft*>(Named("Red 1"));
    ASSERT_TRUE(ship != nullptr && wingman != nullptr && raider != nullptr);
    // The wingman's three kill calls, as its voice says them.
    std::set<std::string> calls;
    for (const char level : {'B', 'C', 'D'}) {
        const char sample[] = {level, ship_radio::VoiceLetter(ship_radio::VoiceGenderOf(*wingman)), '1', '6', 0};
        RadioMessage* line = ship_radio::WingmanLine(*wingman, sample);
        calls.insert(line->text);
        game.DropRadioMessage(line);
    }
    // Whether the wingman has a kill call up; the cockpit takes it away.
    const auto called = [&] {
        const bool kill = game.pendingRadio != nullptr && game.pendingRadio->speaker == wingman &&
                          calls.count(game.pendingRadio->text) != 0;
        game.DropRadioMessage(game.pendingRadio);
        return kill;
    };

    game.DropRadioMessage(game.pendingRadio);
    DamageRecord burst;
    burst.source = wingman;
    for (int32_t& amount : burst.amounts) amount = 100000;
    raider->TakeDamage(0, burst, wingman);
    ASSERT_NE(raider->dead, 0);
    EXPECT_TRUE(called()) << "no kill call for the raider";

    // The wingman just ahead, and the leader flying at it.
    Vector3 ahead{ship->world.matrix.rows[2][0], ship->world.matrix.rows[2][1], ship->world.matrix.rows[2][2]};
    ahead.Normalize();
    wingman->SetPositionFlags(ship->Position().Sum(ahead.Scaled(ship->Radius() + wingman->Radius() + 10.0f)),
                              Transform::kAllFlags | 0x10);
    bool gloated = false;
    for (int32_t frame = 0; frame < 20 && ship->dead == 0; ++frame) {
        ship->velocity = ahead.Scaled(300.0f);
        builder_->Clock().Advance(kFrameMs);
        game.Simulate();
        gloated = called() || gloated;
    }
    ASSERT_NE(ship->dead, 0) << "the ram left the leader flying";
    EXPECT_EQ(ship->killer.Get(), wingman);
    EXPECT_FALSE(gloated) << "the wingman called its leader's death a kill";
}

}  // namespace
