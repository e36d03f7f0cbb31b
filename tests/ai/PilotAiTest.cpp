// AI pilots in small headless worlds of the sample tree's raiders: the
// scripted maneuvers, pursuit, a first kill's hits, breaking away when hurt,
// steering clear of what lies ahead, wingmen in their slots, the capital
// ship's turrets, and what the brain holds hostile.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "ai/AiBrain.h"
#include "ai/ScriptedManeuver.h"
#include "ai/WingGroup.h"
#include "engine/Clock.h"
#include "game/Mission.h"
#include "objects/systems/CountermeasureSystems.h"
#include "engine/MathRoutineTable.h"
#include "engine/Random.h"
#include "game/DataDirectories.h"
#include "mission/ObjectLoader.h"
#include "game/RadioMessage.h"
#include "objects/ships/AiShip.h"
#include "objects/systems/EnergySystem.h"
#include "objects/systems/ShieldSystem.h"
#include "objects/effects/Turret.h"
#include "objects/space/ObjectPart.h"
#include "scene/SceneObject.h"
#include "objects/ships/PlayerShip.h"
#include "objects/space/WorldPass.h"
#include "objects/weapons/GunWeapon.h"
#include "objects/weapons/Weapon.h"
#include "tests/support/TempDir.h"
#include "tests/support/world/WorldBuilder.h"
#include "tools/mkdata/SampleTree.h"

namespace {

class PilotAiTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(WriteSampleTree(dir_.Str(), &error)) << error;
        ASSERT_TRUE(g_dataDirs.Find(dir_.Str()));
        RegisterSpaceObjects();
        DefinitionLibrary::RegisterCoreBuilders();
        GameRandomSeed(7);
    }
    void TearDown() override {
        for (SpaceObject* object : builder_.World()) builder_.Remove(object);
        DefinitionLibrary::Reset();
        g_dataDirs.Clear();
    }

    // A raider of the sample tree at a place, facing +z (or -z), with a
    // brain and, when given, a wing.
    AiShip* Raider(const char* name, int32_t side, const Vector3& at, bool facingBack = false, WingGroup* wing = nullptr) {
        return Ship("Raider", name, side, at, facingBack, wing);
    }
    // A ship of that definition of the sample tree, the same way.
    AiShip* Ship(const char* definition, const char* name, int32_t side, const Vector3& at, bool facingBack = false,
                 WingGroup* wing = nullptr) {
        spawn_records::AiShip record;
        const float f = facingBack ? -1.0f : 1.0f;
        const float matrix[12] = {f, 0, 0, 0, 1, 0, 0, 0, f, at.x, at.y, at.z};
        std::copy(std::begin(matrix), std::end(matrix), record.transform);
        record.position[0] = at.x;
        record.position[1] = at.y;
        record.position[2] = at.z;
        record.skill = 2;
        DefinitionLibrary& library = DefinitionLibrary::Current();
        auto* const ship =
            dynamic_cast<AiShip*>(library.LoadObjectDefinition(definition, nullptr, SpaceObject::kTypeAiShip, 0, &record));
        if (ship == nullptr) return nullptr;
        library.LoadShipDefinition(ship, nullptr, nullptr, 0);
        ship->SetSide(side);
        ship->SetName(name);
        ship->CreateBrain(wing);
        builder_.Game().AddObjectsToWorld(ship, 0);
        return ship;
    }

    void Fly(uint32_t ms) {
        for (uint32_t t = 0; t < ms; t += 50) {
            builder_.Clock().Advance(50);
            builder_.Game().Simulate();
        }
    }

    TempDir dir_;
    WorldBuilder builder_;
};

// Every script ends within a frame of its length with its commands
// cleared, and turns the ship on the way (all but the straight run).
TEST(ScriptedManeuverTest, EachManeuverEndsOnTimeWithItsRatesCleared) {
    WorldBuilder builder;
    const ManeuverKind kinds[] = {
        ManeuverKind::kBreakLeft,    ManeuverKind::kHeadOn,         ManeuverKind::kImmTurn,    ManeuverKind::kSnake,
        ManeuverKind::kSnapRoll,     ManeuverKind::kBackwards,      ManeuverKind::kVectoredThrust,
        ManeuverKind::kNoseDownLoop, ManeuverKind::kNoseUpLoop,     ManeuverKind::kScissors,   ManeuverKind::kSwoop,
        ManeuverKind::kStrafeSlide,  ManeuverKind::kHighYoYoLeft,   ManeuverKind::kBarrelRollLeft,
    };
    constexpr uint32_t kFrame = 50;
    for (const ManeuverKind kind : kinds) {
        SCOPED_TRACE(int(kind));
        auto* const ship = builder.SpawnAs<AiShip>(builder.Template("SHIP0"), 16, static_cast<const spawn_records::AiShip*>(nullptr));
        ship->SetMaxRates(0.0f, 90.0f);
        ScriptedManeuver maneuver(kind);
        const uint32_t expected = ScriptedManeuver::Duration(kind, 90.0f);
        ASSERT_GT(expected, 0u);
        bool turned = false;
        uint32_t elapsed = 0;
        while (maneuver.Update(ship) == 0 && elapsed < 60000) {
            turned = turned || ship->rotationRates.Length() > 0.0f;
            builder.Clock().Advance(kFrame);
            elapsed += kFrame;
        }
        EXPECT_GE(elapsed + kFrame, expected);
        EXPECT_LE(elapsed, expected + kFrame);
        EXPECT_EQ(ship->rotationRates.Length(), 0.0f);
        EXPECT_EQ(ship->freeDrift, 0u);
        EXPECT_EQ(turned, kind != ManeuverKind::kHeadOn);
        builder.Remove(ship);
    }
}

