// Crafts and their first systems: the system lookup, the shield sectors,
// the generator's split and fuel, shields and armour against hits, the
// navigation-point cycle, and the craft's packets.
#include "objects/ships/Craft.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "engine/Random.h"
#include "game/CareerRecord.h"
#include "net/NetPacket.h"
#include "net/NetPacketType.h"
#include "objects/space/ObjectPart.h"
#include "objects/systems/CountermeasureSystems.h"
#include "objects/systems/EnergySystem.h"
#include "objects/systems/EngineSystem.h"
#include "objects/systems/ShieldSystem.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/world/RecordingNetSession.h"
#include "tests/support/world/WorldBuilder.h"

namespace {

TEST(CraftTest, ShieldSectorsByDirection) {
    const struct {
        Vector3 direction;
        int32_t sector;
    } cases[] = {{{0, 1, 0}, 2}, {{0, -1, 0}, 7}, {{0, 0, 1}, 15}, {{0, 0, -1}, 10}, {{1, 0, 0}, 17}};
    for (const auto& c : cases) EXPECT_EQ(Craft::ShieldSector(c.direction), c.sector);
}

class CraftSystemsTest : public ::testing::Test {
protected:
    CraftSystemsTest() {
        craft_ = builder_.SpawnAs<Craft>(builder_.Template("SHIP0", {{"ENGN0RRLE", {}}}), 1);
        const int16_t enrg[3] = {100, 10, 20};
        energy_ = EnergySystem::FromWords(craft_, 0, enrg, 50);
        const int16_t shld[4] = {100, 40, 20, 10};
        shield_ = ShieldSystem::FromWords(craft_, 1, shld, 60);
        craft_->AddSystem(0, energy_);
        craft_->AddSystem(1, shield_);
    }
    WorldBuilder builder_;
    Craft* craft_ = nullptr;
    EnergySystem* energy_ = nullptr;
    ShieldSystem* shield_ = nullptr;
};

TEST_F(CraftSystemsTest, SystemsAreFoundAndDamaged) {
    EXPECT_EQ(craft_->GetSystem(ShipSystem::kAny, nullptr), energy_);
    EXPECT_EQ(craft_->GetSystem(ShipSystem::kAny, energy_), shield_);
    EXPECT_EQ(craft_->GetSystem(ShipSystem::kShield, nullptr), shield_);
    EXPECT_EQ(craft_->GetSystem(ShipSystem::kShield, shield_), shield_);   // cached whatever `after` is
    EXPECT_EQ(craft_->GetSystem(ShipSystem::kAnyWeapon, nullptr), nullptr);
    EXPECT_EQ(shield_->AddDamage(100), 1);
    EXPECT_EQ(shield_->damage, 60);
    ShipSystem* const copy = shield_->Clone(craft_, 1);
    EXPECT_EQ(copy->damage, 0);
    EXPECT_STREQ(copy->name, "");
    delete copy;
}

// Raising one allocation past the free output takes the difference from
// the others in the set order; an odd excess on the engine takes the
// smaller half from the weapons.
TEST_F(CraftSystemsTest, TheGeneratorSplitsItsOutput) {
    energy_->InitPowerSplit();   // weapons 25, shields 20 of 100
    EXPECT_EQ(energy_->weaponsAllocation, 25);
    EXPECT_EQ(energy_->shieldAllocation, 20);
    energy_->engineAllocation = 50;
    energy_->allocated = 95;
    energy_->SetWeaponPower(40);   // 110 > 100: 10 from the engine
    EXPECT_EQ(energy_->engineAllocation, 40);
    EXPECT_EQ(energy_->weaponsAllocation + energy_->shieldAllocation + energy_->engineAllocation, 100);
    EXPECT_EQ(energy_->DrawPower(1000, 500, EnergySystem::kWeapons), 20);   // undamaged, no EMP

    // A burn divisor of 0 (ENRG word 1 of 0, or above word 0) burns nothing.
    for (const int16_t divisorWord : {int16_t(0), int16_t(200)}) {
        const int16_t words[3] = {100, divisorWord, 10};
        EnergySystem* const idle = EnergySystem::FromWords(craft_, 0, words, 0);
        const int64_t before = idle->fuel;
        EXPECT_EQ(idle->Update(1000, nullptr), 1);
        EXPECT_EQ(idle->fuel, before);
        delete idle;
    }
}

// Four equal facings below full level up and stop; a hit that empties its
// facing passes through unscaled.
TEST_F(CraftSystemsTest, ShieldsLevelAndLetEmptyFacingsPass) {
    energy_->InitPowerSplit();
    for (int32_t& facing : shield_->facings) facing = 100;
    EXPECT_EQ(shield_->Update(1000, energy_), 1);
    for (const int32_t facing : shield_->facings) {
        EXPECT_EQ(facing, shield_->facings[0]);
        EXPECT_LE(facing, shield_->capacity / 4);
    }
    SpaceObject* const enemy = builder_.Spawn(builder_.Template("ROCK0"), 2);
    enemy->SetPositionFlags({0.0f, 0.0f, 500.0f}, Transform::kAllFlags | 0x10);
    shield_->facings[0] = 300;
    DamageRecord hit;
    hit.source = enemy;
    hit.amounts[0] = 5;   // drains 500 from the front
    hit.amounts[1] = hit.amounts[2] = hit.amounts[4] = 40;
    EXPECT_EQ(shield_->AbsorbHit(hit), 0);
    EXPECT_EQ(hit.amounts[2], 40);
    EXPECT_EQ(shield_->facings[0], 0);

    // A weakened facing (half of each hit passes) lets small hits through
    // in proportion over many of them, not nothing from each.
    shield_->facings[0] = 125;   // 100 - 125 x 4 / 10 = 50 per cent
    int32_t passed = 0;
    for (int i = 0; i < 100; ++i) {
        DamageRecord small;
        small.source = enemy;
        small.amounts[2] = 1;
        EXPECT_EQ(shield_->AbsorbHit(small), 1);
        passed += small.amounts[2];
    }
    EXPECT_EQ(passed, 50);
}

// The cycle ends after one lap when its target has left the world, and
// finds the next navigation point otherwise.
TEST(CraftNavTest, CycleNavPointEndsWhenItsTargetHasGone) {
    WorldBuilder builder;
    Craft* const craft = builder.SpawnAs<Craft>(builder.Template("SHIP0"), 1);
    SpaceObject* const rock = builder.Template("NAV00");
    std::vector<SpaceObject*> points;
    for (int i = 0; i < 3; ++i) {
        points.push_back(builder.Spawn(rock, 4));
        points.back()->isNavPoint = 1;
        points.back()->Activate(0);
    }
    craft->navTarget = points[0];
    craft->CycleNavPoint(0);
    EXPECT_EQ(craft->navTarget.Get(), points[1]);
    world::Remove(builder.TheMission().firstObject, points[1]);   // out of the list, still linked
    craft->CycleNavPoint(0);   // one lap: wraps to the start and stops
    EXPECT_EQ(craft->navTarget.Get(), points[0]);
    builder.Game().AddObjectsToWorld(points[1], 0);   // now last: 0, 2, 1
    craft->navTarget = points[2];
    builder.Game().playerShip = craft;
    builder.Remove(points[2]);   // the player's target leaves: it moves on
    EXPECT_EQ(craft->navTarget.Get(), points[1]);
}

TEST(CraftNetTest, TheCraftsPacketsMatchTheirGoldenBytes) {
    WorldBuilder builder;
    RecordingNetSession session(true);
    builder.Game().netSession = &session;
    Craft* const craft = builder.SpawnAs<Craft>(builder.Template("SHIP0", {{"WING0FLHW", {}}}), 1);
    craft->uoid = 77;   // the golden bytes must not depend on how many objects came before
    craft->SetName("Corsair");
    std::strcpy(craft->label, "Corsair");
    craft->SetHitPoints(300);
    craft->hitPoints = 150;
    craft->SetHitPointRecord(0, 300);   // part bytes are clamped, not wrapped
    craft->decalSet = 4;
    const int16_t shld[4] = {100, 40, 20, 10};
    ShieldSystem* const shield = ShieldSystem::FromWords(craft, 0, shld, 60);
    shield->facings[0] = 0;
    shield->powerDraw = 80;
    craft->AddSystem(0, shield);
    session.updatePasses = 12 - craft->uoid % 12;   // its pass for a whole update
    NetPacket create, update;
    create.BuildObjectPacket(kObjectCreate, craft);
    update.BuildObjectPacket(kObjectUpdate, craft);
    ASSERT_EQ(update.GetSize(), 104u);
    EXPECT_EQ(update.GetFlags(), 8u);
    const uint8_t* const bytes = update.GetData();
    EXPECT_EQ(bytes[84], 25);    // a quarter of the shield gone
    EXPECT_EQ(bytes[90], 50);    // half the hit points
    EXPECT_EQ(bytes[92], 255);
    EXPECT_TRUE(MatchesGoldenBytes(std::vector<uint8_t>(create.GetData(), create.GetData() + create.GetSize()),
                                   "net_create_craft.bin"));
    EXPECT_TRUE(MatchesGoldenBytes(std::vector<uint8_t>(bytes, bytes + update.GetSize()), "net_update_craft.bin"));
    builder.Game().netSession = nullptr;
}

}  // namespace

