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
#include "mission/MissionSetUp.h"
#include "net/NetGameSettings.h"
#include "net/NetPacket.h"
#include "net/NetPacketType.h"
#include "net/NetworkHooks.h"
#include "net/PacketBytes.h"
#include "objects/ships/Craft.h"
#include "objects/ships/PlayerShip.h"
#include "objects/space/JumpGate.h"
#include "objects/space/WorldPass.h"
#include "scene/Camera.h"
#include "shell/FlightCommands.h"
#include "tests/support/world/NetPacketBytes.h"
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

    // The packets of a type the session sent about `uoid`, with their explode words.
    static std::vector<int32_t> Sent(const RecordingNetSession& session, uint16_t type, int32_t uoid) {
        std::vector<int32_t> flags;
        for (const RecordingNetSession::Sent& sent : session.sent) {
            if (sent.bytes.size() < 20 || PacketReader(sent.bytes.data(), 20).U16(0) != type) continue;
            if (PacketReader(sent.bytes.data(), 20).I32(8) == uoid) flags.push_back(PacketReader(sent.bytes.data(), 20).I32(16));
        }
        return flags;
    }
    // The lines told about a ship's return.
    std::vector<std::string> Returns(int32_t uoid) const {
        std::vector<std::string> lines;
        for (const std::string& line : said_) {
            if (line.rfind("respawn " + std::to_string(uoid) + " ", 0) == 0) lines.push_back(line);
        }
        return lines;
    }
    static void ExpectOut(const Craft& ship) {
        EXPECT_EQ(ship.active, 0u);
        EXPECT_EQ(ship.dead, 0);
        EXPECT_NE(ship.jumpedOut, 0);
    }
    void Watch() {
        watch_.Start([this](const std::string& line) { said_.push_back(line); }, true);
        Fly(100);
    }
    // Ann hosts and flies ship 1; Bob and Cid fly copies 7 and 8; a gate
    // stands far ahead of them all.
    RecordingNetSession& Range() {
        auto* const session = new RecordingNetSession(true);
        world_.Game().netSession = session;
        ann_ = Ship(SpaceObject::kTypePlayerShip, 1, kAnnStart);
        bob_ = Ship(SpaceObject::kTypeAiShip, 7, {0.0f, 0.0f, 300.0f});
        cid_ = Ship(SpaceObject::kTypeAiShip, 8, kCidStart);
        world_.Game().playerShip = ann_;
        session->AddPlayer(session->ownDpid, "Ann", 1);
        session->AddPlayer(2, "Bob", 7);
        session->AddPlayer(3, "Cid", 8);
        gate_ = world_.SpawnAs<JumpGate>(world_.Ball("GATE", 50.0f), 3);
        gate_->SetPositionFlags({0.0f, 0.0f, 3000.0f}, Transform::kAllFlags | 0x10);
        Watch();
        return *session;
    }
    // Ann's gun strikes Bob.
    void AnnStrikesBob() {
        DamageRecord shot;
        shot.source = ann_;
        shot.amounts[0] = 5;
        bob_->TakeDamage(0, shot, ann_);
    }
    static constexpr Vector3 kAnnStart{-200.0f, 0.0f, 0.0f}, kCidStart{300.0f, 0.0f, 0.0f};
    Craft* ann_ = nullptr;
    Craft* bob_ = nullptr;
    Craft* cid_ = nullptr;
    JumpGate* gate_ = nullptr;

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

// Bob reaches the gate and his machine says his ship left: it is out on
// the host and every machine is told so, without an explosion, and Ann's
// shots on the way earn no kill. Cid, shot down, claims a jump in his death
// throes: refused, his death runs on. Seven seconds on, Cid is back at his
// start and Bob is not, is never told back nor sent out again, and a death
// Bob reports afterwards is nobody's kill. Ann's own jump is the same road.
TEST_F(PilotWatchTest, APilotWhoJumpsOutIsNeverBroughtBackAndADyingOneCannotJump) {
    RecordingNetSession& session = Range();
    AnnStrikesBob();
    bob_->SetPositionFlags(gate_->Position(), Transform::kAllFlags | 0x10);
    Deliver(session, 2, RemovalRequest(*bob_, 0));
    ExpectOut(*bob_);
    EXPECT_TRUE(session.kills.empty());
    EXPECT_EQ(Sent(session, kObjectDestroy, 7), std::vector<int32_t>{0});
    // Cid's death reaches the host; a jump claimed while he dies is refused.
    Deliver(session, 3, RemovalRequest(*cid_, 1));
    session.sent.clear();
    Deliver(session, 3, RemovalRequest(*cid_, 0));
    EXPECT_NE(cid_->dead, 0);
    EXPECT_EQ(cid_->jumpedOut, 0);
    EXPECT_TRUE(session.sent.empty());
    // A death claimed for the ship that left names nobody's kill.
    NetPacket death;
    death.BuildObjectEventPacket(kDeath, ann_, bob_);
    Deliver(session, 2, Built(death));
    EXPECT_TRUE(session.kills.empty());

    Fly(DeathWatch::kRestartDelayMs + 1000);
    ExpectBackAtStart(*cid_, kCidStart);
    ExpectOut(*bob_);
    EXPECT_EQ(Returns(8).size(), 1u);
    EXPECT_TRUE(Returns(7).empty());
    session.sent.clear();
    world_.Clock().Advance(100);
    world_.Game().NetSend();
    for (const RecordingNetSession::Sent& sent : session.sent) {
        EXPECT_FALSE(sent.bytes.size() > 12 && sent.bytes[0] == kObjectUpdate && sent.bytes[8] == 7);
    }

    // The host's own ship through the gate.
    session.sent.clear();
    ann_->Jump(gate_);
    Fly(Craft::kJumpMs + 100);
    ExpectOut(*ann_);
    EXPECT_EQ(Sent(session, kObjectDestroy, 1), std::vector<int32_t>{0});
    Fly(DeathWatch::kRestartDelayMs + 1000);
    EXPECT_FALSE(lost_);
    ExpectOut(*ann_);
    EXPECT_TRUE(Returns(1).empty());
}