TEST_F(PilotAiTest, APursuerClosesFromFiveThousandUnits) {
    AiShip* const hunter = Raider("Hunter", 1, {0.0f, 0.0f, 0.0f});
    AiShip* const prey = Raider("Prey", 2, {300.0f, 200.0f, 5000.0f}, true);
    ASSERT_NE(hunter, nullptr);
    ASSERT_NE(prey, nullptr);
    prey->aiEnabled = 0;
    Fly(1000);
    EXPECT_EQ(hunter->brain->hostile.Get(), prey);
    EXPECT_EQ(hunter->brain->behavior, AiBrain::kPursue);
    Fly(30000);
    EXPECT_LT(hunter->DistanceTo(*prey), 1500.0f);
}

// A target that does not fight back is shot at and hit within 30 s.
TEST_F(PilotAiTest, AnAttackerFiresAndHitsWithinThirtySeconds) {
    AiShip* const hunter = Raider("Hunter", 1, {0.0f, 0.0f, 0.0f});
    AiShip* const prey = Raider("Prey", 2, {-200.0f, 100.0f, 900.0f});
    prey->aiEnabled = 0;
    uint32_t flown = 0;
    while (prey->lastAttacker.Get() != hunter && flown < 30000) {
        Fly(500);
        flown += 500;
    }
    EXPECT_EQ(prey->lastAttacker.Get(), hunter);
    EXPECT_GT(hunter->brain->shotsFired, 0);
}

// A target crossing close ahead sweeps across the sky: an attacker whose
// nose only chased the target's bearing swung past it and back and went
// on without a shot while the target fired at it. The nose follows the
// line of sight now, and the guns fire through a good part of the pass.
TEST_F(PilotAiTest, AnAttackerKeepsItsNoseOnACrossingTargetAndFires) {
    AiShip* const hunter = Raider("Hunter", 1, {0.0f, 0.0f, 0.0f});
    AiShip* const prey = Raider("Prey", 2, {-300.0f, 50.0f, 350.0f});
    prey->aiEnabled = 0;
    prey->freeDrift = 1;   // it keeps its speed across the hunter's nose
    prey->velocity = {70.0f, 0.0f, 0.0f};
    prey->SetHitPoints(1000000);   // it lasts the pass
    hunter->traits[1] = 0;   // no set pieces: the pass is flown on the brain
    Fly(2000);   // onto the target
    const int32_t before = hunter->brain->shotsFired;
    constexpr int32_t kFrames = 160;
    for (int32_t frame = 0; frame < kFrames; ++frame) Fly(50);
    EXPECT_EQ(hunter->brain->behavior, AiBrain::kAttack);
    const int32_t volleys = hunter->brain->shotsFired - before;
    EXPECT_GT(volleys, kFrames / 4) << volleys << " volleys in " << kFrames << " frames";
    EXPECT_EQ(prey->lastAttacker.Get(), hunter);
}

// A friend halfway down the line of fire holds the guns; one just beside
// the line, or beyond the target, where the shots stop, does not. The
// friend is never hit.
TEST_F(PilotAiTest, AnAttackerHoldsItsFireWhileAFriendIsInTheLine) {
    AiShip* const hunter = Raider("Hunter", 1, {});
    AiShip* const prey = Raider("Prey", 2, {0.0f, 0.0f, 900.0f}, true);
    AiShip* const mate = Raider("Mate", 1, {}, true);
    prey->aiEnabled = mate->aiEnabled = 0;
    prey->SetHitPoints(1000000);
    for (const Vector3& at : {Vector3{mate->Radius() + hunter->Radius(), 0.0f, 450.0f}, Vector3{0.0f, 0.0f, 450.0f},
                              Vector3{0.0f, 0.0f, 1100.0f}}) {
        hunter->SetPositionFlags({}, Transform::kAllFlags | 0x10);
        mate->SetPositionFlags(at, Transform::kAllFlags | 0x10);
        hunter->velocity = {};
        const int32_t before = hunter->brain->shotsFired;
        Fly(1000);
        EXPECT_EQ(hunter->brain->shotsFired > before, at.x > 0.0f || at.z > 900.0f) << at.x << " " << at.z;
    }
    EXPECT_EQ(mate->lastAttacker.Get(), nullptr);
}

