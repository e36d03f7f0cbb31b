// The world pass and the collisions it runs, the impacts, destruction over
// the network, and the motion of the first kinds.
#include "objects/space/WorldPass.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "game/CareerRecord.h"
#include "net/NetPacketType.h"
#include "objects/space/CollisionCandidates.h"
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

// A mine of another side goes off at a gap below 50; of the same side only
// on contact. An AI ship at rest beside one is no exception: the broad phase
// keeps the pair for the mine's gap, not only for the ship's warnings.
TEST(WorldPassTest, MinesHitOtherSidesFromAGap) {
    for (const int32_t shipType : {SpaceObject::kTypeCraft, SpaceObject::kTypeAiShip}) {
        for (const int32_t mineSide : {2, 1}) {
            WorldBuilder builder;
            Target* const ship = builder.SpawnAs<Target>(builder.Ball("SHIP0", 50.0f), 1);
            Arm(ship, shipType, 0, {0.0f, 0.0f, 0.0f});
            ship->SetSide(1);
            Target* const mine = builder.SpawnAs<Target>(builder.Ball("MINE0", 10.0f), 2);
            Arm(mine, SpaceObject::kTypeMine, 1u << shipType, {50.0f + 10.0f + 49.0f, 0.0f, 0.0f});
            mine->SetSide(mineSide);
            ship->Collide();
            EXPECT_EQ(ship->hits.size(), mineSide == 2 ? 1u : 0u) << shipType << " " << mineSide;
            EXPECT_TRUE(CollisionCandidates::MayTouch(*ship, *mine)) << shipType;
        }
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

// A turn past the cap is cut to it whichever way it turns.
TEST(WorldPassTest, TurnsPastTheCapAreCutEitherWay) {
    WorldBuilder builder;
    auto* const hull = builder.SpawnAs<HullObject>(builder.Template("HULL0"), 1);
    hull->maxTurnRate = 90.0f;
    for (const Vector3& asked : {Vector3{0.0f, 400.0f, 0.0f}, Vector3{0.0f, -400.0f, 0.0f}, Vector3{-300.0f, 0.0f, -300.0f}}) {
        hull->SetRotationVector(asked);
        EXPECT_NEAR(hull->rotationRates.Length(), 90.0f, 1e-3f) << asked.x << " " << asked.y << " " << asked.z;
    }
    hull->SetRotationVector({0.0f, -60.0f, 30.0f});
    EXPECT_FLOAT_EQ(hull->rotationRates.y, -60.0f);
}

// Inertial flight is off only while the career's word is exactly 1: then
// a step of a sixth of a second takes the player's sideways drift away at
// once; any other word lets it decay at the hull's drag rate.
TEST(WorldPassTest, InertialFlightIsOffOnlyForAWordOfOne) {
    WorldBuilder builder;
    CareerRecord career;
    delete builder.Game().career;   // the game's own, for one on the stack
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

#include <cmath>
#include <limits>

#include "engine/Random.h"
#include "ai/AiBrain.h"

namespace {

// An object that counts the times its network state is asked for.
class Counted : public Target {
public:
    using Target::Target;
    void FillNetState(NetObjectState& state) const override {
        ++asked;
        Target::FillNetState(state);
    }
    mutable int asked = 0;
};

// Missiles far from a ship are passed over by the cheap distance bound
// before their owner is looked up; a near one is asked once.
TEST(WorldPassTest, OnlyNearPairsAskForTheOwner) {
    WorldBuilder builder;
    Target* const ship = builder.SpawnAs<Target>(builder.Ball("SHIP0", 50.0f), 1);
    Arm(ship, SpaceObject::kTypeCraft, 0, {0.0f, 0.0f, 0.0f});
    std::vector<Counted*> missiles;
    for (int i = 0; i < 3; ++i) {
        missiles.push_back(builder.SpawnAs<Counted>(builder.Ball("MSSL0", 1.0f), 2));
        Arm(missiles.back(), SpaceObject::kTypeMissile, 1u << SpaceObject::kTypeCraft, {5000.0f * float(i + 1), 0.0f, 0.0f});
    }
    ship->Collide();
    for (const Counted* missile : missiles) EXPECT_EQ(missile->asked, 0);
    missiles[0]->SetPositionFlags({0.0f, 0.0f, 600.0f}, Transform::kAllFlags | 0x10);
    ship->Collide();
    EXPECT_EQ(missiles[0]->asked, 1);
}

struct Kind {
    int32_t type;
    uint32_t mask;
};
// The kinds' own masks, and one of a type beyond the table.
constexpr Kind kKinds[] = {
    {SpaceObject::kTypeHull, 0x1fda4},      {SpaceObject::kTypeNavBuoy, 0x1f804}, {SpaceObject::kTypeAsteroid, 0x1f804},
    {SpaceObject::kTypeMine, 0x1d804},      {SpaceObject::kTypeJumpGate, 0x1f804}, {SpaceObject::kTypeDecoy, 0x1fda4},
    {SpaceObject::kTypeMissile, 0x1c004},   {SpaceObject::kTypeCraft, 0x1fda4},    {SpaceObject::kTypePlayerShip, 0x1fda4},
    {SpaceObject::kTypeAiShip, 0x1fda4},    {SpaceObject::kTypeDebris, 0},        {40, 0x1fda4},
};

// Pairs the broad phase leaves out never hit, at the edges of every bound:
// contact, a mine's gap, a missile's sweep within the near range.
TEST(WorldPassTest, PairsLeftOutByTheBroadPhaseNeverHit) {
    GameRandomSeed(11);
    int hits = 0, leftOut = 0;
    for (int trial = 0; trial < 1500; ++trial) {
        WorldBuilder builder;
        const Kind& ka = kKinds[GameRandom() % std::size(kKinds)];
        const Kind& kb = kKinds[GameRandom() % std::size(kKinds)];
        const float ra = float(1 + GameRandom() % 150), rb = float(1 + GameRandom() % 150);
        Target* const a = builder.SpawnAs<Target>(builder.Ball("A0", ra), 1);
        Target* const b = builder.SpawnAs<Target>(builder.Ball("B0", rb), 2);
        // Around the bounds: contact, the mine gap, the near range.
        const float bounds[] = {0.0f, 50.0f, 1000.0f};
        const float gap = bounds[GameRandom() % 3] + float(GameRandom() % 41) - 20.0f;
        Arm(a, ka.type, ka.mask, {0.0f, 0.0f, 0.0f});
        Arm(b, kb.type, kb.mask, {ra + rb + gap, 0.0f, 0.0f});
        a->SetSide(1);
        b->SetSide(2);
        // A missile flying across the other within the frame.
        for (Target* moving : {a, b}) {
            if (moving->type != SpaceObject::kTypeMissile) continue;
            const Vector3 at = moving->Position();
            moving->previousPosition = at.Sum({0.0f, -2000.0f, 0.0f});
            moving->SetPositionFlags(at.Sum({0.0f, 2000.0f, 0.0f}), Transform::kAllFlags | 0x10);
        }
        const bool mayTouch = CollisionCandidates::MayTouch(*a, *b);
        a->Collide();
        const bool hit = !a->hits.empty() || !b->hits.empty();
        hits += hit ? 1 : 0;
        leftOut += mayTouch ? 0 : 1;
        EXPECT_TRUE(mayTouch || !hit) << "types " << ka.type << ", " << kb.type << " radii " << ra << ", " << rb << " gap "
                                      << gap;
    }
    EXPECT_GT(hits, 20);
    EXPECT_GT(leftOut, 100);
}

// An AI ship with a brain of its own, to be warned off what it flies into.
class Pilot : public Target {
public:
    explicit Pilot(SpaceObject* templateObject) : Target(templateObject), brain(this) {}
    AiBrain* Brain() const override { return const_cast<AiBrain*>(&brain); }
    AiBrain brain;
};

// The broad phase bounds an AI ship's warnings by the pair's speeds and
// moves, not by the whole near range: ships meeting head on, overtaking,
// drifting or at rest, offset or not, are warned off only of pairs it keeps.
TEST(WorldPassTest, PairsLeftOutByTheBroadPhaseWarnNoAiShip) {
    GameRandomSeed(23);
    int warned = 0, leftOut = 0;
    for (int trial = 0; trial < 1500; ++trial) {
        WorldBuilder builder;
        const float ra = float(1 + GameRandom() % 60), rb = float(1 + GameRandom() % 200);
        Pilot* const ship = builder.SpawnAs<Pilot>(builder.Ball("SHIP0", ra), 1);
        const bool bothShips = GameRandom() % 2 == 0;
        Target* const other = bothShips ? builder.SpawnAs<Pilot>(builder.Ball("SHIP1", rb), 2)
                                        : builder.SpawnAs<Target>(builder.Ball("ROCK0", rb), 2);
        const auto random = [](int32_t span) { return float(GameRandom() % (2 * span + 1) - span); };
        const float gap = float(GameRandom() % 2 == 0 ? GameRandom() % 60 : GameRandom() % 1100);
        Arm(ship, SpaceObject::kTypeAiShip, 0x1fda4, {0.0f, 0.0f, 0.0f});
        Arm(other, bothShips ? SpaceObject::kTypeAiShip : SpaceObject::kTypeAsteroid, 0x1f804,
            {ra + rb + gap, random(40), random(40)});
        // Speeds up to 400 either way, or slow; this frame's move along the
        // velocity or not, up to a fifth of a second of it.
        for (Target* moving : {static_cast<Target*>(ship), other}) {
            moving->velocity = Vector3{random(400), random(100), random(100)}.Scaled(GameRandom() % 3 == 0 ? 0.02f : 1.0f);
            const float seconds = float(GameRandom() % 200) / 1000.0f;
            const Vector3 at = moving->Position();
            moving->previousPosition = GameRandom() % 4 == 0 ? at.Sum({random(50), random(50), random(50)})
                                                             : at.Difference(moving->velocity.Scaled(seconds));
        }
        const bool mayTouch = CollisionCandidates::MayTouch(*ship, *other);
        ship->Collide();
        const bool warning = ship->brain.avoid != 0 || (bothShips && static_cast<Pilot*>(other)->brain.avoid != 0);
        warned += warning ? 1 : 0;
        leftOut += mayTouch ? 0 : 1;
        EXPECT_TRUE(mayTouch || !warning) << "trial " << trial << " radii " << ra << ", " << rb << " gap " << gap;
    }
    EXPECT_GT(warned, 50);
    EXPECT_GT(leftOut, 300);
}

// After a hit the broad phase is refreshed, not dropped: the hit object
// still collides with a third in the same pass, as does a pair later in
// the world.
TEST(WorldPassTest, AHitLeavesLaterPairsToCollideInTheSamePass) {
    WorldBuilder builder;
    Target* const rock = builder.SpawnAs<Target>(builder.Ball("ROCK0", 40.0f), 1);
    Pilot* const ship = builder.SpawnAs<Pilot>(builder.Ball("SHIP0", 10.0f), 2);
    Target* const third = builder.SpawnAs<Target>(builder.Ball("SHIP1", 30.0f), 3);
    Target* const left = builder.SpawnAs<Target>(builder.Ball("SHIP2", 20.0f), 4);
    Target* const right = builder.SpawnAs<Target>(builder.Ball("SHIP3", 20.0f), 5);
    Arm(rock, SpaceObject::kTypeAsteroid, 0x1f804, {0.0f, 0.0f, 0.0f});
    Arm(ship, SpaceObject::kTypeAiShip, 0x1fda4, {-30.0f, 0.0f, 0.0f});
    Arm(third, SpaceObject::kTypeCraft, 0x1fda4, {-55.0f, 0.0f, 0.0f});
    Arm(left, SpaceObject::kTypeCraft, 0x1fda4, {5000.0f, 0.0f, 0.0f});
    Arm(right, SpaceObject::kTypeCraft, 0x1fda4, {5030.0f, 0.0f, 0.0f});
    ship->velocity = {200.0f, 0.0f, 0.0f};
    rock->mass = 1.0e6f;
    ship->mass = 1.0f;
    builder.Clock().Advance(50);
    UpdateSpaceObjects();
    ASSERT_FALSE(ship->hits.empty());
    EXPECT_EQ(ship->hits[0].source, rock);
    ASSERT_FALSE(third->hits.empty());
    EXPECT_EQ(third->hits[0].source, ship);
    ASSERT_FALSE(right->hits.empty());
    EXPECT_EQ(right->hits[0].source, left);
}

// Each object gets exactly the later objects that may touch it, in world
// order, also among places and radii that are not numbers or infinite.
TEST(WorldPassTest, TheBroadPhaseFindsWhatTheWholeWalkWould) {
    WorldBuilder builder;
    GameRandomSeed(5);
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    std::vector<SpaceObject*> templates;
    for (const float radius : {2.0f, 12.0f, 40.0f, 150.0f, 600.0f, inf, nan}) templates.push_back(builder.Ball("T0", radius));
    for (int i = 0; i < 400; ++i) {
        const Kind& kind = kKinds[GameRandom() % std::size(kKinds)];
        SpaceObject* const object = builder.Spawn(templates[GameRandom() % (i % 50 == 0 ? 7 : 5)], uint32_t(GameRandom() % 6));
        const auto spread = [] { return float(GameRandom() % 8001) - 4000.0f; };
        Vector3 at{spread(), spread(), spread() * 0.1f};
        if (i == 77) at.x = nan;
        if (i == 78) at.y = inf;
        Arm(object, kind.type, kind.mask, at);
    }
    const std::vector<SpaceObject*> world = builder.World();
    CollisionCandidates candidates;
    candidates.Take(world.front());
    EXPECT_FALSE(candidates.Stale());
    std::vector<SpaceObject*> found;
    const auto check = [&world, &candidates, &found](const char* when) {
        size_t pairs = 0;
        for (size_t i = 0; i < world.size(); ++i) {
            std::vector<SpaceObject*> expected;
            for (size_t j = i + 1; j < world.size(); ++j) {
                if (CollisionCandidates::MayTouch(*world[i], *world[j])) expected.push_back(world[j]);
            }
            EXPECT_TRUE(candidates.Collect(*world[i], &found)) << when << " " << i;
            EXPECT_EQ(found, expected) << when << " " << i;
            pairs += expected.size();
        }
        return pairs;
    };
    const size_t pairs = check("taken");
    EXPECT_GT(pairs, 100u);
    EXPECT_LT(pairs, world.size() * world.size() / 8);

    // Hits change speeds: refreshed, the lists follow them, faster ships
    // reaching farther and slower ones less far, a speed that is no number
    // the whole near range.
    for (int i = 0; i < 120; ++i) {
        SpaceObject* const object = world[size_t(GameRandom() % world.size())];
        object->velocity = Vector3{float(GameRandom() % 801) - 400.0f, 0.0f, 0.0f}.Scaled(i % 3 == 0 ? 0.01f : 1.0f);
    }
    world[200]->velocity.x = nan;
    candidates.Refresh(world.front());
    EXPECT_GT(check("refreshed"), pairs);
    // A place or a kind that changed takes it all again.
    Arm(world[10], SpaceObject::kTypeMine, 0x1d804, world[300]->Position());
    world[11]->SetPositionFlags(world[301]->Position(), Transform::kAllFlags | 0x10);
    candidates.Refresh(world.front());
    check("moved");

    // Not taken: walked whole. Objects made since: taken again.
    SpaceObject outside(static_cast<Model*>(nullptr));
    EXPECT_FALSE(candidates.Collect(outside, &found));
    EXPECT_TRUE(found.empty());
    EXPECT_TRUE(candidates.Stale());
}

}  // namespace
