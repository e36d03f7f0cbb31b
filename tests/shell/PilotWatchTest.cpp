// The flight's watch over its pilots, frame by frame in one world: a host
// brings its own ship and a client's back, a single-player flight is lost,
// a client waits for its host.
#include "shell/PilotWatch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/Clock.h"
#include "engine/Random.h"
#include "game/GameState.h"
#include "net/NetGameSettings.h"
#include "net/NetPacketType.h"
#include "net/NetworkHooks.h"
#include "objects/ships/Craft.h"
#include "objects/space/WorldPass.h"
#include "scene/Camera.h"
#include "tests/support/world/RecordingNetSession.h"
#include "tests/support/world/WorldBuilder.h"

namespace {

class PilotWatchTest : public ::testing::Test {
protected:
    PilotWatchTest() {
        GameRandomSeed(5);
        RegisterSpaceObjects();
        InstallNetworkHooks();
        world_.Game().flightCamera = &camera_;
        world_.Game().netSettings = &settings_;
        settings_.gameType = NetGameSettings::kCooperative;
    }
    ~PilotWatchTest() override {
        world_.Game().flightCamera = nullptr;
        world_.Game().netSettings = nullptr;
        world_.Game().playerShip = nullptr;
        delete world_.Game().netSession;
        world_.Game().netSession = nullptr;
        world_.Game().ClearFlight();
    }

    // A ship at its start, flying there.
    Craft* Ship(int32_t type, int32_t uoid, const Vector3& start) {
        auto* const ship =
            world_.SpawnAs<Craft>(world_.Template("SHIP0", {{"WING0FLHW", {}}, {"ENGN0RR0E", {}}}), 14);
        ship->type = type;
        ship->uoid = uoid;
        ship->Activate(0);
        ship->SetHitPoints(100);
        ship->StartAt(start);
        return ship;
    }
    // Flown off its start and wrecked there, drifting and tumbling.
    void Wreck(Craft& ship) {
        ship.SetPositionFlags(ship.Position().Sum(Vector3{0.0f, 40.0f, 500.0f}), Transform::kAllFlags | 0x10);
        ship.velocity = {3.0f, 0.0f, 14.0f};
        ship.angularVelocity = {0.0f, 12.0f, 0.0f};
        ship.hitPoints = 0;
        ship.Explode(nullptr, 0);
    }
    // Frames of 50 ms for `ms`, the watch after each.
    void Fly(uint32_t ms) {
        for (uint32_t flown = 0; flown < ms && !lost_; flown += 50) {
            world_.Clock().Advance(50);
            world_.Game().Simulate();
            lost_ = watch_.Update(world_.Game(), GetMilliseconds());
        }
    }
    static void ExpectBackAtStart(const Craft& ship, const Vector3& start) {
        EXPECT_EQ(ship.active, 1u);
        EXPECT_EQ(ship.dead, 0);
        EXPECT_LT(ship.Position().Difference(start).Length(), 0.01f);
        EXPECT_EQ(ship.velocity.Length(), 0.0f);
        EXPECT_EQ(ship.angularVelocity.Length(), 0.0f);
        EXPECT_EQ(ship.hitPoints, ship.maxHitPoints);
    }

    WorldBuilder world_;
    Camera camera_;
    NetGameSettings settings_;
    PilotWatch watch_;
    std::vector<std::string> said_;
    bool lost_ = false;
};

// Ann hosts, Bob flies the copy 7: both wrecked at once, far off their
// starts. Six seconds on, and not before, the host brings both back at their
// own starts, whole and still, and tells each death and each return.
TEST_F(PilotWatchTest, AHostBringsEveryPilotBackAtItsOwnStartWholeAndStill) {
    auto* const session = new RecordingNetSession(true);
    world_.Game().netSession = session;
    const Vector3 annStart{-200.0f, 0.0f, 0.0f}, bobStart{0.0f, 0.0f, 300.0f};
    Craft* const ann = Ship(SpaceObject::kTypePlayerShip, 1, annStart);
    Craft* const bob = Ship(SpaceObject::kTypeAiShip, 7, bobStart);
    world_.Game().playerShip = ann;
    session->AddPlayer(session->ownDpid, "Ann", 1);
    session->AddPlayer(2, "Bob", 7);
    watch_.Start([this](const std::string& line) { said_.push_back(line); }, true);
    Fly(100);

    Wreck(*ann);
    Wreck(*bob);
    Fly(DeathWatch::kRestartDelayMs - 100);
    EXPECT_EQ(ann->active, 0u);
    EXPECT_EQ(bob->active, 0u);
    Fly(200);
    EXPECT_FALSE(lost_);
    ExpectBackAtStart(*ann, annStart);
    ExpectBackAtStart(*bob, bobStart);
    EXPECT_EQ(said_, (std::vector<std::string>{"destroyed 15 \"\" by -", "destroyed 16 \"\" by -",
                                               "respawn 1 -200.0 0.0 0.0", "respawn 7 0.0 0.0 300.0"}));
    // The host's next update pass tells the others Bob's ship is back.
    session->sent.clear();
    world_.Clock().Advance(100);
    world_.Game().NetSend();
    bool told = false;
    for (const RecordingNetSession::Sent& sent : session->sent) {
        told = told || (sent.bytes.size() > 12 && sent.bytes[0] == kObjectUpdate && sent.bytes[8] == 7);
    }
    EXPECT_TRUE(told);
}

// Alone, the pilot's wreck stays a wreck and the flight is lost six seconds
// on; a client's watch never brings its own ship back: its host does.
TEST_F(PilotWatchTest, AFlightAloneIsLostAndAClientWaitsForItsHost) {
    Craft* const alone = Ship(SpaceObject::kTypePlayerShip, 1, {0.0f, 0.0f, 50.0f});
    world_.Game().playerShip = alone;
    watch_.Start({}, true);
    Wreck(*alone);
    Fly(DeathWatch::kRestartDelayMs + 1000);
    EXPECT_TRUE(lost_);
    EXPECT_EQ(alone->active, 0u);

    lost_ = false;
    world_.Game().netSession = new RecordingNetSession(false);
    Craft* const client = Ship(SpaceObject::kTypePlayerShip, 9, {0.0f, 0.0f, 300.0f});
    world_.Game().playerShip = client;
    watch_.Start({}, true);
    Wreck(*client);
    Fly(2 * DeathWatch::kRestartDelayMs);
    EXPECT_FALSE(lost_);
    EXPECT_EQ(client->active, 0u);
}

}  // namespace
