// Radar, targeting, engine, flight controls and turrets on built crafts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <tuple>
#include <utility>

#include "game/Cockpit.h"
#include "objects/effects/Turret.h"
#include "objects/ships/Craft.h"
#include "objects/space/ObjectPart.h"
#include "objects/space/Decoy.h"
#include "objects/space/MovingObject.h"
#include "objects/systems/CountermeasureSystems.h"
#include "objects/systems/EnergySystem.h"
#include "objects/systems/EngineSystem.h"
#include "objects/systems/RadarSystem.h"
#include "objects/systems/TargetingSystem.h"
#include "sound/SoundDevice.h"
#include "sound/SoundEffectLibrary.h"
#include "sound/SoundObject.h"
#include "tests/support/RecordingSoundLibrary.h"
#include "tests/support/world/WorldBuilder.h"

namespace {

// A radar with constant chances: active 100, passive `passiveChance`.
RadarSystem* Radar(Craft* craft, int16_t passiveChance) {
    const int16_t words[7] = {2000, 8000, 1, 100, 100, passiveChance, passiveChance};
    auto* const radar = new RadarSystem(craft, 0, words, 0);
    craft->AddSystem(0, radar);
    return radar;
}

class SensorsTest : public ::testing::Test {
protected:
    SensorsTest() {
        ship_ = builder_.SpawnAs<Craft>(builder_.Template("SHIP0"), 1);
        ship_->Activate(0);
        ship_->SetSide(1);
    }
    Craft* Enemy(const Vector3& at) {
        Craft* const enemy = builder_.SpawnAs<Craft>(builder_.Template("ENEMY"), 2);
        enemy->Activate(0);
        enemy->SetSide(2);
        enemy->SetPositionFlags(at, Transform::kAllFlags | 0x10);
        return enemy;
    }
    WorldBuilder builder_;
    Craft* ship_ = nullptr;
};

// Passive, a craft is seen only by what it emits; active, an enemy mine
// only within a tenth of the range.
TEST_F(SensorsTest, WhatTheRadarSees) {
    RadarSystem* const radar = Radar(ship_, 50);
    Craft* const enemy = Enemy({0.0f, 0.0f, 1000.0f});
    auto* const emitter = new ShipSystem(enemy, 0, ShipSystem::kEcm);
    enemy->AddSystem(0, emitter);
    radar->SetPassive();
    for (const int32_t draw : {200, 201}) {
        emitter->powerDraw = draw;
        EXPECT_EQ(radar->CanDetect(enemy, -1), draw > 325 - 50 * 5 / 2) << draw;
    }
    radar->SetActive();
    SpaceObject* const mine = builder_.Spawn(builder_.Template("MINE0"), 3);
    mine->type = SpaceObject::kTypeMine;
    mine->SetSide(2);
    mine->Activate(0);
    for (const float at : {700.0f, 900.0f}) {
        mine->SetPositionFlags({0.0f, 0.0f, at}, Transform::kAllFlags | 0x10);
        EXPECT_EQ(radar->CanDetect(mine, -1), at * 10 < 8000.0f) << at;
    }
    EXPECT_EQ(radar->GetRange(), 8000);
    radar->SetPassive();
    EXPECT_EQ(radar->GetRange(), 16000);   // passive doubles the range
}

// With nothing to target the cycle ends after one walk and clicks; a
// removed target leaves neither the computer, its slots, the radar's probe
// nor a turret pointing at it.
TEST_F(SensorsTest, TargetsCyclesAndRemovals) {
    auto* const effects = new SoundEffectLibrary;
    auto click = std::make_unique<SoundEffectDef>();
    std::snprintf(click->name, sizeof click->name, "Click 2");
    click->rate = 22050;
    auto samples = std::make_shared<platform::SampleData>();
    samples->samples.assign(100, 1);
    click->samples = samples;
    effects->sounds.push_back(std::move(click));
    auto* const recording = new RecordingSoundLibrary;
    builder_.Game().TakeSound(new SoundDevice(std::unique_ptr<platform::SoundLibrary>(recording)), effects);

    ship_->type = Craft::kTypePlayerShip;
    RadarSystem* const radar = Radar(ship_, 50);
    auto* const targeting = new TargetingSystem(ship_, 0, 50, 30, 6000, 10.0f, 0);
    ship_->AddSystem(0, targeting);
    SpaceObject* const rock = builder_.Spawn(builder_.Template("ROCK0"), 3);
    rock->type = SpaceObject::kTypeAsteroid;
    rock->Activate(0);
    EXPECT_EQ(targeting->CycleTarget(1), 1);
    EXPECT_EQ(targeting->GetTarget(), nullptr);
    EXPECT_EQ(recording->events.size(), 1u);   // the refusal click

    Craft* const enemy = Enemy({0.0f, 0.0f, 1000.0f});
    EXPECT_EQ(ship_->SetTarget(enemy), 1);
    EXPECT_EQ(ship_->GetTarget(), enemy);
    targeting->StoreTarget(2);
    radar->probe = enemy;
    Turret turret(ship_, 0, 30, 90, 2, 3);
    turret.SetTarget(enemy);
    builder_.Remove(enemy);
    EXPECT_EQ(targeting->GetTarget(), nullptr);
    EXPECT_EQ(targeting->slots[1].Get(), nullptr);
    EXPECT_EQ(radar->probe.Get(), nullptr);
    EXPECT_EQ(turret.target.Get(), nullptr);
    targeting->Update(100, nullptr);   // nothing left to read
}

// A weapon on a turret's barrel locks by its turret after 7.5 s.
TEST_F(SensorsTest, TurretMountedWeaponsLockAfterTheirTurret) {
    Craft* const gunship = builder_.SpawnAs<Craft>(builder_.Template("GUNS0", {{"TURR0FLHL", {{"BARL0FLHG", {}}}}}), 4);
    Turret::Record record{};
    std::snprintf(record.baseName, sizeof record.baseName, "TURR0FLHL");
    record.greatestPitch = 40;
    record.turnRate = 90;
    record.yawAxis = 2;
    record.barrelAxis = 3;
    gunship->AddTurret(record);
    ASSERT_EQ(gunship->turrets.Count(), 1);
    Turret* const turret = gunship->turrets[0];
    ASSERT_GE(turret->barrelPart, 0);
    auto* const targeting = new TargetingSystem(gunship, 0, 50, 30, 6000, 10.0f, 0);
    gunship->AddSystem(0, targeting);
    auto* const gun = new ShipSystem(gunship, turret->barrelPart, ShipSystem::kFirstWeapon + 1);
    gunship->AddSystem(turret->barrelPart, gun);
    Craft* const enemy = Enemy({0.0f, 0.0f, 500.0f});
    turret->SetTarget(enemy);
    builder_.Clock().Advance(7500);
    EXPECT_EQ(targeting->GetLockStrength(gun, 1), 0);
    builder_.Clock().Advance(1);
    EXPECT_EQ(targeting->GetLockStrength(gun, 1), 100);

    // Behind the turret it yaws at its full rate: no more than 9 degrees in 0.1 s.
    turret->Update();   // the first step covers the time since the craft was made
    enemy->SetPositionFlags({0.0f, 0.0f, -500.0f}, Transform::kAllFlags | 0x10);
    const float before = turret->yawSoFar;
    builder_.Clock().Advance(100);
    turret->Update();
    EXPECT_NEAR(std::abs(turret->yawSoFar - before), 9.0f, 1e-3f);
}

// Turret records with a negative turn rate or pitch limit are refused; a
// base part with a name of the full 16 characters is found, and a clone's
// description of it keeps the name whole and terminated.
TEST_F(SensorsTest, TurretRecordsRefuseNegativeRatesAndKeepLongNames) {
    Craft* const gunship =
        builder_.SpawnAs<Craft>(builder_.Template("GUNS0", {{"TURR0FLHLABCDEFG", {{"BARL0FLHG", {}}}}}), 4);
    Turret::Record record{};
    std::snprintf(record.baseName, sizeof record.baseName, "TURR0FLHLABCDEFG");
    record.yawAxis = 2;
    record.barrelAxis = 3;
    for (const auto& [pitch, rate] : {std::pair{-1, 90}, std::pair{40, -90}, std::pair{INT32_MIN, INT32_MIN}}) {
        record.greatestPitch = pitch;
        record.turnRate = rate;
        EXPECT_FALSE(gunship->AddTurret(record)) << pitch << " " << rate;
    }
    EXPECT_EQ(gunship->turrets.Count(), 0);
    record.greatestPitch = 0;
    record.turnRate = 0;
    EXPECT_TRUE(gunship->AddTurret(record));
    ASSERT_EQ(gunship->turrets.Count(), 1);
    Turret::Record described;
    std::memset(&described, 0x7f, sizeof described);
    gunship->turrets[0]->Describe(&described);
    EXPECT_STREQ(described.baseName, "TURR0FLHLABCDEFG");
    EXPECT_EQ(described.greatestPitch, 0);

    // One made directly with negative values does not turn.
    Turret direct(gunship, 0, -30, -90, 2, 3);
    direct.SetTargetPosition({0.0f, 0.0f, -500.0f});
    builder_.Clock().Advance(100);
    direct.Update();
    EXPECT_EQ(direct.yawSoFar, 0.0f);
    EXPECT_EQ(direct.pitch, 0.0f);
}

// Full power, undamaged: top speed = thrust scale x 50 / mass; a 0 ms frame
// keeps every value finite. The player's curve shapes the stick in per cent.
TEST_F(SensorsTest, EngineAndFlightControls) {
    ship_->mass = 20.0f;
    const int16_t enrg[3] = {200, 10, 20};
    auto* const energy = EnergySystem::FromWords(ship_, 0, enrg, 0);
    ship_->AddSystem(0, energy);
    const int16_t engi[5] = {10, 100, 20, 60, 50};
    auto* const engine = new EngineSystem(ship_, 0, engi, 0);
    ship_->AddSystem(0, engine);
    energy->SetEnginePower(60);
    ASSERT_EQ(energy->engineAllocation, 60);
    engine->Update(1000, energy);
    EXPECT_FLOAT_EQ(ship_->maxSpeed, 100.0f * 50.0f / 20.0f);
    engine->Update(0, energy);
    EXPECT_TRUE(std::isfinite(ship_->maxSpeed) && std::isfinite(ship_->velocityCap));
    EXPECT_FLOAT_EQ(ship_->maxSpeed, 100.0f * 50.0f / 20.0f);

    ship_->type = Craft::kTypePlayerShip;
    ship_->mass = 10.0f;   // agility = mass
    DynArray20& curve = builder_.Game().responseCurve;
    curve.Add(Record20{{0, 50, 0, 0, 25}});
    curve.Add(Record20{{50, 100, 0, 25, 100}});
    const int16_t flgt[7] = {50, 100, 150, 50, 80, 100, 10};
    FlightControlSystem controls(ship_, 0, flgt, "ctrl.iff", 0);
    EXPECT_NEAR(controls.ShapeInput(0.4f), 0.2f, 1e-5f);
    EXPECT_NEAR(controls.ShapeInput(0.75f), 0.625f, 1e-5f);
    EXPECT_NEAR(controls.ShapeInput(-0.75f), -0.625f, 1e-5f);
}

}  // namespace