#include "game/Cockpit.h"

namespace {

// Facings at their boundaries, armour holding and packing its damage, and
// hardening cutting the hull's share and the EMP.
TEST_F(CraftSystemsTest, ArmourAndHardeningStandBetweenHitAndHull) {
    const float d = 100.0f;
    const struct {
        Vector3 at;
        int32_t facing;
    } facings[] = {{{0, 0, d}, 0}, {{d, 0, d}, 3}, {{-d, 0, d}, 1}, {{0, 0, -d}, 2}, {{-d, 0, 0}, 1}};
    for (const auto& f : facings) EXPECT_EQ(FacingOf(*craft_, f.at), f.facing) << f.at.x << " " << f.at.z;

    auto* const armour = new ArmorSystem(craft_, 0, 40);   // 1000 a facing
    craft_->AddSystem(0, armour);
    SpaceObject* const enemy = builder_.Spawn(builder_.Template("ROCK0"), 2);
    enemy->SetPositionFlags({0.0f, 0.0f, -500.0f}, Transform::kAllFlags | 0x10);
    DamageRecord hit;
    hit.source = enemy;
    hit.amounts[1] = 3;
    hit.amounts[2] = 70;
    hit.amounts[3] = 4;
    armour->AbsorbHit(hit);
    EXPECT_EQ(armour->facings[2], 300);   // 700 taken from the rear
    EXPECT_EQ(hit.amounts[2], 0);         // the hull is spared while it holds
    EXPECT_EQ(hit.amounts[3], 0);
    const int32_t packed = armour->GetDamage();
    EXPECT_EQ((packed >> 16) & 0xFF, 175);
    armour->SetDamage(packed);
    EXPECT_EQ(armour->facings[2], 300);
    EXPECT_EQ(armour->AddDamage(5), 0);   // armour is never damaged that way

    HardeningSystem hardening(craft_, 0, 25, 50);
    DamageRecord structural;
    structural.amounts[2] = 200;
    hardening.ReduceDamage(structural);
    EXPECT_EQ(structural.amounts[2], 150);
    craft_->empLevel = 100;
    hardening.Update(1000, nullptr);
    EXPECT_EQ(craft_->empLevel, 49);
}

// The player's generator warns once when the fuel crosses a tenth, and
// falls back to reserve output when it runs out.
TEST_F(CraftSystemsTest, ThePlayersFuelWarnings) {
    craft_->type = Craft::kTypePlayerShip;
    energy_->InitPowerSplit();
    energy_->fuel = energy_->fuelCapacity * 100 + 40;
    Cockpit& cockpit = builder_.Game().TheCockpit();
    energy_->Update(1000, nullptr);
    EXPECT_STREQ(cockpit.WarningAt(builder_.Clock().Milliseconds()), "WARNING: Low fuel levels!");
    cockpit.ShowWarning("", 0);
    energy_->Update(1000, nullptr);
    EXPECT_STREQ(cockpit.WarningAt(builder_.Clock().Milliseconds()), "");
    energy_->fuel = 1;
    energy_->Update(1000, nullptr);
    EXPECT_STREQ(cockpit.WarningAt(builder_.Clock().Milliseconds()), "WARNING: Reserve power activated!");
    EXPECT_EQ(energy_->output, 20);
    EXPECT_EQ(energy_->weaponsAllocation + energy_->shieldAllocation + energy_->engineAllocation, 0);
}

// A 60-unit engine at 30 per cent draws 18 units a second: a thousand
// frames of 16 ms (0.288 a frame) draw what 50 ms frames draw over the same
// 16 seconds, and the thrust is 30 per cent in every frame, not nothing.
// The shields' grants keep a carry of their own; a lightly damaged
// generator still gives all but its damage's share.
TEST_F(CraftSystemsTest, PowerGrantsAddUpWhateverTheFrameLength) {
    const int16_t engi[5] = {10, 100, 20, 60, 50};
    auto* const engine = new EngineSystem(craft_, 0, engi, 100);
    craft_->AddSystem(0, engine);
    energy_->InitPowerSplit();
    energy_->SetEnginePower(18);
    ASSERT_EQ(energy_->engineAllocation, 18);
    const auto draw = [&](int32_t frameMs, int32_t frames) {
        int64_t engineUnits = 0, shieldUnits = 0;
        for (int32_t i = 0; i < frames; ++i) {
            engineUnits += energy_->DrawPower(engine->maximumPower, frameMs, EnergySystem::kEngine);
            shieldUnits += energy_->DrawPower(shield_->maximumAllocation, frameMs, EnergySystem::kShields);
        }
        return std::pair{engineUnits, shieldUnits};
    };
    const auto shortFrames = draw(16, 1000);
    const auto longFrames = draw(50, 320);
    EXPECT_EQ(shortFrames.first, 288);
    EXPECT_EQ(longFrames.first, 288);
    EXPECT_EQ(shortFrames.second, 16 * energy_->shieldAllocation);
    EXPECT_EQ(longFrames.second, shortFrames.second);

    for (int i = 0; i < 3; ++i) {
        engine->Update(16, energy_);
        EXPECT_NEAR(engine->thrustFactor, 0.3f * float(engine->thrustScale), 0.01f) << i;
    }

    // One unit a frame, 49/50 of it: rounded down each frame that was nothing.
    energy_->SetDamage(1);
    int64_t units = 0;
    for (int i = 0; i < 20; ++i) units += energy_->DrawPower(shield_->maximumAllocation, 50, EnergySystem::kShields);
    EXPECT_EQ(units, 19);   // 19.6 in the second
}

TEST_F(CraftSystemsTest, ResetsAndLevels) {
    shield_->SetDamage(30);
    energy_->SetDamage(40);
    craft_->hitPoints = 1;
    craft_->dead = 1;
    craft_->ResetSystems();
    EXPECT_EQ(shield_->damage + energy_->damage + craft_->dead, 0);
    EXPECT_EQ(craft_->hitPoints, craft_->maxHitPoints);
    craft_->ResetSystemLevels();
    EXPECT_EQ(shield_->damage, 24);
    EXPECT_EQ(energy_->damage, 25);

    SpaceObject* const far = builder_.Spawn(builder_.Template("NAV00"), 4);
    far->isNavPoint = 1;
    far->SetPositionFlags({0.0f, 0.0f, Craft::kNavPointRange}, Transform::kAllFlags | 0x10);
    craft_->SelectClosestNavPoint();
    EXPECT_EQ(craft_->navTarget.Get(), nullptr);   // exactly 32000 is out of range
}

// Whatever the order and size of the requests, the generator's three
// allocations add up to what it has allocated, never past its free output,
// and the one just set gets what was asked within its cap.
TEST_F(CraftSystemsTest, TheGeneratorNeverSplitsMoreThanItsFreeOutput) {
    const int16_t engi[5] = {10, 100, 20, 60, 50};
    craft_->AddSystem(0, new EngineSystem(craft_, 0, engi, 100));
    energy_->InitPowerSplit();
    energy_->ReservePower(10);
    const int32_t available = energy_->output - energy_->reserved;
    const int32_t caps[3] = {energy_->weaponMaximum, shield_->maximumAllocation, 60};
    GameRandomSeed(21);
    for (int i = 0; i < 2000; ++i) {
        const int which = int(GameRandom() % 3);
        const int32_t units = int32_t(GameRandom() % 130);
        int32_t* const slot[3] = {&energy_->weaponsAllocation, &energy_->shieldAllocation, &energy_->engineAllocation};
        if (which == 0) energy_->SetWeaponPower(units);
        if (which == 1) energy_->SetShieldPower(units);
        if (which == 2) energy_->SetEnginePower(units);
        ASSERT_EQ(*slot[which], std::min({units, caps[which], available})) << i;
        const int32_t sum = energy_->weaponsAllocation + energy_->shieldAllocation + energy_->engineAllocation;
        ASSERT_EQ(sum, energy_->allocated) << i;
        ASSERT_LE(sum, available) << i;
        for (const int32_t* s : slot) ASSERT_GE(*s, 0) << i;
    }
    EXPECT_EQ(energy_->DrawPower(100, 1000, ShipSystem::kRadar), 0);   // no such consumer

    // Fuel is taken only when there is enough; an unlimited career takes none.
    energy_->fuel = 30;
    EXPECT_EQ(energy_->ConsumeFuel(20), 1);
    EXPECT_EQ(energy_->ConsumeFuel(20), 0);
    EXPECT_EQ(energy_->fuel, 10);
    CareerRecord career;
    delete builder_.Game().career;
    builder_.Game().career = &career;
    career.options.unlimitedFuel = 1;
    EXPECT_EQ(energy_->ConsumeFuel(500), 1);
    EXPECT_EQ(energy_->fuel, 10);
    builder_.Game().career = nullptr;
}

// A hit that comes from nowhere (its source gone) drains every facing of
// the shield and the armour alike, and the player's cockpit shows all four
// facings struck; the shield holds the structure while a tenth is left.
TEST_F(CraftSystemsTest, AHitFromNowhereDrainsEveryFacing) {
    craft_->type = Craft::kTypePlayerShip;
    Cockpit& cockpit = builder_.Game().TheCockpit();
    for (int32_t& facing : shield_->facings) facing = 1000;
    DamageRecord hit;
    hit.amounts[0] = 4;    // 100 from each facing
    hit.amounts[2] = 50;
    EXPECT_EQ(shield_->AbsorbHit(hit), 1);
    for (const int32_t facing : shield_->facings) EXPECT_EQ(facing, 900);
    for (const int32_t flag : cockpit.shieldHits) EXPECT_EQ(flag, 2);
    EXPECT_EQ(hit.amounts[2], 0);
    for (int32_t& facing : shield_->facings) facing = 10;
    DamageRecord through;
    through.amounts[0] = 1;
    through.amounts[2] = 50;
    EXPECT_EQ(shield_->AbsorbHit(through), 0);
    EXPECT_EQ(through.amounts[2], 50);
    for (const int32_t facing : shield_->facings) EXPECT_EQ(facing, 0);

    auto* const armour = new ArmorSystem(craft_, 0, 40);   // 1000 a facing
    craft_->AddSystem(0, armour);
    EXPECT_EQ(armour->GetDamagePercent(), 0);
    std::fill(std::begin(cockpit.shieldHits), std::end(cockpit.shieldHits), 0);
    DamageRecord blast;
    blast.amounts[1] = 10;   // with the 5 of word 3: 375 from each facing
    blast.amounts[2] = 70;
    blast.amounts[3] = 5;
    EXPECT_EQ(armour->AbsorbHit(blast), 1);
    for (const int32_t facing : armour->facings) EXPECT_EQ(facing, 625);
    for (const int32_t flag : cockpit.shieldHits) EXPECT_EQ(flag, 2);
    EXPECT_EQ(blast.amounts[2], 0);
    EXPECT_EQ(blast.amounts[3], 0);
    EXPECT_EQ(armour->GetDamagePercent(), 38);   // 2500 of 4000 left
    DamageRecord last;
    last.amounts[1] = 40;
    last.amounts[2] = 70;
    armour->AbsorbHit(last);
    EXPECT_EQ(armour->GetDamagePercent(), 100);
    EXPECT_EQ(last.amounts[2], 70);   // nothing left to stop it
    ArmorSystem none(craft_, 0, 0);
    EXPECT_EQ(none.GetDamagePercent(), 0);
}

// Navigation points: the closest within range is taken; cycling backwards
// from none starts at the last in the world; points that leave are let go.
TEST_F(CraftSystemsTest, NavigationPointsAreChosenByDistanceAndCycled) {
    const auto point = [this](float z) {
        SpaceObject* const nav = builder_.Spawn(builder_.Template("NAV00"), 4);
        nav->isNavPoint = 1;
        nav->active = 1;
        nav->SetPositionFlags({0.0f, 0.0f, z}, Transform::kAllFlags | 0x10);
        return nav;
    };
    SpaceObject* const far = point(9000.0f);
    SpaceObject* const near = point(-3000.0f);
    SpaceObject* const middle = point(5000.0f);
    craft_->SelectClosestNavPoint();
    EXPECT_EQ(craft_->navTarget.Get(), near);
    craft_->navTarget = nullptr;
    craft_->CycleNavPoint(1);
    EXPECT_EQ(craft_->navTarget.Get(), middle);   // backwards from none: the last in the world
    craft_->CycleNavPoint(1);
    EXPECT_EQ(craft_->navTarget.Get(), near);
    craft_->CycleNavPoint(1);
    EXPECT_EQ(craft_->navTarget.Get(), far);

    for (SpaceObject* nav : {far, near, middle}) builder_.Remove(nav);
    EXPECT_EQ(craft_->navTarget.Get(), nullptr);   // it let go of the removed point
    craft_->SelectClosestNavPoint();
    EXPECT_EQ(craft_->navTarget.Get(), nullptr);
}

// Reset for a new flight, a craft's cloak goes off through its own step
// (its reserve back to the generator); the levels of a fresh mission start
// weapons fully damaged and engines at two thirds.
TEST_F(CraftSystemsTest, ResetsSwitchTheCloakOffAndSetStartingLevels) {
    energy_->InitPowerSplit();
    const int16_t clok[5] = {0, 80, 0, 25, 40};
    auto* const cloak = new CloakSystem(craft_, 0, clok, 50);
    craft_->AddSystem(0, cloak);
    cloak->TurnOn();
    ASSERT_EQ(energy_->reserved, 40);
    craft_->ResetSystems();
    EXPECT_EQ(cloak->active, 0);
    EXPECT_EQ(energy_->reserved, 0);
    EXPECT_EQ(craft_->cloaked, 0);

    const int16_t engi[5] = {10, 100, 20, 60, 50};
    auto* const engine = new EngineSystem(craft_, 0, engi, 90);
    craft_->AddSystem(0, engine);
    auto* const gun = new ShipSystem(craft_, 0, ShipSystem::kFirstWeapon + 1);
    gun->maxDamage = 33;
    craft_->AddSystem(0, gun);
    craft_->ResetSystemLevels();
    EXPECT_EQ(gun->damage, 33);
    EXPECT_EQ(engine->damage, 60);
}

}  // namespace
