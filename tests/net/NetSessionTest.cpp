#include "net/NetSession.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "game/CareerRecord.h"
#include "game/GameState.h"

#include "net/NetGameSettings.h"
#include "net/NetPacketType.h"
#include "net/PacketBytes.h"
#include "objects/space/SpaceObject.h"
#include "platform/Sleeper.h"
#include "tests/support/RecordingSleeper.h"
#include "tests/support/ScriptedSessionService.h"
#include "tests/support/world/WorldBuilder.h"

namespace {

TEST(NetSessionTest, ThePlayerTableKeepsItsRules) {
    NetSession session;
    for (uint32_t id = 10; id < 18; ++id) EXPECT_EQ(session.AddPlayer(id, "pilot", int32_t(id)), int32_t(id - 10));
    EXPECT_EQ(session.AddPlayer(99, "ninth", 1), -1);
    EXPECT_EQ(session.AddPlayer(13, "renamed", 5), 3);   // the same id: the same entry
    EXPECT_STREQ(session.GetPlayerName(3), "renamed");
    EXPECT_EQ(session.FindPlayerByUoid(5), 3);

    for (int32_t i = 1; i < 8; ++i) {
        if (i != 5) session.ClearPlayer(i);
    }
    EXPECT_EQ(session.CountPlayers(), 2);
    EXPECT_EQ(session.GetPlayerSlotCount(), 6);
    session.ClearPlayer(5);
    EXPECT_EQ(session.GetPlayerSlotCount(), 1);
    EXPECT_EQ(session.FindPlayerByDpid(15), -1);   // a free entry never matches
    EXPECT_EQ(session.GetPlayerDpid(5), 0u);       // nor tells the id it held
    EXPECT_EQ(session.IsPlayerAcked(5), 1u);        // free entries count as acknowledged
    EXPECT_EQ(session.IsPlayerAcked(0), 0u);
    EXPECT_EQ(session.ClearPlayer(8), 0);

    session.AddPlayerKills(0, 2);
    session.SetPlayerIt(0);
    EXPECT_EQ(session.FindItPlayer(), 0);
    session.SetPlayerIt(-1);
    EXPECT_EQ(session.FindItPlayer(), -1);
    EXPECT_EQ(session.Player(0)->careerKills, 2);
    EXPECT_FALSE(session.IsActive());

    NetGameSettings settings;
    settings.SetTeamName(0, "Red");
    settings.SetTeamName(1, "Blue");
    settings.SetTeamName(1, nullptr);
    EXPECT_STREQ(settings.teams[0].name, "Red");
    EXPECT_EQ(settings.teams[1].name, nullptr);
}

using namespace platform;

constexpr uint16_t kGameInfoType = 27;

// A packet of `size` bytes whose ninth byte tells it apart.
std::vector<uint8_t> Packet(uint32_t size, uint32_t flags, uint8_t mark, uint16_t type = kGameInfoType) {
    std::vector<uint8_t> bytes(size, 0);
    PacketWriter out(bytes.data(), size);
    out.U16(0, type);
    out.U16(2, uint16_t(size));
    out.U32(4, flags);
    out.U8(8, mark);
    return bytes;
}

// The marks of a MEGAPACKET's packets, after checking its frame.
std::vector<uint8_t> Marks(const std::vector<uint8_t>& megapacket) {
    PacketReader in(megapacket.data(), uint32_t(megapacket.size()));
    EXPECT_EQ(in.U16(0), kMegapacket);
    EXPECT_EQ(in.U16(2), megapacket.size());
    EXPECT_EQ(in.U32(4), PF_IMMEDIATE);
    std::vector<uint8_t> marks;
    for (uint32_t at = 12; at + 8 <= megapacket.size(); at += in.U16(at + 2)) marks.push_back(in.U8(at + 8));
    EXPECT_EQ(in.U32(8), marks.size());
    return marks;
}

class NetSessionQueuesTest : public ::testing::Test {
protected:
    NetSessionQueuesTest() : previousSleeper_(Sleeper::Install(&sleeper_)) {
        auto service = std::make_unique<ScriptedSessionService>();
        service_ = service.get();
        session_.Attach(std::move(service));
        session_.connected = session_.isHost = 1;
        session_.serverDpid = session_.ownDpid = 1;
        session_.AddPlayer(1, "Ann", -1);
        session_.AddPlayer(2, "Bob", -1);
    }
    ~NetSessionQueuesTest() override { Sleeper::Install(previousSleeper_); }

