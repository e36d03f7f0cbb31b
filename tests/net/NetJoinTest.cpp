// Players joining and leaving a running game: the host's welcome and
// farewell, and a client's view of the table and of its server.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/Clock.h"
#include "game/CareerRecord.h"
#include "game/Cockpit.h"
#include "mission/Goal.h"
#include "net/NetControlPackets.h"
#include "net/NetGameSettings.h"
#include "net/NetJoinSenders.h"
#include "net/NetPacketType.h"
#include "net/PacketBytes.h"
#include "objects/ships/Craft.h"
#include "platform/SessionSystemMessage.h"
#include "tests/support/ScriptedSessionService.h"
#include "tests/support/world/NetPacketBytes.h"
#include "tests/support/world/RecordingNetSession.h"
#include "tests/support/world/WorldBuilder.h"

namespace {

using Trace = std::vector<std::string>;

// The mission's scene and goal senders leave a mark where they are called.
template <char... Name>
void Mark(NetSession& session) {
    static_cast<RecordingNetSession&>(session).sent.push_back({0, 0, {uint8_t(Name)...}});
}

// The host (id 1) flies Ann; Bob (id 2) flies the craft of uoid 51; of the
// rest of the world only the active rock with a uoid (40) goes to a
// newcomer. Two teams, Red and Blue.
class NetJoinTest : public ::testing::Test {
protected:
    NetJoinTest() {
        const int32_t uoids[] = {40, 41, -1};
        for (const int32_t uoid : uoids) {
            SpaceObject* const rock = builder_.Spawn(builder_.Template("ROCK0"), 1);
            rock->uoid = uoid;
            rock->active = uoid != 41;
        }
        bobShip_ = builder_.SpawnAs<Craft>(builder_.Template("SHIP0"), 1);
        bobShip_->uoid = 51;
        bobShip_->active = 1;
        Game().netSettings = &settings_;
        settings_.gameType = NetGameSettings::kCooperativeTeams;
        settings_.teamCount = 2;
        settings_.SetTeamName(0, "Red");
        settings_.SetTeamName(1, "Blue");
        settings_.teams[0].logo = 3;
        settings_.teams[1].logo = 7;
        Game().netSession = &host_;
        host_.AddPlayer(1, "Ann", 50);
        host_.EditPlayer(0)->team = 0;
        host_.EditPlayer(0)->ready = 1;
        host_.AddPlayer(2, "Bob", 51);
        host_.EditPlayer(1)->team = 1;
        net_handlers::g_sendSceneRecords = &Mark<'s', 'k', 'y'>;
        net_handlers::g_sendSharedGoals = &Mark<'g', 'o', 'a', 'l', 's'>;
    }
    ~NetJoinTest() override {
        net_handlers::g_sendSceneRecords = &net_handlers::SendSceneRecords;
        net_handlers::g_sendSharedGoals = &net_handlers::SendSharedGoals;
        Game().netSettings = nullptr;
        Game().netSession = nullptr;
    }
    GameState& Game() { return builder_.Game(); }
    std::string Shown() { return Game().TheCockpit().MessageAt(GetMilliseconds()); }

    // What the session sent and when it flushed, a line each. Every packet
    // must come from the host and wait in queue 1.
    static Trace Sent(const RecordingNetSession& session) {
        Trace trace;
        for (size_t i = 0, flush = 0; i <= session.sent.size(); ++i) {
            for (; flush < session.flushedAt.size() && session.flushedAt[flush] == i; ++flush) trace.push_back("flush");
            if (i == session.sent.size()) break;
            const RecordingNetSession::Sent& sent = session.sent[i];
            const uint8_t* const bytes = sent.bytes.data();
            const auto size = uint32_t(sent.bytes.size());
            if (size < NetPacketHeader::kBytes) {
                trace.emplace_back(sent.bytes.begin(), sent.bytes.end());
                continue;
            }
            PacketReader in(bytes, size);
            EXPECT_EQ(in.U32(4), PF_QUEUE_1) << i;
            EXPECT_EQ(sent.from, 1u) << i;
            std::string line = NetPacketTypeName(in.U16(0));
            if (in.U16(0) == kMessage) line += " " + std::string(net_read::ReadMessage(bytes, size)->text);
            if (in.U16(0) == kObjectCreate || in.U16(0) == kObjectDestroy) line += " " + std::to_string(in.I32(8));
            if (const auto team = net_read::ReadUpdateTeam(bytes, size)) {
                line += " " + std::string(team->playerName) + " " + team->teamName;
                for (const int32_t word : {team->team, team->logo, team->ready}) line += " " + std::to_string(word);
            }
            if (sent.to != RecordingNetSession::kToAll) line += " to " + std::to_string(sent.to);
            trace.push_back(line);
        }
        return trace;
    }

