// Weapons on crafts in a built world: the firing rules in their order, the
// ammunition hand-over, a gun's shots per frame and what a hit tells the
// network, a beam's heat, targets that leave the world, and launches.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/BoundingSphere.h"
#include "engine/MathRoutineTable.h"
#include "engine/Random.h"
#include "game/CareerRecord.h"
#include "game/EffectRegistries.h"
#include "game/EffectTypes.h"
#include "net/NetPacketType.h"
#include "game/Cockpit.h"
#include "objects/effects/ShotEffect.h"
#include "objects/effects/Turret.h"
#include "objects/ships/Craft.h"
#include "objects/space/ObjectPart.h"
#include "objects/systems/EnergySystem.h"
#include "objects/systems/TargetingSystem.h"
#include "objects/weapons/BeamWeapon.h"
#include "objects/weapons/GunWeapon.h"
#include "objects/weapons/HitSearch.h"
#include "objects/weapons/Launchers.h"
#include "objects/space/Mine.h"
#include "objects/space/Missile.h"
#include "scene/Model.h"
#include "tests/support/world/RecordingNetSession.h"
#include "tests/support/world/WorldBuilder.h"

namespace {

constexpr int32_t kNoDamage[5] = {};

uint16_t PacketType(const std::vector<uint8_t>& bytes) { return uint16_t(bytes[0] | bytes[1] << 8); }

int32_t Word(const std::vector<uint8_t>& bytes, size_t at) {
    int32_t value;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

float Float(const std::vector<uint8_t>& bytes, size_t at) {
    float value;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

class WeaponsTest : public ::testing::Test {
protected:
    // A mine layer of three mines on the ship, fired once: the mine it laid.
    Mine* LayMine(SpaceObject* mineTemplate) {
        auto* const layer = new ObjectLauncher(ship_, 0, 0, Weapon::kObjectGroup, 0, 0, 3, kNoDamage, mineTemplate, nullptr);
        ship_->AddSystem(0, layer);
        EXPECT_EQ(layer->Fire(nullptr, nullptr), 1);
        Mine* laid = nullptr;
        for (SpaceObject* object : builder_.World()) {
            if (auto* const mine = dynamic_cast<Mine*>(object)) laid = mine;
        }
        return laid;
    }

    WeaponsTest() {
        GameRandomSeed(11);
        ship_ = builder_.SpawnAs<Craft>(builder_.Ball("SHIP0", 2.0f), 1);
        ship_->active = 1;
        ship_->side = 1;
        const int16_t enrg[3] = {100, 10, 20};
        energy_ = EnergySystem::FromWords(ship_, 0, enrg, 50);
        ship_->AddSystem(0, energy_);
        energy_->weaponPool = 100000;
    }
    ~WeaponsTest() override {
        builder_.Game().netSession = nullptr;
        FreeEffectRegistries();
    }

    // A craft ahead of the ship on its nose line, one solid part.
    Craft* Enemy(float distance) {
        Craft* const enemy = builder_.SpawnAs<Craft>(builder_.Ball("ENEMY", 5.0f), 2);
        enemy->uoid = 55;
        enemy->type = SpaceObject::kTypeAiShip;
        enemy->side = 2;
        enemy->active = 1;
        enemy->collisionDelay = 0;
        enemy->UpdateVisibility();
        enemy->SetHitPoints(100000);
        enemy->SetPositionFlags({0.0f, 0.0f, distance}, Transform::kAllFlags | 0x10);
        return enemy;
    }
    MissileLauncher* Rack(const char* label, int32_t ammunition) {
        auto* const rack = new MissileLauncher(ship_, 0, 0, Weapon::kMissileGroup, 500, 5, ammunition, 3000, kNoDamage,
                                               nullptr, nullptr);
        std::strcpy(rack->equipmentId, label);
        ship_->AddSystem(0, rack);
        return rack;
    }

    WorldBuilder builder_;
    Craft* ship_ = nullptr;
    EnergySystem* energy_ = nullptr;
};

TEST_F(WeaponsTest, TheFiringRulesDecideInTheirOrder) {
    struct Case {
        const char* name;
        void (*set)(MissileLauncher& rack, Craft& ship, EnergySystem& energy, CareerRecord& career);
        int32_t allowed;
        const char* message;   // null: the earlier message stays
        int32_t group;
    } cases[] = {
        {"refire beats everything",
         [](MissileLauncher& r, Craft& s, EnergySystem&, CareerRecord&) {
             r.readyOffset = int32_t(r.Elapsed()) + 1000;
             r.ammunition = 0;
             s.empLevel = 5;
         },
         0, nullptr, Weapon::kMissileGroup},
        {"EMP refuses and keeps the group", [](MissileLauncher&, Craft& s, EnergySystem&, CareerRecord&) { s.empLevel = 1; },
         0, "EMP damage override", Weapon::kMissileGroup},
        {"a destroyed weapon", [](MissileLauncher& r, Craft&, EnergySystem&, CareerRecord&) { r.maxDamage = r.damage = 10; },
         0, "Weapon disabled", Weapon::kNoGroup},
        {"maximum 0 is never disabled", [](MissileLauncher& r, Craft&, EnergySystem&, CareerRecord&) { r.maxDamage = r.damage = 0; },
         1, "", Weapon::kMissileGroup},
        {"out of ammo", [](MissileLauncher& r, Craft&, EnergySystem&, CareerRecord&) { r.ammunition = 0; }, 0, "Out of ammo",
         Weapon::kNoGroup},
        {"unlimited ammunition",
         [](MissileLauncher& r, Craft&, EnergySystem&, CareerRecord& c) {
             r.ammunition = 0;
             c.options.unlimitedAmmo = 1;
         },
         1, "", Weapon::kMissileGroup},
        {"not enough energy", [](MissileLauncher&, Craft&, EnergySystem& e, CareerRecord&) { e.weaponPool = 4; }, 0,
         "Not enough energy", Weapon::kMissileGroup},
    };
    delete builder_.Game().career;   // the game's own, for one the test keeps
    auto* const career = new CareerRecord;
    builder_.Game().career = career;
    int32_t index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        career->options = CareerOptions{};
        ship_->empLevel = 0;
        energy_->weaponPool = 100000;
        // A label of its own: a second rack of one label would wait as the reserve.
        const std::string label = "Rack " + std::to_string(index++);
        MissileLauncher* const rack = Rack(label.c_str(), 4);
        c.set(*rack, *ship_, *energy_, *career);
        rack->ExtendCooldown(0);
        const std::string before = "earlier";
        std::strcpy(rack->refusal = static_cast<char*>(EngineAllocate(16)), before.c_str());
        EXPECT_EQ(rack->CanFire(energy_), c.allowed);
        const char* const expected = c.message == nullptr ? before.c_str() : c.message;
        EXPECT_STREQ(rack->RefusalMessage() != nullptr ? rack->RefusalMessage() : "", expected);
        EXPECT_EQ(rack->group, c.group);
    }
    builder_.Game().career = nullptr;
    delete career;
}

TEST_F(WeaponsTest, TheLastMissileHandsItsGroupToTheFirstFullSister) {
    MissileLauncher* const first = Rack("Rack", 1);
    MissileLauncher* const other = Rack("Other", 4);
    MissileLauncher* const second = Rack("Rack", 4);
    MissileLauncher* const third = Rack("Rack", 4);
    for (MissileLauncher* sister : {other, second, third}) sister->group = Weapon::kNoGroup;
    ASSERT_EQ(first->CanFire(energy_), 1);
    first->SpendShot(energy_);
    EXPECT_EQ(first->group, Weapon::kNoGroup);
    EXPECT_STREQ(first->RefusalMessage(), "Out of ammo");
    EXPECT_EQ(other->group, Weapon::kNoGroup);   // another label
    EXPECT_EQ(second->group, Weapon::kMissileGroup);
    EXPECT_EQ(third->group, Weapon::kNoGroup);
    EXPECT_GE(second->readyOffset, 500);
    EXPECT_EQ(energy_->weaponPool, 100000 - 5);
    // Requested faster than a shot's lag: after a rest two rounds, no more;
    // after a late last round the sister's next on time.
    const auto take = [](Weapon* rack) { return rack->RequestDue() ? (rack->TakeRequestedRound(), true) : false; };
    second->refireDelay = third->refireDelay = 200;
    second->ammunition = 3;
    builder_.Clock().Advance(1000);
    EXPECT_TRUE(take(second) && take(second) && !take(second));
    builder_.Clock().Advance(300);
    EXPECT_TRUE(take(second));
    builder_.Clock().Advance(100);
    EXPECT_TRUE(take(third));
}

// Two racks of one loadout entry are a magazine: the group fires the first
// alone, and the second only once the first is empty. A rack of another
// entry fires beside them; guns of one entry all fire.
TEST_F(WeaponsTest, RacksOfOneEntryFireOneAfterTheOther) {
    SpaceObject* const missileTemplate = new Missile(builder_.Ball("MISSL", 0.5f));
    const auto rack = [&](const char* label, int32_t ammunition) {
        auto* const made = new MissileLauncher(ship_, 0, 0, Weapon::kMissileGroup, 500, 0, ammunition, 2000, kNoDamage,
                                               missileTemplate, nullptr);
        std::strcpy(made->equipmentId, label);
        ship_->AddSystem(0, made);
        return made;
    };
    MissileLauncher* const first = rack("Missile Rack 1", 2);
    MissileLauncher* const second = rack("Missile Rack 1", 2);
    MissileLauncher* const other = rack("Missile Rack 2", 5);
    EXPECT_EQ(first->group, Weapon::kMissileGroup);
    EXPECT_EQ(second->group, Weapon::kNoGroup);
    EXPECT_EQ(other->group, Weapon::kMissileGroup);
    for (int32_t volley = 0; volley < 4; ++volley) {
        builder_.Clock().Advance(600);   // past the refire delay
        EXPECT_EQ(ship_->FireWeaponGroup(Weapon::kMissileGroup), 1) << volley;
        EXPECT_EQ(first->ammunition, std::max(0, 1 - volley)) << volley;
        EXPECT_EQ(second->ammunition, volley < 2 ? 2 : 3 - volley) << volley;
        EXPECT_EQ(other->ammunition, 4 - volley) << volley;
    }
    EXPECT_EQ(first->group, Weapon::kNoGroup);
    EXPECT_EQ(second->group, Weapon::kNoGroup);   // empty in its turn

    const int32_t damage[5] = {};
    auto* const left = new GunWeapon(ship_, 0, 0, Weapon::kGunGroup, 10, 1, 50, 1000, damage, "Hit Spark", nullptr);
    std::strcpy(left->equipmentId, "Laser Cannon");
    ship_->AddSystem(0, left);
    auto* const right = new GunWeapon(ship_, 0, 0, Weapon::kGunGroup, 10, 1, 50, 1000, damage, "Hit Spark", nullptr);
    std::strcpy(right->equipmentId, "Laser Cannon");
    ship_->AddSystem(0, right);
    EXPECT_EQ(right->group, Weapon::kGunGroup);
    delete missileTemplate;
}

// A gun on a turret's barrel is its turret's to fire: in one group with a
// fixed gun, the group's fire and its fire control's aim at a target dead
// ahead reach the fixed gun alone, and the barrel's gun keeps every round.
TEST_F(WeaponsTest, AGroupFiresAndAimsItsFixedGunButNotTheGunOnATurretsBarrel) {
    auto* const gunship = builder_.SpawnAs<Craft>(builder_.Template("GUNS0", {{"TURR0FLHL", {{"BARL0FLHG", {}}}}}), 1);
    gunship->active = 1;
    gunship->side = 1;
    Turret::Record record{};
    std::snprintf(record.baseName, sizeof record.baseName, "TURR0FLHL");
    record.greatestPitch = 40;
    record.turnRate = 90;
    record.yawAxis = 2;
    record.barrelAxis = 3;
    ASSERT_TRUE(gunship->AddTurret(record));
    const int32_t barrel = gunship->turrets[0]->barrelPart;
    ASSERT_GT(barrel, 0);
    const int16_t enrg[3] = {100, 10, 20};
    EnergySystem* const energy = EnergySystem::FromWords(gunship, 0, enrg, 50);
    gunship->AddSystem(0, energy);
    auto* const targeting = new TargetingSystem(gunship, 0, 50, 30, 6000, 10.0f, 0);
    gunship->AddSystem(0, targeting);
    const int32_t damage[5] = {100, 50, 0, 0, 0};
    // The turret's gun is added first, so a walk that took it for the group's would meet it first.
    auto* const turretGun = new GunWeapon(gunship, barrel, 0, Weapon::kGunGroup, 10, 1, 50, 1000, damage, "Hit Spark", nullptr);
    gunship->AddSystem(barrel, turretGun);
    auto* const fixedGun = new GunWeapon(gunship, 0, 0, Weapon::kGunGroup, 10, 1, 50, 1000, damage, "Hit Spark", nullptr);
    gunship->AddSystem(0, fixedGun);
    Craft* const enemy = Enemy(300.0f);
    targeting->target = enemy;

    EXPECT_EQ(gunship->AimGunsAtTarget(Weapon::kGunGroup), 1);
    EXPECT_EQ(fixedGun->aimTarget.Get(), enemy);
    EXPECT_EQ(turretGun->aimTarget.Get(), nullptr);
    for (int32_t frame = 0; frame < 5; ++frame) {
        energy->weaponPool = 100000;
        gunship->FireWeaponGroup(Weapon::kGunGroup);
        builder_.Clock().Advance(100);
        fixedGun->Update(100, energy);
        turretGun->Update(100, energy);
    }
    EXPECT_LT(fixedGun->ammunition, 50);
    EXPECT_EQ(turretGun->ammunition, 50);
    EXPECT_EQ(turretGun->firing, 0);
}

TEST_F(WeaponsTest, AGunFiresByItsRateAndReportsItsHits) {
    const int32_t damage[5] = {100, 50, 0, 0, 0};
    auto* const gun = new GunWeapon(ship_, 0, 0, Weapon::kGunGroup, 10, 1, 50, 1000, damage, "Hit Spark", nullptr);
    gun->empCharge = 40;
    ship_->AddSystem(0, gun);
    const auto frame = [&](int32_t milliseconds) {
        gun->Fire(ship_, nullptr);
        builder_.Clock().Advance(uint32_t(milliseconds));
        gun->Update(milliseconds, energy_);
    };
    frame(100);   // the burst opens: no shot yet
    EXPECT_EQ(gun->ammunition, 50);
    frame(50);    // 10 x 50 / 1000 = 0
    EXPECT_EQ(gun->ammunition, 50);
    frame(100);
    EXPECT_EQ(gun->ammunition, 49);

    // A hit on the host: EMP_DAMAGE, then GUN_SHOT with the shot count and the impact.
    Craft* const enemy = Enemy(300.0f);
    RecordingNetSession session(true);
    builder_.Game().netSession = &session;
    frame(250);
    ASSERT_EQ(session.sent.size(), 2u);
    EXPECT_EQ(PacketType(session.sent[0].bytes), kEmpDamage);
    EXPECT_EQ(Word(session.sent[0].bytes, 12), 10);   // 250 ms of 40 a second
    const std::vector<uint8_t>& shot = session.sent[1].bytes;
    EXPECT_EQ(PacketType(shot), kGunShot);
    EXPECT_EQ(Word(shot, 8), 55);
    EXPECT_EQ(Word(shot, 20), 25);   // 100 a second over 250 ms
    EXPECT_EQ(Word(shot, 24), 12);
    EXPECT_EQ(Word(shot, 48), 3);    // 2.5 shots in 250 ms at rate 10, and the half left from before
    EXPECT_NEAR(Float(shot, 60), 300.0f - 5.0f - 1.0f, 0.5f);   // at the front of the sphere
    EXPECT_EQ(session.sent[0].to, RecordingNetSession::kToAll);
    EXPECT_EQ(enemy->empLevel, 10);
    EXPECT_EQ(enemy->lastAttacker.Get(), ship_);

    // A wreck stops the shot and names no target, nor takes EMP, on the other
    // machines: by the time they hear, the ship may be back and flying.
    enemy->dead = 1;
    session.sent.clear();
    frame(250);
    ASSERT_EQ(session.sent.size(), 1u);
    EXPECT_EQ(PacketType(session.sent[0].bytes), kGunShot);
    EXPECT_EQ(Word(session.sent[0].bytes, 8), -1);
    EXPECT_NEAR(Float(session.sent[0].bytes, 60), 300.0f - 5.0f - 1.0f, 0.5f);
    enemy->dead = 0;

    // Releasing the trigger ends the burst; the aimed-at craft may leave.
    gun->Update(16, energy_);
    EXPECT_EQ(gun->firing, 0);
    gun->aimTarget = enemy;
    builder_.Remove(enemy);
    frame(100);
    frame(100);
    EXPECT_EQ(gun->aimTarget.Get(), nullptr);
}

// Shots and damage are per second of fire whatever the frame length: a gun
// of 10 shots a second (none in a 16 or 50 ms frame of its own) fires 20
// in two seconds of short frames as of long ones, and its hits deal two
// seconds' damage.
// Among a crowd, a shot meets an object's sphere where the sphere stands,
// off the object's place on a turned object: a line just inside its edge
// hits, one just outside misses, under either math routine.
TEST_F(WeaponsTest, AShotMeetsASphereWhereItStandsOffATurnedObject) {
    SpaceObject* const rockTemplate = builder_.Ball("ROCK", 1.0f);
    rockTemplate->model->sphere.centre = {0.0f, 0.0f, 4.0f};
    Craft* target = nullptr;
    for (int i = 0; i <= 40; ++i) {
        target = builder_.SpawnAs<Craft>(rockTemplate, 2);
        target->active = 1;
        target->collisionDelay = 0;
        target->UpdateVisibility();
        target->local.RotateY(i == 40 ? 90.0f : 0.0f, Transform::kAllFlags);
        const Vector3 at = i == 40 ? Vector3{0.0f, 0.0f, 100.0f}
                                   : Vector3{float(i % 8) * 10.0f - 40.0f, float(i / 8) * 10.0f + 20.0f, 100.0f};
        target->SetPositionFlags(at, Transform::kAllFlags | 0x10);
    }
    BoundingSphere sphere;
    ASSERT_EQ(target->GetBoundingSphere(&sphere), 0);
    ASSERT_GT(sphere.centre.Difference(target->Position()).Length(), 3.9f);
    for (const bool x87 : {true, false}) {
        x87 ? MathRoutineTable::InstallX87() : MathRoutineTable::Install3dNow();
        const auto shot = [&](float aside) {
            return FindWeaponHit(ship_, {sphere.centre.x + aside, sphere.centre.y, 0.0f}, {0.0f, 0.0f, 1.0f}, 500.0f);
        };
        EXPECT_EQ(shot(0.9f).object, target) << x87;
        EXPECT_NEAR(shot(0.9f).distance, sphere.centre.z - 0.44f, 0.01f) << x87;
        EXPECT_EQ(shot(1.1f).object, nullptr) << x87;
    }
    MathRoutineTable::InstallX87();
}

TEST_F(WeaponsTest, AGunsShotsAndDamageAddUpWhateverTheFrameLength) {
    const int32_t damage[5] = {100, 40, 0, 0, 0};
    Craft* const enemy = Enemy(300.0f);
    RecordingNetSession session(true);
    builder_.Game().netSession = &session;
    for (const int32_t frameMs : {16, 50, 100}) {
        auto* const gun = new GunWeapon(ship_, 0, 0, Weapon::kGunGroup, 10, 1, 1000, 1000, damage, "Hit Spark", nullptr);
        ship_->AddSystem(0, gun);
        session.sent.clear();
        for (int32_t elapsed = -frameMs; elapsed < 2000; elapsed += frameMs) {   // the first frame opens the burst
            gun->Fire(ship_, nullptr);
            builder_.Clock().Advance(uint32_t(frameMs));
            gun->Update(frameMs, energy_);
        }
        int32_t shots = 0, drained = 0, hull = 0;
        for (const auto& packet : session.sent) {
            if (PacketType(packet.bytes) != kGunShot) continue;
            shots += Word(packet.bytes, 48);
            drained += Word(packet.bytes, 20);
            hull += Word(packet.bytes, 24);
        }
        EXPECT_EQ(shots, 20) << frameMs;
        EXPECT_EQ(gun->ammunition, 1000 - 20) << frameMs;
        EXPECT_EQ(drained, 200) << frameMs;
        EXPECT_EQ(hull, 80) << frameMs;
        gun->Update(frameMs, energy_);   // the trigger let go
    }
    EXPECT_EQ(enemy->lastAttacker.Get(), ship_);
}

TEST_F(WeaponsTest, ABeamOverheatsAfterFourSecondsAndCoolsForTwoAndAHalf) {
    auto* const type = new BeamType;
    std::strcpy(type->name, "Ray");
    type->arc = 30;
    const int32_t damage[5] = {10, 0, 0, 0, 0};
    auto* const beam = new BeamWeapon(ship_, 0, 0, Weapon::kGunGroup, 30, 500, damage, "RAY", nullptr);
    ship_->AddSystem(0, beam);
    ASSERT_EQ(beam->beamType, type);   // found ignoring case
    Craft* const enemy = Enemy(200.0f);
    SceneObject* aim = enemy->parts[0]->node;
    const auto frame = [&](bool pull) {
        const int32_t fired = pull ? beam->Fire(ship_, aim) : 0;
        builder_.Clock().Advance(100);
        beam->Update(100, energy_);
        builder_.Game().Groups().Walk();
        return fired;
    };
    for (int i = 0; i < 40; ++i) ASSERT_EQ(frame(true), 1) << i;
    EXPECT_EQ(beam->beamOn, 1);
    EXPECT_EQ(beam->target.Get(), enemy);
    EXPECT_EQ(energy_->weaponPool, 100000 - 40 * 3);
    EXPECT_EQ(enemy->lastAttacker.Get(), ship_);
    frame(true);   // 4.1: out
    EXPECT_EQ(frame(true), 0);
    EXPECT_STREQ(beam->RefusalMessage(), "Cooling down");
    int cooled = 0;
    while (beam->cooling != 0 && cooled < 100) {
        frame(false);
        ++cooled;
    }
    EXPECT_NEAR(cooled, 27, 1);   // 4.1 at 1.5 a second
    EXPECT_EQ(frame(true), 1);

    // The target leaves the world while the beam holds it.
    builder_.Remove(enemy);
    aim = nullptr;
    EXPECT_EQ(beam->target.Get(), nullptr);
    frame(true);
    frame(false);
    EXPECT_EQ(beam->layers[0], nullptr);
}

TEST_F(WeaponsTest, LaunchersAimByTheLockAndClientsLeaveItToTheHost) {
    SpaceObject* const missileTemplate = new Missile(builder_.Ball("MISSL", 0.5f));
    missileTemplate->velocityCap = 300.0f;
    auto* const targeting = new TargetingSystem(ship_, 0, 50, 30, 6000, 10.0f, 0);
    ship_->AddSystem(0, targeting);
    auto* const rack = new MissileLauncher(ship_, 0, 0, Weapon::kMissileGroup, 0, 0, 4, 2500, kNoDamage,
                                           missileTemplate, nullptr);
    rack->lockClass = 2;
    ship_->AddSystem(0, rack);
    Craft* const enemy = Enemy(500.0f);
    targeting->target = enemy;
    ship_->velocity = {0.0f, 0.0f, 20.0f};

    const auto launch = [&](float lock) -> Missile* {
        targeting->lock[2] = lock;
        rack->readyOffset = 0;
        const std::vector<SpaceObject*> before = builder_.World();
        EXPECT_EQ(rack->Fire(ship_, enemy->parts[0]->node), 1);
        for (SpaceObject* object : builder_.World()) {
            if (std::find(before.begin(), before.end(), object) == before.end()) return dynamic_cast<Missile*>(object);
        }
        return nullptr;
    };
    Missile* const unguided = launch(99.0f);
    ASSERT_NE(unguided, nullptr);
    EXPECT_EQ(unguided->target.Get(), nullptr);
    Missile* const guided = launch(100.0f);
    ASSERT_NE(guided, nullptr);
    EXPECT_EQ(guided->target.Get(), enemy);
    EXPECT_EQ(guided->targetPart, 0);
    EXPECT_EQ(guided->lifetime, 2500);
    EXPECT_EQ(guided->owner.Get(), ship_);
    EXPECT_EQ(guided->side, 1);
    // Straight ahead at a third of its acceleration plus the ship's speed.
    EXPECT_NEAR(guided->velocity.z, 300.0f / 3.0f + 20.0f, 1e-3f);
    EXPECT_NEAR(guided->velocity.x, 0.0f, 1e-4f);
    EXPECT_NEAR(guided->velocity.y, 0.0f, 1e-4f);
    // The rack reaches as far as its missile flies at its cap in its life;
    // one without a missile, nowhere.
    EXPECT_EQ(rack->GetRange(), 750);
    EXPECT_EQ(Rack("EMPTY", 1)->GetRange(), 0);

    // A client asks the host and keeps no missile of its own.
    RecordingNetSession session(false);
    builder_.Game().netSession = &session;
    GameState::NetworkHooks hooks;
    hooks.isNetworkGame = [] { return true; };
    hooks.isClient = [] { return true; };
    hooks.createObject = [](SpaceObject*) { return int32_t(0); };
    GameState::SetNetworkHooks(hooks);
    EXPECT_EQ(launch(100.0f), nullptr);
    EXPECT_EQ(rack->ammunition, 1);
    GameState::SetNetworkHooks(GameState::NetworkHooks{});

    // A missile that cannot be made is refused and costs nothing.
    auto* const broken = new MissileLauncher(ship_, 0, 0, Weapon::kMissileGroup, 500, 5, 4, 2500, kNoDamage,
                                             builder_.Unclonable("MISSL"), nullptr);
    ship_->AddSystem(0, broken);
    const int32_t pool = energy_->weaponPool;
    const size_t objects = builder_.World().size();
    EXPECT_EQ(broken->Fire(ship_, nullptr), 0);
    EXPECT_EQ(broken->ammunition, 4);
    EXPECT_EQ(energy_->weaponPool, pool);
    EXPECT_EQ(broken->readyOffset, 0);
    EXPECT_EQ(broken->group, Weapon::kMissileGroup);
    EXPECT_EQ(builder_.World().size(), objects);

    // A mine layer without a mine still spends its round.
    auto* const layer = new ObjectLauncher(ship_, 0, 0, Weapon::kObjectGroup, 0, 0, 2, kNoDamage, nullptr, nullptr);
    ship_->AddSystem(0, layer);
    EXPECT_EQ(layer->Fire(nullptr, nullptr), 1);
    EXPECT_EQ(layer->ammunition, 1);
    delete missileTemplate;
}

// A miss still draws its tracers to the range and tells the host, with no
// target; the last rounds of a gun are all it fires.
TEST_F(WeaponsTest, AMissDrawsTracersToTheRangeAndTheLastRoundsAreFired) {
    auto* const gun = new GunWeapon(ship_, 0, 0, Weapon::kGunGroup, 20, 0, 6, 800, kNoDamage, "Hit Spark", nullptr);
    ship_->AddSystem(0, gun);
    RecordingNetSession session(false);
    builder_.Game().netSession = &session;
    gun->Fire(ship_, nullptr);
    gun->Update(16, energy_);   // opens the burst
    gun->Fire(ship_, nullptr);
    gun->Update(5000, energy_);   // a second at most: 20 shots wanted, 6 left
    EXPECT_EQ(gun->ammunition, 0);
    ASSERT_EQ(session.sent.size(), 1u);
    const std::vector<uint8_t>& shot = session.sent[0].bytes;
    EXPECT_EQ(PacketType(shot), kGunShot);
    EXPECT_EQ(Word(shot, 8), -1);
    EXPECT_EQ(Word(shot, 48), 6);
    EXPECT_NEAR(Float(shot, 60), 800.0f, 1e-3f);   // range + 1 - 1
    EXPECT_EQ(session.sent[0].to, 1u);
    int tracers = 0;
    float farthest = 0.0f;
    builder_.Game().Groups().ForEach([&](const void*, NamedObject* object) {
        if (auto* const tracer = dynamic_cast<ShotEffect*>(object)) {
            ++tracers;
            farthest = std::max(farthest, tracer->endPoint.z);
        }
    });
    EXPECT_GE(tracers, 3);
    EXPECT_LE(farthest, 801.0f);
    EXPECT_GT(farthest, 600.0f);
}

TEST_F(WeaponsTest, WhereShotsLeaveAndWhatReloadingCosts) {
    // The n-th weapon of a part sits around the part's point; a tenth at the point.
    std::vector<GunWeapon*> guns;
    for (int i = 0; i < 10; ++i) {
        guns.push_back(new GunWeapon(ship_, 0, 0, Weapon::kGunGroup, 10, 0, 5, 100, kNoDamage, "", nullptr));
        ship_->AddSystem(0, guns.back());
    }
    EXPECT_FLOAT_EQ(guns[0]->muzzleOffset.x, 0.0f);
    EXPECT_FLOAT_EQ(guns[2]->muzzleOffset.x, 0.5f);
    EXPECT_FLOAT_EQ(guns[9]->muzzleOffset.x + guns[9]->muzzleOffset.y, 0.0f);
    EXPECT_FLOAT_EQ(guns[8]->muzzleOffset.y, 1.0f);

    // Rearming the player's ship pays what the funds allow, and resetting refills guns.
    delete builder_.Game().career;   // the game's own, for one the test keeps
    auto* const career = new CareerRecord;
    career->funds = 1000;
    builder_.Game().career = career;
    ship_->type = SpaceObject::kTypePlayerShip;
    MissileLauncher* const cheap = Rack("Rack", 4);
    MissileLauncher* const dear = Rack("Rack", 4);
    cheap->unitPrice = 400;
    dear->unitPrice = 4000;
    cheap->ammunition = dear->ammunition = 1;
    EXPECT_EQ(cheap->GetReloadCost(), 300);
    ship_->Rearm();
    EXPECT_EQ(cheap->ammunition, 4);
    EXPECT_EQ(dear->ammunition, 1);   // 3000 is more than the 700 left
    EXPECT_EQ(career->funds, 700);
    EXPECT_EQ(builder_.Game().TheCockpit().lastCharge, 300);
    guns[0]->ammunition = 0;
    ship_->ResetSystems();
    EXPECT_EQ(guns[0]->ammunition, 5);
    builder_.Game().career = nullptr;
    delete career;
}

TEST_F(WeaponsTest, MinesAreLaidBehindHiddenAndDamagedLaunchersShortenMissiles) {
    SpaceObject* const mineTemplate = new Mine(builder_.Ball("MINE", 1.0f));
    Mine* const laid = LayMine(mineTemplate);
    ASSERT_NE(laid, nullptr);
    EXPECT_EQ(laid->visibilityWord, -1);
    EXPECT_NEAR(laid->velocity.z, -25.0f, 5.001f);
    EXPECT_NEAR(laid->velocity.Difference({0.0f, 0.0f, -25.0f}).Length(), 5.0f, 1e-3f);
    EXPECT_EQ(laid->owner.Get(), ship_);

    // Damage 30 of 100: about three missiles in ten live a second.
    SpaceObject* const missileTemplate = new Missile(builder_.Ball("MISSL", 0.5f));
    auto* const rack = new MissileLauncher(ship_, 0, 100, Weapon::kMissileGroup, 0, 0, 1000, 9000, kNoDamage,
                                           missileTemplate, nullptr);
    rack->damage = 30;
    ship_->AddSystem(0, rack);
    int shortLived = 0;
    const int launches = 300;
    for (int i = 0; i < launches; ++i) {
        const std::vector<SpaceObject*> before = builder_.World();
        rack->readyOffset = 0;
        ASSERT_EQ(rack->Fire(nullptr, nullptr), 1);
        for (SpaceObject* object : builder_.World()) {
            if (std::find(before.begin(), before.end(), object) != before.end()) continue;
            if (object->expiresAt - int32_t(object->Age()) <= 1000) ++shortLived;
            builder_.Remove(object);
            break;
        }
    }
    EXPECT_NEAR(double(shortLived) / launches, 0.3, 0.08);
    delete missileTemplate;
    delete mineTemplate;
}

// A ship four times its model's size lays mines and launches missiles of
// their own size, at their own speeds, from its muzzle at its size.
TEST_F(WeaponsTest, ABigShipLaunchesObjectsOfTheirOwnSizeAndSpeed) {
    ship_->local.Scale(4.0f, Transform::kAllFlags);
    ship_->UpdateWorldTransform(Transform::kAllFlags);
    SpaceObject* const mineTemplate = new Mine(builder_.Ball("MINE", 1.0f));
    Mine* const laid = LayMine(mineTemplate);
    ASSERT_NE(laid, nullptr);
    EXPECT_NEAR(laid->Radius(), 1.0f, 1e-5f);
    EXPECT_NEAR(laid->velocity.Difference({0.0f, 0.0f, -25.0f}).Length(), 5.0f, 1e-3f);

    SpaceObject* const missileTemplate = new Missile(builder_.Ball("MISSL", 0.5f));
    auto* const rack = new MissileLauncher(ship_, 0, 0, Weapon::kMissileGroup, 0, 0, 10, 9000, kNoDamage,
                                           missileTemplate, nullptr);
    rack->muzzleOffset = {0.0f, 0.0f, 3.0f};
    ship_->AddSystem(0, rack);
    const std::vector<SpaceObject*> before = builder_.World();
    ASSERT_EQ(rack->Fire(nullptr, nullptr), 1);
    SpaceObject* launched = nullptr;
    for (SpaceObject* object : builder_.World()) {
        if (std::find(before.begin(), before.end(), object) == before.end()) launched = object;
    }
    ASSERT_NE(launched, nullptr);
    EXPECT_NEAR(launched->Radius(), 0.5f, 1e-5f);
    EXPECT_NEAR(launched->Position().Difference(ship_->Position()).Length(), 12.0f, 1e-3f);
    delete missileTemplate;
    delete mineTemplate;
}

}  // namespace
