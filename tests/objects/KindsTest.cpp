// The mission's passive and launched kinds in a built world: one blast and
// one explosion per impact, the homing law and its pause, payload release,
// decoy lures, rock placement, debris lifetimes, ECM spoofing, and what the
// packets carry of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "engine/EngineAllocation.h"
#include "engine/Random.h"
#include "game/EffectRegistries.h"
#include "game/EffectTypes.h"
#include "net/NetPacket.h"
#include "net/NetPacketType.h"
#include "objects/effects/FxObject.h"
#include "objects/ships/Craft.h"
#include "objects/space/Asteroid.h"
#include "objects/space/Debris.h"
#include "objects/space/Decoy.h"
#include "objects/space/Mine.h"
#include "objects/space/MovingObject.h"
#include "objects/space/HullObject.h"
#include "objects/space/Missile.h"
#include "objects/space/NavBuoy.h"
#include "objects/space/SpawnRecords.h"
#include "objects/space/ObjectPart.h"
#include "objects/space/WorldPass.h"
#include "objects/systems/CountermeasureSystems.h"
#include "objects/systems/RadarSystem.h"
#include "objects/systems/TargetingSystem.h"
#include "objects/weapons/Launchers.h"
#include "game/PilotRecord.h"
#include "scene/SceneObject.h"
#include "scene/Camera.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/world/WorldBuilder.h"

namespace {

// A ship that counts the hits it takes.
class Target : public Craft {
public:
    explicit Target(SpaceObject* templateObject) : Craft(templateObject) {}
    int32_t TakeDamage(int32_t part, const DamageRecord& record, SpaceObject* source) override {
        ++hits;
        lastAmount = record.amounts[2];
        return Craft::TakeDamage(part, record, source);
    }
    int hits = 0;
    int32_t lastAmount = 0;
};

class KindsTest : public ::testing::Test {
protected:
    KindsTest() {
        GameRandomSeed(5);
        auto* const type = new ExplosionType;   // freed with the registries
        std::strcpy(type->name, "Bang");
        builder_.Game().flightCamera = &camera_;
    }
    ~KindsTest() override {
        builder_.Game().flightCamera = nullptr;
        builder_.Game().ClearFlight();
        FreeEffectRegistries();
    }

    Target* Ship(float z, int32_t side = 2) {
        auto* const ship = builder_.SpawnAs<Target>(builder_.Ball("SHIP", 5.0f), 14);
        ship->Activate(0);
        ship->collisionDelay = 0;
        ship->UpdateVisibility();
        ship->SetSide(side);
        ship->SetHitPoints(100000);
        ship->SetPositionFlags({0.0f, 0.0f, z}, Transform::kAllFlags | 0x10);
        return ship;
    }
    template <typename Kind>
    Kind* Spawn(float z) {
        auto* const object = builder_.SpawnAs<Kind>(builder_.Ball("KIND", 1.0f), 8);
        object->SetPositionFlags({0.0f, 0.0f, z}, Transform::kAllFlags | 0x10);
        object->explosionNames.Append(EngineCopyText("Bang"));
        return object;
    }
    // As the collision step does: each the other's partner, the larger's impact first.
    static void Collide(SpaceObject& large, SpaceObject& small) {
        large.collisionPartner = &small;
        small.collisionPartner = &large;
        large.ApplyImpact(0);
        small.ApplyImpact(0);
    }
    int Explosions() {
        int n = 0;
        builder_.Game().Groups().ForEach([&](const void*, NamedObject* object) { n += dynamic_cast<FxObject*>(object) != nullptr; });
        return n;
    }

