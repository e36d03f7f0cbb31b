// Host and clients agreeing on identities, the game, the host's mode,
// scores, teams and chat.
#include "net/NetControlPackets.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "game/CareerRecord.h"
#include "game/Cockpit.h"
#include "game/GameState.h"
#include "game/ScreenSlots.h"
#include "net/NetGameSettings.h"
#include "net/NetPacket.h"
#include "net/NetPacketType.h"
#include "net/PacketBytes.h"
#include "objects/ships/Craft.h"
#include "objects/systems/CountermeasureSystems.h"
#include "engine/Clock.h"
#include "tests/support/RecordingScreen.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/world/RecordingNetSession.h"
#include "tests/support/world/WorldBuilder.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Built(const NetPacket& packet) {
    return packet.GetData() != nullptr ? Bytes(packet.GetData(), packet.GetData() + packet.GetSize()) : Bytes();
}

Bytes KillsUpdate(int32_t score, int32_t careerKills, int32_t reward, uint32_t isIt, uint32_t player) {
    Bytes bytes(NetPacket::kKillsUpdateBytes, 0);
    PacketWriter out(bytes.data(), uint32_t(bytes.size()));
    out.U16(0, kKillsUpdate);
    out.U16(2, uint16_t(bytes.size()));
    out.U32(4, PF_QUEUE_1);
    out.I32(8, score);        // kills
    out.I32(12, careerKills);
    out.I32(16, 11);          // missions
    out.I32(20, score);
    out.I32(24, 77);          // accuracy
    out.I32(28, 6);           // face
    out.I32(32, reward);
    out.U32(36, isIt);
    out.U32(40, player);
    return bytes;
}

Bytes Message(const char* scope, const char* text, int32_t sound, const char* sender = "sender") {
    NetPacket packet;
    packet.BuildMessage(kMessage, scope, sender, text, sound);
    return Built(packet);
}

std::vector<std::string> g_chat;

class NetControlTest : public ::testing::Test {
protected:
    NetControlTest() {
        own_ = builder_.SpawnAs<Craft>(builder_.Template("SHIP0", {{"WING0", {}}}), 1);
        own_->uoid = 50;
        own_->SetSide(1);
        own_->SetName("Kestrel");
        other_ = builder_.SpawnAs<Craft>(builder_.Template("SHIP0", {{"WING0", {}}}), 2);
        other_->uoid = 51;
        other_->SetSide(2);
        Game().playerShip = own_;
        g_chat.clear();
        net_handlers::lobbyChatLine = [](const char* text) { g_chat.emplace_back(text); };
    }
    ~NetControlTest() override {
        net_handlers::lobbyChatLine = nullptr;
        Game().playerShip = nullptr;
        delete Game().netSession;
        Game().netSession = nullptr;
        delete Game().netSettings;
        Game().netSettings = nullptr;
        g_netGameLaunched = 0;
    }
    GameState& Game() { return builder_.Game(); }
    // The host (1) with a client (2) whose ship is the other craft, or the
    // client (2) with the host (1).
    RecordingNetSession& Session(bool host) {
        auto* const session = new RecordingNetSession(host);
        Game().netSession = session;
        session->AddPlayer(1, "Host", host ? own_->uoid : other_->uoid);
        session->AddPlayer(2, "Guest", host ? other_->uoid : own_->uoid);
        return *session;
    }
    static void Deliver(NetSession& session, uint32_t from, const Bytes& bytes) {
        session.HandleMessage(from, session.ownDpid, bytes.data(), uint32_t(bytes.size()));
    }
    static std::vector<uint16_t> Types(const RecordingNetSession& session) {
        std::vector<uint16_t> types;
        for (const auto& sent : session.sent) types.push_back(PacketReader(sent.bytes.data(), 8).U16(0));
        return types;
    }
    std::string Shown() { return Game().TheCockpit().MessageAt(GetMilliseconds()); }

    WorldBuilder builder_;
    Craft* own_ = nullptr;
    Craft* other_ = nullptr;
};

}  // namespace