// Hit while its hull is below its courage, a pilot breaks away with one
// of its defensive maneuvers.
TEST_F(PilotAiTest, AHurtPilotBreaksAwayWhenHit) {
    AiShip* const pilot = Raider("Pilot", 1, {0.0f, 0.0f, 0.0f});
    AiShip* const enemy = Raider("Enemy", 2, {0.0f, 0.0f, 800.0f}, true);
    enemy->aiEnabled = 0;
    ASSERT_GT(pilot->defensiveManeuvers.Count(), 0);
    pilot->hitPoints = pilot->maxHitPoints / 10;
    Fly(100);
    pilot->currentManeuver = nullptr;
    DamageRecord record;
    record.source = enemy;
    record.amounts[0] = 1;
    pilot->TakeDamage(0, record, enemy);
    pilot->brain->Think();
    EXPECT_EQ(pilot->brain->behavior, AiBrain::kEvade);
    ASSERT_NE(pilot->currentManeuver, nullptr);
    const DynArray<Maneuver*>& defensive = pilot->defensiveManeuvers;
    EXPECT_NE(std::find(defensive.begin(), defensive.end(), pilot->currentManeuver), defensive.end());
}

// A rock dead ahead: the warning turns the pilot away before it strikes.
TEST_F(PilotAiTest, AWarnedPilotMissesTheRockAhead) {
    AiShip* const pilot = Raider("Pilot", 1, {0.0f, 0.0f, 0.0f});
    SpaceObject* const rock = builder_.Spawn(builder_.Ball("ROCK", 120.0f), 7);
    rock->type = SpaceObject::kTypeAsteroid;
    rock->SetPositionFlags({0.0f, 0.0f, 700.0f}, Transform::kAllFlags | 0x10);
    rock->previousPosition = rock->Position();
    rock->Activate(0);
    rock->collisionDelay = 0;
    rock->UpdateVisibility();
    pilot->velocity = {0.0f, 0.0f, 150.0f};
    const int32_t hull = pilot->hitPoints;
    float closest = 1e9f;
    bool warned = false;
    for (int i = 0; i < 800; ++i) {
        Fly(50);
        closest = std::min(closest, pilot->DistanceTo(*rock));
        warned = warned || pilot->brain->behavior == AiBrain::kAvoid;
    }
    EXPECT_TRUE(warned);
    EXPECT_GT(closest, rock->Radius() + pilot->Radius());
    EXPECT_EQ(pilot->hitPoints, hull);
}

TEST_F(PilotAiTest, WingmenKeepTheirSlotsBesideTheLeader) {
    auto* const wing = new WingGroup("Blue");
    AiShip* const leader = Raider("Lead", 1, {0.0f, 0.0f, 0.0f}, false, wing);
    AiShip* const second = Raider("Two", 1, {-300.0f, 50.0f, -200.0f}, false, wing);
    AiShip* const third = Raider("Three", 1, {300.0f, -50.0f, -250.0f}, false, wing);
    // They start 300 units and more from their slots; after 40 s they fly
    // near them (following the leader, not circling it).
    const auto gap = [leader](AiShip* ship, float index) {
        const float side = index == 1.0f ? 1.0f : -1.0f;
        const Vector3 local{side * WingGroup::kSlotSpacing * index, 0.0f, -WingGroup::kSlotSpacing * index};
        Vector3 slot;
        TransformPoint(&local, &leader->world.matrix, &slot);
        return ship->Position().Difference(slot).Length();
    };
    Fly(40000);
    float sum[2] = {}, worst[2] = {};
    for (int i = 0; i < 40; ++i) {
        Fly(500);
        for (int k = 0; k < 2; ++k) {
            const float g = gap(k == 0 ? second : third, float(k + 1));
            sum[k] += g;
            worst[k] = std::max(worst[k], g);
        }
    }
    for (int k = 0; k < 2; ++k) {
        EXPECT_LT(sum[k] / 40.0f, 120.0f) << k;
        EXPECT_LT(worst[k], 300.0f) << k;
    }
    EXPECT_EQ(second->brain->followed.Get(), leader);
    EXPECT_EQ(third->brain->followed.Get(), leader);
}

// A wingman of the player's wing calls its attack on the radio.
TEST_F(PilotAiTest, APlayersWingmanCallsItsAttack) {
    auto* const player = builder_.SpawnAs<PlayerShip>(builder_.Template("PLAYER0"), 15);
    auto* const wing = new WingGroup("Alpha");
    player->SetWingGroup(wing);
    AiShip* const wingman = Raider("Alpha 2", 1, {0.0f, 0.0f, 0.0f}, false, wing);
    AiShip* const enemy = Raider("Bandit", 2, {0.0f, 0.0f, 900.0f}, true);
    enemy->aiEnabled = 0;
    GameState& game = builder_.Game();
    for (int i = 0; i < 100 && game.shownRadio == nullptr; ++i) Fly(50);
    ASSERT_NE(game.shownRadio, nullptr);
    EXPECT_EQ(game.shownRadio->speaker, wingman);
    EXPECT_EQ(wingman->brain->behavior, AiBrain::kAttack);
    EXPECT_EQ(game.lastSpeaker, wingman);
}

