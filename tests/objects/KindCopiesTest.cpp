// Copies of every kind, made as the game makes them (a carrier's payload,
// here), and the motion controls each kind answers to: what a copy keeps
// of its original, where it stands, and how throttle, velocity, damping
// and turn commands move each kind when it is simulated.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <typeinfo>
#include <vector>

#include "engine/Random.h"
#include "objects/effects/Turret.h"
#include "objects/ships/AiShip.h"
#include "objects/ships/Craft.h"
#include "objects/ships/PlayerShip.h"
#include "objects/space/Asteroid.h"
#include "objects/space/ChaseObject.h"
#include "objects/space/Debris.h"
#include "objects/space/HullObject.h"
#include "objects/space/JumpGate.h"
#include "objects/space/Missile.h"
#include "objects/space/MovingObject.h"
#include "objects/space/NavBuoy.h"
#include "objects/space/ObjectLink.h"
#include "objects/space/WayPoint.h"
#include "tests/support/world/WorldBuilder.h"

namespace {

class KindCopiesTest : public ::testing::Test {
protected:
    KindCopiesTest() { GameRandomSeed(3); }

    // Everything in the world that is not one of `before`.
    std::vector<SpaceObject*> NewSince(const std::vector<SpaceObject*>& before) const {
        std::vector<SpaceObject*> made;
        for (SpaceObject* object : builder_.World()) {
            if (std::find(before.begin(), before.end(), object) == before.end()) made.push_back(object);
        }
        return made;
    }

    // A carrier at `where` that releases `count` copies of `payload` at
    // once; its copies are what is new in the world afterwards.
    std::vector<SpaceObject*> Release(SpaceObject* payload, int32_t count, const Vector3& where) {
        auto* const carrier = builder_.SpawnAs<Missile>(builder_.Ball("CARRIER", 1.0f), 8);
        carrier->SetPositionFlags(where, Transform::kAllFlags | 0x10);
        carrier->SetLaunchParams(payload, count, 0, 0.0f);
        carrier->SetSide(2);
        const std::vector<SpaceObject*> before = builder_.World();
        carrier->Simulate(16);
        EXPECT_EQ(carrier->active, 0u) << "the carrier ends when it releases";
        return NewSince(before);
    }

