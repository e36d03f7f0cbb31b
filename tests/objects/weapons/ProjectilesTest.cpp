// Projectile weapons and their shots in a built world: the host's hit pass
// and the packets it sends, a client's request, reach per frame, bursts,
// damaged weapons, and owners that leave before their shots.
#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <memory>
#include <cstdio>
#include <limits>
#include <vector>

#include "display/Bitmap.h"
#include "engine/Random.h"
#include "engine/WorldContext.h"
#include "game/EffectRegistries.h"
#include "game/EffectTypes.h"
#include "net/NetPacket.h"
#include "net/NetPacketType.h"
#include "net/NetworkHooks.h"
#include "objects/ships/Craft.h"
#include "objects/space/ObjectPart.h"
#include "objects/systems/EnergySystem.h"
#include "objects/weapons/Projectile.h"
#include "objects/weapons/ProjectileWeapon.h"
#include "scene/Billboard.h"
#include "scene/Camera.h"
#include "scene/Material.h"
#include "scene/ViewContext.h"
#include "sound/SoundDevice.h"
#include "sound/SoundEffectLibrary.h"
#include "sound/SoundObject.h"
#include "tests/support/RecordingSoundLibrary.h"
#include "tests/support/RecordingCanvas.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/world/RecordingNetSession.h"
#include "tests/support/world/WorldBuilder.h"

namespace {

uint16_t PacketType(const std::vector<uint8_t>& bytes) { return uint16_t(bytes[0] | bytes[1] << 8); }

class ProjectilesTest : public ::testing::Test {
protected:
    ProjectilesTest() {
        GameRandomSeed(3);
        type_ = new ProjectileType;   // freed with the registries
        std::strcpy(type_->name, "Slug");
        type_->speed = 300.0f;
        type_->speedFactor = 1.0f;
        ship_ = builder_.SpawnAs<Craft>(builder_.Ball("SHIP", 2.0f), 14);
        ship_->Activate(0);
        ship_->uoid = 70;
        const int16_t enrg[3] = {100, 10, 20};
        auto* const energy = EnergySystem::FromWords(ship_, 0, enrg, 50);
        ship_->AddSystem(0, energy);
        energy->weaponPool = 100000;
        const int32_t damage[5] = {0, 0, 60, 0, 0};
        weapon_ = new ProjectileWeapon(ship_, 0, 0, 1, 0, 1, 100, 2000, damage, "SLUG", nullptr);
        weapon_->empCharge = 40;
        ship_->AddSystem(0, weapon_);
    }
    ~ProjectilesTest() override {
        builder_.Game().netSession = nullptr;
        GameState::SetNetworkHooks(GameState::NetworkHooks{});
        builder_.Game().ClearFlight();
        FreeEffectRegistries();
    }
    SpaceObject* Rock(float z, float radius, int32_t type = SpaceObject::kTypeAiShip) {
        SpaceObject* const rock = builder_.SpawnAs<Craft>(builder_.Ball("ROCK", radius), 7);
        rock->type = type;
        rock->uoid = 80;
        rock->Activate(0);
        rock->collisionDelay = 0;
        rock->UpdateVisibility();
        rock->SetHitPoints(100000);
        rock->SetPositionFlags({0.0f, 0.0f, z}, Transform::kAllFlags | 0x10);
        return rock;
    }
    Projectile* Shot(const Vector3& from, const Vector3& to) {
        auto* const shot = new Projectile(type_, weapon_->damageRecord, weapon_->empCharge, to.Difference(from), from, ship_,
                                          weapon_, 5000, nullptr);
        shot->previousPoint = from;
        shot->currentPoint = to;
        builder_.Game().RegisterObjectGroup(shot, nullptr, 1);
        return shot;
    }

