#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "game/GameState.h"
#include "net/NetPacket.h"
#include "net/NetPacketType.h"
#include "net/NetworkHooks.h"
#include "net/PacketBytes.h"
#include "objects/ships/Craft.h"
#include "tests/support/world/RecordingNetSession.h"
#include "tests/support/world/WorldBuilder.h"

namespace {

class NetworkPassTest : public ::testing::Test {
protected:
    NetworkPassTest() {
        InstallNetworkHooks();
        SpaceObject* const rocks = builder_.Template("ROCK0");
        changed_ = Rock(rocks, 40, true, true);
        Rock(rocks, 41, true, false);    // nothing changed
        Rock(rocks, -1, true, true);     // no network identity
        Rock(rocks, 42, false, true);    // not active
        dead_ = builder_.SpawnAs<Craft>(builder_.Template("SHIP0"), 3);
        dead_->uoid = 43;
        dead_->active = 1;
        dead_->dead = 1;
        dead_->flags |= SpaceObject::kFlagChanged;
    }
    ~NetworkPassTest() override {
        delete builder_.Game().netSession;
        builder_.Game().netSession = nullptr;
        GameState::SetNetworkHooks({});
    }
    SpaceObject* Rock(SpaceObject* rocks, int32_t uoid, bool active, bool changed) {
        SpaceObject* const rock = builder_.Spawn(rocks, 1);
        rock->uoid = uoid;
        rock->active = active ? 1 : 0;
        if (changed) rock->flags |= SpaceObject::kFlagChanged;
        return rock;
    }
    RecordingNetSession& Session(bool host) {
        auto* const session = new RecordingNetSession(host);
        builder_.Game().netSession = session;
        return *session;
    }
    static std::vector<uint16_t> Types(const RecordingNetSession& session) {
        std::vector<uint16_t> types;
        for (const auto& sent : session.sent) types.push_back(PacketReader(sent.bytes.data(), uint32_t(sent.bytes.size())).U16(0));
        return types;
    }