namespace {

// Locks grow only for the classes of the craft's weapons; identification
// unlocks the texts step by step.
class LockingWeapon : public ShipSystem {
public:
    LockingWeapon(Craft* owner, int32_t lockClass) : ShipSystem(owner, 0, kFirstWeapon), class_(lockClass) {}
    int32_t LockClass() const override { return class_; }
    int32_t Group() const override { return 2; }

private:
    int32_t class_;
};

TEST_F(SensorsTest, LocksAndIdentification) {
    Radar(ship_, 50);
    auto* const targeting = new TargetingSystem(ship_, 0, 50, 30, 6000, 10.0f, 0);
    ship_->AddSystem(0, targeting);
    ship_->AddSystem(0, new LockingWeapon(ship_, 2));
    Craft* const enemy = Enemy({0.0f, 0.0f, 1000.0f});
    enemy->SetName("Viper");
    enemy->callsign = static_cast<char*>(EngineAllocate(6));
    std::snprintf(enemy->callsign, 6, "Red 1");
    std::snprintf(enemy->label, sizeof enemy->label, "Corsair");
    ASSERT_EQ(targeting->SelectTarget(enemy), 1);
    targeting->Update(1000, nullptr);
    EXPECT_EQ(targeting->GetLockValue(2), 50);   // exactly its gain rate per second
    EXPECT_EQ(targeting->GetLockValue(1), 0);     // no weapon of class 1
    const struct {
        int32_t level;
        const char* className;
        const char* callsign;
        const char* name;
    } levels[] = {{40, "Corsair", "unknown", "unknown"}, {56, "Corsair", "Red 1", "unknown"}, {76, "Corsair", "Red 1", "Viper"}};
    for (const auto& l : levels) {
        targeting->identification = l.level;
        EXPECT_STREQ(targeting->GetTargetClass(), l.className);
        EXPECT_STREQ(targeting->GetTargetCallsign(), l.callsign);
        EXPECT_STREQ(targeting->GetTargetName(), l.name);
    }
    targeting->RecallTarget(3);   // an empty slot clears the target
    EXPECT_EQ(targeting->GetTarget(), nullptr);
}

TEST_F(SensorsTest, BoostDamageAndZeroScales) {
    ship_->mass = 10.0f;
    const int16_t enrg[3] = {200, 10, 20};
    auto* const energy = EnergySystem::FromWords(ship_, 0, enrg, 0);
    ship_->AddSystem(0, energy);
    const int16_t engi[5] = {10, 100, 20, 60, 50};
    auto* const engine = new EngineSystem(ship_, 0, engi, 100);
    ship_->AddSystem(0, engine);
    energy->SetEnginePower(60);
    engine->StartAfterburner();
    engine->Update(1000, energy);
    EXPECT_FLOAT_EQ(ship_->maxSpeed, 150.0f * 50.0f / 10.0f);   // half the thrust scale more
    engine->StopAfterburner();
    engine->SetDamage(100);
    engine->Update(1000, energy);
    EXPECT_NEAR(ship_->maxSpeed, 0.1f * 100.0f * 50.0f / 10.0f, 1e-3f);   // a wreck keeps a tenth
    const int16_t none[5] = {0, 0, 0, 0, 0};
    EngineSystem idle(ship_, 0, none, 0);
    EXPECT_EQ(idle.GetThrustForPower(10.0f), 0);

    // A turret whose codes differ in sign never tilts above 0; yaw code 0 sees nothing in its arc.
    Craft* const gunship = builder_.SpawnAs<Craft>(builder_.Template("GUNS0", {{"TURR0FLHL", {{"BARL0FLHG", {}}}}}), 4);
    Turret down(gunship, 1, 40, 90, 2, -3);
    down.SetTargetPosition({0.0f, 500.0f, 500.0f});
    down.Update();
    EXPECT_LE(down.pitch, 0.0f);
    Turret blind(gunship, 1, 40, 90, 0, 3);
    EXPECT_FALSE(blind.IsInArc({0.0f, 0.0f, 100.0f}));
}

// What the radar makes of each kind: identification from decoys (never)
// to way points and rocks (at once), other passive kinds never; detection regardless of range, with
// passive radar blind to buoys, rocks and gates unless it follows a probe.
TEST_F(SensorsTest, TheRadarIdentifiesAndDetectsByKind) {
    const int16_t words[7] = {2000, 8000, 1, 60, 60, 50, 50};
    auto* const radar = new RadarSystem(ship_, 0, words, 0);
    ship_->AddSystem(0, radar);
    const auto object = [this](int32_t kind) {
        SpaceObject* const made = builder_.Spawn(builder_.Ball("THING", 1.0f), 6);
        made->type = kind;
        made->Activate(0);
        return made;
    };
    const struct {
        int32_t kind;
        int32_t distance;
        int32_t identification;
    } cases[] = {
        {SpaceObject::kTypeDecoy, 1000, 0},     {SpaceObject::kTypeWayPoint, 1000, 100},
        {SpaceObject::kTypeJumpGate, 1000, 100}, {SpaceObject::kTypeAsteroid, 1000, 100},
        {SpaceObject::kTypeMissile, 1000, 30},   {SpaceObject::kTypeMine, 1000, 0},
        {SpaceObject::kTypeMine, 150, 20},       {SpaceObject::kTypeNavBuoy, 1000, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.kind) + " at " + std::to_string(c.distance));
        EXPECT_EQ(radar->GetIdentification(object(c.kind), c.distance), c.identification);
    }