TEST_F(NetControlTest, BuiltPacketsMatchTheirBytes) {
    Session(true);
    Game().netSettings = new NetGameSettings();
    Game().netSettings->gameType = NetGameSettings::kDeathMatchTeams;
    Game().netSettings->teamCount = 2;
    Mission& mission = builder_.TheMission();
    mission.starFields.resize(2);
    mission.spaceDust.resize(1);
    mission.lights.resize(3);
    Game().mode = GameState::kModeFlight;
    NetPacket info, team, state;
    info.BuildControlPacket(kGameInfo);
    team.BuildUpdateTeam(kUpdateTeam, "NONE.", "A team name too long", 1, 18, -1);
    state.BuildControlPacket(kState);
    EXPECT_TRUE(MatchesGoldenBytes(Built(info), "net_game_info.bin"));
    EXPECT_TRUE(MatchesGoldenBytes(Built(team), "net_update_team.bin"));
    EXPECT_TRUE(MatchesGoldenBytes(Built(state), "net_state.bin"));
    // A game without teams reports its players.
    Game().netSettings->gameType = NetGameSettings::kDeathMatch;
    NetPacket players;
    players.BuildControlPacket(kGameInfo);
    EXPECT_EQ(net_read::ReadGameInfo(players.GetData(), players.GetSize())->teamCount, 2);
}

// Every reader refuses a packet cut short, one of another type, and fields
// out of their range; a MESSAGE's texts must end where the packet does.
TEST_F(NetControlTest, ReadersRefuseShortForeignAndOutOfRangePackets) {
    NetPacket team;
    team.BuildUpdateTeam(kUpdateTeam, "Ann", "NONE.", 0, -1, 1);
    const Bytes message = Message("ALL", "hello", 0);
    const Bytes kills = KillsUpdate(1, 2, 3, 0, 9);
    NetPacket info, state;
    info.BuildControlPacket(kGameInfo);
    state.BuildControlPacket(kState);
    const auto reads = [](const Bytes& bytes, uint32_t size) {
        return net_read::ReadGameInfo(bytes.data(), size).has_value() || net_read::ReadState(bytes.data(), size).has_value() ||
               net_read::ReadKillsUpdate(bytes.data(), size).has_value() ||
               net_read::ReadUpdateTeam(bytes.data(), size).has_value() || net_read::ReadMessage(bytes.data(), size).has_value();
    };
    for (const Bytes& whole : {Built(team), message, kills, Built(info), Built(state)}) {
        ASSERT_TRUE(reads(whole, uint32_t(whole.size())));
        for (uint32_t size = 0; size < whole.size(); ++size) EXPECT_FALSE(reads(whole, size)) << size;
        Bytes shorter = whole;
        PacketWriter(shorter.data(), 8).U16(2, uint16_t(whole.size() - 1));
        EXPECT_FALSE(reads(shorter, uint32_t(shorter.size())));
    }
    const auto teamWith = [&](uint32_t at, int32_t value) {
        Bytes bytes = Built(team);
        PacketWriter(bytes.data(), uint32_t(bytes.size())).I32(at, value);
        return net_read::ReadUpdateTeam(bytes.data(), uint32_t(bytes.size())).has_value();
    };
    EXPECT_FALSE(teamWith(40, 5));
    EXPECT_FALSE(teamWith(40, -2));
    EXPECT_FALSE(teamWith(48, 19));
    EXPECT_FALSE(teamWith(48, INT32_MIN));
    Bytes unterminated = Built(team);
    std::memset(unterminated.data() + 24, 'x', 16);
    EXPECT_FALSE(net_read::ReadUpdateTeam(unterminated.data(), uint32_t(unterminated.size())));
    // Two texts only, or a fourth after the third.
    Bytes twoTexts = Message("ALL", "", 0);
    twoTexts.pop_back();
    PacketWriter(twoTexts.data(), 8).U16(2, uint16_t(twoTexts.size()));
    EXPECT_FALSE(net_read::ReadMessage(twoTexts.data(), uint32_t(twoTexts.size())));
    Bytes fourTexts = message;
    fourTexts.push_back(0);
    PacketWriter(fourTexts.data(), 8).U16(2, uint16_t(fourTexts.size()));
    EXPECT_FALSE(net_read::ReadMessage(fourTexts.data(), uint32_t(fourTexts.size())));
}