    WorldBuilder builder_;
    Camera camera_;
};

TEST_F(KindsTest, EachImpactBlastsAndExplodesOnce) {
    // A craft strikes a mine: the mine blasts once, the ship nearby too.
    Target* const striker = Ship(0.0f);
    Target* const bystander = Ship(60.0f);
    Mine* const mine = Spawn<Mine>(20.0f);
    mine->collisionDelay = 0;
    mine->UpdateVisibility();
    mine->damage.amounts[2] = 400;
    Collide(*striker, *mine);
    EXPECT_EQ(striker->hits, 1);
    EXPECT_EQ(bystander->hits, 1);
    EXPECT_EQ(Explosions(), 1);
    EXPECT_EQ(mine->active, 0u);

    // A missile strikes a mine: one blast, one explosion each.
    Mine* const second = Spawn<Mine>(500.0f);
    second->collisionDelay = 0;
    second->UpdateVisibility();
    Missile* const missile = Spawn<Missile>(505.0f);
    Target* const near = Ship(560.0f);
    Collide(*second, *missile);
    EXPECT_EQ(near->hits, 1);
    EXPECT_EQ(Explosions(), 3);

    // A missile strikes a craft: the craft takes the warhead once, one explosion.
    Target* const victim = Ship(1000.0f);
    Missile* const warhead = Spawn<Missile>(1004.0f);
    warhead->damage.amounts[2] = 250;
    Collide(*victim, *warhead);
    EXPECT_EQ(victim->hits, 1);
    EXPECT_EQ(victim->lastAmount, 250);
    EXPECT_EQ(Explosions(), 4);
    EXPECT_EQ(warhead->TakeDamage(0, DamageRecord{}, nullptr), 0);   // gone already
}

TEST_F(KindsTest, HomingPausesOnceTheTargetPassesBehind) {
    Target* const target = Ship(300.0f);
    Missile* const missile = Spawn<Missile>(0.0f);
    missile->target = target;
    missile->turnRate = 90;
    missile->velocityCap = 200.0f;
    missile->SetMaxRates(50.0f, 60.0f);
    missile->velocity = {0.0f, 0.0f, 100.0f};
    builder_.Clock().Advance(1500);   // past the launch hold
    const auto step = [&]() {
        const Vector3 before = missile->world.forward;
        builder_.Clock().Advance(100);
        missile->Simulate(100);
        return missile->world.forward.Difference(before).Length() > 1e-5f;
    };
    target->SetPositionFlags({5.0f, 0.0f, 300.0f}, Transform::kAllFlags | 0x10);
    step();
    EXPECT_EQ(missile->homingHold, -1);   // ahead
    target->SetPositionFlags({0.0f, 5.0f, missile->Position().z - 300.0f}, Transform::kAllFlags | 0x10);
    EXPECT_TRUE(step());                 // one step, then the pause
    const int32_t pausedUntil = missile->homingHold;
    EXPECT_GT(pausedUntil, 0);
    for (int i = 0; i < 10; ++i) EXPECT_FALSE(step()) << i;   // 1000 ms
    EXPECT_TRUE(step());                 // steering again, the pause not renewed
    EXPECT_TRUE(step());
    EXPECT_EQ(missile->homingHold, pausedUntil);

    // Normal and spoofed missiles toward a target off to the side.
    const auto angleAfter = [&](int32_t rate) {
        Missile* const seeker = Spawn<Missile>(2000.0f);
        Target* const aim = Ship(2400.0f);
        aim->SetPositionFlags({200.0f, 80.0f, 2400.0f}, Transform::kAllFlags | 0x10);
        seeker->target = aim;
        seeker->turnRate = rate;
        seeker->homingHold = 0;
        for (int i = 0; i < 5; ++i) {
            builder_.Clock().Advance(50);
            seeker->Simulate(50);
        }
        Vector3 toAim = aim->Position().Difference(seeker->Position());
        toAim.Normalize();
        return std::acos(std::clamp(toAim.Dot(seeker->world.forward), -1.0f, 1.0f)) * 57.29578f;
    };
    const float start = std::atan2(std::hypot(200.0f, 80.0f), 400.0f) * 57.29578f;
    EXPECT_LT(angleAfter(90), start - 5.0f);
    EXPECT_GT(angleAfter(-90), start + 5.0f);
}

TEST_F(KindsTest, ACarrierReleasesItsPayloadAndExplodes) {
    Target* const target = Ship(800.0f);
    Craft* const owner = Ship(-50.0f, 1);
    SpaceObject* const payload = new Missile(builder_.Ball("SUB", 0.5f));
    Missile* const carrier = Spawn<Missile>(0.0f);
    carrier->SetLaunchParams(payload, 3, 200, 40.0f);
    carrier->target = target;
    carrier->owner = owner;
    carrier->SetSide(1);
    carrier->guidance = Missile::kRadar2;
    carrier->damage.amounts[0] = 77;
    carrier->lifetime = 500;   // under a second: the clones still get one
    builder_.Clock().Advance(100);
    carrier->Simulate(100);
    EXPECT_EQ(carrier->active, 1u);
    builder_.Clock().Advance(150);
    carrier->Simulate(150);
    EXPECT_EQ(carrier->active, 0u);
    std::vector<Missile*> released;
    for (SpaceObject* object : builder_.World()) {
        if (auto* const m = dynamic_cast<Missile*>(object); m != nullptr && m != carrier) released.push_back(m);
    }
    ASSERT_EQ(released.size(), 3u);
    for (Missile* m : released) {
        EXPECT_EQ(m->target.Get(), target);
        EXPECT_EQ(m->owner.Get(), owner);
        EXPECT_EQ(m->side, 1);
        EXPECT_EQ(m->damage.amounts[0], 77);
        EXPECT_EQ(m->guidance, Missile::kRadar2);
        EXPECT_GT(m->expiresAt, int32_t(m->Age()));   // a second, not for ever
    }

    // A client keeps none: the host makes them.
    GameState::NetworkHooks hooks;
    hooks.createObject = [](SpaceObject*) { return int32_t(0); };
    GameState::SetNetworkHooks(hooks);
    const size_t before = builder_.World().size();
    Missile* const other = Spawn<Missile>(3000.0f);
    other->SetLaunchParams(payload, 2, 0, 10.0f);
    other->Simulate(16);
    EXPECT_EQ(builder_.World().size(), before + 1);
    GameState::SetNetworkHooks(GameState::NetworkHooks{});
    delete payload;
}

TEST_F(KindsTest, DecoysLureOnlyForAnOwnerStillThere) {
    Craft* const owner = Ship(0.0f, 1);
    Target* const hunter = Ship(400.0f);
    const int16_t radar[7] = {2000, 8000, 1, 100, 100, 100, 100};
    hunter->AddSystem(0, new RadarSystem(hunter, 0, radar, 0));
    auto* const targeting = new TargetingSystem(hunter, 0, 50, 30, 6000, 90.0f, 0);
    hunter->AddSystem(0, targeting);
    targeting->target = owner;
    Missile* const seeker = Spawn<Missile>(300.0f);
    seeker->target = owner;
    seeker->guidance = Missile::kRadar3;
    Missile* const blind = Spawn<Missile>(310.0f);
    blind->target = owner;
    blind->guidance = Missile::kCloakBlind;

    Decoy* const orphan = Spawn<Decoy>(20.0f);
    orphan->craftLureChance = orphan->missileLureChance = 100;
    Craft* const gone = Ship(-400.0f, 1);
    orphan->owner = gone;
    builder_.Remove(gone);
    orphan->Simulate(16);
    EXPECT_EQ(seeker->target.Get(), owner);

    Decoy* const decoy = Spawn<Decoy>(30.0f);
    decoy->owner = owner;
    decoy->craftLureChance = decoy->missileLureChance = 100;
    decoy->Simulate(16);
    EXPECT_EQ(targeting->target.Get(), decoy);
    EXPECT_EQ(seeker->target.Get(), decoy);
    EXPECT_EQ(blind->target.Get(), owner);   // guidance 4 ignores decoys
    EXPECT_EQ(decoy->lureDone, 1);
}

TEST_F(KindsTest, RocksKeepTheirPlaceAndDebrisItsLife) {
    // A rock ringed so tightly that every attempt overlaps stays at its last try.
    Asteroid* const big = builder_.SpawnAs<Asteroid>(builder_.Ball("BIG", 1000.0f), 7);
    (void)big;
    spawn_records::Rock record;
    record.position = {0.0f, 0.0f, 0.0f};
    record.scatter = 50.0f;
    auto* const rock = new Asteroid(builder_.Ball("ROCK", 2.0f), record);
    EXPECT_LT(rock->Position().Length(), 11 * 50.0f);
    EXPECT_EQ(rock->type, SpaceObject::kTypeAsteroid);
    delete rock;

    Debris* const piece = builder_.SpawnAs<Debris>(builder_.Ball("BIT", 0.5f), 9);
    EXPECT_EQ(piece->active, 0u);
    EXPECT_EQ(piece->uoid, -1);
    piece->Activate(0.0f);
    EXPECT_EQ(piece->expiresAt, -1);
    EXPECT_GE(piece->angularVelocity.Length(), 15.9f);
    piece->Activate(2.0f);
    EXPECT_EQ(piece->expiresAt, int32_t(piece->Age()) + 2000);

    // A mine dropped moving arms once it has slowed below 1 a second.
    Mine* const dropped = Spawn<Mine>(0.0f);
    dropped->velocity = {0.0f, 0.0f, 10.0f};
    int frames = 0;
    while ((dropped->flags & SpaceObject::kFlagNoCollisions) != 0 && frames < 100) {
        dropped->Simulate(500);
        ++frames;
    }
    EXPECT_EQ(frames, 4);   // 10 halved each half second: 0.625 on the fourth
    EXPECT_EQ(dropped->velocity.Length(), 0.0f);
}

// A tumbling rock, still or drifting, and a pushed one end each step placed,
// with their part, as if each of the three turns had kept the inverse and
// the world placement: the same figures, all of them current.
TEST_F(KindsTest, ATumblingObjectEndsEachStepPlacedAsAfterEveryTurn) {
    const auto same = [](const Transform& a, const Transform& b) {
        return std::memcmp(&a.matrix, &b.matrix, sizeof a.matrix) == 0 &&
               std::memcmp(&a.inverse, &b.inverse, sizeof a.inverse) == 0;
    };
    for (const int kind : {0, 1, 2}) {
        Asteroid* const rock = builder_.SpawnAs<Asteroid>(builder_.Ball("ROCK", 2.0f), 7);
        Frame part;
        part.local.SetPositionXyz(1.0f, 2.0f, 3.0f, Transform::kAllFlags);
        part.AttachToParent(rock, Transform::kAllFlags | Frame::kUpdateWorld);
        rock->angularVelocity = {30.0f, -20.0f, 12.0f};
        rock->spinCap = 25.0f;
        rock->velocity = kind == 1 ? Vector3{1.0f, -2.0f, 0.5f} : Vector3{};
        rock->localVelocity.z = kind == 2 ? 3.0f : 0.0f;
        for (int step = 0; step < 3; ++step) {
            Transform expected = rock->local;
            const Vector3 spin = rock->angularVelocity;
            rock->Simulate(50);
            expected.RotateAboutLocalX(0.05f * std::clamp(spin.x, -25.0f, 25.0f), Transform::kAllFlags);
            expected.RotateAboutLocalY(0.05f * std::clamp(spin.y, -25.0f, 25.0f), Transform::kAllFlags);
            expected.RotateAboutForward(0.05f * std::clamp(spin.z, -25.0f, 25.0f), Transform::kAllFlags);
            const Vector3 at = rock->Position();
            expected.SetPosition(&at, Transform::kAllFlags);
            Transform partWorld;
            part.local.Combine(&expected, &partWorld);
            EXPECT_TRUE(same(rock->local, expected) && same(rock->world, expected) && same(part.world, partWorld))
                << kind << " " << step;
        }
        EXPECT_EQ(rock->Position().Length() > 0.0f, kind != 0);
        part.Detach(0, 0);
    }
}

// Records not from the mission reader may hold anything: huge, negative and
// NaN scatter, drift and spin give finite spins and places (UBSan watches
// the products and conversions).
TEST_F(KindsTest, HostileRecordValuesStayInRange) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const float value : {1.5e9f, -1.5e9f, 3.0e38f, -3.0e38f, nan, 2147483520.0f}) {
        SCOPED_TRACE(value);
        spawn_records::Rock record;
        record.scatter = value;
        record.drift = value;
        auto* const rock = new Asteroid(builder_.Ball("ROCK", 2.0f), record);
        auto* const mine = new Mine(builder_.Ball("MINE", 2.0f), record);
        spawn_records::Debris piece;
        piece.drift = value;
        auto* const debris = new Debris(builder_.Ball("BIT", 0.5f), piece);
        for (const SpaceObject* object : {static_cast<SpaceObject*>(rock), static_cast<SpaceObject*>(mine),
                                          static_cast<SpaceObject*>(debris)}) {
            EXPECT_TRUE(std::isfinite(object->angularVelocity.Length()));
            EXPECT_TRUE(std::isfinite(object->Position().Length()));
        }
        delete rock;
        delete mine;
        delete debris;
    }
    for (const int32_t range : {std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min(), 1 << 30, 20}) {
        SCOPED_TRACE(range);
        NavBuoyRecord record;
        record.spinRange = range;
        auto* const buoy = new NavBuoy(builder_.Ball("BUOY", 5.0f), &record, true);
        EXPECT_TRUE(std::isfinite(buoy->angularVelocity.Length()));
        delete buoy;
    }
}