    WorldBuilder builder_;
    NetGameSettings settings_;
    RecordingNetSession host_{true};
    Craft* bobShip_ = nullptr;
};

}  // namespace

TEST_F(NetJoinTest, TheHostSendsANewcomerTheWholeGameInOrder) {
    Goal older;
    Goal newest;
    builder_.TheMission().goalList = &older;
    host_.OnCreatePlayer(9, "Cid", "Client");
    EXPECT_EQ(Sent(host_), (Trace{"MESSAGE Cid has joined the game.", "sky", "GAME_INFO to 9",
                                  "UPDATE_TEAM Cid YOU. -1 -1 0 to 9", "OBJECT_CREATE 40",
                                  "OBJECT_CREATE 51", "flush", "goals", "UPDATE_TEAM NONE. Red 0 3 -1",
                                  "UPDATE_TEAM NONE. Blue 1 7 -1", "UPDATE_TEAM Ann NONE. 0 -1 1",
                                  "UPDATE_TEAM Bob NONE. 1 -1 0", "UPDATE_TEAM Cid NONE. -1 -1 0", "flush"}));
    // The shared goals are looked for in the mission's own list.
    EXPECT_EQ(g_goalList, &older);
    EXPECT_EQ(host_.GetPlayerUoid(host_.FindPlayerByDpid(9)), -1);
    EXPECT_EQ(Shown(), "Cid has joined the game.");
}

TEST_F(NetJoinTest, WithoutAMissionOrTeamsIntoAFullTable) {
    settings_.gameType = NetGameSettings::kCooperative;
    for (uint32_t id = 3; id <= 7; ++id) host_.AddPlayer(id, ("P" + std::to_string(id)).c_str(), -1);
    Game().mission = nullptr;
    host_.OnCreatePlayer(8, "Hal", "Client");
    host_.OnCreatePlayer(9, "Ivy", "Client");
    Game().mission = &builder_.TheMission();
    const Trace trace = Sent(host_);
    // Hal, the last in, is told the name he has; the table was full for
    // Ivy: she has no entry and no record.
    EXPECT_EQ(Trace(trace.begin() + 1, trace.begin() + 3), (Trace{"GAME_INFO to 8", "UPDATE_TEAM Hal YOU. -1 -1 0 to 8"}));
    const size_t half = trace.size() - (3 + 8 + 1);
    EXPECT_EQ(Trace(trace.begin() + half, trace.begin() + half + 4),
              (Trace{"MESSAGE Ivy has joined the game.", "GAME_INFO to 9", "flush", "UPDATE_TEAM Ann NONE. -1 -1 1"}));
    EXPECT_EQ(host_.FindPlayerByDpid(9), -1);
    EXPECT_EQ(Trace(trace.end() - 2, trace.end()), (Trace{"UPDATE_TEAM Hal NONE. -1 -1 0", "flush"}));
    EXPECT_EQ(half, 4u + 8 + 1);

    // A player seen again is renamed and loses its ship; a null name is empty.
    host_.sent.clear();
    host_.OnCreatePlayer(2, nullptr, "Client");
    EXPECT_STREQ(host_.GetPlayerName(host_.FindPlayerByDpid(2)), "");
    EXPECT_EQ(host_.GetPlayerUoid(1), -1);
    EXPECT_EQ(Sent(host_).front(), "MESSAGE  has joined the game.");
}