    WorldBuilder builder_;
    ProjectileType* type_ = nullptr;
    Craft* ship_ = nullptr;
    ProjectileWeapon* weapon_ = nullptr;
};

TEST_F(ProjectilesTest, AFrameReachesItsMovementAndTheHostTellsEveryone) {
    SpaceObject* const near = Rock(250.0f + 5.0f, 5.0f);     // surface 250 ahead
    Rock(600.0f + 301.0f + 5.0f, 5.0f);                         // surface 301 ahead of the second shot
    RecordingNetSession session(true);
    builder_.Game().netSession = &session;
    InstallNetworkHooks();
    Projectile* const hitting = Shot({0, 0, 0}, {0, 0, 300});
    Projectile* const missing = Shot({0, 0, 600}, {0, 0, 900});
    session.sent.clear();
    UpdateProjectiles();
    EXPECT_NE(hitting->flags & Projectile::kEnded, 0u);
    EXPECT_EQ(missing->flags & Projectile::kEnded, 0u);
    EXPECT_EQ(static_cast<Craft*>(near)->empLevel, 40);
    ASSERT_EQ(session.sent.size(), 3u);
    EXPECT_EQ(PacketType(session.sent[0].bytes), kEmpDamage);
    EXPECT_EQ(PacketType(session.sent[1].bytes), kProjHit);
    EXPECT_EQ(PacketType(session.sent[2].bytes), kProjDestroy);
    std::vector<uint8_t> golden;
    NetPacket create;
    create.BuildProjectilePacket(kProjCreate, missing, nullptr, 0);
    ASSERT_EQ(create.GetSize(), 108u);
    golden.insert(golden.end(), create.GetData(), create.GetData() + create.GetSize());
    golden.insert(golden.end(), session.sent[1].bytes.begin(), session.sent[1].bytes.end());
    golden.insert(golden.end(), session.sent[2].bytes.begin(), session.sent[2].bytes.end());
    EXPECT_TRUE(MatchesGoldenBytes(golden, "net_projectiles.bin"));

    // A shot never strikes its owner, nor a kind outside the list.
    Rock(1600.0f, 5.0f, SpaceObject::kTypeDebris);
    Projectile* const past = Shot({0, 0, 1500}, {0, 0, 1700});
    UpdateProjectiles();
    EXPECT_EQ(past->flags & Projectile::kEnded, 0u);
}

// Shots a peer asked for may carry a pulse of any size: every one that
// strikes leaves the level at its top, never wrapped below.
TEST_F(ProjectilesTest, PulsesWithoutEndHoldTheLevelAtTheTop) {
    auto* const target = static_cast<Craft*>(Rock(250.0f, 5.0f));
    weapon_->empCharge = std::numeric_limits<int32_t>::max();
    for (int i = 0; i < 3; ++i) {
        Shot({0, 0, 0}, {0, 0, 300});
        UpdateProjectiles();
    }
    EXPECT_EQ(target->empLevel, std::numeric_limits<int32_t>::max());
}

TEST_F(ProjectilesTest, AClientAsksTheHostAndKeepsNothing) {
    RecordingNetSession session(false);
    builder_.Game().netSession = &session;
    InstallNetworkHooks();
    EXPECT_EQ(weapon_->Fire(nullptr, nullptr), 1);
    ASSERT_EQ(session.sent.size(), 1u);
    EXPECT_EQ(PacketType(session.sent[0].bytes), kProjRequest);
    EXPECT_EQ(session.sent[0].to, 1u);
    EXPECT_EQ(builder_.Game().projectiles.Count(), 0);
    EXPECT_EQ(weapon_->heat, 3);
    // The client does not judge hits.
    Shot({0, 0, 0}, {0, 0, 300});
    Rock(100.0f, 5.0f);
    UpdateProjectiles();
    EXPECT_EQ(builder_.Game().projectiles[0]->flags & Projectile::kEnded, 0u);
}

TEST_F(ProjectilesTest, ShotsOutliveTheirOwner) {
    Rock(200.0f, 5.0f);
    Projectile* const shot = Shot({0, 0, 0}, {0, 0, 150});
    builder_.Remove(ship_);
    ship_ = nullptr;
    EXPECT_EQ(shot->LaunchingWeapon(), nullptr);
    shot->currentPoint = {0, 0, 300};
    UpdateProjectiles();
    EXPECT_NE(shot->flags & Projectile::kEnded, 0u);   // a hit, credited to nobody
}

TEST_F(ProjectilesTest, ABurstKeepsTheRemainingLifetime) {
    auto* const bit = new ProjectileType;
    std::strcpy(bit->name, "Bit");
    type_->fuseTime = 500;
    type_->fragmentCount = 6;
    std::strcpy(type_->fragmentTypeName, "bit");
    type_->fragmentSpeed = 50.0f;
    Projectile* const shell = Shot({0, 0, 0}, {0, 0, 0});
    shell->lifetimeLeft = 3000;
    builder_.Clock().Advance(400);
    shell->Update();
    EXPECT_EQ(builder_.Game().projectiles.Count(), 1);
    builder_.Clock().Advance(200);
    shell->Update();
    EXPECT_NE(shell->flags & Projectile::kEnded, 0u);
    ASSERT_EQ(builder_.Game().projectiles.Count(), 7);
    for (int32_t i = 1; i < 7; ++i) {
        const Projectile& fragment = *builder_.Game().projectiles[i];
        EXPECT_EQ(fragment.type, bit);
        EXPECT_EQ(fragment.lifetimeLeft, 2400);
        EXPECT_NEAR(fragment.velocity.Difference(shell->velocity).Length(), 50.0f, 1e-2f);
    }
}

TEST_F(ProjectilesTest, ADamagedWeaponFiresSlowerShorterShots) {
    weapon_->maxDamage = 100;
    weapon_->damage = 50;
    const float full = type_->speed;
    for (int i = 0; i < 100; ++i) {
        weapon_->readyOffset = 0;
        ASSERT_EQ(weapon_->Fire(nullptr, nullptr), 1);
        const Projectile& shot = *builder_.Game().projectiles[builder_.Game().projectiles.Count() - 1];
        const float speed = shot.velocity.Length() / full;
        EXPECT_GE(speed, 0.5f - 1e-4f);
        EXPECT_LE(speed, 0.99f + 1e-4f);
        EXPECT_GE(shot.lifetimeLeft, 2000 * 51 / 100);
        EXPECT_LE(shot.lifetimeLeft, 2000);
    }
    EXPECT_EQ(weapon_->GetPowerDraw(), weapon_->powerDraw * 4);
    weapon_->Update(16, nullptr);
    EXPECT_EQ(weapon_->heat, 2);
}

// A ship four times its model's size fires its shots at their own speed.
TEST_F(ProjectilesTest, ABigShipsShotsFlyAtTheirOwnSpeed) {
    ship_->local.Scale(4.0f, Transform::kAllFlags);
    ship_->UpdateWorldTransform(Transform::kAllFlags);
    weapon_->readyOffset = 0;
    ASSERT_EQ(weapon_->Fire(nullptr, nullptr), 1);
    const Projectile& shot = *builder_.Game().projectiles[builder_.Game().projectiles.Count() - 1];
    EXPECT_NEAR(shot.velocity.Length(), type_->speed, 1e-2f);
}

// A shot of a glowing type is drawn as its glow where it flies (and not
// behind the camera), the glow stepping through its pictures over the
// type's period.
TEST_F(ProjectilesTest, AGlowingShotIsDrawnWhereItFliesThroughItsPictures) {
    Bitmap picture;
    picture.Create(16, 16, Bitmap::kDepth8Bit, true);
    for (int i = 0; i < 2; ++i) {
        auto* const material = new BitmapMaterial;   // freed with the type
        material->CreateFromBitmap(&picture, true, nullptr);
        type_->glowMaterials.push_back(material);
    }
    type_->animationPeriod = 100;
    WorldContext world{64 * 1024, 64 * 1024};
    RecordingCanvas canvas{100, 100, nullptr, Canvas::kFlagSetUp | Canvas::kFlagHasDepth};
    canvas.SetForwarding(false);
    Camera camera;
    camera.fieldOfView = 90.0f;
    camera.SetCanvas(&canvas);
    camera.flags = 0x0F8F;
    ViewContext view;
    view.camera = &camera;
    PushViewContext(&view);

    auto* const shot = new Projectile(type_, weapon_->damageRecord, 0, {0.0f, 0.0f, 100.0f}, {3.0f, 0.0f, 20.0f}, ship_,
                                      weapon_, 5000, nullptr);
    ASSERT_NE(shot->glow, nullptr);
    EXPECT_EQ(shot->glow->material, type_->glowMaterials[0]);
    // Whether the glow reached the screen at a draw of the shot.
    const auto drawn = [&] {
        shot->glow->flags &= ~Billboard::kFlagSeen;
        shot->Draw();
        camera.EndFrame();
        return (shot->glow->flags & Billboard::kFlagSeen) != 0;
    };
    EXPECT_TRUE(drawn());
    builder_.Clock().Advance(50);
    shot->Update();
    EXPECT_NEAR(shot->glow->position.z, 25.0f, 1e-3f);
    EXPECT_EQ(shot->glow->material, type_->glowMaterials[1]);
    EXPECT_TRUE(drawn());
    builder_.Clock().Advance(50);
    shot->Update();
    EXPECT_EQ(shot->glow->material, type_->glowMaterials[0]);
    shot->currentPoint = {0.0f, 0.0f, -50.0f};   // behind the camera: not drawn
    shot->glow->position = shot->currentPoint;
    EXPECT_FALSE(drawn());
    PopViewContext(&view);
    delete shot;
}

// Every shot sounds: the player's close at the player's level, another
// craft's from where that craft is, fainter.
TEST_F(ProjectilesTest, ShotsSoundThePlayersCloseAndOthersFromWhereTheyAre) {
    auto* const effects = new SoundEffectLibrary;
    auto zap = std::make_unique<SoundEffectDef>();
    std::snprintf(zap->name, sizeof zap->name, "Zap");
    zap->rate = 22050;
    auto samples = std::make_shared<platform::SampleData>();
    samples->samples.assign(100, 1);
    zap->samples = samples;
    effects->sounds.push_back(std::move(zap));
    auto* const recording = new RecordingSoundLibrary;
    builder_.Game().TakeSound(new SoundDevice(std::unique_ptr<platform::SoundLibrary>(recording)), effects);
    DynArray16 names;
    Record<16> record{};
    std::snprintf(reinterpret_cast<char*>(record.words), sizeof record.words, "Zap");
    names.Add(record);
    const int32_t damage[5] = {0, 0, 10, 0, 0};

    const auto fireFrom = [&](Craft* craft) {
        auto* const gun = new ProjectileWeapon(craft, 0, 0, 1, 0, 1, 100, 2000, damage, "SLUG", &names);
        craft->AddSystem(0, gun);
        recording->events.clear();
        EXPECT_EQ(gun->Fire(nullptr, nullptr), 1);
        std::vector<int32_t> priorities;
        for (const auto& event : recording->events) {
            if (event.kind == RecordingSoundLibrary::Event::kStart) priorities.push_back(event.priority);
        }
        EXPECT_EQ(priorities.size(), 1u);
        return std::pair{gun, priorities.empty() ? -1 : priorities[0]};
    };
    ship_->type = SpaceObject::kTypePlayerShip;
    const auto [playerGun, playerPriority] = fireFrom(ship_);
    auto* const other = builder_.SpawnAs<Craft>(builder_.Ball("OTHER", 2.0f), 14);
    other->Activate(0);
    other->SetPositionFlags({400.0f, 0.0f, 0.0f}, Transform::kAllFlags | 0x10);
    const int16_t enrg[3] = {100, 10, 20};
    auto* const energy = EnergySystem::FromWords(other, 0, enrg, 50);
    other->AddSystem(0, energy);
    energy->weaponPool = 100000;
    const auto [otherGun, otherPriority] = fireFrom(other);
    EXPECT_GT(playerPriority, otherPriority);
    ASSERT_NE(otherGun->firingSound, nullptr);
    EXPECT_TRUE(otherGun->firingSound->positional);
    EXPECT_FLOAT_EQ(otherGun->firingSound->position.x, 400.0f);
    EXPECT_FALSE(playerGun->firingSound->positional);
}

}  // namespace
