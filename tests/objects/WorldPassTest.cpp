// The world pass and the collisions it runs, the impacts, destruction over
// the network, and the motion of the first kinds.
#include "objects/space/WorldPass.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "game/CareerRecord.h"
#include "net/NetPacketType.h"
#include "objects/space/HullObject.h"
#include "objects/space/MovingObject.h"
#include "objects/space/NavBuoy.h"
#include "objects/space/SpawnRecords.h"
#include "tests/support/world/RecordingNetSession.h"
#include "tests/support/world/WorldBuilder.h"

namespace {

// An object that keeps the damage it takes.
class Target : public SpaceObject {
public:
    explicit Target(SpaceObject* templateObject) : SpaceObject(templateObject) {}
    int32_t TakeDamage(int32_t part, const DamageRecord& damage, SpaceObject*) override {
        hits.push_back(damage);
        lastPart = part;
        return 0;
    }
    std::vector<DamageRecord> hits;
    int32_t lastPart = -2;
};

void Arm(SpaceObject* object, int32_t type, uint32_t mask, const Vector3& at) {
    object->type = type;
    object->collisionMask = mask;
    object->SetPositionFlags(at, Transform::kAllFlags | 0x10);
    object->previousPosition = at;
    object->Activate(0);
    object->collisionDelay = 0;
    object->UpdateVisibility();
}

// A missile that would pass clean through a large ship within one frame is
// caught by the swept test, on the ship's part.
TEST(WorldPassTest, AMissileCrossingAShipInOneFrameHitsIt) {
    WorldBuilder builder;
    RegisterSpaceObjects();
    Target* const ship = builder.SpawnAs<Target>(builder.Ball("SHIP0", 50.0f), 1);
    Arm(ship, SpaceObject::kTypeCraft, 0, {0.0f, 0.0f, 0.0f});
    auto* const missile = builder.SpawnAs<MovingObject>(builder.Ball("MSSL0", 1.0f), 2);
    Arm(missile, SpaceObject::kTypeMissile, 1u << SpaceObject::kTypeCraft, {0.0f, 0.0f, -500.0f});
    missile->velocity = {0.0f, 0.0f, 1000.0f};
    missile->velocityCap = 2000.0f;
    builder.Clock().Advance(1000);
    builder.Game().Simulate();
    EXPECT_GT(missile->Position().z, 400.0f);   // it went past the ship
    ASSERT_FALSE(ship->hits.empty());
    EXPECT_EQ(ship->hits[0].source, missile);
    EXPECT_EQ(ship->collisionPartner.Get(), missile);
    EXPECT_EQ(missile->partnerPart, 0);
    GameState::RegisterObjectKind(1, nullptr);
}

// A mine of another side goes off at a gap below 50; of the same side only on contact.
TEST(WorldPassTest, MinesHitOtherSidesFromAGap) {
    for (const int32_t mineSide : {2, 1}) {
        WorldBuilder builder;
        Target* const ship = builder.SpawnAs<Target>(builder.Ball("SHIP0", 50.0f), 1);
        Arm(ship, SpaceObject::kTypeCraft, 0, {0.0f, 0.0f, 0.0f});
        ship->SetSide(1);
        Target* const mine = builder.SpawnAs<Target>(builder.Ball("MINE0", 10.0f), 2);
        Arm(mine, SpaceObject::kTypeMine, 1u << SpaceObject::kTypeCraft, {50.0f + 10.0f + 49.0f, 0.0f, 0.0f});
        mine->SetSide(mineSide);
        ship->Collide();
        EXPECT_EQ(ship->hits.size(), mineSide == 2 ? 1u : 0u) << mineSide;
    }
}

TEST(WorldPassTest, ImpactsFollowMassAndSpeed) {
    const struct {
        float mass, speed;
        int32_t expected[5];
    } cases[] = {
        {10.0f, 20.0f, {165, 80, 45, 0, 0}},
        {1e6f, 200.0f, {16005, 8000, 4005, 0, 0}},   // past 32 bits before the division
    };
    for (const auto& c : cases) {
        WorldBuilder builder;
        SpaceObject* const rock = builder.Template("ROCK0");
        SpaceObject* const x = builder.Spawn(rock, 1);
        Target* const y = builder.SpawnAs<Target>(rock, 1);
        x->mass = y->mass = c.mass;
        x->speed = c.speed;
        y->speed = 0.0f;
        x->collisionPartner = y;
        x->partnerPart = 2;
        x->ApplyImpact(0);
        ASSERT_EQ(y->hits.size(), 1u);
        EXPECT_EQ(y->hits[0].source, x);
        EXPECT_EQ(y->lastPart, 2);
        for (int i = 0; i < 5; ++i) EXPECT_EQ(y->hits[0].amounts[i], c.expected[i]) << i;
    }
}

// The host tells everyone an object is gone; a client asks the server, with
// its own id as the sender, and decides no collisions.
TEST(WorldPassTest, DestructionGoesOverTheNetworkAndOnlyTheHostCollides) {
    for (const bool host : {true, false}) {
        WorldBuilder builder;
        RecordingNetSession session(host);
        builder.Game().netSession = &session;
        SpaceObject* const rock = builder.Spawn(builder.Template("ROCK0"), 1);
        rock->Activate(0);
        SpaceObject* const waiting = builder.Spawn(builder.Template("ROCK1"), 1);
        waiting->Activate(0);
        waiting->collisionDelay = 5000;
        rock->Destroy(nullptr, 0);
        ASSERT_EQ(session.sent.size(), 1u);
        EXPECT_EQ(session.sent[0].bytes[0], host ? kObjectDestroy : kDestructionRequest);
        EXPECT_EQ(session.sent[0].from, host ? 1u : 2u);
        EXPECT_EQ(session.sent[0].to, host ? RecordingNetSession::kToAll : 1u);
        builder.Clock().Advance(100);
        UpdateSpaceObjects();
        EXPECT_EQ(builder.World().size(), 1u);   // the destroyed rock went
        EXPECT_EQ(waiting->collisionDelay < 5000, host);
        builder.Game().netSession = nullptr;
    }
}

// A hull flying at 150 with its forward speed capped at 100 slows toward
// 100 and never below; one at rest gains its acceleration each second.
TEST(WorldPassTest, HullsSettleAtTheirCap) {
    WorldBuilder builder;
    auto* const hull = builder.SpawnAs<HullObject>(builder.Template("HULL0"), 1);
    hull->velocityCap = 100.0f;
    hull->maxSpeed = 20.0f;
    hull->velocity = {0.0f, 0.0f, 150.0f};
    float last = 150.0f;
    for (int step = 0; step < 60; ++step) {
        hull->Simulate(100);
        EXPECT_GE(hull->speed, 100.0f);
        EXPECT_LE(hull->speed, last);
        last = hull->speed;
    }
    EXPECT_NEAR(last, 100.0f, 1.0f);
    hull->velocity = {0.0f, 0.0f, 50.0f};
    hull->Simulate(500);
    EXPECT_NEAR(hull->speed, 60.0f, 1e-3f);
}

// Inertial flight is off only while the career's word is exactly 1: then
// a step of a sixth of a second takes the player's sideways drift away at
// once; any other word lets it decay at the hull's drag rate.
TEST(WorldPassTest, InertialFlightIsOffOnlyForAWordOfOne) {
    WorldBuilder builder;
    CareerRecord career;
    builder.Game().career = &career;
    auto* const ship = builder.SpawnAs<HullObject>(builder.Template("SHIP0"), 1);
    ship->type = SpaceObject::kTypePlayerShip;
    builder.Game().playerShip = ship;
    for (const auto& [word, drifting] : {std::pair{1, false}, std::pair{0, true}, std::pair{2, true}, std::pair{-1, true}}) {
        career.options.inertialOff = word;
        ship->velocity = {40.0f, 0.0f, 0.0f};
        ship->Simulate(170);
        EXPECT_EQ(std::abs(ship->velocity.x) > 1.5f, drifting) << "word " << word << ": " << ship->velocity.x;
    }
    builder.Game().playerShip = nullptr;
    builder.Game().career = nullptr;
}

TEST(WorldPassTest, MovingObjectsAndBuoys) {
    WorldBuilder builder;
    auto* const drifter = builder.SpawnAs<MovingObject>(builder.Template("ROCK0"), 1);
    drifter->maxSpeed = 100.0f;
    drifter->localVelocity.z = 40.0f;
    drifter->Decelerate(5.0f);
    EXPECT_FLOAT_EQ(drifter->localVelocity.z, -5.0f);
    drifter->Decelerate(20.0f);
    EXPECT_FLOAT_EQ(drifter->localVelocity.z, -10.0f);
    drifter->localVelocity.z = -8.0f;
    drifter->Accelerate(5.0f);
    EXPECT_FLOAT_EQ(drifter->localVelocity.z, 5.0f);
    drifter->angularVelocity = {4.0f, 0.0f, 0.0f};
    drifter->spinCap = 10.0f;
    drifter->Simulate(10);
    EXPECT_FLOAT_EQ(drifter->angularVelocity.x, 0.0f);

    NavBuoyRecord record;
    record.position = {1.0f, 2.0f, 3.0f};
    auto* const buoy = builder.SpawnAs<NavBuoy>(builder.Template("BUOY0"), 2, &record, true);
    EXPECT_EQ(buoy->collisionDelay, 0);   // collides at once
    EXPECT_FLOAT_EQ(buoy->angularVelocity.Length(), 0.0f);
    EXPECT_FLOAT_EQ(buoy->Position().z, 3.0f);
    buoy->TakeDamage(0, DamageRecord{}, nullptr);
    EXPECT_EQ(buoy->removeWhenDone, 1u);
}

}  // namespace