// The host takes a client's career figures but keeps score and IT, and
// passes on a rebuilt report without the reward.
TEST_F(NetControlTest, HostKeepsScoresAndRebuildsAClientsReport) {
    RecordingNetSession& host = Session(true);
    host.SetPlayerScore(1, 4);
    Deliver(host, 2, KillsUpdate(99, 30, 500, 1, 2));
    const NetPlayer& guest = *host.Player(1);
    EXPECT_EQ(guest.score, 4);
    EXPECT_EQ(guest.careerKills, 30);
    EXPECT_EQ(guest.careerMissions, 11);
    EXPECT_EQ(guest.face, 6);
    EXPECT_EQ(guest.isIt, 0u);
    ASSERT_EQ(host.sent.size(), 1u);
    EXPECT_EQ(host.sent[0].to, RecordingNetSession::kToAll);
    const auto relayed = net_read::ReadKillsUpdate(host.sent[0].bytes.data(), uint32_t(host.sent[0].bytes.size()));
    ASSERT_TRUE(relayed);
    EXPECT_EQ(relayed->reward, 0);
    EXPECT_EQ(relayed->score, 4);
    EXPECT_EQ(relayed->playerId, 2u);
    // The host's own entry and strangers are not taken.
    Deliver(host, 1, KillsUpdate(99, 30, 0, 0, 1));
    Deliver(host, 7, KillsUpdate(99, 30, 0, 0, 7));
    EXPECT_EQ(host.sent.size(), 1u);
    Game().DeleteScreens();
    GameState::RegisterScreen(ScreenSlotName(ScreenSlot::kLobby), GameState::ScreenFactory{});
}

TEST_F(NetControlTest, ClientAddsAPositiveRewardOnceAndTakesOthersFigures) {
    RecordingNetSession& client = Session(false);
    CareerRecord& career = *Game().career;
    career.funds = 1000;
    Deliver(client, 1, KillsUpdate(3, 12, 250, 0, 2));
    EXPECT_EQ(career.funds, 1250);
    EXPECT_EQ(career.kills, 12);
    Deliver(client, 1, KillsUpdate(3, 12, 0, 0, 2));
    Deliver(client, 1, KillsUpdate(3, 12, -5, 0, 2));
    EXPECT_EQ(career.funds, 1250);
    EXPECT_EQ(client.Player(1)->score, 3);
    Deliver(client, 1, KillsUpdate(8, 40, 999, 1, 1));
    EXPECT_EQ(career.funds, 1250);
    EXPECT_EQ(client.Player(0)->careerKills, 40);
    EXPECT_EQ(client.Player(0)->isIt, 1u);
    EXPECT_EQ(client.Player(1)->isIt, 0u);
}