TEST_F(KindsTest, EcmSpoofsRadarMissilesByItsChance) {
    Craft* const ship = Ship(0.0f, 1);
    const int16_t words[3] = {100, 100, 1000};
    auto* const ecm = new EcmSystem(ship, 0, words, 0);
    ship->AddSystem(0, ecm);
    Missile* const radar = Spawn<Missile>(100.0f);
    radar->guidance = Missile::kRadar2;
    EXPECT_EQ(ecm->TryDeflect(radar), 0);   // switched off, but warned
    EXPECT_EQ(ecm->alerted, 1);
    ecm->TurnOn();
    EXPECT_EQ(ecm->TryDeflect(radar), 1);   // a maximum of 0 keeps the whole chance
    ecm->maxDamage = ecm->damage = 10;
    EXPECT_EQ(ecm->TryDeflect(radar), 0);   // fully damaged
    radar->guidance = Missile::kPowerSeeker;
    ecm->damage = 0;
    EXPECT_EQ(ecm->TryDeflect(radar), 0);

    // In flight: a spoofed missile turns its rate around and stops checking.
    radar->guidance = Missile::kRadar3;
    radar->target = ship;
    radar->turnRate = 45;
    radar->Simulate(16);
    EXPECT_EQ(radar->turnRate, -45);
    EXPECT_EQ(radar->guidance, Missile::kUnguided);
    EXPECT_EQ(radar->target.Get(), ship);
}