    const struct {
        int32_t kind;
        bool active, passive;
    } detection[] = {
        {SpaceObject::kTypeWayPoint, true, true}, {SpaceObject::kTypeMine, true, true},
        {SpaceObject::kTypeAiShip, true, true},   {SpaceObject::kTypeNavBuoy, true, false},
        {SpaceObject::kTypeAsteroid, true, false}, {SpaceObject::kTypeJumpGate, true, false},
        {SpaceObject::kTypeDebris, false, false},  {SpaceObject::kTypeChase, false, false},
    };
    for (const auto& c : detection) {
        SCOPED_TRACE(c.kind);
        SpaceObject* const thing = object(c.kind);
        thing->SetPositionFlags({0.0f, 0.0f, 1e6f}, Transform::kAllFlags | 0x10);   // far beyond any range
        radar->SetActive();
        EXPECT_EQ(radar->CanDetectAny(thing), c.active);
        radar->SetPassive();
        EXPECT_EQ(radar->CanDetectAny(thing), c.passive);
        radar->probe = thing;
        radar->rangeSetting = 0;
        radar->GetRange();   // now following the probe
        EXPECT_EQ(radar->CanDetectAny(thing), c.active);
        radar->probe = nullptr;
        radar->GetRange();
        thing->Deactivate(0);
        EXPECT_FALSE(radar->CanDetectAny(thing));
    }
    radar->SetActive();
    EXPECT_FALSE(radar->CanDetectAny(ship_));
    EXPECT_FALSE(radar->CanDetectAny(nullptr));
}