// The host names the teams; a client speaks for its own pilot only.
TEST_F(NetControlTest, TeamRecordsRaiseTheCountAndPlayerRecordsSetTeams) {
    RecordingNetSession& client = Session(false);
    const auto team = [](const char* player, const char* teamName, int32_t number, int32_t logo, int32_t ready) {
        NetPacket packet;
        packet.BuildUpdateTeam(kUpdateTeam, player, teamName, number, logo, ready);
        return Built(packet);
    };
    // Without settings nothing is taken.
    Deliver(client, 1, team("NONE.", "Reds", 1, 4, -1));
    EXPECT_EQ(Game().netSettings, nullptr);
    Game().netSettings = new NetGameSettings();
    Deliver(client, 1, team("NONE.", "Reds", 1, 4, -1));
    EXPECT_EQ(Game().netSettings->teamCount, 2);
    EXPECT_STREQ(Game().netSettings->teams[1].name, "Reds");
    EXPECT_EQ(Game().netSettings->teams[1].logo, 4u);
    Bytes wild = team("NONE.", "Blues", 1, 4, -1);
    PacketWriter(wild.data(), uint32_t(wild.size())).I32(40, 5);
    Deliver(client, 1, wild);
    EXPECT_STREQ(Game().netSettings->teams[1].name, "Reds");
    delete Game().netSession;

    RecordingNetSession& host = Session(true);
    Game().netSettings->gameType = NetGameSettings::kCooperativeTeams;
    // Both teams exist: a third is not made, and its maker is told the two,
    // then that its own was not made.
    Deliver(host, 2, team("NONE.", "Blues", 1, 4, -1));
    EXPECT_STREQ(Game().netSettings->teams[1].name, "Reds");
    ASSERT_EQ(host.sent.size(), 3u);
    for (const auto& sent : host.sent) {
        EXPECT_EQ(sent.to, 2u);
        const auto told = net_read::ReadUpdateTeam(sent.bytes.data(), uint32_t(sent.bytes.size()));
        ASSERT_TRUE(told);
        EXPECT_TRUE(told->IsTeamRecord());
    }
    const auto notMade = net_read::ReadUpdateTeam(host.sent[2].bytes.data(), uint32_t(host.sent[2].bytes.size()));
    EXPECT_EQ(notMade->team, net_read::kTeamNotMade);
    EXPECT_STREQ(notMade->teamName, "Blues");
    host.sent.clear();
    // A player's record speaks for its sender, whatever name it gives, and
    // goes on under the sender's own.
    Deliver(host, 2, team("Host", "NONE.", 1, -1, 0));
    EXPECT_EQ(host.Player(0)->team, -1);
    EXPECT_EQ(host.Player(1)->team, 1);
    Deliver(host, 2, team("Guest", "NONE.", 0, -1, 1));
    EXPECT_EQ(host.Player(1)->team, 0);
    EXPECT_EQ(host.Player(1)->ready, 1u);
    // The name a host knows a member by is the host's to tell: a member's
    // own-name record renames nobody on the host.
    Deliver(host, 2, team("Guest", net_read::kOwnNameMark, 0, -1, 1));
    EXPECT_STREQ(host.Player(0)->name, "Host");
    EXPECT_STREQ(host.Player(1)->name, "Guest");
    EXPECT_EQ(Types(host), (std::vector<uint16_t>{kUpdateTeam, kUpdateTeam, kUpdateTeam}));
    for (const auto& sent : host.sent) {
        const auto relayed = net_read::ReadUpdateTeam(sent.bytes.data(), uint32_t(sent.bytes.size()));
        ASSERT_TRUE(relayed);
        EXPECT_STREQ(relayed->playerName, "Guest");
    }
}