TEST_F(KindsTest, PacketsCarryTheLaunchedKinds) {
    Craft* const owner = Ship(0.0f, 1);
    owner->uoid = 31;
    Target* const target = Ship(100.0f);
    target->uoid = 32;
    Missile* const missile = Spawn<Missile>(10.0f);
    missile->uoid = 40;
    missile->owner = owner;
    missile->target = target;
    missile->targetPart = 0;
    missile->turnRate = 90;
    missile->guidance = Missile::kRadar3;
    missile->lifetime = 8000;
    for (int i = 0; i < 5; ++i) missile->damage.amounts[i] = 10 * (i + 1);
    Mine* const mine = Spawn<Mine>(20.0f);
    mine->uoid = 41;
    mine->owner = owner;
    mine->empCharge = 7;
    Decoy* const decoy = Spawn<Decoy>(30.0f);
    decoy->uoid = 42;
    decoy->owner = owner;
    decoy->missileLureChance = 60;
    decoy->craftLureChance = 40;
    std::vector<uint8_t> all;
    for (SpaceObject* object : std::vector<SpaceObject*>{missile, mine, decoy}) {
        NetPacket packet;
        packet.BuildObjectPacket(kObjectCreate, object);
        all.insert(all.end(), packet.GetData(), packet.GetData() + packet.GetSize());
        NetObjectState state;
        object->FillNetState(state);
        EXPECT_EQ(state.owner, owner);   // the collision test spares the owner
    }
    EXPECT_TRUE(MatchesGoldenBytes(all, "net_launched_kinds.bin"));
}