// The sample capital ship, its hull held still, fights with its deck
// turrets alone: a raider above the deck is tracked and hit by both, each
// joint turning no faster than its rate and the barrels never tilting past
// their limit; a raider below the deck, or one almost straight overhead
// (past the barrels' tilt), draws no shot.
TEST_F(PilotAiTest, ACapitalShipsTurretsHitAShipInTheirArcAndHoldFireOutsideIt) {
    AiShip* const capital = Ship("Capital", "Bastion", 2, {0.0f, 0.0f, 0.0f});
    ASSERT_NE(capital, nullptr);
    ASSERT_EQ(capital->turrets.Count(), 2);
    capital->SetMaxRates(0.0f, 0.0f);   // the hull neither moves nor turns
    const Vector3 forward = capital->world.forward;
    std::vector<Weapon*> guns;
    for (Turret* turret : capital->turrets) {
        ASSERT_GE(turret->barrelPart, 0);
        auto* const gun = dynamic_cast<Weapon*>(turret->FindWeapon());
        ASSERT_NE(gun, nullptr);
        guns.push_back(gun);
    }
    const auto ammunition = [&guns] {
        int32_t total = 0;
        for (const Weapon* gun : guns) total += gun->ammunition;
        return total;
    };
    // Flies `frames` frames, checking every joint's step against the turn
    // rate and every barrel's tilt against its limit.
    const auto fly = [&](int frames) {
        for (int frame = 0; frame < frames; ++frame) {
            std::vector<std::pair<float, float>> before;
            for (const Turret* turret : capital->turrets) before.emplace_back(turret->yawSoFar, turret->pitch);
            Fly(50);
            for (int32_t i = 0; i < capital->turrets.Count(); ++i) {
                const Turret& turret = *capital->turrets[i];
                const float step = float(turret.turnRate) * 0.05f + 1e-3f;
                ASSERT_LE(std::abs(turret.yawSoFar - before[size_t(i)].first), step) << "turret " << i << " frame " << frame;
                ASSERT_LE(std::abs(turret.pitch - before[size_t(i)].second), step) << "turret " << i << " frame " << frame;
                ASSERT_GE(turret.pitch, 0.0f);
                ASSERT_LE(turret.pitch, float(turret.greatestPitch) + 1e-3f);
            }
        }
    };

    // Above the deck, off the bow to starboard: well outside the nose's cone.
    AiShip* const above = Raider("Above", 1, {500.0f, 350.0f, 300.0f});
    above->aiEnabled = 0;
    above->freeDrift = 1;   // it holds its place
    above->SetHitPoints(1000000);
    fly(200);
    EXPECT_EQ(capital->brain->hostile.Get(), above);
    EXPECT_EQ(above->lastAttacker.Get(), capital);
    EXPECT_LT(above->hitPoints, 1000000);
    for (const Turret* turret : capital->turrets) {
        EXPECT_LT(turret->aimError, AiBrain::kTurretAimDegrees);
        // The barrel points at the raider.
        Vector3 aim, muzzle;
        turret->GetAimDirection(&aim);
        turret->GetWorldPosition(&muzzle);
        Vector3 toTarget = above->Position().Difference(muzzle);
        toTarget.Normalize();
        EXPECT_GT(aim.Dot(toTarget), std::cos(5.0f / 57.29578f));
    }
    EXPECT_EQ(capital->brain->shotsFired, 0);   // no gun of its own fired by the nose
    EXPECT_NEAR(capital->world.forward.Dot(forward), 1.0f, 1e-4f);
    EXPECT_LT(capital->Position().Length(), 1.0f);

    // Below the deck, dead ahead of the bow: nothing fires, though it is
    // nearer and the nose bears on it.
    builder_.Remove(above);
    AiShip* const below = Raider("Below", 1, {0.0f, -30.0f, 600.0f});
    below->aiEnabled = 0;
    below->freeDrift = 1;   // it holds its place
    const int32_t belowHull = below->hitPoints;
    const int32_t rounds = ammunition();
    fly(200);
    EXPECT_EQ(capital->brain->hostile.Get(), below);
    EXPECT_EQ(ammunition(), rounds);
    EXPECT_EQ(below->hitPoints, belowHull);
    EXPECT_EQ(below->lastAttacker.Get(), nullptr);

    // Almost overhead, past the barrels' 60 degrees: they stop at their
    // limit and hold fire.
    builder_.Remove(below);
    AiShip* const overhead = Raider("Overhead", 1, {0.0f, 900.0f, 60.0f});
    overhead->aiEnabled = 0;
    overhead->freeDrift = 1;   // it holds its place
    fly(200);
    EXPECT_EQ(capital->brain->hostile.Get(), overhead);
    for (const Turret* turret : capital->turrets) EXPECT_NEAR(turret->pitch, float(turret->greatestPitch), 1e-3f);
    EXPECT_EQ(ammunition(), rounds);
    EXPECT_EQ(overhead->lastAttacker.Get(), nullptr);
}