    void Queue(uint32_t size, uint32_t flags, uint8_t mark) {
        const std::vector<uint8_t> bytes = Packet(size, flags, mark);
        EXPECT_EQ(session_.SendToAll(1, bytes.data(), size), 0u);
    }
    // The marks of the MEGAPACKET this frame sends.
    std::vector<uint8_t> Flush() {
        service_->sends.clear();
        session_.FlushFrame();
        EXPECT_EQ(service_->sends.size(), 1u);
        return service_->sends.empty() ? std::vector<uint8_t>{} : Marks(service_->sends[0].bytes);
    }

    RecordingSleeper sleeper_;
    Sleeper* previousSleeper_;
    NetSession session_;
    ScriptedSessionService* service_;
};

TEST_F(NetSessionQueuesTest, QueueOneIsCarriedInOrderAndNeverOverrunsTheBuffer) {
    for (uint8_t i = 0; i < 40; ++i) Queue(1000, PF_QUEUE_1, i);
    std::vector<uint8_t> marks = Flush();
    ASSERT_EQ(marks.size(), 32u);
    EXPECT_EQ(marks.front(), 0);
    EXPECT_EQ(marks.back(), 31);
    EXPECT_EQ(service_->sends[0].flags, kSendGuaranteed);
    Queue(1000, PF_QUEUE_1, 40);
    marks = Flush();   // an even frame: queue 1 still goes first to last
    EXPECT_EQ(marks, (std::vector<uint8_t>{32, 33, 34, 35, 36, 37, 38, 39, 40}));

    // 31999 bytes packed: a 2000-byte packet would pass the buffer's end.
    for (uint8_t i = 0; i < 31; ++i) Queue(1000, PF_QUEUE_1, i);
    Queue(999, PF_QUEUE_1, 31);
    Queue(2000, PF_QUEUE_1, 32);
    Queue(100, PF_QUEUE_1, 33);
    EXPECT_EQ(Flush().size(), 32u);
    EXPECT_EQ(Flush(), (std::vector<uint8_t>{32, 33}));

    // Nothing queued: the frame still goes out, 12 bytes, unguaranteed.
    EXPECT_TRUE(Flush().empty());
    EXPECT_EQ(service_->sends[0].bytes.size(), 12u);
    EXPECT_EQ(service_->sends[0].flags, 0u);
}

// What the host sends one member waits in that member's own MEGAPACKET,
// which goes ahead of the shared one. Its queue-1 packets keep their order
// there too: once one waits for room, every later one waits behind it,
// however small, and the next frame brings them in the order sent. A
// packet of queue 2 or 3 that does not fit is dropped.
TEST_F(NetSessionQueuesTest, AMembersOwnPacketsKeepTheirOrderWhenOneWaits) {
    const auto send = [this](uint32_t size, uint32_t flags, uint8_t mark) {
        const std::vector<uint8_t> bytes = Packet(size, flags, mark);
        EXPECT_EQ(session_.Send(1, 2, bytes.data(), size), 0u);
    };
    for (uint8_t i = 0; i < 31; ++i) send(1000, PF_QUEUE_1, i);
    send(999, PF_QUEUE_1, 31);
    send(2000, PF_QUEUE_1, 32);   // past the buffer's end: it waits
    send(100, PF_QUEUE_1, 33);    // would fit, but comes after the one that waits
    send(2000, PF_QUEUE_2, 34);
    Queue(50, PF_QUEUE_1, 90);    // everybody's
    service_->sends.clear();
    session_.FlushFrame();
    ASSERT_EQ(service_->sends.size(), 2u);
    EXPECT_EQ(service_->sends[0].to, 2u);
    std::vector<uint8_t> own = Marks(service_->sends[0].bytes);
    ASSERT_EQ(own.size(), 32u);
    EXPECT_EQ(own.back(), 31);
    EXPECT_EQ(service_->sends[0].flags, kSendGuaranteed);
    EXPECT_EQ(Marks(service_->sends[1].bytes), (std::vector<uint8_t>{90}));

    send(10, PF_QUEUE_1, 35);
    service_->sends.clear();
    session_.FlushFrame();
    ASSERT_EQ(service_->sends.size(), 2u);
    EXPECT_EQ(Marks(service_->sends[0].bytes), (std::vector<uint8_t>{32, 33, 35}));
    EXPECT_EQ(session_.addressed.Count(), 0);
}

TEST_F(NetSessionQueuesTest, QueuesTwoAndThreeFillTheBudgetFromAlternateEnds) {
    Queue(1200, PF_QUEUE_1, 1);
    Queue(100, PF_QUEUE_2, 2);
    Queue(100, PF_QUEUE_3, 3);
    EXPECT_EQ(Flush(), (std::vector<uint8_t>{1}));   // queue 1's bytes spend the budget
    for (const int frame : {2, 3}) {
        for (uint8_t i = 10; i < 13; ++i) Queue(1000, PF_QUEUE_2, i);
        EXPECT_EQ(Flush(), (std::vector<uint8_t>{uint8_t(frame % 2 != 0 ? 10 : 12)})) << "frame " << frame;
        EXPECT_EQ(service_->sends[0].flags, 0u);
    }
    EXPECT_EQ(session_.queue2.Count() + session_.queue3.Count() + session_.carryList.Count(), 0);
}

TEST_F(NetSessionQueuesTest, TheRateFollowsTheLinkAndTheBudgetPerSecondStays) {
    service_->sendResult = kSessionBusy;
    for (int i = 0; i < 14; ++i) session_.FlushFrame();
    EXPECT_EQ(session_.updateRate, 1);
    EXPECT_EQ(session_.updateInterval, 1000);

    service_->sendResult = kSessionOk;
    session_.updateRate = 12;
    session_.frameCount = 0;
    for (int i = 0; i < 120; ++i) session_.FlushFrame();
    EXPECT_EQ(session_.updateRate, 13);
    session_.updateRate = 15;
    session_.frameCount = 149;
    session_.FlushFrame();
    EXPECT_EQ(session_.updateRate, 15);

    // Packets left out of every frame since the last drop: one step down at
    // the next multiple of the rate.
    session_.updateRate = 12;
    session_.frameCount = 11;
    session_.queueBudget = 1000;
    session_.skippedMin = 99;
    session_.skippedSum = 0;
    for (uint8_t i = 0; i < 6; ++i) Queue(1000, PF_QUEUE_3, i);
    session_.FlushFrame();
    EXPECT_EQ(session_.updateRate, 11);
    EXPECT_EQ(session_.updateInterval, 90);
    EXPECT_EQ(session_.skippedMin, 99);
}

TEST_F(NetSessionQueuesTest, ClientsSendAtOnceAndALoneHostDiscards) {
    session_.ClearPlayer(1);
    Queue(100, PF_QUEUE_1, 1);
    session_.FlushFrame();
    EXPECT_TRUE(service_->sends.empty());
    EXPECT_EQ(session_.queue1.Count(), 0);

    session_.isHost = 0;
    session_.ownDpid = 2;
    for (const uint32_t flags : {PF_QUEUE_1, PF_IMMEDIATE, PF_QUEUE_3, 0u, PF_TRACE}) {
        const std::vector<uint8_t> bytes = Packet(20, flags, 5);
        EXPECT_EQ(session_.Send(2, 1, bytes.data(), 20), 0u);
    }
    ASSERT_EQ(service_->sends.size(), 3u);
    EXPECT_EQ(service_->sends[0].flags, kSendGuaranteed);
    EXPECT_EQ(service_->sends[1].flags, kSendGuaranteed);
    EXPECT_EQ(service_->sends[2].flags, 0u);
    EXPECT_EQ(service_->sends[0].to, 1u);
}

// A server silent through the flight is dropped, once; in the menus a
// host in flight may have nothing to say; once the join handling made the
// server ourselves, silence is no news.
TEST_F(NetSessionQueuesTest, TheSilentServerIsDroppedOnce) {
    GameState game;
    GameState* const previous = g_gameState;
    g_gameState = &game;
    session_.isHost = 0;
    session_.ownDpid = 2;
    session_.creationTime -= 20000;
    session_.lastServerPacketTime = 1000;
    game.mode = GameState::kModeScreens;
    session_.FlushFrame();
    EXPECT_TRUE(session_.IsActive());
    game.mode = GameState::kModeFlight;
    session_.FlushFrame();
    session_.FlushFrame();
    g_gameState = previous;
    EXPECT_EQ(game.mode, GameState::kModeScreens);
    EXPECT_EQ(service_->destroyedPlayers, (std::vector<uint32_t>{1}));
    EXPECT_EQ(session_.lastServerPacketTime, -1);
    // The service cannot destroy the server's player: the client leaves itself.
    EXPECT_FALSE(session_.IsActive());
    EXPECT_EQ(service_->closes, 1);
    session_.serverDpid = session_.ownDpid;
    session_.lastServerPacketTime = 1000;
    session_.FlushFrame();
    EXPECT_EQ(service_->destroyedPlayers.size(), 1u);
}

// The game keeps no groups: the service refuses them through the session,
// and group traffic from it (made, added to, taken from, gone, or cut short)
// leaves the players, the link and the sends as they were. A plain link
// takes every kind of message and does nothing with it.
TEST_F(NetSessionQueuesTest, GroupsAreRefusedAndTheirTrafficChangesNothing) {
    EXPECT_EQ(session_.CreateGroup("Wing", "Red"), 0u);
    EXPECT_EQ(session_.DestroyGroup(9), kSessionUnsupported);
    EXPECT_EQ(session_.AddPlayerToGroup(9, 2), kSessionUnsupported);
    EXPECT_EQ(session_.DeletePlayerFromGroup(9, 2), kSessionUnsupported);

    SessionSystemMessage made = SessionSystemMessage::CreatePlayer(9, {"Wing", "Red"});
    made.playerType = kPlayerTypeGroup;
    SessionSystemMessage gone = SessionSystemMessage::DestroyPlayer(9);
    gone.playerType = kPlayerTypeGroup;
    const auto membership = [](uint32_t type, uint32_t size) {
        std::vector<uint8_t> bytes(12, 0);
        PacketWriter out(bytes.data(), 12);
        out.U32(0, type);
        out.U32(4, 9);
        out.U32(8, 2);
        bytes.resize(size);
        return bytes;
    };
    service_->QueueSystem(made);
    service_->queue.push_back({kSystemPlayerId, 0, 0, membership(SessionSystemMessage::kAddPlayerToGroup, 12)});
    service_->queue.push_back({kSystemPlayerId, 0, 0, membership(SessionSystemMessage::kAddPlayerToGroup, 8)});
    service_->queue.push_back({kSystemPlayerId, 0, 0, membership(SessionSystemMessage::kDeletePlayerFromGroup, 12)});
    service_->queue.push_back({kSystemPlayerId, 0, 0, membership(SessionSystemMessage::kDeletePlayerFromGroup, 8)});
    service_->QueueSystem(gone);
    uint8_t buffer[256];
    int taken = 0;
    while (session_.Receive(buffer, sizeof buffer) == 0) ++taken;
    EXPECT_EQ(taken, 6);
    EXPECT_EQ(session_.CountPlayers(), 2);
    EXPECT_EQ(session_.FindPlayerByDpid(2), 1);
    EXPECT_TRUE(session_.IsActive());
    EXPECT_TRUE(service_->sends.empty());
    EXPECT_EQ(service_->closes, 0);

    DirectPlayLink plain(SessionGuid{{1}}, "Plain", 4);
    auto service = std::make_unique<ScriptedSessionService>();
    ScriptedSessionService& scripted = *service;
    plain.Attach(std::move(service));
    scripted.QueueSystem(SessionSystemMessage::CreatePlayer(4, {"Bob", ""}));
    scripted.QueueData(4, 1, {'h', 'i'});
    scripted.QueueSystem(SessionSystemMessage::DestroyPlayer(4));
    scripted.QueueSystem(SessionSystemMessage::SessionLost());
    taken = 0;
    while (plain.Receive(buffer, sizeof buffer) == 0) ++taken;
    EXPECT_EQ(taken, 4);
    EXPECT_TRUE(scripted.sends.empty());   // the link answers nothing of its own
    EXPECT_EQ(plain.SendToAll(1, "x", 1), kSessionOk);
    ASSERT_EQ(scripted.sends.size(), 1u);
    EXPECT_EQ(scripted.sends[0].to, kAllPlayers);
    plain.Close();
    EXPECT_EQ(plain.CreateGroup("Wing", ""), 0u);
    EXPECT_EQ(plain.DestroyGroup(9), 0u);
    EXPECT_EQ(plain.AddPlayerToGroup(9, 2), DirectPlayLink::kUninitialized);
    EXPECT_EQ(plain.DeletePlayerFromGroup(9, 2), DirectPlayLink::kUninitialized);
}

// Records the packets a MEGAPACKET hands on.
class UnpackingSession : public NetSession {
public:
    int32_t HandleMessage(uint32_t from, uint32_t to, const uint8_t* data, uint32_t size) override {
        if (size >= 8 && data[0] != kMegapacket) handed.push_back(data[8]);
        return NetSession::HandleMessage(from, to, data, size);
    }
    std::vector<uint8_t> handed;
};

std::vector<uint8_t> Megapacket(const std::vector<std::vector<uint8_t>>& inner, int32_t sizeChange = 0) {
    std::vector<uint8_t> bytes(12, 0);
    for (const auto& packet : inner) bytes.insert(bytes.end(), packet.begin(), packet.end());
    PacketWriter out(bytes.data(), uint32_t(bytes.size()));
    out.U16(0, kMegapacket);
    out.U16(2, uint16_t(int32_t(bytes.size()) + sizeChange));
    out.U32(8, uint32_t(inner.size()));
    return bytes;
}

TEST(NetSessionUnpacking, TheWalkStopsAtTheFirstPacketThatDoesNotHold) {
    UnpackingSession session;
    const auto a = Packet(20, PF_QUEUE_1, 'a');
    const auto b = Packet(8 + 1, PF_QUEUE_1, 'b');
    struct Case {
        std::vector<uint8_t> bytes;
        std::vector<uint8_t> handed;
    } cases[] = {
        {Megapacket({a, b}), {'a', 'b'}},
        {Megapacket({a, b}, +1), {}},                                // claims more than came
        {Megapacket({a, Packet(20, 4, 'c', 0)}), {'a', 'c'}},        // type 0 is not its business
        {Megapacket({a, Megapacket({b}), b}), {'a'}},                 // nested
        {Megapacket({a, {4, 0, 4, 0, 0, 0, 0, 0}, b}), {'a'}},       // an inner size below 8
        {Megapacket({a, Packet(30, 4, 'd')}, -10), {'a'}},          // runs past the end
    };
    for (Case& c : cases) {
        session.handed.clear();
        session.HandleMessage(1, 2, c.bytes.data(), uint32_t(c.bytes.size()));
        EXPECT_EQ(session.handed, c.handed) << "case " << (&c - cases);
    }
    const auto tooShort = Megapacket({});
    EXPECT_EQ(session.WalkMegapacket(1, 2, tooShort.data(), 11), -1);
}

SessionDescription Found(const char* name, uint8_t instance) {
    SessionDescription d;
    d.application = NetSession::kApplication;
    d.instance.bytes[0] = instance;
    d.maxPlayers = 8;
    d.currentPlayers = 1;
    d.name = name;
    return d;
}

class NetSessionLobbyTest : public ::testing::Test {
protected:
    NetSessionLobbyTest()
        : previousSleeper_(Sleeper::Install(&sleeper_)), previousProviders_(SessionProviders::Install(&scripted_.providers)) {
        scripted_.Add(SessionGuid{{1}}, "Serial link");
        scripted_.Add(SessionGuid{{2}}, "Internet tcp/ip");
        scripted_.Add(SessionGuid{{3}}, "IPX first", false);
        scripted_.Add(SessionGuid{{4}}, "IPX second");
        scripted_.Add(SessionGuid{{5}}, "Winsock TCP/IP for games");
        NetSession::SetGameFoundListener([](uint32_t, uint32_t, const char* name) { g_listed.push_back(name); });
        g_listed.clear();
    }
    ~NetSessionLobbyTest() override {
        NetSession::SetGameFoundListener(nullptr);
        SessionProviders::Install(previousProviders_);
        Sleeper::Install(previousSleeper_);
    }