    WorldBuilder builder_;
};

// Each kind's copy is of its kind, in the world, standing where the carrier
// stood, on the carrier's side, and keeps what the kind's copy keeps.
TEST_F(KindCopiesTest, EveryKindIsCopiedWithWhatMakesItThatKind) {
    const Vector3 where{100.0f, -40.0f, 900.0f};
    struct Case {
        const char* what;
        std::function<SpaceObject*()> make;
        std::function<void(const SpaceObject& original, const SpaceObject& copy)> check;
    };
    const auto noCheck = [](const SpaceObject&, const SpaceObject&) {};
    std::vector<Case> cases = {
        {"moving", [&] { return new MovingObject(builder_.Ball("MOVER", 1.0f)); }, noCheck},
        {"hull",
         [&] {
             auto* const hull = new HullObject(builder_.Ball("HULL", 2.0f));
             hull->SetHullFactors(40, 20, 10);
             return hull;
         },
         [](const SpaceObject&, const SpaceObject& copy) {
             const auto& hull = dynamic_cast<const HullObject&>(copy);
             EXPECT_FLOAT_EQ(hull.rollCoupling, 0.4f);
             EXPECT_FLOAT_EQ(hull.drag, 0.2f);
             EXPECT_FLOAT_EQ(hull.thirdFactor, 0.1f);
         }},
        {"craft", [&] { return new Craft(builder_.Ball("CRAFT", 3.0f)); }, noCheck},
        {"player's ship", [&] { return new PlayerShip(builder_.Ball("PLAYER", 3.0f)); }, noCheck},
        {"rock",
         [&] {
             auto* const rock = new Asteroid(builder_.Ball("ROCK", 4.0f));
             rock->words[1] = 77;
             return rock;
         },
         [](const SpaceObject&, const SpaceObject& copy) { EXPECT_EQ(dynamic_cast<const Asteroid&>(copy).words[1], 77u); }},
        {"debris", [&] { return new Debris(builder_.Ball("BIT", 0.5f)); }, noCheck},
        {"gate", [&] { return new JumpGate(builder_.Ball("GATE", 20.0f)); }, noCheck},
        {"buoy", [&] { return new NavBuoy(builder_.Ball("BUOY", 1.0f), nullptr); }, noCheck},
        {"way point", [&] { return new WayPoint(builder_.Ball("WAYPOINT", 1.0f), nullptr); }, noCheck},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        SpaceObject* const original = c.make();
        original->SetMaxRates(55.0f, 33.0f);
        original->SetAccelerations(120.0f, 90.0f);
        const std::vector<SpaceObject*> copies = Release(original, 2, where);
        ASSERT_EQ(copies.size(), 2u);
        for (SpaceObject* copy : copies) {
            EXPECT_EQ(typeid(*copy), typeid(*original));
            EXPECT_EQ(copy->type, original->type);
            EXPECT_NEAR(copy->Position().Difference(where).Length(), 0.0f, 1e-3f);
            EXPECT_EQ(copy->side, 2);
            EXPECT_FLOAT_EQ(copy->maxSpeed, 55.0f);
            EXPECT_FLOAT_EQ(copy->maxTurnRate, 33.0f);
            EXPECT_FLOAT_EQ(copy->velocityCap, 120.0f);
            c.check(*original, *copy);
            builder_.Remove(copy);
        }
        delete original;
    }
}

// An AI ship's copy is a pilot of its own: the same name, traits, race and
// skill, and turrets of the same description on its own parts.
TEST_F(KindCopiesTest, AnAiShipsCopyFliesWithTheSameTraitsAndTurrets) {
    spawn_records::AiShip record;
    record.race = 17;
    record.skill = 2;
    auto* const original =
        new AiShip(builder_.Template("GUNS0000", {{"TURR0FLHL", {{"BARL0FLHG", {}}}}}), &record, "R205");
    original->name = EngineCopyText("Vesk");
    original->callsign = EngineCopyText("Vesk One");
    original->isBase = 0;
    original->traits[3] = 91;
    original->SetHitPoints(700);
    Turret::Record turret{};
    std::snprintf(turret.baseName, sizeof turret.baseName, "TURR0FLHL");
    turret.greatestPitch = 45;
    turret.turnRate = 60;
    turret.yawAxis = 2;
    turret.barrelAxis = 3;
    ASSERT_TRUE(original->AddTurret(turret));
    EXPECT_STREQ(original->GetRaceName(), "Scavage");

    const std::vector<SpaceObject*> copies = Release(original, 1, {0.0f, 0.0f, 50.0f});
    ASSERT_EQ(copies.size(), 1u);
    auto* const copy = dynamic_cast<AiShip*>(copies[0]);
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(copy->name, "Vesk");
    EXPECT_NE(copy->name, original->name);   // its own text
    EXPECT_STREQ(copy->callsign, "Vesk One");
    EXPECT_STREQ(copy->GetRaceName(), "Scavage");
    EXPECT_EQ(copy->skill, original->skill);
    EXPECT_EQ(copy->traits[3], 91);
    EXPECT_EQ(copy->GetMaxHitPoints(nullptr), 700);
    ASSERT_EQ(copy->turrets.Count(), 1);
    Turret::Record described{};
    copy->turrets[0]->Describe(&described);
    EXPECT_STREQ(described.baseName, "TURR0FLHL");
    EXPECT_EQ(described.turnRate, 60);
    EXPECT_EQ(copy->turrets[0]->craft, copy);   // on the copy's parts, not the original's
    builder_.Remove(copy);
    delete original;

    // The chase anchor is never copied: a carrier of it releases nothing.
    auto* const anchor = new ChaseObject(builder_.Ball("CHASE", 1.0f));
    EXPECT_TRUE(Release(anchor, 3, {}).empty());
    delete anchor;
}

// A link made from an object, or copied from another, refers to the same
// object and lets go of it when it leaves.
TEST_F(KindCopiesTest, LinksMadeOrCopiedLetGoWhenTheObjectGoes) {
    SpaceObject* const rock = builder_.Spawn(builder_.Ball("ROCK", 1.0f), 3);
    const ObjectLink made(rock);
    const ObjectLink copied(made);
    std::vector<ObjectLink> held(3, copied);
    EXPECT_EQ(made.Get(), rock);
    EXPECT_EQ(copied.Get(), rock);
    builder_.Remove(rock);
    EXPECT_EQ(made.Get(), nullptr);
    EXPECT_EQ(copied.Get(), nullptr);
    for (const ObjectLink& link : held) EXPECT_EQ(link.Get(), nullptr);
}

// The free-flying kind: throttle in per cent of its push, a velocity in
// fractions of it, damping in per cent, turn commands in fractions of its
// turn rate, all as they move it over a simulated second.
TEST_F(KindCopiesTest, AFreeFlyingObjectFollowsItsMotionControls) {
    auto* const mover = builder_.SpawnAs<MovingObject>(builder_.Ball("MOVER", 1.0f), 5);
    mover->SetMaxRates(100.0f, 30.0f);
    mover->SetAccelerations(1000.0f, 90.0f);
    mover->SetThrottle(250.0f);   // held to full
    mover->Simulate(1000);
    EXPECT_NEAR(mover->Position().z, 100.0f, 1e-3f);
    mover->SetThrottle(-20.0f);   // held to stopped: it coasts
    mover->Simulate(1000);
    EXPECT_NEAR(mover->Position().z, 200.0f, 1e-3f);
    mover->Damp(50.0f);
    mover->Simulate(1000);
    EXPECT_NEAR(mover->Position().z, 250.0f, 1e-3f);
    mover->Damp(100.0f);
    mover->SetVelocity(0.0f, 0.0f, 0.25f);   // a quarter of the push, forward
    mover->Simulate(1000);
    EXPECT_NEAR(mover->Position().z, 275.0f, 1e-3f);

    // A full pitch command spins it up at its turn rate; its motion vector is that spin.
    mover->Damp(100.0f);
    mover->SetVelocity(0.0f, 0.0f, 0.0f);
    mover->SetRotationRates(1.0f, 0.0f, 0.0f);
    mover->Simulate(500);
    Vector3 spin;
    mover->GetMotionVector(&spin);
    EXPECT_NEAR(spin.x, 15.0f, 1e-3f);
    EXPECT_EQ(spin.y, 0.0f);

    // A turn vector longer than the rate is cut to the rate; a shorter one is a fraction of it.
    Vector3 hard{90.0f, 0.0f, 0.0f};
    mover->ScaleTurnVector(hard);
    EXPECT_NEAR(hard.x, 30.0f, 1e-4f);
    Vector3 gentle{0.0f, 0.5f, 0.0f};
    mover->ScaleTurnVector(gentle);
    EXPECT_NEAR(gentle.y, 15.0f, 1e-4f);
}

// The hull kind settles at the forward speed it is given, couples roll to
// yaw by its factor, and is damped by its drag and the given share over the
// time since its last step.
TEST_F(KindCopiesTest, AHullSettlesCouplesAndDampsByItsFactors) {
    auto* const hull = builder_.SpawnAs<HullObject>(builder_.Ball("HULL", 2.0f), 5);
    hull->SetMaxRates(40.0f, 20.0f);
    hull->SetAccelerations(60.0f, 90.0f);
    hull->SetHullFactors(50, 0, 0);
    hull->SetRotationRates(0.0f, 1.0f, 0.0f);
    Vector3 rates;
    hull->GetRotationRates(&rates);
    EXPECT_FLOAT_EQ(rates.y, 20.0f);
    EXPECT_FLOAT_EQ(rates.z, -10.0f);   // half the yaw, rolled against it

    hull->SetRotationRates(0.0f, 0.0f, 0.0f);
    hull->SetThrottle(30.0f);
    EXPECT_FLOAT_EQ(hull->localVelocity.z, 30.0f);
    hull->SetVelocity(0.0f, 0.0f, 0.5f);
    EXPECT_FLOAT_EQ(hull->localVelocity.z, 20.0f);
    for (int i = 0; i < 5; ++i) hull->Simulate(1000);
    EXPECT_NEAR(hull->velocity.Length(), 60.0f, 1e-3f);   // pushed to its cap

    // 400 ms since its last step at 50% drag + 50%: 60 x (1 - 0.4) = 36.
    hull->SetHullFactors(50, 50, 0);
    hull->lastUpdateAge = int32_t(hull->Age());
    builder_.Clock().Advance(400);
    hull->Damp(0.5f);
    EXPECT_NEAR(hull->velocity.Length(), 36.0f, 1e-3f);
    // Damped below 3 a second, it stops.
    hull->velocity = {0.0f, 0.0f, 3.5f};
    hull->Damp(0.5f);
    EXPECT_EQ(hull->velocity.Length(), 0.0f);
}

}  // namespace