TEST_F(KindsTest, TheFactoryMakesEachKindFromATemplateOrARecord) {
    RegisterSpaceObjects();
    SpaceObject* const ball = builder_.Ball("ANY", 2.0f);
    spawn_records::Rock rock;
    rock.position = {10.0f, 20.0f, 30.0f};
    spawn_records::Gate gate;
    gate.position = {1.0f, 2.0f, 3.0f};
    for (int axis = 0; axis < 3; ++axis) gate.transform[axis * 4] = 1.0f;
    spawn_records::Debris debris;
    const struct {
        int32_t kind;
        const void* record;
        bool active;
    } cases[] = {
        {SpaceObject::kTypeAsteroid, &rock, true}, {SpaceObject::kTypeMine, &rock, true},
        {SpaceObject::kTypeDebris, nullptr, false}, {SpaceObject::kTypeDebris, &debris, true},
        {SpaceObject::kTypeJumpGate, &gate, true}, {SpaceObject::kTypeDecoy, nullptr, true},
        {SpaceObject::kTypeMissile, nullptr, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        SpaceObject* const made = builder_.Game().CreateObject(c.kind, "made", c.record, ball);
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(made->type, c.kind);
        EXPECT_EQ(made->active != 0, c.active);
        if (c.kind == SpaceObject::kTypeMine) {
            EXPECT_EQ(made->collisionDelay, 0);   // a mission mine is live at once
        }
        if (c.kind == SpaceObject::kTypeJumpGate) {
            EXPECT_FLOAT_EQ(made->Position().z, 3.0f);
        }
        EXPECT_EQ(made->TakeDamage(0, DamageRecord{}, nullptr), c.kind == SpaceObject::kTypeMine || c.kind >= SpaceObject::kTypeDecoy ? 1 : 0);
        delete made;
    }

    // The moving and hull kinds from a template; a buoy from its record in
    // either form, the short one without the link names.
    SpaceObject* const moving = builder_.Game().CreateObject(SpaceObject::kTypeMoving, "made", nullptr, ball);
    EXPECT_NE(dynamic_cast<MovingObject*>(moving), nullptr);
    EXPECT_EQ(moving->type, SpaceObject::kTypeMoving);
    delete moving;
    SpaceObject* const hull = builder_.Game().CreateObject(SpaceObject::kTypeHull, "made", nullptr, ball);
    EXPECT_NE(dynamic_cast<HullObject*>(hull), nullptr);
    EXPECT_EQ(hull->active, 0u);   // a hull waits for its craft to activate it
    delete hull;
    NavBuoyRecord buoyRecord;
    buoyRecord.position = {5.0f, 6.0f, 7.0f};
    std::strcpy(buoyRecord.name, "Marker");
    std::strcpy(buoyRecord.linkName, "Gate A");
    for (const int32_t kind : {5, 6}) {
        SCOPED_TRACE(kind);
        auto* const buoy = dynamic_cast<NavBuoy*>(builder_.Game().CreateObject(kind, "made", &buoyRecord, ball));
        ASSERT_NE(buoy, nullptr);
        EXPECT_EQ(buoy->type, SpaceObject::kTypeNavBuoy);
        EXPECT_FLOAT_EQ(buoy->Position().z, 7.0f);
        EXPECT_STREQ(buoy->linkName, kind == 5 ? "Gate A" : "NONE");
        delete buoy;
    }
}

// A missile that only sees uncloaked targets, or only loud ones, loses a
// cloaked or quiet target and flies on unguided; a loud one it keeps.
TEST_F(KindsTest, BlindAndPowerSeekingMissilesLoseTargetsTheyCannotSense) {
    struct Case {
        int32_t guidance;
        int32_t cloaked;
        int32_t powerDraw;
        bool kept;
    } cases[] = {
        {Missile::kCloakBlind, 10, 500, false},
        {Missile::kCloakBlind, 0, 500, true},
        {Missile::kPowerSeeker, 0, Missile::kLowPowerSignature - 1, false},
        {Missile::kPowerSeeker, 0, Missile::kLowPowerSignature, true},
    };
    float z = 0.0f;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.guidance) + " " + std::to_string(c.cloaked) + " " + std::to_string(c.powerDraw));
        Target* const target = Ship(z + 800.0f);
        target->cloaked = c.cloaked;
        target->powerDrawCache = c.powerDraw;
        Missile* const missile = Spawn<Missile>(z);
        missile->target = target;
        missile->guidance = c.guidance;
        builder_.Clock().Advance(50);
        missile->Simulate(50);
        EXPECT_EQ(missile->target.Get() == target, c.kept);
        EXPECT_EQ(missile->guidance, c.kept ? c.guidance : int32_t(Missile::kUnguided));
        z += 5000.0f;
    }
}