// The turrets' guns are tuned against the fighter the career starts with
// (the Lancer as its definition fits it): their reach (1000) is short of
// the Lancer's lasers (1500), so a Lancer above the deck but out of reach is
// never shot at; caught within both turrets' reach it still has twenty seconds
// to dive under the deck or leave.
TEST_F(PilotAiTest, ACapitalShipsTurretsSpareAFighterOutOfReachAndGiveOneInReachTimeToLeave) {
    AiShip* const capital = Ship("Capital", "Bastion", 2, {0.0f, 0.0f, 0.0f});
    ASSERT_NE(capital, nullptr);
    capital->SetMaxRates(0.0f, 0.0f);   // its guns, not its ramming, are weighed here
    AiShip* const far = Ship("P102", "Far", 1, {0.0f, 700.0f, 900.0f}, true);
    ASSERT_NE(far, nullptr);
    far->aiEnabled = 0;
    far->freeDrift = 1;
    const int32_t hull = far->hitPoints;
    const auto rounds = [capital] {
        int32_t total = 0;
        for (Turret* turret : capital->turrets) total += static_cast<Weapon*>(turret->FindWeapon())->ammunition;
        return total;
    };
    const int32_t before = rounds();
    Fly(20000);
    EXPECT_EQ(capital->brain->hostile.Get(), far);
    EXPECT_EQ(rounds(), before);   // not a round spent on it
    EXPECT_EQ(far->hitPoints, hull);
    EXPECT_EQ(far->lastAttacker.Get(), nullptr);
    builder_.Remove(far);

    AiShip* const near = Ship("P102", "Near", 1, {300.0f, 400.0f, 500.0f}, true);
    near->aiEnabled = 0;
    near->freeDrift = 1;
    Fly(20000);
    EXPECT_EQ(near->lastAttacker.Get(), capital);
    EXPECT_LT(near->hitPoints, near->maxHitPoints);
    EXPECT_EQ(near->dead, 0);
    EXPECT_NE(near->active, 0);
}

// The capital ship run straight into a fighter that sits still, nobody at
// its helm: each contact hurts the fighter by the capital's weight behind
// the blow and the capital by the fighter's, past whatever shields and
// armour let through. The Lancer, shields only, is wrecked; the P101 wears
// two layers of armour: the first gives up the facing that took the blow,
// and the second, which the blow never reaches once the first has soaked
// it, is left whole, and with it the hull, however often it is rammed.
TEST_F(PilotAiTest, ACapitalRunningIntoAnIdleFighterHurtsItAsItsShieldsAndArmourAllow) {
    const auto armour = [](AiShip& ship) {
        std::vector<ArmorSystem*> layers;
        for (ShipSystem* s = ship.GetSystem(ShipSystem::kArmor, nullptr); s != nullptr; s = ship.GetSystem(ShipSystem::kArmor, s)) {
            layers.push_back(static_cast<ArmorSystem*>(s));
        }
        return layers;
    };
    const auto full = [](const ArmorSystem& layer, int32_t facing) { return layer.facings[facing] == layer.points * 25; };
    // The capital, 400 ahead of the fighter's nose, flies into it; true at
    // the first contact, within 40 s.
    const auto runInto = [this](AiShip& capital, AiShip& fighter) {
        for (int frame = 0; frame < 800; ++frame) {
            Fly(50);
            if (capital.collisionPartner == &fighter) return true;
        }
        return false;
    };

    {
        SCOPED_TRACE("Lancer");
        AiShip* const capital = Ship("Capital", "Ram", 2, {0.0f, 0.0f, 0.0f});
        AiShip* const lancer = Ship("P102", "Sitter", 1, {0.0f, 0.0f, 400.0f}, true);
        ASSERT_NE(capital, nullptr);
        ASSERT_NE(lancer, nullptr);
        ASSERT_TRUE(armour(*lancer).empty());
        capital->aiEnabled = 0;   // straight on at its cruising speed
        lancer->aiEnabled = 0;
        ASSERT_TRUE(runInto(*capital, *lancer));
        EXPECT_TRUE(lancer->dead != 0 || lancer->hitPoints <= lancer->maxHitPoints / 2) << lancer->hitPoints;
        EXPECT_LT(capital->hitPoints, capital->maxHitPoints);
        EXPECT_GT(capital->hitPoints, capital->maxHitPoints * 95 / 100);
        builder_.Remove(lancer);
        builder_.Remove(capital);
    }

    SCOPED_TRACE("P101");
    AiShip* const capital = Ship("Capital", "Ram", 2, {0.0f, 0.0f, 0.0f});
    AiShip* const p101 = Ship("P101", "Sitter", 1, {0.0f, 0.0f, 400.0f}, true);
    ASSERT_NE(capital, nullptr);
    ASSERT_NE(p101, nullptr);
    capital->aiEnabled = 0;
    p101->aiEnabled = 0;
    const std::vector<ArmorSystem*> layers = armour(*p101);
    ASSERT_EQ(layers.size(), 2u);
    ASSERT_TRUE(runInto(*capital, *p101));
    // The blow came on the nose (facing 0): the shield there and the first
    // layer there are gone, the rest as they were.
    auto* const shield = static_cast<ShieldSystem*>(p101->GetSystem(ShipSystem::kShield, nullptr));
    ASSERT_NE(shield, nullptr);
    EXPECT_EQ(shield->facings[0], 0);
    EXPECT_EQ(layers[0]->facings[0], 0);
    for (int32_t facing = 1; facing < 4; ++facing) EXPECT_TRUE(full(*layers[0], facing)) << facing;
    for (int32_t facing = 0; facing < 4; ++facing) EXPECT_TRUE(full(*layers[1], facing)) << facing;
    EXPECT_EQ(p101->hitPoints, p101->maxHitPoints);
    const int32_t capitalAfterFirst = capital->hitPoints;
    EXPECT_LT(capitalAfterFirst, capital->maxHitPoints);

    // Pushed on for half a minute, hit after hit.
    int32_t contacts = 1;
    for (int frame = 0; frame < 600; ++frame) {
        Fly(50);
        if (capital->collisionPartner == p101) ++contacts;
    }
    EXPECT_GT(contacts, 3);
    EXPECT_EQ(p101->hitPoints, p101->maxHitPoints);
    EXPECT_EQ(p101->dead, 0);
    for (int32_t facing = 0; facing < 4; ++facing) EXPECT_TRUE(full(*layers[1], facing)) << facing;
    EXPECT_LT(capital->hitPoints, capitalAfterFirst);
}