// A member makes one team of a team game, for itself, while there is room
// for it: every machine hears of the team and of the member in it. A team
// named behind the host's back (another came first), a second team of
// one member, a third team, and a team of a game without teams are not
// made, and their maker is told the teams there are; nobody renames a team,
// and a leaver's entry comes to the next player without team or readiness.
TEST_F(NetControlTest, AMemberMakesOneTeamForItselfWhileTheGameHasRoom) {
    RecordingNetSession& host = Session(true);
    host.AddPlayer(3, "Third", -1);
    Game().netSettings = new NetGameSettings();
    NetGameSettings& settings = *Game().netSettings;
    settings.gameType = NetGameSettings::kCooperativeTeams;
    settings.teamCount = 1;
    settings.SetTeamName(0, "Red");
    const auto team = [](const char* teamName, int32_t number, int32_t logo) {
        NetPacket packet;
        packet.BuildUpdateTeam(kUpdateTeam, "NONE.", teamName, number, logo, -1);
        return Built(packet);
    };
    const auto told = [&host](size_t i) {
        return *net_read::ReadUpdateTeam(host.sent[i].bytes.data(), uint32_t(host.sent[i].bytes.size()));
    };
    // Renaming the host's team, or a name of one character: nothing made.
    Deliver(host, 2, team("Mine", 0, 3));
    Deliver(host, 2, team("B", 1, 3));
    EXPECT_EQ(settings.teamCount, 1);
    EXPECT_STREQ(settings.teams[0].name, "Red");
    ASSERT_EQ(host.sent.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(host.sent[i].to, 2u);
        EXPECT_EQ(told(i).team, i % 2 == 0 ? 0 : net_read::kTeamNotMade);
    }
    EXPECT_STREQ(told(0).teamName, "Red");
    EXPECT_STREQ(told(1).teamName, "Mine");
    host.sent.clear();

    // Joining the team one past the game's last is no joining.
    NetPacket early;
    early.BuildUpdateTeam(kUpdateTeam, "Third", "NONE.", 1, -1, 1);
    Deliver(host, 3, Built(early));
    EXPECT_EQ(host.Player(2)->team, -1);
    host.sent.clear();

    Deliver(host, 2, team("Blue", 1, 3));
    EXPECT_EQ(settings.teamCount, 2);
    EXPECT_STREQ(settings.teams[1].name, "Blue");
    EXPECT_EQ(settings.teams[1].logo, 3u);
    EXPECT_EQ(host.Player(1)->team, 1);
    ASSERT_EQ(host.sent.size(), 2u);
    EXPECT_EQ(host.sent[0].to, RecordingNetSession::kToAll);
    EXPECT_STREQ(told(0).teamName, "Blue");
    EXPECT_EQ(told(0).team, 1);
    EXPECT_EQ(host.sent[1].to, RecordingNetSession::kToAll);
    EXPECT_STREQ(told(1).playerName, "Guest");
    EXPECT_EQ(told(1).team, 1);
    host.sent.clear();

    // A third team, from another or the same member, is never made.
    Deliver(host, 3, team("Green", 1, 5));
    Deliver(host, 2, team("Green", 1, 5));
    EXPECT_EQ(settings.teamCount, 2);
    EXPECT_STREQ(settings.teams[1].name, "Blue");
    EXPECT_EQ(host.Player(2)->team, -1);
    ASSERT_EQ(host.sent.size(), 6u);
    EXPECT_EQ(host.sent[0].to, 3u);
    EXPECT_EQ(told(2).team, net_read::kTeamNotMade);
    EXPECT_EQ(host.sent[3].to, 2u);
    host.sent.clear();

    // Joining a team the game holds counts; one it does not, not.
    NetPacket joining;
    joining.BuildUpdateTeam(kUpdateTeam, "Third", "NONE.", 1, -1, 1);
    Deliver(host, 3, Built(joining));
    EXPECT_EQ(host.Player(2)->team, 1);
    EXPECT_EQ(host.Player(2)->ready, 1u);

    // Gone: the entry's next player has no team and is not ready.
    host.ClearPlayer(2);
    host.AddPlayer(4, "Fourth", -1);
    EXPECT_EQ(host.Player(2)->team, -1);
    EXPECT_EQ(host.Player(2)->ready, 0u);

    // A game without teams takes no team at all.
    settings.gameType = NetGameSettings::kCooperative;
    settings.teamCount = 0;
    host.sent.clear();
    Deliver(host, 4, team("Gold", 0, 1));
    EXPECT_EQ(settings.teamCount, 0);
    EXPECT_EQ(host.Player(2)->team, -1);
    Deliver(host, 4, Built(joining));
    EXPECT_EQ(host.Player(2)->team, -1);
}

std::vector<int32_t> g_ownTeams;
int g_notMade = 0;