// A missile aimed at a part homes on where that part is, not on the
// ship's centre.
TEST_F(KindsTest, AMissileHomesOnTheAimedPart) {
    auto* const target =
        builder_.SpawnAs<Target>(builder_.Template("SHIP", {{"WING0FLHW", {}}}), 14);
    target->Activate(0);
    target->SetPositionFlags({0.0f, 0.0f, 600.0f}, Transform::kAllFlags | 0x10);
    ASSERT_EQ(target->parts.Count(), 2);
    SceneObject* const wing = target->parts[1]->node;
    const Vector3 out{400.0f, 0.0f, 0.0f};
    wing->local.SetPosition(&out, Transform::kAllFlags);
    target->UpdateWorldTransform(Transform::kAllFlags);
    Missile* const missile = Spawn<Missile>(0.0f);
    missile->target = target;
    missile->targetPart = 1;
    missile->turnRate = 90;
    missile->homingHold = 0;
    missile->velocityCap = 200.0f;
    missile->velocity = {0.0f, 0.0f, 100.0f};
    for (int i = 0; i < 10; ++i) {
        builder_.Clock().Advance(50);
        missile->Simulate(50);
    }
    EXPECT_GT(missile->world.forward.x, 0.3f);   // swung toward the wing, 34 degrees off the centre line
}