// A capital ship whose guns all sit on its deck turrets, against a fighter
// that sits still dead ahead of its bow, where no turret bears: it closes
// bow first, then turns its deck to the fighter and circles it, its turrets
// firing, and never runs into it.
TEST_F(PilotAiTest, ACapitalShipTurnsItsDeckToAnIdleFighterAndCirclesItInsteadOfRammingIt) {
    AiShip* const capital = Ship("Capital", "Bastion", 2, {0.0f, 0.0f, 0.0f});
    AiShip* const sitter = Ship("P102", "Sitter", 1, {0.0f, 0.0f, 1500.0f}, true);
    ASSERT_NE(capital, nullptr);
    ASSERT_NE(sitter, nullptr);
    sitter->aiEnabled = 0;
    const float contact = capital->Radius() + sitter->Radius();
    float nearest = capital->DistanceTo(*sitter);
    int32_t collisions = 0;
    uint32_t flown = 0;
    for (; flown < 180000 && sitter->dead == 0 && sitter->active != 0; flown += 50) {
        Fly(50);
        if (capital->collisionPartner == sitter) ++collisions;
        nearest = std::min(nearest, capital->DistanceTo(*sitter));
    }
    EXPECT_EQ(collisions, 0);
    EXPECT_GT(nearest, 2.0f * contact);
    EXPECT_EQ(sitter->lastAttacker.Get(), capital);
    EXPECT_TRUE(sitter->dead != 0 || sitter->active == 0) << "still flying after " << flown << " ms, hull " << sitter->hitPoints;
    EXPECT_EQ(capital->hitPoints, capital->maxHitPoints);
    EXPECT_EQ(capital->brain->shotsFired, 0);   // the turrets, not a gun of the bow
}

// A gun fixed in the capital's bow joins the turrets' guns in their group:
// the nose's fire control weighs the fixed gun's reach alone, so a raider
// dead ahead under the deck (where no turret bears), within the turrets'
// reach but past the fixed gun's, draws no round; within its reach, the
// fixed gun alone fires.
TEST_F(PilotAiTest, ACapitalShipsBowGunFiresByItsOwnReachNotItsTurretsGuns) {
    AiShip* const capital = Ship("Capital", "Bastion", 2, {0.0f, 0.0f, 0.0f});
    ASSERT_NE(capital, nullptr);
    capital->SetMaxRates(0.0f, 0.0f);
    const int32_t damage[5] = {150, 20, 0, 0, 25};
    auto* const bowGun = new GunWeapon(capital, 0, 0, Weapon::kGunGroup, 8, 1, 30000, 400, damage, "Hit Spark", nullptr);
    capital->AddSystem(0, bowGun);
    capital->weapons.Clear();   // the list is made once: made again with the bow gun
    std::vector<Weapon*> turretGuns;
    for (Turret* turret : capital->turrets) {
        auto* const gun = dynamic_cast<Weapon*>(turret->FindWeapon());
        ASSERT_NE(gun, nullptr);
        ASSERT_EQ(gun->group, Weapon::kGunGroup);
        ASSERT_GE(gun->GetRange(), 600);
        turretGuns.push_back(gun);
    }
    const auto turretRounds = [&turretGuns] {
        int32_t total = 0;
        for (const Weapon* gun : turretGuns) total += gun->ammunition;
        return total;
    };
    const int32_t turretsBefore = turretRounds();
    AiShip* const below = Raider("Below", 1, {0.0f, -30.0f, 600.0f});
    below->aiEnabled = 0;
    below->freeDrift = 1;
    const int32_t hull = below->hitPoints;
    Fly(10000);
    EXPECT_EQ(capital->brain->hostile.Get(), below);
    EXPECT_EQ(bowGun->ammunition, 30000) << "the bow gun fired past its reach";
    EXPECT_EQ(below->hitPoints, hull);

    bowGun->range = 1000;
    Fly(10000);
    EXPECT_LT(bowGun->ammunition, 30000);
    EXPECT_LT(below->hitPoints, hull);
    EXPECT_EQ(turretRounds(), turretsBefore) << "a turret's gun fired with the bow's group";
}