// A damaged targeting computer may refuse a target it can see; the test
// that ignores its damage still takes anything the radar reaches, and a
// sub-target is chosen only among the target's parts.
TEST_F(SensorsTest, TargetingPastDamageAndSubTargets) {
    Radar(ship_, 50);
    auto* const targeting = new TargetingSystem(ship_, 0, 50, 30, 6000, 10.0f, 10);
    ship_->AddSystem(0, targeting);
    Craft* const enemy = builder_.SpawnAs<Craft>(builder_.Template("ENEMY", {{"WING0FLHW", {}}, {"WING0FRHW", {}}}), 2);
    enemy->Activate(0);
    enemy->SetSide(2);
    enemy->SetPositionFlags({0.0f, 0.0f, 1000.0f}, Transform::kAllFlags | 0x10);
    targeting->damage = 10;
    int refused = 0;
    for (int i = 0; i < 200; ++i) {
        refused += targeting->CanTarget(enemy) ? 0 : 1;
        EXPECT_TRUE(targeting->CanTargetIgnoringDamage(enemy));
    }
    EXPECT_GT(refused, 0);
    EXPECT_LT(refused, 200);
    Craft* const far = Enemy({0.0f, 0.0f, 50000.0f});
    EXPECT_FALSE(targeting->CanTargetIgnoringDamage(far));
    EXPECT_FALSE(targeting->CanTargetIgnoringDamage(nullptr));
    far->Deactivate(0);
    EXPECT_FALSE(targeting->CanTargetIgnoringDamage(far));

    // Cycling back from no target starts at the last in the world, forward at the first.
    Craft* const last = Enemy({0.0f, 0.0f, 2000.0f});
    targeting->damage = 0;
    targeting->CycleTarget(0);
    EXPECT_EQ(targeting->GetTarget(), last);
    targeting->SelectTarget(nullptr);
    targeting->CycleTarget(1);
    EXPECT_EQ(targeting->GetTarget(), enemy);
    targeting->SelectTarget(nullptr);

    EXPECT_EQ(targeting->SetSubTarget(0), 0);   // no target yet
    targeting->damage = 0;
    ASSERT_EQ(ship_->SetTarget(enemy), 1);
    ASSERT_EQ(enemy->parts.Count(), 3);
    EXPECT_EQ(targeting->SetSubTarget(2), 1);
    EXPECT_EQ(targeting->subTarget, 2);
    EXPECT_EQ(targeting->SetSubTarget(3), 0);
    EXPECT_EQ(targeting->SetSubTarget(-1), 0);
    EXPECT_EQ(targeting->subTarget, 2);
    targeting->CycleSubTarget(1);
    EXPECT_EQ(targeting->subTarget, 0);
}