#include "objects/space/ChaseObject.h"

namespace {

// Expiry destroys a plain object, which the next pass removes; a craft's
// expiry leaves its removal to the craft. The rotating pointer walks on.
TEST(WorldPassTest, ExpiryRemovalAndTheRotatingPointer) {
    WorldBuilder builder;
    SpaceObject* const rock = builder.Spawn(builder.Template("ROCK0"), 1);
    SpaceObject* const craft = builder.Spawn(builder.Template("SHIP0"), 2);
    craft->type = SpaceObject::kTypeCraft;
    rock->Activate(1);
    craft->Activate(1);
    builder.Game().rotatingObject = rock;
    UpdateSpaceObjects();
    EXPECT_EQ(builder.Game().rotatingObject, craft);
    EXPECT_NE(rock->flags & SpaceObject::kFlagChanged, 0u);
    builder.Clock().Advance(1500);
    UpdateSpaceObjects();
    EXPECT_EQ(rock->active, 0u);
    EXPECT_EQ(rock->removeWhenDone, 1u);
    EXPECT_EQ(craft->removeWhenDone, 0u);
    UpdateSpaceObjects();
    EXPECT_EQ(builder.World(), std::vector<SpaceObject*>{craft});
}

// The anchor keeps the trail distance behind its target along the target's
// heading, and keeps its offset while the target stands still.
TEST(WorldPassTest, TheChaseObjectTrailsItsTarget) {
    WorldBuilder builder;
    SpaceObject* const ship = builder.Spawn(builder.Template("SHIP0"), 1);
    auto* const chase = builder.SpawnAs<ChaseObject>(builder.Template("CHASE"), 2);
    chase->target = ship;
    for (int step = 1; step <= 12; ++step) {
        ship->previousPosition = ship->Position();
        ship->SetPositionFlags({0.0f, 0.0f, 5.0f * float(step)}, Transform::kAllFlags | 0x10);
        chase->Simulate(50);
    }
    EXPECT_NEAR(ship->Position().z - chase->Position().z, 10.0f, 1e-4f);
    ship->previousPosition = ship->Position();
    chase->Simulate(50);
    EXPECT_NEAR(ship->Position().z - chase->Position().z, 10.0f, 1e-4f);
    builder.Remove(ship);
    chase->Simulate(50);   // the target went: nothing to follow, nothing read
    EXPECT_EQ(chase->target.Get(), nullptr);
}

}  // namespace