// Away from any gate a member's ship leaves only as its pilot's eject: out
// for good, never back. Bob, whom Ann's gun struck a moment before, was
// brought down all the same: Ann keeps the kill. Cid, whom nobody struck,
// just leaves. Ann's own eject tells every machine her ship left, and it
// stays out too.
TEST_F(PilotWatchTest, AShipLeftAwayFromAGateIsGoneAndUnderFireItIsTheShootersKill) {
    RecordingNetSession& session = Range();
    AnnStrikesBob();
    Fly(500);
    Deliver(session, 2, RemovalRequest(*bob_, 0));
    Deliver(session, 3, RemovalRequest(*cid_, 0));
    ExpectOut(*bob_);
    ExpectOut(*cid_);
    ASSERT_EQ(session.kills.size(), 1u);
    EXPECT_EQ(session.kills[0].killer, 1);
    EXPECT_EQ(session.kills[0].victim, 7);
    EXPECT_EQ(Sent(session, kObjectDestroy, 7), std::vector<int32_t>{0});
    EXPECT_EQ(Sent(session, kObjectDestroy, 8), std::vector<int32_t>{0});
    ASSERT_TRUE(EjectInto(world_.Game(), new PlayerShip(world_.Template("POD"))));
    ExpectOut(*ann_);
    EXPECT_EQ(Sent(session, kObjectDestroy, 1), std::vector<int32_t>{0});
    Fly(DeathWatch::kRestartDelayMs + 1000);
    EXPECT_FALSE(lost_);
    for (const Craft* ship : {ann_, bob_, cid_}) {
        ExpectOut(*ship);
        EXPECT_TRUE(Returns(ship->uoid).empty()) << ship->uoid;
    }
}

// A client's eject: the ship left behind leaves the flight on the pilot's
// machine at once and its machine says so, without an explosion, and it
// never comes back while the pilot flies on in the pod.
TEST_F(PilotWatchTest, AShipLeftByAClientsEjectLeavesAtOnceAndNeverComesBack) {
    auto* const client = new RecordingNetSession(false);
    world_.Game().netSession = client;
    Craft* const bob = Ship(SpaceObject::kTypePlayerShip, 7, {0.0f, 0.0f, 300.0f});
    world_.Game().playerShip = bob;
    client->AddPlayer(client->ownDpid, "Bob", 7);
    Watch();
    auto* const pod = new PlayerShip(world_.Template("POD"));
    ASSERT_TRUE(EjectInto(world_.Game(), pod));
    ExpectOut(*bob);
    EXPECT_EQ(Sent(*client, kDestructionRequest, 7), std::vector<int32_t>{0});
    Fly(DeathWatch::kRestartDelayMs + 1000);
    ExpectOut(*bob);
    EXPECT_EQ(world_.Game().playerShip, pod);
    EXPECT_TRUE(said_.empty());
}

// After a leave and a rejoin Bob's place in the host's table (3) is not the
// one his own machine started him by (1): his copy waits at the host's
// pick, and his reports from near his own start, first or later, choose no
// place of his own to come back at. Shot down, he comes back exactly where
// the host made his copy.
TEST_F(PilotWatchTest, APilotComesBackWhereTheHostMadeItsShipAfterARejoin) {
    auto* const session = new RecordingNetSession(true);
    world_.Game().netSession = session;
    Craft* const ann = Ship(SpaceObject::kTypePlayerShip, 1, {0.0f, 0.0f, 0.0f});
    world_.Game().playerShip = ann;
    const Vector3 ownStart = PickNetworkStart(1);
    const Vector3 hostsPick = PickNetworkStart(3);
    ASSERT_GT(ownStart.Difference(hostsPick).Length(), 100.0f);
    Craft* const bob = Ship(SpaceObject::kTypeAiShip, 7, hostsPick);
    session->AddPlayer(session->ownDpid, "Ann", 1);
    session->AddPlayer(5, "Dee", -1);
    session->AddPlayer(6, "Eve", -1);
    const int32_t entry = session->AddPlayer(2, "Bob", 7);
    ASSERT_EQ(entry, 3);
    Watch();

    const auto report = [&](const Vector3& at) {
        const Vector3 was = bob->Position();
        bob->SetPositionFlags(at, Transform::kAllFlags | 0x10);
        NetPacket info;
        info.BuildObjectPacket(kPlayerInfo, bob);
        bob->SetPositionFlags(was, Transform::kAllFlags | 0x10);
        Deliver(*session, 2, Built(info));
    };
    // A frame's flight off his start, then on ahead.
    report(ownStart.Sum(Vector3{4.0f, 0.0f, 6.0f}));
    Fly(500);
    report(ownStart.Sum(Vector3{0.0f, 0.0f, 150.0f}));
    EXPECT_LT(bob->Position().Difference(ownStart.Sum(Vector3{0.0f, 0.0f, 150.0f})).Length(), 0.01f);
    Wreck(*bob);
    Fly(DeathWatch::kRestartDelayMs + 200);
    ExpectBackAtStart(*bob, hostsPick);
}

}  // namespace