// One decoy per launcher load: it leaves along the owner's nose as the
// owner's own lure; the next try is refused. A launcher whose definition is
// no decoy uses its load and launches nothing; a client keeps no copy.
TEST_F(SensorsTest, ADecoyLauncherSpendsItsLoad) {
    ship_->SetName("Kestrel");
    ship_->velocity = {0.0f, 0.0f, 40.0f};
    auto* const decoyTemplate = new Decoy(builder_.Ball("DECOY", 1.0f));
    const int16_t words[3] = {60, 30, 4000};
    auto* const launcher = new DecoySystem(ship_, 0, decoyTemplate, words, 10);
    ship_->AddSystem(0, launcher);
    EXPECT_EQ(launcher->GetDecoyCount(), 1);
    const size_t before = builder_.World().size();
    EXPECT_EQ(launcher->Launch(), 1);
    EXPECT_EQ(launcher->GetDecoyCount(), 0);
    ASSERT_EQ(builder_.World().size(), before + 1);
    auto* const decoy = dynamic_cast<Decoy*>(builder_.World().back());
    ASSERT_NE(decoy, nullptr);
    EXPECT_EQ(decoy->owner.Get(), ship_);
    EXPECT_STREQ(decoy->name, "Kestrel");
    EXPECT_EQ(decoy->craftLureChance, 60);
    EXPECT_EQ(decoy->missileLureChance, 30);
    EXPECT_EQ(decoy->side, ship_->side);
    EXPECT_EQ(launcher->Launch(), 0);

    // Rammed, a decoy deals nothing back.
    Craft* const rammer = Enemy(decoy->Position());
    const int32_t hull = rammer->hitPoints;
    rammer->collisionPartner = decoy;
    decoy->collisionPartner = rammer;
    decoy->ApplyImpact(0);
    EXPECT_EQ(rammer->hitPoints, hull);

    SpaceObject* const rockTemplate = builder_.Ball("NOTADECOY", 1.0f);
    auto* const wrong = new DecoySystem(ship_, 0, rockTemplate, words, 10);
    ship_->AddSystem(0, wrong);
    const size_t now = builder_.World().size();
    EXPECT_EQ(wrong->Launch(), 1);
    EXPECT_EQ(wrong->GetDecoyCount(), 0);
    EXPECT_EQ(builder_.World().size(), now);

    GameState::NetworkHooks hooks;
    hooks.createObject = [](SpaceObject*) { return int32_t(0); };
    GameState::SetNetworkHooks(hooks);
    auto* const client = new DecoySystem(ship_, 0, decoyTemplate, words, 10);
    ship_->AddSystem(0, client);
    EXPECT_EQ(client->Launch(), 1);
    EXPECT_EQ(builder_.World().size(), now);
    GameState::SetNetworkHooks(GameState::NetworkHooks{});
    delete decoyTemplate;
}