    WorldBuilder builder_;
    SpaceObject* changed_ = nullptr;
    Craft* dead_ = nullptr;
};

// Identities go again only to others not yet confirmed, never to the host
// itself; only what changed, exists on the network and is alive is sent.
TEST_F(NetworkPassTest, TheHostResendsIdentitiesAndSendsWhatChanged) {
    RecordingNetSession& session = Session(true);
    session.AddPlayer(1, "Host", 50);
    session.AddPlayer(2, "Ann", 51);
    session.AddPlayer(3, "Bob", 52);
    session.SetPlayerAcked(2, 1);
    builder_.Clock().Advance(100);
    builder_.Game().NetSend();

    ASSERT_EQ(Types(session), (std::vector<uint16_t>{kIdInfo, kObjectUpdate}));
    const auto& id = session.sent[0];
    EXPECT_EQ(id.from, 1u);
    EXPECT_EQ(id.to, 2u);
    EXPECT_EQ(PacketReader(id.bytes.data(), uint32_t(id.bytes.size())).I32(8), 51);
    EXPECT_EQ(session.sent[1].to, RecordingNetSession::kToAll);
    EXPECT_EQ(PacketReader(session.sent[1].bytes.data(), 12).I32(8), 40);
    EXPECT_EQ(changed_->flags & SpaceObject::kFlagChanged, 0u);
    EXPECT_NE(dead_->flags & SpaceObject::kFlagChanged, 0u);
    EXPECT_EQ(session.flushes, 1);

    // Within the interval: no update pass, but the frame still ends.
    changed_->flags |= SpaceObject::kFlagChanged;
    session.sent.clear();
    builder_.Clock().Advance(50);
    builder_.Game().NetSend();
    EXPECT_TRUE(session.sent.empty());
    // Past it, on a frame that is no multiple of the rate: objects only.
    session.frameCount = 1;
    builder_.Clock().Advance(50);
    builder_.Game().NetSend();
    EXPECT_EQ(Types(session), (std::vector<uint16_t>{kObjectUpdate}));
    EXPECT_EQ(session.flushes, 3);

    // Identities go again by the clock, whatever the frame; not to a player
    // whose ship the host has not made yet.
    session.AddPlayer(4, "Cid", -1);
    session.sent.clear();
    session.frameCount = 5;
    builder_.Clock().Advance(NetSession::kIdInfoResendMs - 200);
    builder_.Game().NetSend();
    EXPECT_TRUE(session.sent.empty());
    builder_.Clock().Advance(100);
    builder_.Game().NetSend();
    ASSERT_EQ(Types(session), (std::vector<uint16_t>{kIdInfo}));
    EXPECT_EQ(session.sent[0].to, 2u);
}

// Over a second of passes at any rate, every ship goes whole (hit points,
// side, whose it is) at least once; a pilot's ship in every pass, the
// host's own (the first of its table) as a member's, so that the others
// know at once whose it is. Rocks go short.
TEST_F(NetworkPassTest, EveryShipGoesWholeOnceASecondAndAPilotsEveryPass) {
    RecordingNetSession& session = Session(true);
    session.AddPlayer(1, "Host", 50);
    session.AddPlayer(2, "Ann", 44);
    std::vector<Craft*> ships;
    for (int32_t uoid = 44; uoid < 60; ++uoid) {
        Craft* const ship = builder_.SpawnAs<Craft>(builder_.Template("SHIP0"), 3);
        ship->uoid = uoid;
        ship->active = 1;
        ships.push_back(ship);
    }
    for (const int32_t rate : {12, 13, 15}) {
        SCOPED_TRACE(rate);
        session.updateRate = rate;
        std::map<int32_t, int> whole, passes;
        // Frames of 50 ms for a second and a half: a pass every other frame.
        for (int32_t frame = 0; frame < 30; ++frame) {
            for (Craft* ship : ships) ship->flags |= SpaceObject::kFlagChanged;
            session.sent.clear();
            builder_.Clock().Advance(50);
            builder_.Game().NetSend();
            for (const auto& sent : session.sent) {
                PacketReader in(sent.bytes.data(), uint32_t(sent.bytes.size()));
                if (in.U16(0) != kObjectUpdate) continue;
                ++passes[in.I32(8)];
                if (sent.bytes.size() == NetPacket::kObjectUpdateFullBytes) ++whole[in.I32(8)];
            }
        }
        for (const Craft* ship : ships) EXPECT_GE(whole[ship->uoid], 1) << ship->uoid;
        for (const int32_t pilots : {44, 50}) {
            EXPECT_EQ(whole[pilots], passes[pilots]) << pilots;
            EXPECT_GT(passes[pilots], 1) << pilots;
        }
        EXPECT_EQ(whole[40], 0);
    }
}

TEST_F(NetworkPassTest, ALoneHostSendsNothingAndAClientReportsItsShip) {
    RecordingNetSession& host = Session(true);
    host.AddPlayer(1, "Host", 50);
    builder_.Clock().Advance(100);
    builder_.Game().NetSend();
    EXPECT_TRUE(host.sent.empty());
    EXPECT_EQ(host.flushes, 1);
    delete &host;

    RecordingNetSession& client = Session(false);
    builder_.Game().NetSend();   // no ship yet
    EXPECT_TRUE(client.sent.empty());
    builder_.Game().playerShip = changed_;
    builder_.Game().NetSend();
    ASSERT_EQ(Types(client), (std::vector<uint16_t>{kPlayerInfo}));
    EXPECT_EQ(client.sent[0].from, 2u);
    EXPECT_EQ(client.sent[0].to, 1u);
    EXPECT_EQ(client.flushes, 2);
    builder_.Game().playerShip = nullptr;
}

TEST_F(NetworkPassTest, ReceivingDrainsUntilTheLinkAnswersOtherThanZero) {
    RecordingNetSession& session = Session(false);
    session.receiveResults = {0, 0, 0, platform::kSessionBusy, 0};
    builder_.Game().NetReceive();
    EXPECT_EQ(session.receives, 4);
}

}  // namespace