    static inline std::vector<std::string> g_listed;
    WorldBuilder world_;
    RecordingSleeper sleeper_;
    Sleeper* previousSleeper_;
    ScriptedSessionProviders scripted_;
    SessionProviders* previousProviders_;
};

TEST_F(NetSessionLobbyTest, TheFirstProviderHoldingTheTextWinsWithItsCase) {
    NetSession session;
    EXPECT_EQ(session.SelectServiceProvider("IPX"), 0);   // the first IPX cannot be made; the second is not tried
    EXPECT_EQ(session.SelectServiceProvider("Modem"), 0);
    EXPECT_EQ(session.SelectServiceProvider("TCP/IP"), 1);
    EXPECT_EQ(session.Interface(), scripted_.created);
}

TEST_F(NetSessionLobbyTest, EnumeratingStartsAfreshAndJoiningTakesTheFirstOfAName) {
    NetSession session;
    ASSERT_EQ(session.SelectServiceProvider("TCP/IP"), 1);
    ScriptedSessionService& service = *scripted_.created;
    service.sessions = {Found("Ann's game", 1), Found("Cy's game", 2), Found("Ann's game", 3)};
    EXPECT_EQ(session.EnumSessions(), 0u);
    EXPECT_EQ(session.sessionList.Count(), 3);
    service.sessions.erase(service.sessions.begin() + 1);
    session.EnumSessions();
    EXPECT_EQ(session.sessionList.Count(), 2);
    EXPECT_EQ(g_listed, (std::vector<std::string>{"Ann's game", "Cy's game", "Ann's game", "Ann's game", "Ann's game"}));

    EXPECT_EQ(session.JoinGame("Cy's game"), 0);
    EXPECT_TRUE(service.openModes.empty());
    // A session that takes us but not our player is left at once.
    service.createPlayerResult = kSessionRefused;
    EXPECT_EQ(session.JoinGame("Ann's game"), 0);
    EXPECT_EQ(service.closes, 1);
    EXPECT_FALSE(session.IsActive());
    service.createPlayerResult = kSessionOk;
    service.remotePlayers = {{7, {"Ann", "Server"}}};
    ASSERT_EQ(session.JoinGame("Ann's game"), 1);
    EXPECT_EQ(service.opened.instance.bytes[0], 1);
    EXPECT_STREQ(session.GetPlayerName(0), "Ann");   // announced before our own entry
    EXPECT_STREQ(session.GetPlayerName(1), "Korvane");
    EXPECT_EQ(session.GetPlayerDpid(1), session.ownDpid);
    EXPECT_TRUE(session.IsActive() && !session.IsHost());
}

// A joined client's own objects take numbers the host never gives, so that
// none meets an object the host names; leaving gives the numbering back.
TEST_F(NetSessionLobbyTest, AClientNumbersItsOwnObjectsApartUntilItLeaves) {
    SpaceObject* const rocks = world_.Template("ROCK0");
    const int32_t before = world_.Spawn(rocks, 1)->uoid;
    {
        NetSession session;
        ASSERT_EQ(session.SelectServiceProvider("TCP/IP"), 1);
        scripted_.created->sessions = {Found("Ann's game", 1)};
        session.EnumSessions();
        ASSERT_EQ(session.JoinGame("Ann's game"), 1);
        EXPECT_GE(world_.Spawn(rocks, 1)->uoid, NetSession::kClientUoidBase);
    }
    const int32_t after = world_.Spawn(rocks, 1)->uoid;
    EXPECT_GT(after, before);
    EXPECT_LT(after, NetSession::kClientUoidBase);
}

TEST_F(NetSessionLobbyTest, HostingMakesOurOwnEntryWithTheCareersFigures) {
    // The mission, and with it our ship, is made before the game is hosted.
    world_.Game().playerShip = world_.Spawn(world_.Template("ROCK0"), 1);
    world_.Game().career->kills = 17;
    world_.Game().career->face = 3;
    NetSession session;
    ASSERT_EQ(session.SelectServiceProvider("TCP/IP"), 1);
    scripted_.created->openResult = kSessionNoConnection;
    EXPECT_EQ(session.HostGame(), 0);
    EXPECT_TRUE(scripted_.created->createdPlayers.empty());
    EXPECT_EQ(session.CountPlayers(), 0);

    scripted_.created->openResult = kSessionOk;
    ASSERT_EQ(session.HostGame(), 1);
    EXPECT_EQ(session.CountPlayers(), 1);
    EXPECT_NE(session.ownDpid, 0u);
    EXPECT_EQ(session.serverDpid, session.ownDpid);
    const NetPlayer& own = *session.Player(0);
    EXPECT_EQ(own.dpid, session.ownDpid);
    EXPECT_EQ(own.careerKills, 17);
    EXPECT_EQ(own.face, 3);
    EXPECT_EQ(own.shipUoid, world_.Game().playerShip->uoid);
    EXPECT_EQ(session.FindPlayerByUoid(world_.Game().playerShip->uoid), 0);
    world_.Game().playerShip = nullptr;
    EXPECT_EQ(scripted_.created->createdPlayers.back().longName, "Server");
    EXPECT_TRUE(session.IsActive() && session.IsHost());
}

}  // namespace