TEST_F(NetJoinTest, TheHostTakesALeaversShipOutAndIgnoresStrangers) {
    host_.OnDestroyPlayer(2);
    EXPECT_EQ(Sent(host_), (Trace{"MESSAGE Bob has left the game.", "OBJECT_DESTROY 51"}));
    EXPECT_EQ(host_.FindPlayerByDpid(2), -1);
    EXPECT_EQ(bobShip_->active, 0u);
    EXPECT_EQ(builder_.World().back(), bobShip_);

    host_.sent.clear();
    Game().TheCockpit().ShowMessage("", nullptr, 0, 0);
    host_.OnDestroyPlayer(2);
    host_.OnDestroyPlayer(77);
    EXPECT_TRUE(host_.sent.empty());
    EXPECT_EQ(Shown(), "");
    EXPECT_EQ(host_.CountPlayers(), 1);
}

// A pilot name is one player's in a game: a second asking for it (letter
// case aside), or for the network's own, gets it with a number, within a
// team record's 15 characters, and is told so by its welcome. Every machine
// names the players alike, in the order they entered: a client, which
// enters its own first, gives way to those before it.
TEST_F(NetJoinTest, PilotNamesAreUniqueAndEveryMachineNamesThemAlike) {
    host_.OnCreatePlayer(9, "bob", "Client");
    host_.OnCreatePlayer(10, "Network", "Client");
    host_.AddPlayer(11, "Abcdefghijklmno", -1);
    host_.OnCreatePlayer(12, "abcdefghijklmno", "Client");
    for (const auto& [id, name] : {std::pair{9u, "bob2"}, {10u, "Network2"}, {12u, "abcdefghijklmn2"}}) {
        EXPECT_STREQ(host_.GetPlayerName(host_.FindPlayerByDpid(id)), name) << id;
    }
    EXPECT_EQ(Shown(), "abcdefghijklmn2 has joined the game.");

    RecordingNetSession client(false);
    Game().netSession = &client;
    std::strcpy(Game().career->pilotName, "Bob");
    client.ownDpid = 5;
    client.AddPlayer(5, "Bob", -1);
    client.OnCreatePlayer(1, "Ann", "Server");
    client.OnCreatePlayer(3, "Bob", "Client");
    client.OnCreatePlayer(4, "BOB", "Client");
    client.OnCreatePlayer(7, "Bob", "Client");
    for (const auto& [id, name] : {std::pair{3u, "Bob"}, {4u, "BOB2"}, {5u, "Bob3"}, {7u, "Bob4"}}) {
        EXPECT_STREQ(client.GetPlayerName(client.FindPlayerByDpid(id)), name) << id;
    }
    Game().netSession = &host_;
}

// A pilot the host gave a number learns it from the welcome, its machine
// before it holds the game's settings even: its own entry takes the name,
// the others' stay, and a line the host passes on under that name is known
// for its own. Nobody else hears it; a name too long for a record, which
// the host never numbers, is not told.
TEST_F(NetJoinTest, ARenamedPilotsOwnMachineLearnsItsName) {
    host_.OnCreatePlayer(9, "BOB", "Client");
    ASSERT_STREQ(host_.GetPlayerName(host_.FindPlayerByDpid(9)), "BOB2");
    std::vector<std::vector<uint8_t>> toNine, named;
    for (const RecordingNetSession::Sent& sent : host_.sent) {
        const auto record = sent.bytes.size() >= 8 ? net_read::ReadUpdateTeam(sent.bytes.data(), uint32_t(sent.bytes.size()))
                                                   : std::nullopt;
        if (record && std::strcmp(record->teamName, net_read::kOwnNameMark) == 0) {
            EXPECT_EQ(sent.to, 9u);
            EXPECT_STREQ(record->playerName, "BOB2");
            named.push_back(sent.bytes);
        }
        if (sent.bytes.size() >= 8 && (sent.to == RecordingNetSession::kToAll || sent.to == 9u)) toNine.push_back(sent.bytes);
    }
    ASSERT_EQ(named.size(), 1u);

    RecordingNetSession client(false);
    Game().netSession = &client;
    Game().netSettings = nullptr;
    std::strcpy(Game().career->pilotName, "BOB");
    client.ownDpid = 9;
    client.AddPlayer(1, "Ann", -1);
    client.AddPlayer(9, "BOB", -1);
    client.AddPlayer(2, "Bob", -1);
    Deliver(client, 1, named[0]);   // ahead of GAME_INFO's settings
    EXPECT_STREQ(client.GetPlayerName(client.FindPlayerByDpid(9)), "BOB2");
    EXPECT_STREQ(client.GetPlayerName(client.FindPlayerByDpid(2)), "Bob");
    Game().netSettings = &settings_;
    for (const auto& bytes : toNine) Deliver(client, 1, bytes);
    EXPECT_STREQ(client.GetPlayerName(client.FindPlayerByDpid(9)), "BOB2");
    EXPECT_EQ(client.Player(client.FindPlayerByDpid(2))->team, 1);
    // Its own chat, passed on by the host, is not shown to it a second time.
    Game().playerShip = bobShip_;
    NetPacket line;
    line.BuildMessage(kMessage, "ALL", "BOB2", "BOB2: [hi]", 0);
    Game().TheCockpit().ShowMessage("", nullptr, 0, 0);
    Deliver(client, 1, Built(line));
    EXPECT_EQ(Shown(), "");
    Game().playerShip = nullptr;
    Game().netSession = &host_;

    host_.sent.clear();
    host_.OnCreatePlayer(10, "Abcdefghijklmnopq", "Client");
    for (const std::string& line : Sent(host_)) EXPECT_EQ(line.find(net_read::kOwnNameMark), std::string::npos) << line;
}