// The jammer's state for the other machines carries its reach and chance;
// set from it, another machine's copy jams as far and as often.
TEST_F(SensorsTest, AJammersStateCarriesItsReachAndChance) {
    auto* const jammer = new JammerSystem(ship_, 0, 3000, 100, 50);
    ship_->AddSystem(0, jammer);
    jammer->TurnOn();
    const int32_t state = jammer->GetNetState();
    Craft* const copyOwner = Enemy({});
    auto* const copy = new JammerSystem(copyOwner, 0, 0, 0, 50);
    copyOwner->AddSystem(0, copy);
    copy->SetNetState(state);
    copy->TurnOn();
    EXPECT_EQ(copy->range, 3000);
    EXPECT_EQ(copy->percent, 100);
    EXPECT_TRUE(copy->IsJamming(Enemy({0.0f, 0.0f, 2900.0f})));
    EXPECT_FALSE(copy->IsJamming(Enemy({0.0f, 0.0f, 3100.0f})));
    copy->TurnOff();
    jammer->TurnOff();
}

// Whatever axis a turret yaws about and whichever way its barrel points,
// it brings the barrel onto a point within its pitch limit and says so by
// its aim error; a barrel along the yaw axis only yaws. A yaw code outside
// the three axes leaves the turret still; a barrel code outside them aims
// nowhere, though the base still yaws.
TEST_F(SensorsTest, TurretsOfEveryAxisBringTheirBarrelOntoTheTarget) {
    const Vector3 axes[4] = {{}, {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}};
    for (int yawAxis = 1; yawAxis <= 3; ++yawAxis) {
        for (int barrelAxis = 1; barrelAxis <= 3; ++barrelAxis) {
            for (const int sign : {1, -1}) {
                const int32_t yawCode = yawAxis, barrelCode = barrelAxis * sign;
                SCOPED_TRACE(std::to_string(yawCode) + " / " + std::to_string(barrelCode));
                Craft* const gunship =
                    builder_.SpawnAs<Craft>(builder_.Template("GUNS0", {{"TURR0FLHL", {{"BARL0FLHG", {}}}}}), 4);
                Turret::Record record{};
                std::snprintf(record.baseName, sizeof record.baseName, "TURR0FLHL");
                record.greatestPitch = 90;
                record.turnRate = 180;
                record.yawAxis = yawCode;
                record.barrelAxis = barrelCode;
                ASSERT_TRUE(gunship->AddTurret(record));
                Turret& turret = *gunship->turrets[0];
                ASSERT_GE(turret.barrelPart, 0);
                // A point off the barrel's rest line, on the side the pitch
                // limit allows: up the yaw axis.
                const int third = 6 - yawAxis - barrelAxis;
                Vector3 target = axes[barrelAxis].Scaled(float(sign) * 400.0f);
                if (third >= 1 && third <= 3) target = target.Sum(axes[third].Scaled(250.0f));
                if (barrelAxis != yawAxis) target = target.Sum(axes[yawAxis].Scaled(150.0f));
                turret.SetTarget(nullptr);
                for (int step = 0; step < 40; ++step) {
                    turret.SetTargetPosition(target);
                    builder_.Clock().Advance(100);
                    turret.Update();
                }
                Vector3 aim, from;
                turret.GetAimDirection(&aim);
                turret.GetWorldPosition(&from);
                Vector3 wanted = target.Difference(from);
                wanted.Normalize();
                if (barrelAxis == yawAxis) {
                    EXPECT_EQ(turret.pitch, 0.0f);
                } else {
                    EXPECT_LT(turret.aimError, 1.0f);
                    EXPECT_GT(aim.Dot(wanted), 0.999f) << aim.x << " " << aim.y << " " << aim.z;
                }
                builder_.Remove(gunship);
            }
        }
    }
    Craft* const gunship = builder_.SpawnAs<Craft>(builder_.Template("GUNS0", {{"TURR0FLHL", {{"BARL0FLHG", {}}}}}), 4);
    for (const auto& [yawCode, barrelCode] : {std::pair{0, 3}, std::pair{4, 3}, std::pair{2, 0}}) {
        Turret odd(gunship, 1, 90, 180, yawCode, barrelCode);
        odd.SetTargetPosition({300.0f, 200.0f, 100.0f});
        builder_.Clock().Advance(100);
        odd.Update();
        Vector3 aim;
        odd.GetAimDirection(&aim);
        if (barrelCode == 0) {
            EXPECT_NE(odd.yawSoFar, 0.0f);
            EXPECT_EQ(aim.Length(), 0.0f);
        } else {
            EXPECT_EQ(odd.yawSoFar, 0.0f) << yawCode;
        }
    }
}

