// Radar, targeting, engine, flight controls and turrets on built crafts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <utility>

#include "objects/effects/Turret.h"
#include "objects/ships/Craft.h"
#include "objects/space/ObjectPart.h"
#include "objects/systems/EnergySystem.h"
#include "objects/systems/EngineSystem.h"
#include "objects/systems/RadarSystem.h"
#include "objects/systems/TargetingSystem.h"
#include "sound/SoundDevice.h"
#include "sound/SoundEffectLibrary.h"
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
