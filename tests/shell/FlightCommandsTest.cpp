// The flight's single-press commands: what each does to the player's ship
// and how often, however long its key is held.
#include "shell/FlightCommands.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "display/PixelFormat.h"
#include "engine/Random.h"
#include "game/DataDirectories.h"
#include "game/CommandTable.h"
#include "game/GameState.h"
#include "objects/ships/PlayerShip.h"
#include "objects/space/ChaseObject.h"
#include "objects/space/Decoy.h"
#include "objects/space/Missile.h"
#include "objects/space/WorldPass.h"
#include "objects/systems/CountermeasureSystems.h"
#include "objects/systems/EnergySystem.h"
#include "objects/systems/EngineSystem.h"
#include "objects/systems/RadarSystem.h"
#include "objects/systems/ShieldSystem.h"
#include "objects/systems/TargetingSystem.h"
#include "objects/weapons/Launchers.h"
#include "objects/weapons/Weapon.h"
#include "shell/FlightInput.h"
#include "shell/FlightView.h"
#include "scene/OstrelSystem.h"
#include "tests/support/TempDir.h"
#include "tests/support/world/WorldBuilder.h"
#include "tools/flightshot/FlightShot.h"
#include "tools/mkdata/SampleTree.h"

namespace {

using namespace command_table;

constexpr int32_t kShieldCap = 200;
constexpr int32_t kEngineCap = 100;

class FlightCommandsTest : public ::testing::Test {
protected:
    FlightCommandsTest() {
        GameRandomSeed(5);
        RegisterSpaceObjects();
        Game().mode = 2;
        ship_ = builder_.SpawnAs<PlayerShip>(builder_.Template("PLAYER"), 1);
        ship_->type = SpaceObject::kTypePlayerShip;
        ship_->SetSide(1);
        ship_->Activate(0);
        ship_->SetHitPoints(100);
        Game().playerShip = ship_;
        Game().viewedObject = ship_;
        const int16_t enrg[3] = {1000, 10, 20};
        energy_ = EnergySystem::FromWords(ship_, 0, enrg, 0);
        ship_->AddSystem(0, energy_);
        shield_ = new ShieldSystem(ship_, 0, 100, 10, kShieldCap, 10, 0);
        ship_->AddSystem(0, shield_);
        // Boost cost 10 and boost 50 per cent: the afterburner may run.
        const int16_t engi[5] = {100, 100, 10, kEngineCap, 50};
        engine_ = new EngineSystem(ship_, 0, engi, 0);
        ship_->AddSystem(0, engine_);
        const int16_t radr[7] = {2000, 8000, 1, 100, 100, 100, 100};
        radar_ = new RadarSystem(ship_, 0, radr, 0);
        ship_->AddSystem(0, radar_);
        targeting_ = new TargetingSystem(ship_, 0, 50, 30, 6000, 10.0f, 0);
        ship_->AddSystem(0, targeting_);
        const int16_t ecm[3] = {50, 50, 1000};
        ecm_ = new EcmSystem(ship_, 0, ecm, 0);
        ship_->AddSystem(0, ecm_);
        energy_->InitPowerSplit();
    }
    ~FlightCommandsTest() override {
        Game().playerShip = nullptr;
        Game().ClearFlight();
    }

    GameState& Game() { return builder_.Game(); }

    // One frame with these commands held (and only these).
    void Frame(std::initializer_list<uint16_t> held) {
        KeySet now;
        for (const uint16_t command : held) now.Set(command);
        Game().commands.Capture(now);
        HandleFlightInput(Game(), 50);
    }
    // A press held for `frames` frames, then let go for one.
    void Hold(uint16_t command, int frames) {
        for (int i = 0; i < frames; ++i) Frame({command});
        Frame({});
    }
    Craft* Enemy(float z) {
        Craft* const enemy = builder_.SpawnAs<Craft>(builder_.Template("ENEMY"), 2);
        enemy->Activate(0);
        enemy->SetSide(2);
        enemy->SetPositionFlags({0.0f, 0.0f, z}, Transform::kAllFlags | 0x10);
        return enemy;
    }