// Two members, each with the host's one team in view, make a team at once:
// the host makes the first's and puts it in it; the second's is not made.
// On each member's machine, as the host's word arrives there, the first
// hears its own place in its team, the second that its team was not made;
// neither is put in the other's.
TEST_F(NetControlTest, OfTwoMembersMakingTeamsAtOnceTheSecondIsToldAndStaysOutOfTheFirstsTeam) {
    RecordingNetSession& host = Session(true);
    host.AddPlayer(3, "Third", -1);
    Game().netSettings = new NetGameSettings();
    NetGameSettings& settings = *Game().netSettings;
    settings.gameType = NetGameSettings::kCooperativeTeams;
    settings.teamCount = 1;
    settings.SetTeamName(0, "Red");
    for (const auto& [from, name] : {std::pair{2u, "Blue"}, std::pair{3u, "Green"}}) {
        NetPacket packet;
        packet.BuildUpdateTeam(kUpdateTeam, "NONE.", name, 1, 3, -1);
        Deliver(host, from, Built(packet));
    }
    EXPECT_EQ(host.Player(2)->team, -1);
    std::vector<std::vector<uint8_t>> toGuest, toThird;
    for (const auto& sent : host.sent) {
        if (sent.to == RecordingNetSession::kToAll || sent.to == 2u) toGuest.push_back(sent.bytes);
        if (sent.to == RecordingNetSession::kToAll || sent.to == 3u) toThird.push_back(sent.bytes);
    }
    delete &host;
    Game().netSession = nullptr;

    net_handlers::ownTeamHeard = [](int32_t team) { g_ownTeams.push_back(team); };
    net_handlers::ownTeamNotMade = [] { ++g_notMade; };
    for (const auto& [own, heard] : {std::pair{2u, &toGuest}, std::pair{3u, &toThird}}) {
        SCOPED_TRACE(own);
        g_ownTeams.clear();
        g_notMade = 0;
        auto* const member = new RecordingNetSession(false);
        Game().netSession = member;
        member->ownDpid = own;
        member->AddPlayer(1, "Host", -1);
        member->AddPlayer(2, "Guest", -1);
        member->AddPlayer(3, "Third", -1);
        settings.teamCount = 1;
        settings.SetTeamName(1, nullptr);
        for (const auto& bytes : *heard) Deliver(*member, 1, bytes);
        EXPECT_EQ(settings.teamCount, 2);
        EXPECT_STREQ(settings.teams[1].name, "Blue");
        EXPECT_EQ(member->Player(1)->team, 1);
        EXPECT_EQ(member->Player(2)->team, -1);
        EXPECT_EQ(g_ownTeams, own == 2u ? std::vector<int32_t>{1} : std::vector<int32_t>{});
        EXPECT_EQ(g_notMade, own == 2u ? 0 : 1);
        delete member;
        Game().netSession = nullptr;
    }
    net_handlers::ownTeamHeard = nullptr;
    net_handlers::ownTeamNotMade = nullptr;
}

TEST_F(NetControlTest, GameInfoMakesTheSettingsBuildsTheDustOnceAndReports) {
    RecordingNetSession& client = Session(false);
    builder_.TheMission().spaceDust.resize(2);
    NetPacket info;
    Game().netSettings = new NetGameSettings();
    Game().netSettings->gameType = 3;
    Game().netSettings->teamCount = 7;
    builder_.TheMission().starFields.clear();
    info.BuildControlPacket(kGameInfo);
    delete Game().netSettings;
    Game().netSettings = nullptr;
    Deliver(client, 1, Built(info));
    ASSERT_NE(Game().netSettings, nullptr);
    EXPECT_EQ(Game().netSettings->gameType, 3u);
    EXPECT_EQ(Game().netSettings->teamCount, 2);
    EXPECT_EQ(client.spaceDust, 1u);
    client.spaceDust = 0;
    builder_.TheMission().spaceDust.resize(3);
    Deliver(client, 1, Built(info));
    EXPECT_EQ(client.spaceDust, 0u);
    EXPECT_EQ(Types(client), (std::vector<uint16_t>{kKillsUpdate, kKillsUpdate}));
    EXPECT_EQ(client.sent[0].to, client.serverDpid);
}

TEST_F(NetControlTest, StateLeavesTheWaitingRoomOnlyForFlightOrScreens) {
    RecordingNetSession& client = Session(false);
    const auto state = [](int32_t mode) {
        Bytes bytes(NetPacket::kStateBytes, 0);
        PacketWriter out(bytes.data(), uint32_t(bytes.size()));
        out.U16(0, kState);
        out.U16(2, uint16_t(bytes.size()));
        out.I32(8, mode);
        return bytes;
    };
    for (const int32_t mode : {3, 6, 1}) {
        Game().mode = GameState::kModeLobbyWait;
        Deliver(client, 1, state(mode));
        EXPECT_EQ(Game().mode, GameState::kModeLobbyWait) << mode;
    }
    Game().mode = GameState::kModeScreens;
    Deliver(client, 1, state(GameState::kModeFlight));
    EXPECT_EQ(Game().nextScreenName, nullptr);
    Game().mode = GameState::kModeLobbyWait;
    Deliver(client, 1, state(GameState::kModeFlight));
    EXPECT_EQ(Game().mode, GameState::kModeScreens);
    EXPECT_STREQ(Game().nextScreenName, "HANGAR");
    EXPECT_EQ(g_netGameLaunched, 1u);
}