// One probe per launcher: it leaves along the nose and the radar follows
// it; then the launcher is empty. A client's probe is the host's to make:
// it keeps none and its radar follows nothing.
TEST_F(SensorsTest, AProbeLauncherSendsOneProbeTheRadarFollows) {
    RadarSystem* const radar = Radar(ship_, 50);
    auto* const probeTemplate = new MovingObject(builder_.Ball("PROBE", 1.0f));
    probeTemplate->SetMaxRates(50.0f, 0.0f);
    probeTemplate->SetAccelerations(200.0f, 0.0f);
    auto* const launcher = new SensorSystem(ship_, 0, probeTemplate, 12000, 80, 30000);
    ship_->AddSystem(0, launcher);
    ship_->velocity = {0.0f, 0.0f, 30.0f};
    EXPECT_EQ(launcher->GetCount(), 1);
    EXPECT_EQ(launcher->Launch(), 1);
    EXPECT_EQ(launcher->GetCount(), 0);
    SpaceObject* const probe = radar->probe.Get();
    ASSERT_NE(probe, nullptr);
    EXPECT_EQ(radar->probeRange, 12000);
    EXPECT_NEAR(probe->velocity.z, 30.0f, 1e-3f);
    EXPECT_EQ(launcher->Launch(), 0);

    GameState::NetworkHooks hooks;
    hooks.createObject = [](SpaceObject*) { return int32_t(0); };
    GameState::SetNetworkHooks(hooks);
    auto* const client = new SensorSystem(ship_, 0, probeTemplate, 9000, 80, 30000);
    ship_->AddSystem(0, client);
    const size_t before = builder_.World().size();
    EXPECT_EQ(client->Launch(), 1);
    EXPECT_EQ(client->GetCount(), 0);
    EXPECT_EQ(builder_.World().size(), before);
    EXPECT_EQ(radar->probe.Get(), nullptr);
    GameState::SetNetworkHooks(GameState::NetworkHooks{});
    delete probeTemplate;
}

// The player's engine hums while it has thrust, at a pitch that rises with
// it, roars while boosting until the fuel for it is gone, falls silent
// without power, and stops both at the craft's end.
TEST_F(SensorsTest, ThePlayersEngineHumsRoarsAndFallsSilent) {
    auto* const effects = new SoundEffectLibrary;
    for (const char* name : {"Hum", "Roar"}) {
        auto sound = std::make_unique<SoundEffectDef>();
        std::snprintf(sound->name, sizeof sound->name, "%s", name);
        sound->rate = 20000;
        auto samples = std::make_shared<platform::SampleData>();
        samples->samples.assign(100, 1);
        sound->samples = samples;
        effects->sounds.push_back(std::move(sound));
    }
    auto* const recording = new RecordingSoundLibrary;
    builder_.Game().TakeSound(new SoundDevice(std::unique_ptr<platform::SoundLibrary>(recording)), effects);
    ship_->type = Craft::kTypePlayerShip;
    ship_->mass = 20.0f;
    const int16_t enrg[3] = {200, 10, 20};
    auto* const energy = EnergySystem::FromWords(ship_, 0, enrg, 0);
    ship_->AddSystem(0, energy);
    DynArray16 names;
    for (const char* name : {"Hum", "Roar"}) {
        Record<16> record{};
        std::snprintf(reinterpret_cast<char*>(record.words), sizeof record.words, "%s", name);
        names.Add(record);
    }
    const int16_t engi[5] = {10, 100, 20, 60, 50};
    auto* const engine = new EngineSystem(ship_, 0, engi, 0, &names);
    ship_->AddSystem(0, engine);
    ASSERT_NE(engine->engineSound, nullptr);
    ASSERT_NE(engine->boostSound, nullptr);
    const auto starts = [&] {
        size_t n = 0;
        for (const auto& event : recording->events) n += event.kind == RecordingSoundLibrary::Event::kStart ? 1 : 0;
        return n;
    };

    energy->SetEnginePower(30);
    engine->Update(100, energy);
    EXPECT_EQ(engine->engineSound->loop, 1);
    const int32_t half = engine->engineSound->rate;
    EXPECT_GE(half, 12000);   // from 0.6 of the sample's rate
    energy->SetEnginePower(60);
    engine->Update(100, energy);
    EXPECT_GT(engine->engineSound->rate, half);
    EXPECT_LE(engine->engineSound->rate, 28000);   // to 1.4 of it
    EXPECT_GE(starts(), 1u);

    energy->fuel = 30;   // 20 a second: a second and a half of boost
    engine->StartAfterburner();
    engine->Update(1000, energy);
    EXPECT_EQ(engine->boostOn, 1);
    EXPECT_EQ(engine->boostSound->loop, 1);
    engine->Update(1000, energy);
    EXPECT_EQ(engine->boostOn, 0);   // out of fuel for it
    engine->Update(100, energy);
    EXPECT_EQ(engine->boostSound->loop, 0);

    energy->SetEnginePower(0);
    engine->Update(100, energy);
    EXPECT_EQ(engine->engineSound->loop, 0);
    energy->SetEnginePower(60);
    engine->Update(100, energy);
    EXPECT_EQ(engine->engineSound->loop, 1);
    engine->Update(-1, energy);   // the craft's end
    EXPECT_EQ(engine->engineSound->loop, 0);
}