    WorldBuilder builder_;
    PlayerShip* ship_;
    EnergySystem* energy_;
    ShieldSystem* shield_;
    EngineSystem* engine_;
    RadarSystem* radar_;
    TargetingSystem* targeting_;
    EcmSystem* ecm_;
};

// A toggle held for many frames acts once: the radar range steps once per
// press, the boost and the ECM switch once, the radar mode flips once.
TEST_F(FlightCommandsTest, TogglesActOncePerPressHoweverLongHeld) {
    const int32_t range = radar_->rangeSetting;
    Hold(kRadarRange, 20);
    EXPECT_EQ(radar_->rangeSetting, range + 1);
    Hold(kRadarRange, 1);
    EXPECT_EQ(radar_->rangeSetting, range + 2);

    Hold(kBoost, 20);
    EXPECT_EQ(engine_->boostOn, 1);
    Hold(kBoost, 3);
    EXPECT_EQ(engine_->boostOn, 0);

    Hold(kRadarMode, 10);
    EXPECT_EQ(radar_->passive, 1);
    Hold(kEcm, 10);
    EXPECT_EQ(ecm_->switchedOn, 1);
    Hold(kEcm, 10);
    EXPECT_EQ(ecm_->switchedOn, 0);
}

// Next and previous walk the world both ways; a stored target comes back
// from its own slot and no other.
TEST_F(FlightCommandsTest, TargetCommandsReachTheTargetingComputer) {
    Craft* const near = Enemy(1000.0f);
    Craft* const far = Enemy(2000.0f);
    Hold(kNextTarget, 5);
    EXPECT_EQ(targeting_->GetTarget(), near);
    Hold(kNextTarget, 1);
    EXPECT_EQ(targeting_->GetTarget(), far);
    Hold(kPreviousTarget, 1);
    EXPECT_EQ(targeting_->GetTarget(), near);

    Hold(kStoreTarget1 + 2, 1);   // slot 3 holds the near one
    Hold(kNextTarget, 1);
    ASSERT_EQ(targeting_->GetTarget(), far);
    Hold(kStoreTarget1, 1);       // slot 1 the far one
    Hold(kRecallTarget1 + 2, 1);
    EXPECT_EQ(targeting_->GetTarget(), near);
    Hold(kRecallTarget1, 1);
    EXPECT_EQ(targeting_->GetTarget(), far);
}

// A power key moves its allocation a tenth of its cap a press, not a frame.
TEST_F(FlightCommandsTest, PowerKeysStepTheirAllocationPerPress) {
    energy_->SetEnginePower(50);
    Hold(kEnginePowerUp, 10);
    EXPECT_EQ(energy_->engineAllocation, 50 + kEngineCap / 10);
    Hold(kEnginePowerDown, 1);
    Hold(kEnginePowerDown, 1);
    EXPECT_EQ(energy_->engineAllocation, 50 - kEngineCap / 10);

    energy_->SetShieldPower(0);
    Hold(kShieldPowerUp, 3);
    EXPECT_EQ(energy_->shieldAllocation, kShieldCap / 10);
    Hold(kShieldPowerDown, 1);
    Hold(kShieldPowerDown, 1);   // not below none
    EXPECT_EQ(energy_->shieldAllocation, 0);

    energy_->SetWeaponPower(0);
    Hold(kResetPowerSplit, 4);
    EXPECT_EQ(energy_->weaponsAllocation, energy_->weaponMaximum);
    EXPECT_EQ(energy_->shieldAllocation, kShieldCap);
}

TEST_F(FlightCommandsTest, ViewsAndTheNavigationMap) {
    Hold(kChaseView, 1);
    EXPECT_EQ(Game().viewMode, kChaseViewMode);
    Hold(kCockpitView, 1);
    EXPECT_EQ(Game().viewMode, 0);
    Hold(kNavigationMap, 1);
    EXPECT_EQ(Game().mode, GameState::kModeNavMap);
}

// A group key fires its group while held; switching to it first costs its
// weapons a moment.
TEST_F(FlightCommandsTest, GroupKeysChooseAndFireTheirGroup) {
    constexpr int32_t kNoDamage[5] = {};
    SpaceObject* const missile = new Missile(builder_.Ball("MISSL", 0.5f));
    auto* const rack = new MissileLauncher(ship_, 0, 0, 2, 5000, 0, 5, 3000, kNoDamage, missile, nullptr);
    ship_->AddSystem(0, rack);
    Game().playerControls.weaponGroup = 1;
    Frame({kFireGroup1 + 1});
    EXPECT_EQ(Game().playerControls.weaponGroup, 2);
    EXPECT_EQ(rack->ammunition, 5);   // the switch's moment
    builder_.Clock().Advance(300);
    Frame({kFireGroup1 + 1});
    EXPECT_EQ(rack->ammunition, 4);
    // Held on, the group fires again when its refire delay has passed.
    builder_.Clock().Advance(5000);
    Frame({kFireGroup1 + 1});
    EXPECT_EQ(rack->ammunition, 3);
    // A key of a group the ship does not carry fires nothing.
    builder_.Clock().Advance(6000);
    Frame({kFireGroup1 + 2});
    EXPECT_EQ(rack->ammunition, 3);
    Game().ClearFlight();
    delete missile;
}

// The pod takes the ship's place everywhere the player's ship is looked
// for; the ship stays behind as the pod's abandoned craft, and a pod is
// not left for another.
TEST_F(FlightCommandsTest, EjectingPutsThePlayerInThePod) {
    ship_->SetPositionFlags({10.0f, 20.0f, 30.0f}, Transform::kAllFlags | 0x10);
    ship_->velocity = {1.0f, 2.0f, 3.0f};
    auto* const chase = builder_.SpawnAs<ChaseObject>(builder_.Template("CHASE"), 3);
    chase->target = ship_;
    Game().chaseObject = chase;
    Game().chaseReference = ship_;
    auto* const pod = new PlayerShip(builder_.Template("POD"));

    ASSERT_TRUE(EjectInto(Game(), pod));
    EXPECT_EQ(Game().playerShip, pod);
    EXPECT_EQ(Game().viewedObject, pod);
    EXPECT_EQ(Game().chaseReference, pod);
    EXPECT_EQ(chase->target.Get(), pod);
    EXPECT_EQ(pod->abandonedCraft, ship_);
    EXPECT_EQ(pod->local.matrix.rows[3][0], 10.0f);
    EXPECT_EQ(pod->velocity.z, 3.0f);
    bool inWorld = false;
    for (SpaceObject* object = Game().mission->firstObject; object != nullptr; object = object->GetNext()) {
        inWorld = inWorld || object == pod;
    }
    EXPECT_TRUE(inWorld);

    auto* const second = new PlayerShip(builder_.Template("POD"));
    EXPECT_FALSE(EjectInto(Game(), second));   // deleted: the sanitizer sees a leak otherwise
    EXPECT_EQ(Game().playerShip, pod);
}

// The eject command in the sample flight: the data's pod takes the ship's
// place, out through the canopy clear of the hull, and flies on; a second
// press leaves the pod be.
TEST(FlightEjectTest, TheEjectCommandPutsThePlayerInTheSamplePod) {
    const TempDir dir;
    std::string error;
    ASSERT_TRUE(WriteSampleTree(dir.Str(), &error)) << error;
    ASSERT_TRUE(g_dataDirs.Find(dir.Str()));
    g_pixelFormat = kPixelFormatRgb565;
    OstrelSystem engine{OstrelSystem::kGameHeapSize, OstrelSystem::kGameHeapMode};
    ASSERT_EQ(engine.Start(OstrelSystem::kGameArenaSize1, OstrelSystem::kGameArenaSize2, nullptr), kStatusOk);
    {
        FlightShot flight;
        ASSERT_EQ(flight.Load("sample.uli", 1), kStatusOk);
        GameState& game = flight.Game();
        auto* const ship = dynamic_cast<Craft*>(game.playerShip);
        ASSERT_NE(ship, nullptr);
        for (int i = 0; i < 3; ++i) flight.Simulate();
        const auto press = [&](bool eject) {
            KeySet now;
            if (eject) now.Set(kEject);
            game.commands.Capture(now);
            HandleFlightInput(game, FlightShot::kFrameMs);
        };
        press(true);
        auto* const pod = dynamic_cast<PlayerShip*>(game.playerShip);
        ASSERT_NE(pod, nullptr);
        ASSERT_NE(pod, ship);
        EXPECT_STREQ(pod->label, "PILT");
        EXPECT_GT(pod->Position().Difference(ship->Position()).Length(), ship->Radius() + pod->Radius());
        press(true);   // held: nothing more
        press(false);
        press(true);   // pressed again in the pod: it stays
        EXPECT_EQ(game.playerShip, pod);
        // Started inside the hull, the pod hit it and died at once.
        for (int i = 0; i < 40; ++i) flight.Simulate();
        EXPECT_EQ(pod->dead, 0);
        EXPECT_NE(pod->active, 0);
    }
    g_dataDirs.Clear();
}

// The sample flight's ship carries a probe, a decoy, a cloak and a jammer:
// P sends the probe out ahead, where the radar reads through it, and D
// drops a decoy of the ship's side (each has one, so a second press
// launches nothing); K and J switch the cloak and the jammer on and off,
// and a gun fired while cloaked drops the cloak.
TEST(FlightLaunchTest, TheSampleShipsProbeDecoyCloakAndJammerKeys) {
    const TempDir dir;
    std::string error;
    ASSERT_TRUE(WriteSampleTree(dir.Str(), &error)) << error;
    ASSERT_TRUE(g_dataDirs.Find(dir.Str()));
    g_pixelFormat = kPixelFormatRgb565;
    OstrelSystem engine{OstrelSystem::kGameHeapSize, OstrelSystem::kGameHeapMode};
    ASSERT_EQ(engine.Start(OstrelSystem::kGameArenaSize1, OstrelSystem::kGameArenaSize2, nullptr), kStatusOk);
    {
        FlightShot flight;
        ASSERT_EQ(flight.Load("sample.uli", 1), kStatusOk);
        GameState& game = flight.Game();
        auto* const ship = dynamic_cast<Craft*>(game.playerShip);
        ASSERT_NE(ship, nullptr);
        auto* const radar = static_cast<RadarSystem*>(ship->GetSystem(ShipSystem::kRadar, nullptr));
        ASSERT_NE(radar, nullptr);
        for (int i = 0; i < 3; ++i) flight.Simulate();
        const auto press = [&](uint16_t command) {
            for (const bool held : {true, false}) {
                KeySet now;
                if (held) now.Set(command);
                game.commands.Capture(now);
                HandleFlightInput(game, FlightShot::kFrameMs);
            }
        };
        const auto launched = [&](int32_t type) {
            std::vector<SpaceObject*> found;
            for (SpaceObject* o = game.mission->firstObject; o != nullptr; o = o->GetNext()) {
                if (o->type == type && o->active != 0) found.push_back(o);
            }
            return found;
        };
        const size_t missiles = launched(SpaceObject::kTypeMissile).size();
        press(kLaunchProbe);
        const std::vector<SpaceObject*> afterProbe = launched(SpaceObject::kTypeMissile);
        ASSERT_EQ(afterProbe.size(), missiles + 1);
        SpaceObject* const probe = radar->probe.Get();
        ASSERT_NE(probe, nullptr);
        for (int i = 0; i < 20; ++i) flight.Simulate();
        // A second ahead of the ship, along its nose.
        const Vector3 ahead = probe->Position().Difference(ship->Position());
        EXPECT_GT(ahead.Dot(ship->world.forward), 100.0f);
        press(kLaunchProbe);
        EXPECT_EQ(launched(SpaceObject::kTypeMissile).size(), missiles + 1);
        EXPECT_EQ(radar->probe.Get(), probe);
        // R past the longest range reads through the probe, at its own reach,
        // until the probe is gone.
        const int32_t ownRange = radar->GetRange();
        press(kRadarRange);
        EXPECT_EQ(radar->GetRange(), radar->probeRange);
        EXPECT_GT(radar->probeRange, ownRange);
        EXPECT_EQ(radar->followingProbe, 1);
        for (int i = 0; i < 800 && radar->probe.Get() != nullptr; ++i) flight.Simulate();
        EXPECT_EQ(radar->probe.Get(), nullptr);
        EXPECT_LT(radar->GetRange(), radar->probeRange);
        EXPECT_EQ(radar->followingProbe, 0);

        EXPECT_TRUE(launched(SpaceObject::kTypeDecoy).empty());
        press(kLaunchDecoy);
        const std::vector<SpaceObject*> decoys = launched(SpaceObject::kTypeDecoy);
        ASSERT_EQ(decoys.size(), 1u);
        auto* const decoy = dynamic_cast<Decoy*>(decoys[0]);
        ASSERT_NE(decoy, nullptr);
        EXPECT_EQ(decoy->owner.Get(), ship);
        EXPECT_EQ(decoy->side, ship->side);
        EXPECT_GT(decoy->craftLureChance, 0);
        press(kLaunchDecoy);
        EXPECT_EQ(launched(SpaceObject::kTypeDecoy).size(), 1u);

        // The cloak (K) fades the ship out and back; the jammer (J) joins
        // the game's active jammers and leaves them.
        auto* const cloak = static_cast<CloakSystem*>(ship->GetSystem(ShipSystem::kCloak, nullptr));
        auto* const jammer = static_cast<JammerSystem*>(ship->GetSystem(ShipSystem::kJammer, nullptr));
        ASSERT_NE(cloak, nullptr);
        ASSERT_NE(jammer, nullptr);
        const auto jamming = [&] {
            for (ShipSystem* active : game.ActiveJammers()) {
                if (active == jammer) return true;
            }
            return false;
        };
        press(kCloak);
        for (int i = 0; i < 20; ++i) flight.Simulate();
        EXPECT_NE(cloak->active, 0);
        EXPECT_NE(ship->cloaked, 0);
        press(kCloak);
        for (int i = 0; i < 20; ++i) flight.Simulate();
        EXPECT_EQ(cloak->active, 0);
        EXPECT_EQ(ship->cloaked, 0);
        // A gun fired while cloaked drops the cloak.
        press(kCloak);
        for (int i = 0; i < 20; ++i) flight.Simulate();
        ASSERT_NE(cloak->active, 0);
        for (int i = 0; i < 10; ++i) {
            KeySet now;
            now.Set(uint16_t(int(kFireGroup1) + int(Weapon::kGunGroup) - 1));
            game.commands.Capture(now);
            HandleFlightInput(game, FlightShot::kFrameMs);
            flight.Simulate();
        }
        game.commands.Capture(KeySet{});   // the trigger let go
        HandleFlightInput(game, FlightShot::kFrameMs);
        EXPECT_EQ(cloak->active, 0);
        press(kJammer);
        flight.Simulate();
        EXPECT_NE(jammer->active, 0);
        EXPECT_TRUE(jamming());
        press(kJammer);
        flight.Simulate();
        EXPECT_EQ(jammer->active, 0);
        EXPECT_FALSE(jamming());
    }
    g_dataDirs.Clear();
}

}  // namespace