// What a brain holds hostile is hostile whatever the sides say, until it
// leaves the world (ASan watches the link).
TEST_F(PilotAiTest, TheBrainsHostileTargetIsHostileUntilItGoes) {
    AiShip* const pilot = Raider("Pilot", 1, {0.0f, 0.0f, 0.0f});
    AiShip* const friendShip = Raider("Friend", 1, {100.0f, 0.0f, 0.0f});
    EXPECT_FALSE(pilot->IsHostile(friendShip));
    pilot->brain->hostile = friendShip;
    pilot->brain->followed = friendShip;
    EXPECT_TRUE(pilot->IsHostile(friendShip));
    EXPECT_FALSE(friendShip->IsHostile(pilot));
    builder_.Remove(friendShip);
    EXPECT_EQ(pilot->brain->hostile.Get(), nullptr);
    EXPECT_EQ(pilot->brain->followed.Get(), nullptr);
    Fly(200);
    pilot->brain->SetLinkedShipSide(-1);   // nobody to pass it to
    EXPECT_EQ(pilot->side, 1);
}

// Without a target or a leader a pilot flies to its navigation point at
// cruise, and over the point itself holds its heading.
TEST_F(PilotAiTest, AnIdlePilotFliesToItsNavigationPoint) {
    AiShip* const pilot = Raider("Pilot", 1, {0.0f, 0.0f, 0.0f});
    SpaceObject* const point = builder_.Spawn(builder_.Ball("NAVPOINT", 1.0f), 9);
    point->SetPositionFlags({3000.0f, 0.0f, -3000.0f}, Transform::kAllFlags | 0x10);   // behind and to the side
    pilot->navTarget = point;
    // Once turned onto it, it closes on it at all of its cruising speed.
    Fly(20000);
    EXPECT_EQ(pilot->brain->behavior, AiBrain::kIdle);
    const float before = pilot->DistanceTo(*point);
    Fly(10000);
    const float speed = pilot->velocity.Length();
    EXPECT_GT(speed, 10.0f);
    EXPECT_GT(before - pilot->DistanceTo(*point), 0.95f * speed * 10.0f);

    point->SetPositionFlags(pilot->Position(), Transform::kAllFlags | 0x10);
    pilot->SetRotationVector({10.0f, 10.0f, 0.0f});
    pilot->brain->ExecuteBehavior();
    EXPECT_EQ(pilot->rotationRates.Length(), 0.0f);
}

// A maneuver with no script of its own (the plain one, or a script of no
// kind) ends on its first step and hands the ship back to its brain, which
// goes for the enemy in the same frame.
TEST_F(PilotAiTest, AManeuverWithoutAScriptHandsTheShipBackAtOnce) {
    AiShip* const pilot = Raider("Pilot", 1, {0.0f, 0.0f, 0.0f});
    AiShip* const enemy = Raider("Enemy", 2, {0.0f, 0.0f, 3000.0f}, true);
    enemy->aiEnabled = 0;
    // Its only defensive maneuvers are the two without a script.
    while (pilot->defensiveManeuvers.Count() > 0) {
        delete pilot->defensiveManeuvers[0];
        pilot->defensiveManeuvers.RemoveAt(0);
    }
    pilot->defensiveManeuvers.Append(new Maneuver);
    pilot->defensiveManeuvers.Append(new ScriptedManeuver(ManeuverKind::kNone));
    for (int pick = 0; pick < 6; ++pick) {
        pilot->PickRandomManeuver();
        ASSERT_NE(pilot->currentManeuver, nullptr);
        pilot->brain->behavior = AiBrain::kEvade;
        Fly(50);
        EXPECT_EQ(pilot->currentManeuver, nullptr);
        EXPECT_EQ(pilot->brain->hostile.Get(), enemy);
        EXPECT_EQ(pilot->brain->behavior, AiBrain::kPursue);
    }
}

// The mission may tell a pilot's brain what to do; only the five
// behaviours are taken, and a ship without a brain ignores it.
TEST_F(PilotAiTest, ABrainTakesTheBehaviourItIsTold) {
    AiShip* const pilot = Raider("Pilot", 1, {0.0f, 0.0f, 0.0f});
    AiShip* const enemy = Raider("Enemy", 2, {0.0f, 2000.0f, 2000.0f}, true);
    enemy->aiEnabled = 0;
    pilot->brain->hostile = enemy;
    pilot->SetTarget(enemy);
    pilot->NotifyBrain(AiBrain::kPursue);
    EXPECT_EQ(pilot->brain->behavior, AiBrain::kPursue);
    pilot->brain->ExecuteBehavior();
    EXPECT_LT(pilot->rotationRates.x, 0.0f);   // pulls its nose up toward the enemy overhead
    pilot->NotifyBrain(AiBrain::kBehaviors);
    pilot->NotifyBrain(-1);
    EXPECT_EQ(pilot->brain->behavior, AiBrain::kPursue);

    spawn_records::AiShip record;
    auto* const drone = builder_.SpawnAs<AiShip>(builder_.Template("DRONE0"), 16, &record);
    ASSERT_EQ(drone->brain, nullptr);
    drone->NotifyBrain(AiBrain::kAttack);
}