TEST_F(NetControlTest, MessagesFollowTheirScopeAndAFullJammerStopsThem) {
    RecordingNetSession& host = Session(true);
    Game().mode = GameState::kModeFlight;
    const struct {
        const char* scope;
        bool shown;
    } cases[] = {{"ALL", true}, {"FRIEND", false}, {"ENEMY", true}, {"Kestrel", true}, {"Kestre", false}};
    for (const auto& c : cases) {
        builder_.Clock().Advance(1000);   // each in a second of its own: lines are rationed
        Game().TheCockpit().ShowMessage("", nullptr, 0, 0);
        host.sent.clear();
        Deliver(host, 2, Message(c.scope, c.scope, 0));
        // Shown and relayed, shown or not, under the name the host knows its
        // sender by, in the text as well.
        const std::string line = std::string("Guest: [") + c.scope + "]";
        EXPECT_EQ(Shown() == line, c.shown) << c.scope;
        ASSERT_EQ(host.sent.size(), 1u) << c.scope;
        EXPECT_EQ(host.sent[0].bytes, Message(c.scope, line.c_str(), 0, "Guest"));
    }
    auto* const jammer = new JammerSystem(own_, 0, 1000000, 100, 50);
    own_->AddSystem(0, jammer);
    jammer->TurnOn();
    builder_.Clock().Advance(1000);
    Game().TheCockpit().ShowMessage("", nullptr, 0, 0);
    host.sent.clear();
    Deliver(host, 2, Message("ALL", "jammed", 0));
    EXPECT_EQ(Shown(), "");
    EXPECT_TRUE(host.sent.empty());
    jammer->TurnOff();
}

// The host's relay of a client's line reaches that client too; it showed
// the line as it sent it, and shows it once.
TEST_F(NetControlTest, AClientShowsTheRelayOfItsOwnLineOnlyOnce) {
    RecordingNetSession& client = Session(false);
    Game().mode = GameState::kModeFlight;
    const auto from = [](const char* sender, const char* text) {
        NetPacket packet;
        packet.BuildMessage(kMessage, "ALL", sender, text, 0);
        return Built(packet);
    };
    Game().TheCockpit().ShowMessage("", nullptr, 0, 0);
    Deliver(client, 1, from("Guest", "Guest: [hi]"));
    EXPECT_EQ(Shown(), "");
    Deliver(client, 1, from("Host", "Host: [hi]"));
    EXPECT_EQ(Shown(), "Host: [hi]");
    Deliver(client, 1, from("network", "Host killed Guest!"));
    EXPECT_EQ(Shown(), "Host killed Guest!");
    EXPECT_TRUE(client.sent.empty());
}

// Out of flight on the lobby the text goes to the chat box, whatever the
// scope, and the host passes it on: under the name it knows the sender by,
// whatever name the line claims, and shown without control characters.
TEST_F(NetControlTest, LobbyChatGoesToTheChatBox) {
    RecordingNetSession& host = Session(true);
    Game().mode = GameState::kModeLobbyWait;
    RecordingScreen::Tally tally;
    RecordingScreen::Register<ScreenSlot::kLobby>(tally);
    Screen* const lobby = Game().BuildScreen(ScreenSlot::kLobby);
    ASSERT_NE(lobby, nullptr);
    Game().currentScreen = lobby;
    Deliver(host, 2, Message("ENEMY", "Ann : hi\x1b[2J", 0));
    Game().currentScreen = nullptr;
    EXPECT_EQ(g_chat, (std::vector<std::string>{"Guest : hi?[2J"}));
    ASSERT_EQ(host.sent.size(), 1u);
    const auto relayed = net_read::ReadMessage(host.sent[0].bytes.data(), uint32_t(host.sent[0].bytes.size()));
    ASSERT_TRUE(relayed);
    EXPECT_STREQ(relayed->sender, "Guest");
    EXPECT_STREQ(relayed->text, "Guest : hi\x1b[2J");
    Game().DeleteScreens();
    GameState::RegisterScreen(ScreenSlotName(ScreenSlot::kLobby), GameState::ScreenFactory{});
}