// An EMP warhead charges and hurts every craft within its reach by how
// near it is, and its owner is credited with the hit of its launcher.
TEST_F(KindsTest, AnEmpWarheadReachesEveryCraftNearby) {
    Target* const owner = Ship(-3000.0f, 1);
    auto* const accuracy = new AccuracyRecord;
    owner->accuracy = accuracy;
    const int32_t none[5] = {};
    auto* const rack = new MissileLauncher(owner, 0, 0, Weapon::kMissileGroup, 0, 0, 4, 2500, none, nullptr, nullptr);
    owner->AddSystem(0, rack);
    Target* const struck = Ship(10.0f);
    Target* const near = Ship(500.0f);
    Target* const edge = Ship(1500.0f);
    Target* const beyond = Ship(2100.0f);
    Missile* const missile = Spawn<Missile>(0.0f);
    missile->owner = owner;
    missile->empCharge = 300;
    missile->damage.amounts[2] = 3000;
    Collide(*struck, *missile);
    EXPECT_EQ(struck->empLevel, 300);   // the craft struck takes it whole
    EXPECT_EQ(near->empLevel, 150);     // (2000 - 500) / 3000 of it
    EXPECT_EQ(edge->empLevel, 50);
    EXPECT_EQ(beyond->empLevel, 0);
    EXPECT_EQ(near->hits, 1);
    EXPECT_EQ(near->lastAmount, 1500);
    EXPECT_EQ(beyond->hits, 0);
    EXPECT_EQ(owner->empLevel, 0);
    EXPECT_EQ(accuracy->ForKind(Weapon::kMissileLauncher)->hits, 0);   // no launcher named: nothing to credit

    Missile* const credited = Spawn<Missile>(8000.0f);
    Target* const victim = Ship(8004.0f);
    credited->owner = owner;
    credited->launcher = rack;
    Collide(*victim, *credited);
    EXPECT_EQ(accuracy->ForKind(Weapon::kMissileLauncher)->hits, 1);
    owner->accuracy = nullptr;
    delete accuracy;
}