// Where the player's ship lies, seen from a pilot: beside, above, behind;
// and whether the pilot is in front of its own target. Nothing is known
// without a player's ship or a target.
TEST_F(PilotAiTest, APilotKnowsWhereThePlayerAndItsTargetLie) {
    AiShip* const pilot = Raider("Pilot", 1, {0.0f, 0.0f, 0.0f});
    const auto sides = [pilot] {
        return std::vector<int32_t>{pilot->PlayerOnPlusX(), pilot->PlayerOnMinusX(), pilot->PlayerOnPlusY(),
                                    pilot->PlayerOnMinusY(), pilot->PlayerBehind()};
    };
    EXPECT_EQ(sides(), (std::vector<int32_t>{0, 0, 0, 0, 0}));
    EXPECT_EQ(pilot->IsAheadOfTarget(), 0);

    auto* const player = builder_.SpawnAs<PlayerShip>(builder_.Template("PLAYER0"), 15);
    builder_.Game().playerShip = player;
    const struct {
        Vector3 at;
        std::vector<int32_t> expected;
    } cases[] = {
        {{500.0f, 0.0f, 100.0f}, {1, 0, 0, 0, 0}},
        {{-500.0f, 0.0f, 100.0f}, {0, 1, 0, 0, 0}},
        {{0.0f, 300.0f, 100.0f}, {0, 0, 1, 0, 0}},
        {{0.0f, -300.0f, -100.0f}, {0, 0, 0, 1, 1}},
    };
    for (const auto& c : cases) {
        player->SetPositionFlags(c.at, Transform::kAllFlags | 0x10);
        EXPECT_EQ(sides(), c.expected) << c.at.x << " " << c.at.y << " " << c.at.z;
    }
    // Turned about, the pilot sees the same place on its other side and behind.
    AiShip* const turned = Raider("Turned", 1, {0.0f, 0.0f, 0.0f}, true);
    player->SetPositionFlags({500.0f, 0.0f, 100.0f}, Transform::kAllFlags | 0x10);
    EXPECT_EQ(turned->PlayerOnMinusX(), 1);
    EXPECT_EQ(turned->PlayerBehind(), 1);

    // Its target faces it from ahead: the pilot lies in front of the target; then behind it.
    AiShip* const enemy = Raider("Enemy", 2, {0.0f, 0.0f, 1500.0f}, true);
    pilot->SetTarget(enemy);
    ASSERT_EQ(pilot->GetTarget(), enemy);
    EXPECT_EQ(pilot->IsAheadOfTarget(), 1);
    EXPECT_EQ(pilot->IsTargetAhead(), 1);
    turned->SetTarget(enemy);
    enemy->SetPositionFlags({0.0f, 0.0f, -1500.0f}, Transform::kAllFlags | 0x10);
    EXPECT_EQ(pilot->IsAheadOfTarget(), 0);
    builder_.Game().playerShip = nullptr;
}

// An enemy that has seen the player reports it once the mission's delay
// for the difficulty has passed, unless a jammer in reach jams the report;
// with the AI switched off for the game, ships stop turning.
TEST_F(PilotAiTest, AnEnemyReportsThePlayerAfterTheDelayUnlessJammed) {
    auto* const player = builder_.SpawnAs<PlayerShip>(builder_.Template("PLAYER0"), 15);
    builder_.Game().playerShip = player;
    player->SetPositionFlags({0.0f, 0.0f, 20000.0f}, Transform::kAllFlags | 0x10);
    AiShip* const enemy = Raider("Watcher", -1, {0.0f, 0.0f, 0.0f});
    Mission& mission = builder_.TheMission();
    mission.reportDelays[0] = 2;
    builder_.Game().difficulty = 1;
    enemy->sawPlayer = 1;
    enemy->reportClock = GetMilliseconds();

    auto* const jammer = new JammerSystem(player, 0, 1000000, 100, 50);
    player->AddSystem(0, jammer);
    jammer->TurnOn();
    Fly(5000);
    EXPECT_EQ(mission.playerReported, 0);
    jammer->TurnOff();
    Fly(1000);
    EXPECT_EQ(mission.playerReported, 0);   // the jammed attempt started the delay again
    Fly(2000);
    EXPECT_EQ(mission.playerReported, 1);

    enemy->SetRotationVector({20.0f, 0.0f, 0.0f});
    enemy->angularVelocity = {5.0f, 0.0f, 0.0f};
    builder_.Game().aiEnabled = 0;
    enemy->UpdateParts(50);
    EXPECT_EQ(enemy->rotationRates.Length(), 0.0f);
    EXPECT_EQ(enemy->angularVelocity.Length(), 0.0f);
    builder_.Game().aiEnabled = 1;
    builder_.Game().playerShip = nullptr;
}

}  // namespace
