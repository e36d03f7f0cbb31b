// The campaign's first fight as a new career flies it: the strike set up
// from the base in the career's own ship, flown through the flight keys by
// a small pilot that decides each frame what it holds, from what the ship
// shows (its target and where it lies).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>
#include <string>

#include "engine/MathRoutineTable.h"
#include "engine/Random.h"
#include "engine/input/KeySet.h"
#include "game/CareerRecord.h"
#include "game/CommandTable.h"
#include "game/GameState.h"
#include "game/Mission.h"
#include "game/RadioMessage.h"
#include "mission/FlightGoals.h"
#include "mission/MissionSetUp.h"
#include "objects/effects/EffectSupport.h"
#include "objects/ships/Craft.h"
#include "objects/ships/ShipRadio.h"
#include "objects/weapons/Weapon.h"
#include "shell/FlightInput.h"
#include "tests/support/world/SampleMissionTest.h"
#include "tools/mkdata/CampaignData.h"

namespace {

using namespace command_table;

// The attacker presses T once, at launch, and flies at what it locked on
// with the throttle and the trigger held; the idle pilot holds nothing; the
// fleeing one runs from the nearest raider at full throttle; the turning
// one holds the throttle and one turn from launch.
enum class Plan { kAttack, kIdle, kFlee, kTurn };
constexpr const char* kPlanNames[] = {"attack", "idle", "flee", "turn"};

// How a flight ended: won with the pilot alive, failed by its goals, the
// pilot's ship destroyed, or still open when the test gave up on it.
enum class End { kWon, kFailed, kDied, kOpen };
constexpr const char* kEndNames[] = {"won", "failed", "died", "open"};

// The longest a strike is flown here, far past any fight's end.
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
            if (o->type < SpaceObject::kTypeCraft || o->active == 0 || !ship.IsHostile(o)) continue;
            if (nearest == nullptr || ship.DistanceTo(*o) < ship.DistanceTo(*nearest)) nearest = o;
        }
        return nearest;
    }

    // What the pilot of `plan` holds in its `frame`th frame; the turning
    // one turns by the command `turn`.
    static KeySet Keys(Plan plan, Craft& ship, const SpaceObject* from, uint32_t frame, uint16_t turn) {
        KeySet keys;
        if (plan == Plan::kIdle) return keys;
        keys.Set(kThrottleUp);
        if (plan == Plan::kTurn) {
            keys.Set(turn);
            return keys;
        }
        if (plan == Plan::kAttack) keys.Set(frame == 0 ? kNextTarget : kFire);
        if (from == nullptr) return keys;
        // At the target; away from the nearest raider.
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

    // The flight flown by `plan` for at most `ms` and how it ended; the
    // attacker's first target is kept in locked_, and whether the pilot's
    // ship ever struck the wingman or was struck by it in rammed_.
    End Fight(Plan plan, int32_t seed, uint32_t ms = kFightMs, uint16_t turn = 0) {
        locked_.clear();
        lockedHostile_ = false;
        rammed_ = false;
        if (!Launch(seed)) {
            ADD_FAILURE() << "the strike does not launch";
            return End::kOpen;
        }
        GameState& game = Game();
        const SpaceObject* const wingman = Named(kStrikeWingman);
        for (uint32_t frame = 0; frame * kFrameMs < ms; ++frame) {
            auto* const ship = dynamic_cast<Craft*>(game.playerShip);
            if (ship == nullptr) return End::kDied;
            const SpaceObject* const from = plan == Plan::kFlee ? NearestHostile(*ship) : ship->GetTarget();
            game.commands.Capture(Keys(plan, *ship, from, frame, turn));
            HandleFlightInput(game, kFrameMs);
            if (SpaceObject* const target = frame == 0 ? ship->GetTarget() : nullptr) {
                locked_ = target->name != nullptr ? target->name : "";
                lockedHostile_ = ship->IsHostile(target);
            }
            builder_->Clock().Advance(kFrameMs);
            game.Simulate();
            rammed_ = rammed_ || (wingman != nullptr && (ship->collisionPartner.Get() == wingman ||
                                                         wingman->collisionPartner.Get() == ship));
            const flight_goals::Outcome outcome = flight_goals::GetOutcome();
            if (outcome == flight_goals::Outcome::kFailed) return End::kFailed;
            if (ship->dead != 0 || ship->active == 0) return End::kDied;
            if (outcome == flight_goals::Outcome::kWon) return End::kWon;
        }
        return End::kOpen;
    }

    SpaceObject* Named(const char* name) {
        for (SpaceObject* o = Game().mission->firstObject; o != nullptr; o = o->GetNext()) {
            if (o->name != nullptr && std::strcmp(o->name, name) == 0) return o;
        }
        return nullptr;
    }

    std::string locked_;
    bool lockedHostile_ = false;
    bool rammed_ = false;
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

// A new pilot doing what the briefing says: T once locks on a raider, not
// the wingman, and flown at it with the throttle and the trigger held the
// strike is won; left idle, or flown away, the pilot loses it, shot down or
// with Alpha 2 lost, long before the test would give up on the fight.
TEST_F(StrikeFightTest, OneTLocksOnARaiderAndWinsTheStrikeWhileAnIdleOrFleeingPilotLosesIt) {
    for (int32_t seed = 1; seed <= 6; ++seed) {
        EXPECT_STREQ(kEndNames[int(Fight(Plan::kAttack, seed))], "won") << "seed " << seed;
        EXPECT_TRUE(lockedHostile_) << "T locked on \"" << locked_ << "\", seed " << seed;
    }
    for (const Plan plan : {Plan::kIdle, Plan::kFlee}) {
        for (int32_t seed = 1; seed <= (plan == Plan::kIdle ? 6 : 3); ++seed) {
            const End end = Fight(plan, seed);
            EXPECT_TRUE(end == End::kDied || end == End::kFailed)
                << kPlanNames[int(plan)] << " seed " << seed << ": " << kEndNames[int(end)];
        }
    }
}

// Full throttle and a hard turn from the launch, every way: the wing starts
// with room for it, and the leader neither rams its wingman nor dies in the
// seconds before the raiders close.
TEST_F(StrikeFightTest, ATurnAtLaunchKeepsClearOfTheWingman) {
    for (int32_t seed = 1; seed <= 6; ++seed) {
        for (const uint16_t turn : {kYawLeft, kYawRight, kNoseUp, kNoseDown}) {
            EXPECT_STREQ(kEndNames[int(Fight(Plan::kTurn, seed, 4000, turn))], "open") << "turn " << turn << ", seed " << seed;
            EXPECT_FALSE(rammed_) << "turn " << turn << ", seed " << seed;
        }
    }
}

// Alpha 2's guns finish a raider, and it calls the kill; then the leader
// rams into it at speed and is destroyed, by Alpha 2 as the world counts
// it, and it calls nothing over its own leader.
TEST_F(StrikeFightTest, AWingmanCallsItsKillOfARaiderButNotOfTheLeaderThatRamsIt) {
    ASSERT_TRUE(Launch(1));
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