TEST_F(NetJoinTest, AClientKeepsOnlyTheTableAndHearsWhenItsServerIsGone) {
    RecordingNetSession client(false);
    Game().netSession = &client;
    client.AddPlayer(1, "Ann", 50);
    client.OnCreatePlayer(3, "Cid", "Client");
    EXPECT_EQ(client.FindPlayerByDpid(3), 1);
    client.OnDestroyPlayer(3);
    EXPECT_EQ(client.FindPlayerByDpid(3), -1);
    EXPECT_TRUE(client.sent.empty() && client.flushes == 0 && Shown().empty());
    EXPECT_EQ(client.serverDpid, 1u);

    client.OnDestroyPlayer(1);
    EXPECT_EQ(client.serverDpid, client.ownDpid);
    EXPECT_EQ(client.CountPlayers(), 0);
    EXPECT_TRUE(client.sent.empty());
    builder_.Clock().Advance(9999);
    EXPECT_EQ(Shown(), "You have been disconnected from the server!");
    builder_.Clock().Advance(1);
    EXPECT_EQ(Shown(), "");
}

// The service says the server's player went, then that the session is
// lost: the client is told once, leaves the session (sending nothing to
// itself for ever after) and its flight ends.
TEST_F(NetJoinTest, AClientWhoseServerIsGoneIsToldOnceAndLeaves) {
    using platform::SessionSystemMessage;
    for (const bool playerFirst : {true, false}) {
        SCOPED_TRACE(playerFirst ? "player, then session" : "session only");
        RecordingNetSession client(false);
        Game().netSession = &client;
        Game().mode = GameState::kModeFlight;
        client.AddPlayer(1, "Ann", 50);
        Game().TheCockpit().ShowMessage("", nullptr, 0, 0);
        if (playerFirst) {
            const std::vector<uint8_t> gone = SessionSystemMessage::DestroyPlayer(1).Bytes();
            client.HandleSystemMessage(gone.data(), uint32_t(gone.size()));
            EXPECT_EQ(Shown(), "You have been disconnected from the server!");
            EXPECT_FALSE(client.IsActive());
            Game().TheCockpit().ShowMessage("", nullptr, 0, 0);
        }
        const std::vector<uint8_t> lost = SessionSystemMessage::SessionLost().Bytes();
        client.HandleSystemMessage(lost.data(), uint32_t(lost.size()));
        EXPECT_EQ(Shown(), playerFirst ? "" : "You have been disconnected from the server!");
        EXPECT_FALSE(client.IsActive());
        EXPECT_EQ(static_cast<ScriptedSessionService*>(client.Interface())->closes, 1);
        EXPECT_EQ(Game().mode, GameState::kModeScreens);
        client.BroadcastText("Bob has left the game.");
        EXPECT_TRUE(client.sent.empty());
        Game().netSession = nullptr;
    }
}