// Damaged flight controls answer the stick unevenly: lightly damaged,
// between its full answer and less by twice the damage; heavily damaged,
// anywhere from a little backwards to well short of it.
TEST_F(SensorsTest, DamagedFlightControlsAnswerUnevenly) {
    ship_->mass = 10.0f;
    const int16_t flgt[7] = {0, 100, 150, 50, 80, 100, 10};
    FlightControlSystem controls(ship_, 0, flgt, nullptr, 100);
    EXPECT_NEAR(controls.ShapeInput(0.5f), 0.5f, 1e-5f);
    for (const auto& [damage, least, most] : {std::tuple{20, 0.5f * 0.61f, 0.5f}, std::tuple{80, -0.5f * 0.30f, 0.5f * 0.69f}}) {
        controls.damage = damage;
        float low = 1.0f, high = -1.0f;
        for (int i = 0; i < 400; ++i) {
            const float answer = controls.ShapeInput(0.5f);
            low = std::min(low, answer);
            high = std::max(high, answer);
        }
        EXPECT_GE(low, least - 1e-5f) << damage;
        EXPECT_LE(high, most + 1e-5f) << damage;
        EXPECT_LT(low + 0.05f, high) << damage;   // uneven
    }
}

// The player's radar switches between its modes and lights the cockpit's
// lamp of each; a radar that cannot go passive stays active.
TEST_F(SensorsTest, ThePlayersRadarTogglesItsModeAndItsLamps) {
    ship_->type = Craft::kTypePlayerShip;
    Cockpit& cockpit = builder_.Game().TheCockpit();
    RadarSystem* const radar = Radar(ship_, 50);
    EXPECT_TRUE(cockpit.Indicator(Cockpit::kIndicatorRadarActive));
    radar->ToggleMode();
    EXPECT_EQ(radar->passive, 1);
    EXPECT_TRUE(cockpit.Indicator(Cockpit::kIndicatorRadarPassive));
    EXPECT_FALSE(cockpit.Indicator(Cockpit::kIndicatorRadarActive));
    radar->ToggleMode();
    EXPECT_EQ(radar->passive, 0);
    EXPECT_TRUE(cockpit.Indicator(Cockpit::kIndicatorRadarActive));

    const int16_t words[7] = {2000, 8000, 0, 100, 100, 50, 50};   // not passive-capable
    RadarSystem activeOnly(ship_, 0, words, 0);
    activeOnly.ToggleMode();
    EXPECT_EQ(activeOnly.passive, 0);
    EXPECT_TRUE(cockpit.Indicator(Cockpit::kIndicatorRadarActive));
}

}  // namespace

// A pulse at the top of the level's word (a network peer's to send) leaves
// a ship blind and without power, and its chances are drawn without
// leaving the word.
TEST_F(SensorsTest, AnEmpLevelAtItsTopBlindsAndStarvesWithoutOverflow) {
    Radar(ship_, 50);
    auto* const targeting = new TargetingSystem(ship_, 0, 50, 30, 6000, 10.0f, 0);
    ship_->AddSystem(0, targeting);
    const int16_t words[3] = {100, 10, 10};
    EnergySystem* const energy = EnergySystem::FromWords(ship_, 0, words, 0);
    ship_->AddSystem(0, energy);
    energy->InitPowerSplit();
    Craft* const enemy = Enemy({0.0f, 0.0f, 1000.0f});
    ASSERT_EQ(ship_->SetTarget(enemy), 1);
    ship_->AddEmp(std::numeric_limits<int32_t>::max());
    targeting->Update(100, nullptr);
    EXPECT_EQ(targeting->GetTarget(), nullptr);
    int32_t granted = 0;
    for (int i = 0; i < 50; ++i) granted += energy->DrawPower(1000, 100, EnergySystem::kWeapons) > 0 ? 1 : 0;
    EXPECT_LE(granted, 5);
}