// A rack's missile, launched from inside its own ship's hull, flies on
// through the world pass to the ship ahead and strikes it once with the
// rack's warhead; the ship that fired it is never struck. The same flight
// with a ship right at the muzzle: the missile is not yet armed and passes.
TEST_F(KindsTest, ALaunchedMissileStrikesTheShipAheadButNotItsOwn) {
    RegisterSpaceObjects();
    auto* const missileTemplate = new Missile(builder_.Ball("MISSL", 0.5f));
    missileTemplate->velocityCap = 300.0f;
    const int32_t warhead[5] = {0, 0, 250, 0, 0};
    const auto fly = [&](float preyAt, int32_t frames) {
        Target* const shooter = Ship(0.0f, 1);
        Target* const prey = Ship(preyAt);
        auto* const rack = new MissileLauncher(shooter, 0, 0, Weapon::kMissileGroup, 0, 0, 1, 5000, warhead, missileTemplate,
                                               nullptr);
        shooter->AddSystem(0, rack);
        EXPECT_EQ(rack->Fire(shooter, nullptr), 1);
        for (int32_t frame = 0; frame < frames && prey->hits == 0; ++frame) {
            builder_.Clock().Advance(50);
            builder_.Game().Simulate();
        }
        EXPECT_EQ(shooter->hits, 0);
        const std::pair struck{prey->hits, prey->lastAmount};
        builder_.Remove(shooter);
        builder_.Remove(prey);
        return struck;
    };
    EXPECT_EQ(fly(400.0f, 60), (std::pair{1, 250}));
    // Launched at a third of 300 a second, it has flown some 25 by the time
    // it meets anything: a ship whose hull reaches 20 ahead is passed by.
    EXPECT_EQ(fly(15.0f, 60).first, 0);
    delete missileTemplate;
}

// A carrier's mines are laid live with the carrier's warhead; a carrier of
// the player's gives the camera its first missile to follow; with enhanced
// graphics a guided missile trails smoke and a light.
TEST_F(KindsTest, CarriersLayMinesAndThePlayersMissilesAreFollowed) {
    Craft* const player = Ship(-500.0f, 1);
    player->type = SpaceObject::kTypePlayerShip;
    auto* const mineTemplate = new Mine(builder_.Ball("MINE", 1.0f));
    Missile* const layer = Spawn<Missile>(0.0f);
    layer->SetLaunchParams(mineTemplate, 2, 0, 5.0f);
    layer->owner = player;
    layer->damage.amounts[2] = 321;
    const size_t before = builder_.World().size();
    layer->Simulate(16);
    std::vector<Mine*> mines;
    for (SpaceObject* object : builder_.World()) {
        if (auto* const mine = dynamic_cast<Mine*>(object)) mines.push_back(mine);
    }
    ASSERT_EQ(mines.size(), 2u);
    EXPECT_GE(builder_.World().size(), before + 2);
    for (Mine* mine : mines) {
        EXPECT_EQ(mine->owner.Get(), player);
        EXPECT_EQ(mine->damage.amounts[2], 321);
        EXPECT_EQ(mine->active, 1u);
    }

    auto* const subTemplate = new Missile(builder_.Ball("SUB", 0.5f));
    Missile* const carrier = Spawn<Missile>(3000.0f);
    carrier->SetLaunchParams(subTemplate, 1, 0, 5.0f);
    carrier->owner = player;
    builder_.Game().trackedPlayerMissile = nullptr;
    carrier->Simulate(16);
    ASSERT_NE(builder_.Game().trackedPlayerMissile, nullptr);
    EXPECT_NE(builder_.Game().trackedPlayerMissile, carrier);
    builder_.Game().trackedPlayerMissile = nullptr;

    builder_.Game().enhancedGraphics = 1;
    Missile* const guided = Spawn<Missile>(6000.0f);
    guided->guidance = Missile::kRadar2;
    const int lightsBefore = int(builder_.Game().Lights().Holders().size());
    builder_.Clock().Advance(50);
    guided->Simulate(50);
    EXPECT_NE(guided->parts[0]->attached, nullptr);
    EXPECT_EQ(int(builder_.Game().Lights().Holders().size()), lightsBefore + 1);
    builder_.Game().enhancedGraphics = 0;
    builder_.Remove(guided);
    delete mineTemplate;
    delete subTemplate;
}

}  // namespace
