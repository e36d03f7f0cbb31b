#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>

#include "game/CareerRecord.h"
#include "game/GameState.h"
#include "game/MessageEntry.h"
#include "game/TextInput.h"
#include "mission/AfterFlight.h"
#include "mission/MissionSetUp.h"
#include "mission/RandomMissionGenerator.h"
#include "net/NetGameSettings.h"
#include "net/NetControlPackets.h"
#include "net/NetPacket.h"
#include "net/NetPacketType.h"
#include "net/NetSession.h"
#include "platform/SessionProviders.h"
#include "platform/Sleeper.h"
#include "screens/NetLobbyScreen.h"
#include "tests/support/RecordingMessageBox.h"
#include "tests/support/RecordingSleeper.h"
#include "tests/support/ScriptedSessionService.h"
#include "tests/support/world/ScreenHarness.h"
#include "engine/input/InputEventMap.h"
#include "ui/AnimatedPicture.h"
#include "ui/ArtObject.h"
#include "ui/BitmapButton.h"
#include "ui/EditField.h"
#include "ui/ListBox.h"
#include "ui/TextBlock.h"

namespace {

using Lobby = NetLobbyScreen;
using platform::MessageBoxAnswer;

// The host's settings arrive on the receive pass numbered `arrivesOn` (0: never).
int32_t g_receives = 0;
int32_t g_arrivesOn = 0;
uint32_t g_arrivingType = 0;
bool g_boxesOff = false;
NetLobbyScreen* g_listing = nullptr;

// A lobby whose panels a test fills after the run's opening has emptied them.
struct PreparedLobby : NetLobbyScreen {
    void Open() override {
        NetLobbyScreen::Open();
        if (prepare) prepare();
    }
    std::function<void()> prepare;
};

struct Connection {
    Connection()
        : previousBox(platform::MessageBox::Install(&boxes)),
          previousSleeper(platform::Sleeper::Install(&sleeper)),
          previousProviders(platform::SessionProviders::Install(&scripted.providers)) {
        scripted.Add(platform::SessionGuid{{1}}, "IPX", false);
        scripted.Add(platform::SessionGuid{{2}}, "Winsock TCP/IP");
        g_receives = 0;
        g_arrivesOn = 0;
        g_boxesOff = false;
        GameState::SetNetworkHooks(Hooks());
        Lobby::messageBoxesOff = [] { return g_boxesOff; };
        g_listing = &lobby;
        NetSession::SetGameFoundListener([](uint32_t most, uint32_t now, const char* name) { g_listing->AddGame(most, now, name); });
        GameState& game = harness.Game();
        delete game.career;
        game.career = new CareerRecord(1);
        game.netSession = new NetSession("Bob's game", Lobby::kMaxPlayers);
        // Every read of the clock moves it, so the join's waits come to an end.
        harness.Clock().SetAdvancePerRead(50);
    }
    ~Connection() {
        NetSession::SetGameFoundListener(nullptr);
        FreeMission();
        GameState& game = harness.Game();
        delete game.netSession;
        game.netSession = nullptr;
        delete game.netSettings;
        game.netSettings = nullptr;
        Lobby::messageBoxesOff = nullptr;
        GameState::SetNetworkHooks({});
        harness.Clock().SetAdvancePerRead(0);
        platform::SessionProviders::Install(previousProviders);
        platform::Sleeper::Install(previousSleeper);
        platform::MessageBox::Install(previousBox);
    }

    static GameState::NetworkHooks Hooks() {
        GameState::NetworkHooks hooks;
        hooks.receive = [](GameState& game) {
            if (++g_receives != g_arrivesOn) return;
            game.netSettings = new NetGameSettings();
            game.netSettings->gameType = g_arrivingType;
            game.netSettings->teamCount = 2;
            game.netSettings->SetTeamName(0, "Reds");
        };
        return hooks;
    }

    int32_t Fire(ArtObject* panel, uint32_t event, uint32_t click) {
        lobby.currentPanel = panel;
        lobby.nextPanel = nullptr;
        lobby.transitionPhase = MenuScreen::kPhaseNone;
        lobby.edgeEvents.Clear();
        lobby.edgeEvents.SetEvent(EventKey(event));
        lobby.edgeEvents.SetEvent(EventKey(click));
        return lobby.HandleEvent(EventKey(event));
    }
    ListBox& List(ArtObject* panel, const char* name) { return *dynamic_cast<ListBox*>(panel->FindControl(name)); }
    std::vector<std::string> Lines(ArtObject* panel, const char* name) {
        const auto* const box = dynamic_cast<const TextBox*>(panel->FindControl(name));
        const TextBlock* const block = box != nullptr ? box->GetBlock(box->currentBlock) : nullptr;
        return block != nullptr ? block->lines : std::vector<std::string>();
    }
    // The session list shows the host's game; it is selected and accepted.
    int32_t Join(uint32_t type, int32_t arrivesOn) {
        g_receives = 0;
        g_arrivesOn = arrivesOn;
        g_arrivingType = type;
        lobby.createFlag = 0;
        Fire(lobby.joinPanel, Lobby::kConnTcp, Lobby::kConnClick);
        EXPECT_EQ(lobby.nextPanel, lobby.sessionPanel);
        ScriptedSessionService& service = *scripted.created;
        service.sessions = {};
        platform::SessionDescription found;
        found.application = NetSession::kApplication;
        found.instance = platform::SessionGuid{{9}};
        found.maxPlayers = 8;
        found.currentPlayers = 1;
        found.name = "Ann's game";
        service.sessions = {found};
        service.remotePlayers = {{7, {"Ann", "Server"}}};
        harness.Game().netSession->EnumSessions();
        TextBlock* const block = List(lobby.sessionPanel, "GameList").GetBlock(0);
        if (block == nullptr || block->LineCount() == 0) return -1;
        block->selection = 0;
        return Fire(lobby.sessionPanel, Lobby::kSesAccept, Lobby::kSesClick);
    }
    int32_t RequestsSent() const {
        int32_t count = 0;
        for (const auto& sent : scripted.created->sends) {
            if (sent.bytes.size() >= 2 && (sent.bytes[0] | sent.bytes[1] << 8) == kGameInfoRequest) ++count;
        }
        return count;
    }

    ScreenHarness harness;
    RecordingMessageBox boxes;
    RecordingSleeper sleeper;
    ScriptedSessionProviders scripted;
    platform::MessageBox* previousBox;
    platform::Sleeper* previousSleeper;
    platform::SessionProviders* previousProviders;
    PreparedLobby lobby;
};

}  // namespace

TEST(NetLobbyConnectionTest, AProviderThatFailsShowsItsBoxUnlessTheDisplayForbidsAndTheLobbyStays) {
    Connection run;
    Lobby& lobby = run.lobby;
    run.Fire(lobby.multiPanel, Lobby::kMultiCreate, Lobby::kMultiClick);
    EXPECT_EQ(lobby.createFlag, 1);
    EXPECT_EQ(lobby.nextPanel, lobby.joinPanel);

    run.Fire(lobby.joinPanel, Lobby::kConnIpx, Lobby::kConnClick);
    ASSERT_EQ(run.boxes.Boxes().size(), 1u);
    EXPECT_EQ(run.boxes.Boxes()[0].caption, "Network Error");
    EXPECT_EQ(run.boxes.Boxes()[0].text, "IPX DirectPlay protocol invalid.");
    EXPECT_EQ(lobby.nextPanel, nullptr);
    g_boxesOff = true;
    run.Fire(lobby.joinPanel, Lobby::kConnIpx, Lobby::kConnClick);
    EXPECT_EQ(run.boxes.Boxes().size(), 1u);
    EXPECT_EQ(lobby.nextPanel, nullptr);

    // A host goes on to the game's set-up without looking for sessions.
    run.Fire(lobby.joinPanel, Lobby::kConnTcp, Lobby::kConnClick);
    EXPECT_EQ(lobby.nextPanel, lobby.createPanel);
    ASSERT_NE(run.scripted.created, nullptr);
    EXPECT_TRUE(run.scripted.created->enumSessionsTimeouts.empty());
}

TEST(NetLobbyConnectionTest, TheWaitForTheHostsSettingsTimesOutRetriesAndCancelDropsTheLink) {
    Connection run;
    Lobby& lobby = run.lobby;
    run.boxes.QueueAnswer(MessageBoxAnswer::kRetry);   // then Cancel
    EXPECT_EQ(run.Join(NetGameSettings::kCooperative, 0), 1);
    ASSERT_EQ(run.boxes.Boxes().size(), 2u);
    EXPECT_EQ(run.boxes.Boxes()[0].caption, "Timeout");
    EXPECT_EQ(run.boxes.Boxes()[0].text, "Timeout waiting for 'game_info' from server.");
    EXPECT_EQ(run.boxes.Boxes()[0].style & 0xF, platform::kMessageBoxRetryCancel);
    EXPECT_EQ(g_receives, 8);
    EXPECT_EQ(lobby.nextPanel, lobby.multiPanel);
    EXPECT_TRUE(run.Lines(lobby.sessionPanel, "GameList").empty());
    // The link is closed and made again: the next join opens a fresh one.
    EXPECT_FALSE(run.harness.Game().netSession->IsActive());
    EXPECT_TRUE(run.harness.Game().netSession->HasInterface());

    // A suppressed box gives up after four waits.
    g_boxesOff = true;
    EXPECT_EQ(run.Join(NetGameSettings::kCooperative, 0), 1);
    EXPECT_EQ(g_receives, 4);
    EXPECT_EQ(run.boxes.Boxes().size(), 2u);
}

TEST(NetLobbyConnectionTest, AJoinRoutesByGameTypeAndCountsTheMission) {
    Connection run;
    Lobby& lobby = run.lobby;
    GameState& game = run.harness.Game();
    const int32_t missions = game.career->missions;
    EXPECT_EQ(run.Join(NetGameSettings::kCooperative, 1), 1);
    EXPECT_EQ(run.RequestsSent(), 0);   // the settings came in the first wait
    EXPECT_EQ(lobby.nextPanel, lobby.waitPanel);
    EXPECT_EQ(game.mode, GameState::kModeLobbyWait);
    EXPECT_EQ(game.career->missions, missions + 1);
    EXPECT_TRUE(run.boxes.Boxes().empty());

    for (const uint32_t type : {NetGameSettings::kTagTeams, NetGameSettings::kCooperativeTeams}) {
        delete game.netSettings;
        game.netSettings = nullptr;
        EXPECT_EQ(run.Join(type, 2), 1);
        EXPECT_EQ(run.RequestsSent(), 1);
        EXPECT_EQ(lobby.nextPanel, lobby.teamPanel);
        EXPECT_EQ(run.Lines(lobby.teamPanel, "TeamList"), (std::vector<std::string>{"Reds", ""}));
    }

    for (const uint32_t type : {NetGameSettings::kTag, NetGameSettings::kDeathMatch}) {
        delete game.netSettings;
        game.netSettings = nullptr;
        g_netGameLaunched = 0;
        EXPECT_EQ(run.Join(type, 1), 0);
        EXPECT_EQ(game.mode, GameState::kModeScreens);
        EXPECT_EQ(g_netGameLaunched, 1u);
        EXPECT_EQ(lobby.nextPanel, nullptr);
    }
    g_netGameLaunched = 0;
}

TEST(NetLobbyConnectionTest, APendingGameIsHostedInTheNextPassAndAFailedHostGoesBack) {
    Connection run;
    Lobby& lobby = run.lobby;
    GameState& game = run.harness.Game();
    ASSERT_EQ(game.netSession->SelectServiceProvider("TCP/IP"), 1);
    const int32_t missions = game.career->missions;
    lobby.pendingMission = Lobby::kHostedMission;
    lobby.Update();
    EXPECT_TRUE(lobby.pendingMission.empty());
    EXPECT_TRUE(game.netSession->IsHost());
    EXPECT_EQ(game.career->missions, missions + 1);
    lobby.Update();
    EXPECT_EQ(game.career->missions, missions + 1);

    ASSERT_EQ(game.netSession->SelectServiceProvider("TCP/IP"), 1);
    run.scripted.created->openResult = platform::kSessionNoConnection;
    game.netSettings = new NetGameSettings();
    g_netGameLaunched = 1;
    lobby.nextPanel = nullptr;
    lobby.pendingMission = Lobby::kHostedMission;
    lobby.Update();
    ASSERT_EQ(run.boxes.Boxes().size(), 1u);
    EXPECT_EQ(run.boxes.Boxes()[0].text, "Cannot host the game.");
    EXPECT_EQ(game.netSettings, nullptr);
    EXPECT_EQ(g_netGameLaunched, 0u);
    EXPECT_EQ(lobby.nextPanel, lobby.multiPanel);
}

// A network game is one mission of the career whether it is hosted or
// joined: the lobby counts it, and settling its flight does not again.
TEST(NetLobbyConnectionTest, AHostedOrJoinedGameIsOneMissionThroughItsFlight) {
    Connection run;
    Lobby& lobby = run.lobby;
    GameState& game = run.harness.Game();
    CareerRecord& career = *game.career;
    // The game asks, as it does in play, whether its session is open.
    GameState::NetworkHooks hooks = Connection::Hooks();
    hooks.isNetworkGame = [] {
        const NetSession* const session = g_gameState != nullptr ? g_gameState->netSession : nullptr;
        return session != nullptr && session->IsActive();
    };
    GameState::SetNetworkHooks(hooks);
    const auto flyAndLand = [&game] {
        ASSERT_TRUE(game.IsNetworkGame());
        game.flightUnsettled = 1;
        SettleFlight(game, MessageEntry::kWon, nullptr, nullptr);
    };

    ASSERT_EQ(game.netSession->SelectServiceProvider("TCP/IP"), 1);
    lobby.pendingMission = Lobby::kHostedMission;
    lobby.Update();
    ASSERT_TRUE(game.netSession->IsHost());
    EXPECT_EQ(career.missions, 1);
    flyAndLand();
    EXPECT_EQ(career.missions, 1);

    delete game.netSettings;
    game.netSettings = nullptr;
    delete game.netSession;
    game.netSession = new NetSession("Bob's game", Lobby::kMaxPlayers);
    EXPECT_EQ(run.Join(NetGameSettings::kDeathMatch, 1), 0);
    ASSERT_FALSE(game.netSession->IsHost());
    EXPECT_EQ(career.missions, 2);
    flyAndLand();
    EXPECT_EQ(career.missions, 2);
    g_netGameLaunched = 0;
}

namespace {

void Latch(ArtObject* panel, const char* name, bool on) {
    auto* const button = dynamic_cast<BitmapButton*>(panel->FindControl(name));
    ASSERT_NE(button, nullptr) << name;
    button->SetState(on ? BitmapButton::kLatched : 0);
}

}  // namespace

TEST(NetLobbyConnectionTest, TheConfirmedPanelsGiveTheGameTypeAndADeathMatchWithoutTeamsStillHosts) {
    Connection run;
    Lobby& lobby = run.lobby;
    GameState& game = run.harness.Game();
    const struct {
        bool normal, tag, teams;
        uint32_t type;
        int32_t handled;
    } kDeath[] = {{true, false, true, NetGameSettings::kDeathMatchTeams, 1},
                  {false, true, true, NetGameSettings::kTagTeams, 1},
                  {false, false, true, NetGameSettings::kDeathMatchTeams, 1},
                  {false, true, false, NetGameSettings::kTag, 0},
                  {false, false, false, NetGameSettings::kDeathMatch, 0}};
    for (const auto& row : kDeath) {
        Latch(lobby.deathPanel, "Normal", row.normal);
        Latch(lobby.deathPanel, "Tag", row.tag);
        Latch(lobby.deathPanel, "Teams", row.teams);
        EXPECT_EQ(run.Fire(lobby.deathPanel, Lobby::kDeathOk, Lobby::kDeathClick), row.handled);
        ASSERT_NE(game.netSettings, nullptr);
        EXPECT_EQ(game.netSettings->gameType, row.type);
        EXPECT_EQ(lobby.nextPanel, row.teams ? lobby.teamCreatePanel : nullptr);
        EXPECT_EQ(lobby.pendingMission, Lobby::kHostedMission);
    }
    // The pass that ended the lobby still hosts.
    ASSERT_EQ(game.netSession->SelectServiceProvider("TCP/IP"), 1);
    lobby.Update();
    EXPECT_TRUE(game.netSession->IsHost());

    for (const bool teams : {true, false}) {
        Latch(lobby.coopPanel, "Teams", teams);
        run.Fire(lobby.coopPanel, Lobby::kCoopOk, Lobby::kCoopClick);
        EXPECT_EQ(game.netSettings->gameType, teams ? NetGameSettings::kCooperativeTeams : NetGameSettings::kCooperative);
        EXPECT_EQ(lobby.nextPanel, teams ? lobby.teamCreatePanel : lobby.waitPanel);
    }
    g_netGameLaunched = 0;
}

// The set-up strips follow the pointer: a click picks the segment under it,
// a step key moves the pointer a segment and picks there but never past the
// strip's ends, and an amount slider is dead while its toggle is off.
TEST(NetLobbyConnectionTest, TheSetUpStripsFollowThePointerWithinTheirEnds) {
    Connection run;
    Lobby& lobby = run.lobby;
    GameState& game = run.harness.Game();
    RandomMissionGenerator& generator = RandomMissionGenerator::Of(game);
    ASSERT_NE(lobby.eventMap, nullptr);
    const auto pointerX = [&lobby] {
        uint16_t x = 0, y = 0;
        lobby.eventMap->GetMousePosition(&x, &y);
        return int32_t(x);
    };
    const auto cel = [](ArtObject* panel, const char* name) {
        const auto* const strip = dynamic_cast<const AnimatedPicture*>(panel->FindControl(name));
        return strip != nullptr ? strip->GetCel() : -1;
    };

    lobby.SetMousePosition(460, 300);
    run.Fire(lobby.coopPanel, Lobby::kCoopDifficulty, Lobby::kCoopClick);
    EXPECT_EQ(cel(lobby.coopPanel, "Difficulty"), 2);
    run.Fire(lobby.coopPanel, Lobby::kCoopNew, Lobby::kCoopClick);
    EXPECT_EQ(generator.difficulty, 2);
    for (int32_t step = 0; step < 3; ++step) run.Fire(lobby.coopPanel, Lobby::kCoopDifficulty, Lobby::kCoopStepRight);
    EXPECT_EQ(pointerX(), 540);
    EXPECT_EQ(cel(lobby.coopPanel, "Difficulty"), 3);
    for (int32_t step = 0; step < 5; ++step) run.Fire(lobby.coopPanel, Lobby::kCoopDifficulty, Lobby::kCoopStepLeft);
    EXPECT_EQ(pointerX(), 380);
    EXPECT_EQ(cel(lobby.coopPanel, "Difficulty"), 0);

    Latch(lobby.deathPanel, "Asteroids", false);
    Latch(lobby.deathPanel, "Mines", true);
    lobby.SetMousePosition(500, 160);
    run.Fire(lobby.deathPanel, Lobby::kDeathAsterSlide, Lobby::kDeathClick);
    run.Fire(lobby.deathPanel, Lobby::kDeathAsterSlide, Lobby::kDeathStepRight);
    EXPECT_EQ(cel(lobby.deathPanel, "AsterSlide"), 0);
    EXPECT_EQ(pointerX(), 500);
    Latch(lobby.deathPanel, "Asteroids", true);
    run.Fire(lobby.deathPanel, Lobby::kDeathAsterSlide, Lobby::kDeathClick);
    EXPECT_EQ(cel(lobby.deathPanel, "AsterSlide"), 3);
    for (int32_t step = 0; step < 4; ++step) run.Fire(lobby.deathPanel, Lobby::kDeathAsterSlide, Lobby::kDeathStepRight);
    EXPECT_EQ(pointerX(), 560);
    EXPECT_EQ(cel(lobby.deathPanel, "AsterSlide"), 6);
    Latch(lobby.deathPanel, "Teams", false);
    run.Fire(lobby.deathPanel, Lobby::kDeathOk, Lobby::kDeathClick);
    EXPECT_EQ(generator.asteroidAmount, 7);
    EXPECT_EQ(generator.mineAmount, 1);
    g_netGameLaunched = 0;
}

// A third team, which another's took the place of while its name was
// typed, is not made: nobody's team is renamed, and the host is sent to
// the team list, told so.
TEST(NetLobbyConnectionTest, TeamNamesAreCheckedAThirdTeamIsRefusedAndCancelAlwaysLands) {
    Connection run;
    Lobby& lobby = run.lobby;
    GameState& game = run.harness.Game();
    ASSERT_EQ(game.netSession->SelectServiceProvider("TCP/IP"), 1);
    ASSERT_EQ(game.netSession->HostGame(), 1);
    game.netSettings = new NetGameSettings();
    game.netSettings->gameType = NetGameSettings::kCooperativeTeams;
    auto* const field = dynamic_cast<EditField*>(lobby.teamCreatePanel->FindControl("TeamName"));
    ASSERT_NE(field, nullptr);
    const auto accept = [&](const char* name) {
        field->SetText(name);
        return run.Fire(lobby.teamCreatePanel, Lobby::kTcAccept, Lobby::kTcClick);
    };
    accept("R");
    EXPECT_EQ(game.netSettings->teamCount, 0);
    EXPECT_EQ(lobby.nextPanel, nullptr);
    accept("Reds of the far rim");
    EXPECT_STREQ(game.netSettings->teams[0].name, "Reds of the far");
    EXPECT_EQ(lobby.nextPanel, lobby.waitPanel);
    accept("Bl");
    static std::vector<std::string> notices;
    notices.clear();
    Lobby::noticeShown = [](const char* text) { notices.emplace_back(text); };
    accept("Greens");
    Lobby::noticeShown = nullptr;
    EXPECT_EQ(game.netSettings->teamCount, 2);
    EXPECT_STREQ(game.netSettings->teams[0].name, "Reds of the far");
    EXPECT_STREQ(game.netSettings->teams[1].name, "Bl");
    EXPECT_EQ(game.career->teamIndex, 1);
    EXPECT_EQ(game.netSession->Player(0)->team, 1);
    EXPECT_EQ(notices, (std::vector<std::string>{Lobby::kTeamNotMade}));
    EXPECT_EQ(lobby.nextPanel, lobby.teamPanel);
    // Cancel from every path lands on a panel, the link closed.
    for (ArtObject* const saved : {static_cast<ArtObject*>(nullptr), lobby.coopPanel, lobby.teamPanel}) {
        ASSERT_EQ(game.netSession->SelectServiceProvider("TCP/IP"), 1);
        ASSERT_EQ(game.netSession->HostGame(), 1);
        lobby.savedPanel = saved;
        run.Fire(lobby.teamCreatePanel, Lobby::kTcCancel, Lobby::kTcClick);
        EXPECT_EQ(lobby.nextPanel, saved == nullptr ? lobby.multiPanel : saved == lobby.coopPanel ? lobby.createPanel
                                                                                                 : lobby.teamPanel);
        EXPECT_FALSE(game.netSession->IsActive());
        EXPECT_EQ(game.netSettings, nullptr);
    }
}

// A member's team is the host's to make. On "Accept" the member asks and
// waits on the panel; asking again meanwhile sends nothing. Another's team
// made first: the host's word brings the member back to the team list,
// told so, in no team, and a later word of its team is nothing it waits
// for. Its team made: the host's record of the member in it takes it into
// the waiting room. A pilot the host gave a number flies under it: its row
// is the numbered one, which it readies, and its chat carries that name.
TEST(NetLobbyConnectionTest, AMembersTeamIsTheHostsToMakeAndItsNameTheHostsToGive) {
    Connection run;
    Lobby& lobby = run.lobby;
    GameState& game = run.harness.Game();
    ASSERT_EQ(run.Join(NetGameSettings::kCooperativeTeams, 2), 1);
    NetSession& session = *game.netSession;
    ScriptedSessionService& service = *run.scripted.created;
    game.netSettings->teamCount = 1;
    static std::vector<std::string> notices;
    notices.clear();
    Lobby::noticeShown = [](const char* text) { notices.emplace_back(text); };
    // As the lobby's run installs them.
    net_handlers::ownTeamHeard = [](int32_t team) { g_listing->HearOwnTeam(team); };
    net_handlers::ownTeamNotMade = [] { g_listing->HearTeamNotMade(); };
    const auto fromHost = [&session](const std::string& player, const char* team, int32_t number, int32_t logo) {
        NetPacket packet;
        packet.BuildUpdateTeam(kUpdateTeam, player.c_str(), team, number, logo, player == "NONE." ? -1 : 0);
        session.HandleMessage(7, session.ownDpid, packet.GetData(), packet.GetSize());
    };
    const auto own = [&session] { return std::string(session.GetPlayerName(session.FindPlayerByDpid(session.ownDpid))); };
    const auto asked = [&service]() {
        std::vector<std::string> teams;
        for (const auto& sent : service.sends) {
            const auto record = net_read::ReadUpdateTeam(sent.bytes.data(), uint32_t(sent.bytes.size()));
            if (record) teams.push_back(std::string(record->playerName) + " " + record->teamName + " " + std::to_string(record->team));
        }
        return teams;
    };
    auto* const field = dynamic_cast<EditField*>(lobby.teamCreatePanel->FindControl("TeamName"));
    ASSERT_NE(field, nullptr);
    field->SetText("Blue");
    service.sends.clear();
    EXPECT_EQ(run.Fire(lobby.teamCreatePanel, Lobby::kTcAccept, Lobby::kTcClick), 1);
    EXPECT_EQ(run.Fire(lobby.teamCreatePanel, Lobby::kTcAccept, Lobby::kTcClick), 1);
    EXPECT_EQ(asked(), (std::vector<std::string>{"NONE. Blue 1"}));
    EXPECT_EQ(lobby.nextPanel, nullptr);

    // Green came first.
    fromHost("NONE.", "Green", 1, 2);
    fromHost("NONE.", "Blue", net_read::kTeamNotMade, 3);
    EXPECT_EQ(notices, (std::vector<std::string>{Lobby::kTeamNotMade}));
    EXPECT_EQ(lobby.nextPanel, lobby.teamPanel);
    EXPECT_EQ(game.career->teamIndex, -1);
    EXPECT_EQ(session.Player(session.FindPlayerByDpid(session.ownDpid))->team, -1);
    fromHost(own(), "NONE.", 1, -1);
    EXPECT_EQ(lobby.nextPanel, lobby.teamPanel);
    EXPECT_EQ(game.career->teamIndex, -1);

    // Asked again, of a game whose second team is not yet.
    game.netSettings->teamCount = 1;
    fromHost(own(), "NONE.", -1, -1);
    run.Fire(lobby.teamCreatePanel, Lobby::kTcAccept, Lobby::kTcClick);
    fromHost("NONE.", "Blue", 1, 3);
    fromHost(own(), "NONE.", 1, -1);
    EXPECT_EQ(lobby.nextPanel, lobby.waitPanel);
    EXPECT_EQ(game.career->teamIndex, 1);
    Lobby::noticeShown = nullptr;
    net_handlers::ownTeamHeard = nullptr;
    net_handlers::ownTeamNotMade = nullptr;

    // Another pilot of the career's name was there first: the host names this one with a number.
    const std::string career = game.career->GetPilotName();
    session.AddPlayer(8, career.c_str(), -1);
    fromHost(career + "2", net_read::kOwnNameMark, 1, -1);
    ASSERT_EQ(own(), career + "2");
    lobby.currentPanel = lobby.waitPanel;
    lobby.nextPanel = nullptr;
    lobby.transitionPhase = MenuScreen::kPhaseNone;
    const int32_t ownRow = session.FindPlayerByDpid(session.ownDpid);
    const int32_t namesakesRow = session.FindPlayerByDpid(8);
    run.Fire(lobby.waitPanel, Lobby::kWaitFirstSlot + uint32_t(namesakesRow), Lobby::kWaitClick);
    EXPECT_EQ(game.career->ready, 0);
    run.Fire(lobby.waitPanel, Lobby::kWaitFirstSlot + uint32_t(ownRow), Lobby::kWaitClick);
    EXPECT_EQ(game.career->ready, 1);
    service.sends.clear();
    lobby.Update();
    EXPECT_EQ(session.Player(namesakesRow)->ready, 0u);
    EXPECT_EQ(asked().at(0), career + "2 NONE 1");
    SetTextInputBuffer(Lobby::kChatTextBytes);
    for (const char c : std::string("hi")) TypeTextInput(uint32_t(c));
    service.sends.clear();
    run.Fire(lobby.waitPanel, Lobby::kWaitSendChat, Lobby::kWaitSendChat);
    ASSERT_EQ(service.sends.size(), 1u);
    const auto said = net_read::ReadMessage(service.sends[0].bytes.data(), uint32_t(service.sends[0].bytes.size()));
    ASSERT_TRUE(said);
    EXPECT_EQ(std::string(said->text), career + "2 : hi");
}

TEST(NetLobbyConnectionTest, TheWaitingRoomReadiesOnlyOnesOwnSlotChatsAndStartsWhenAllAreReady) {
    Connection run;
    Lobby& lobby = run.lobby;
    GameState& game = run.harness.Game();
    game.netSettings = new NetGameSettings();
    for (const uint32_t type : {NetGameSettings::kDeathMatch, NetGameSettings::kCooperativeTeams, NetGameSettings::kCooperative}) {
        game.netSettings->gameType = type;
        EXPECT_EQ(lobby.AllTeamPlayersReady(), type != NetGameSettings::kDeathMatch);   // nobody yet
    }
    ASSERT_EQ(game.netSession->SelectServiceProvider("TCP/IP"), 1);
    ASSERT_EQ(game.netSession->HostGame(), 1);
    game.netSession->AddPlayer(9, "Bob", -1);
    lobby.currentPanel = lobby.waitPanel;
    lobby.Update();
    EXPECT_FALSE(lobby.AllTeamPlayersReady());

    // Bob's slot is not ours; our own toggles.
    run.Fire(lobby.waitPanel, Lobby::kWaitFirstSlot + 1, Lobby::kWaitClick);
    EXPECT_EQ(game.career->ready, 0);
    run.Fire(lobby.waitPanel, Lobby::kWaitFirstSlot, Lobby::kWaitClick);
    EXPECT_EQ(game.career->ready, 1);
    lobby.Update();
    EXPECT_NE(game.netSession->Player(0)->ready, 0u);
    EXPECT_EQ(run.Fire(lobby.waitPanel, Lobby::kWaitStart, Lobby::kWaitClick), 1);   // Bob is not ready
    game.netSession->EditPlayer(1)->ready = 1;

    // Typed text holds Start and Cancel back until it is sent; the host sees its line at once.
    SetTextInputBuffer(Lobby::kChatTextBytes);
    for (const char c : std::string("hello")) TypeTextInput(uint32_t(c));
    EXPECT_EQ(run.Fire(lobby.waitPanel, Lobby::kWaitStart, Lobby::kWaitClick), 1);
    run.Fire(lobby.waitPanel, Lobby::kWaitCancel, Lobby::kWaitClick);
    EXPECT_EQ(lobby.nextPanel, nullptr);
    run.Fire(lobby.waitPanel, Lobby::kWaitSendChat, Lobby::kWaitSendChat);
    const std::vector<std::string> chat = run.Lines(lobby.waitPanel, "ChatBox");
    ASSERT_FALSE(chat.empty());
    EXPECT_EQ(chat.back(), std::string(game.career->GetPilotName()) + " : hello");
    EXPECT_STREQ(g_textInput, "");
    EXPECT_EQ(run.Fire(lobby.waitPanel, Lobby::kWaitStart, Lobby::kWaitClick), 0);
    EXPECT_EQ(game.mode, GameState::kModeScreens);

    // The host's Cancel forgets the settings and closes the session.
    run.Fire(lobby.waitPanel, Lobby::kWaitCancel, Lobby::kWaitClick);
    EXPECT_EQ(lobby.nextPanel, lobby.multiPanel);
    EXPECT_EQ(game.netSettings, nullptr);
    EXPECT_FALSE(game.netSession->IsActive());
}

// A name too long for its row wraps there; the row is still the pilot's
// own and readies it (the first wrapped line is not the whole name).
TEST(NetLobbyConnectionTest, APilotWhoseNameWrapsInItsRowCanGetReady) {
    Connection run;
    Lobby& lobby = run.lobby;
    GameState& game = run.harness.Game();
    game.netSettings = new NetGameSettings();
    game.netSettings->gameType = NetGameSettings::kCooperative;
    std::snprintf(game.career->pilotName, sizeof game.career->pilotName, "%s",
                  "Wing Commander Aldous Percival Montgomery Featherstonehaugh");
    ASSERT_EQ(game.netSession->SelectServiceProvider("TCP/IP"), 1);
    ASSERT_EQ(game.netSession->HostGame(), 1);
    game.netSession->AddPlayer(9, "Bob", -1);
    lobby.currentPanel = lobby.waitPanel;
    lobby.Update();
    ASSERT_GT(run.Lines(lobby.waitPanel, "Player1Name").size(), 1u);
    ASSERT_STREQ(game.netSession->GetPlayerName(0), game.career->GetPilotName());

    run.Fire(lobby.waitPanel, Lobby::kWaitFirstSlot, Lobby::kWaitClick);
    EXPECT_EQ(game.career->ready, 1);
    lobby.Update();
    EXPECT_NE(game.netSession->Player(0)->ready, 0u);
    run.Fire(lobby.waitPanel, Lobby::kWaitFirstSlot + 1, Lobby::kWaitClick);   // Bob's row is not ours
    EXPECT_EQ(game.career->ready, 1);
    run.Fire(lobby.waitPanel, Lobby::kWaitFirstSlot, Lobby::kWaitClearReady);
    EXPECT_EQ(game.career->ready, 0);
    run.Fire(lobby.waitPanel, Lobby::kWaitCancel, Lobby::kWaitClick);
}

TEST(NetLobbyConnectionTest, AClientSeesItsChatLineOnlyFromTheHostAndAsksForTheState) {
    Connection run;
    Lobby& lobby = run.lobby;
    GameState& game = run.harness.Game();
    ASSERT_EQ(run.Join(NetGameSettings::kCooperative, 1), 1);
    lobby.currentPanel = lobby.waitPanel;
    const size_t before = run.scripted.created->sends.size();
    lobby.Update();
    int32_t requests = 0;
    for (size_t i = before; i < run.scripted.created->sends.size(); ++i) {
        const auto& bytes = run.scripted.created->sends[i].bytes;
        if (bytes.size() >= 2 && (bytes[0] | bytes[1] << 8) == kStateRequest) ++requests;
    }
    EXPECT_EQ(requests, 1);
    SetTextInputBuffer(Lobby::kChatTextBytes);
    for (const char c : std::string("hi")) TypeTextInput(uint32_t(c));
    run.Fire(lobby.waitPanel, Lobby::kWaitSendChat, Lobby::kWaitSendChat);
    EXPECT_TRUE(run.Lines(lobby.waitPanel, "ChatBox").empty());
    EXPECT_EQ(lobby.chatLine, std::string(game.career->GetPilotName()) + " : hi");
    // A client's Cancel leaves the game and its settings: the next join
    // waits for its own host's, and is routed by them.
    run.Fire(lobby.waitPanel, Lobby::kWaitCancel, Lobby::kWaitClick);
    EXPECT_EQ(game.netSettings, nullptr);
    EXPECT_EQ(run.Join(NetGameSettings::kCooperativeTeams, 1), 1);
    EXPECT_EQ(lobby.nextPanel, lobby.teamPanel);
}

TEST(NetLobbyConnectionTest, TheSessionListAndTheWaitingRoomMatchTheirPictures) {
    {
        Connection run;
        PreparedLobby& lobby = run.lobby;
        ASSERT_EQ(run.Fire(lobby.joinPanel, Lobby::kConnTcp, Lobby::kConnClick), 1);
        ScriptedSessionService& service = *run.scripted.created;
        platform::SessionDescription found;
        found.application = NetSession::kApplication;
        found.instance = platform::SessionGuid{{9}};
        found.maxPlayers = 8;
        found.currentPlayers = 1;
        found.name = "Ann's game";
        service.sessions = {found};
        lobby.prepare = [&run] { run.harness.Game().netSession->EnumSessions(); };
        lobby.currentPanel = lobby.sessionPanel;
        lobby.nextPanel = nullptr;
        run.harness.CaptureAfterPass(14);
        run.harness.SetPassLimit(14);
        run.harness.Run(lobby);
        EXPECT_TRUE(MatchesGolden(run.harness.Picture(14), "lobby_session_list"));
    }
    {
        Connection run;
        PreparedLobby& lobby = run.lobby;
        GameState& game = run.harness.Game();
        std::snprintf(game.career->pilotName, sizeof(game.career->pilotName), "%s", "Ann");
        game.netSettings = new NetGameSettings();
        game.netSettings->gameType = NetGameSettings::kCooperative;
        ASSERT_EQ(game.netSession->SelectServiceProvider("TCP/IP"), 1);
        ASSERT_EQ(game.netSession->HostGame(), 1);
        game.netSession->AddPlayer(9, "Bob", -1);
        lobby.prepare = [&run, &lobby, &game] {
            lobby.currentPanel = lobby.waitPanel;
            lobby.Update();
            run.Fire(lobby.waitPanel, Lobby::kWaitFirstSlot, Lobby::kWaitClick);
            game.netSession->EditPlayer(1)->ready = 1;
            SetTextInputBuffer(Lobby::kChatTextBytes);
            for (const char c : std::string("hello")) TypeTextInput(uint32_t(c));
            run.Fire(lobby.waitPanel, Lobby::kWaitSendChat, Lobby::kWaitSendChat);
            lobby.edgeEvents.Clear();
        };
        lobby.currentPanel = lobby.waitPanel;
        lobby.nextPanel = nullptr;
        run.harness.CaptureAfterPass(14);
        run.harness.SetPassLimit(14);
        run.harness.Run(lobby);
        EXPECT_TRUE(MatchesGolden(run.harness.Picture(14), "lobby_waiting_room"));
    }
}

// The arrows beside the cooperative and death-match briefings page the
// briefing text down and up: the cooperative ones with a click, the death
// match's silently.
TEST(NetLobbyConnectionTest, TheBriefingArrowsPageTheBriefing) {
    Connection run;
    Lobby& lobby = run.lobby;
    const struct {
        ArtObject* panel;
        uint32_t up, down, click;
        int32_t clicks;
    } kPanels[] = {{lobby.coopPanel, Lobby::kCoopArrowUp, Lobby::kCoopArrowDown, Lobby::kCoopClick, 2},
                   {lobby.deathPanel, Lobby::kDeathArrowUp, Lobby::kDeathArrowDown, Lobby::kDeathClick, 0}};
    for (const auto& row : kPanels) {
        // UI sounds 2 ("Click 1") and 5, the scroll buttons' own.
        const int32_t clicks = run.harness.UiSoundCount(2);
        const int32_t arrows = run.harness.UiSoundCount(5);
        auto* const box = dynamic_cast<TextBox*>(row.panel->FindControl("Description"));
        ASSERT_NE(box, nullptr);
        std::string text;
        for (int32_t line = 0; line < 40; ++line) text += "A line of the briefing\n";
        box->SetText(text.c_str());
        TextBlock* const block = box->GetBlock(box->currentBlock);
        ASSERT_NE(block, nullptr);
        run.Fire(row.panel, row.down, row.click);
        EXPECT_GT(block->scrollRequest, 0);
        run.Fire(row.panel, row.up, row.click);
        EXPECT_LT(block->scrollRequest, 0);
        EXPECT_EQ(run.harness.UiSoundCount(2) - clicks, row.clicks);
        EXPECT_EQ(run.harness.UiSoundCount(5), arrows);
    }
}

// Leaving the waiting room makes the lobby an option screen again (mode 4),
// the host's settings forgotten.
TEST(NetLobbyConnectionTest, LeavingTheWaitingRoomMakesTheLobbyAnOptionScreenAgain) {
    Connection run;
    Lobby& lobby = run.lobby;
    GameState& game = run.harness.Game();
    ASSERT_EQ(game.netSession->SelectServiceProvider("TCP/IP"), 1);
    ASSERT_EQ(game.netSession->HostGame(), 1);
    game.netSettings = new NetGameSettings();
    game.mode = GameState::kModeLobbyWait;

    run.Fire(lobby.waitPanel, Lobby::kWaitCancel, Lobby::kWaitClick);

    EXPECT_EQ(game.mode, GameState::kModeScreens);
    EXPECT_EQ(lobby.nextPanel, lobby.multiPanel);
    EXPECT_EQ(game.netSettings, nullptr);
}

namespace {

std::vector<std::string> g_notices;

}  // namespace

// The death match a host sets up on its panel is the one it hosts: "Tag"
// chosen over "Normal", asteroids at the slider's amount, mines toggled on
// and off again, enemies, a base and teams; Cancel and a second visit keep
// the choices, and the game hosted is made of them.
TEST(NetLobbyConnectionTest, TheDeathMatchPanelsChoicesMakeTheHostedGame) {
    Connection run;
    Lobby& lobby = run.lobby;
    GameState& game = run.harness.Game();
    RandomMissionGenerator& generator = RandomMissionGenerator::Of(game);
    for (const char* toggle : {"Asteroids", "Mines", "Enemies", "Base", "Teams"}) Latch(lobby.deathPanel, toggle, false);
    const auto latched = [&lobby](const char* name) {
        const auto* const button = dynamic_cast<const BitmapButton*>(lobby.deathPanel->FindControl(name));
        return button != nullptr && button->GetState() == BitmapButton::kLatched;
    };
    run.Fire(lobby.createPanel, Lobby::kGameDeath, Lobby::kGameClick);
    EXPECT_EQ(lobby.nextPanel, lobby.deathPanel);
    EXPECT_EQ(generator.kind, RandomMissionGenerator::kDeathMatch);
    run.Fire(lobby.deathPanel, Lobby::kDeathTag, Lobby::kDeathClick);
    EXPECT_TRUE(latched("Tag"));
    EXPECT_FALSE(latched("Normal"));
    EXPECT_EQ(generator.deathMatchKind, 3);
    run.Fire(lobby.deathPanel, Lobby::kDeathNormal, Lobby::kDeathClick);
    EXPECT_EQ(generator.deathMatchKind, 1);
    run.Fire(lobby.deathPanel, Lobby::kDeathTag, Lobby::kDeathClick);
    for (const uint32_t toggle : {Lobby::kDeathAsteroids, Lobby::kDeathMines, Lobby::kDeathMines, Lobby::kDeathEnemies,
                                  Lobby::kDeathBase, Lobby::kDeathTeams}) {
        run.Fire(lobby.deathPanel, toggle, Lobby::kDeathClick);
    }
    EXPECT_TRUE(latched("Asteroids"));
    EXPECT_FALSE(latched("Mines"));
    lobby.SetMousePosition(485, 160);   // the third segment of the asteroids' slider
    run.Fire(lobby.deathPanel, Lobby::kDeathAsterSlide, Lobby::kDeathClick);
    run.Fire(lobby.deathPanel, Lobby::kDeathCancel, Lobby::kDeathClick);
    EXPECT_EQ(lobby.nextPanel, lobby.createPanel);
    run.Fire(lobby.createPanel, Lobby::kGameDeath, Lobby::kGameClick);
    EXPECT_TRUE(latched("Tag"));
    EXPECT_EQ(run.Fire(lobby.deathPanel, Lobby::kDeathOk, Lobby::kDeathClick), 1);
    ASSERT_NE(game.netSettings, nullptr);
    EXPECT_EQ(game.netSettings->gameType, NetGameSettings::kTagTeams);
    EXPECT_EQ(lobby.nextPanel, lobby.teamCreatePanel);

    // What the generator builds the hosted world from.
    EXPECT_EQ(generator.deathMatchKind, 3);
    EXPECT_EQ(generator.asteroidAmount, 3);
    EXPECT_EQ(generator.mineAmount, 0);
    EXPECT_GT(generator.enemyAmount, 0);
    EXPECT_EQ(generator.base, 1);
    EXPECT_EQ(lobby.pendingMission, Lobby::kHostedMission);
    g_netGameLaunched = 0;
}

// The cooperative objective latched is the one set up, drawn anew by
// "New"; "Teams" toggles, and decides the game's type and the next panel.
TEST(NetLobbyConnectionTest, TheCooperativeObjectiveAndTeamsMakeTheHostedGame) {
    Connection run;
    Lobby& lobby = run.lobby;
    GameState& game = run.harness.Game();
    RandomMissionGenerator& generator = RandomMissionGenerator::Of(game);
    Latch(lobby.coopPanel, "Teams", false);
    run.Fire(lobby.createPanel, Lobby::kGameCoop, Lobby::kGameClick);
    EXPECT_EQ(lobby.nextPanel, lobby.coopPanel);
    run.Fire(lobby.coopPanel, Lobby::kCoopCapture, Lobby::kCoopClick);
    for (const char* objective : {"Scout", "Destroy", "Protect", "Capture"}) {
        const auto* const button = dynamic_cast<const BitmapButton*>(lobby.coopPanel->FindControl(objective));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->GetState() == BitmapButton::kLatched, std::string(objective) == "Capture") << objective;
    }
    EXPECT_EQ(generator.kind, RandomMissionGenerator::kCapture);
    run.Fire(lobby.coopPanel, Lobby::kCoopNew, Lobby::kCoopClick);
    EXPECT_EQ(generator.kind, RandomMissionGenerator::kCapture);
    for (int32_t i = 0; i < 3; ++i) run.Fire(lobby.coopPanel, Lobby::kCoopTeams, Lobby::kCoopClick);
    run.Fire(lobby.coopPanel, Lobby::kCoopOk, Lobby::kCoopClick);
    ASSERT_NE(game.netSettings, nullptr);
    EXPECT_EQ(game.netSettings->gameType, NetGameSettings::kCooperativeTeams);
    EXPECT_EQ(lobby.nextPanel, lobby.teamCreatePanel);
    EXPECT_EQ(generator.kind, RandomMissionGenerator::kCapture);

    run.Fire(lobby.coopPanel, Lobby::kCoopTeams, Lobby::kCoopClick);
    run.Fire(lobby.coopPanel, Lobby::kCoopOk, Lobby::kCoopClick);
    EXPECT_EQ(game.netSettings->gameType, NetGameSettings::kCooperative);
    EXPECT_EQ(lobby.nextPanel, lobby.waitPanel);
    g_netGameLaunched = 0;
}

// A client of a team game picks from the host's teams as they come: the
// list grows while it shows, the line chosen stays chosen, a third team is
// refused with a notice, and "Join Team" tells the host the team chosen.
TEST(NetLobbyConnectionTest, TheTeamListFollowsTheHostsTeamsAndRefusesAThird) {
    Connection run;
    Lobby& lobby = run.lobby;
    GameState& game = run.harness.Game();
    g_notices.clear();
    Lobby::noticeShown = [](const char* text) { g_notices.emplace_back(text); };
    ASSERT_EQ(run.Join(NetGameSettings::kCooperativeTeams, 1), 1);
    NetGameSettings& settings = *game.netSettings;
    settings.teamCount = 1;
    lobby.currentPanel = lobby.teamPanel;
    lobby.Update();
    EXPECT_EQ(run.Lines(lobby.teamPanel, "TeamList"), (std::vector<std::string>{"Reds"}));
    // Join Team with no line chosen does nothing.
    EXPECT_EQ(run.Fire(lobby.teamPanel, Lobby::kTeamJoin, Lobby::kTeamClick), 1);
    EXPECT_EQ(lobby.nextPanel, nullptr);
    run.List(lobby.teamPanel, "TeamList").SetSelection(0);
    settings.teamCount = 2;
    settings.SetTeamName(1, "Blues");
    lobby.Update();
    EXPECT_EQ(run.Lines(lobby.teamPanel, "TeamList"), (std::vector<std::string>{"Reds", "Blues"}));
    EXPECT_EQ(run.List(lobby.teamPanel, "TeamList").GetSelection(), 0);
    run.Fire(lobby.teamPanel, Lobby::kTeamCreate, Lobby::kTeamClick);
    EXPECT_EQ(lobby.nextPanel, nullptr);
    EXPECT_EQ(g_notices, (std::vector<std::string>{"Only two teams are allowed, can't create."}));

    run.List(lobby.teamPanel, "TeamList").SetSelection(1);
    const size_t before = run.scripted.created->sends.size();
    run.Fire(lobby.teamPanel, Lobby::kTeamJoin, Lobby::kTeamClick);
    EXPECT_EQ(lobby.nextPanel, lobby.waitPanel);
    EXPECT_EQ(game.career->teamIndex, 1);
    ASSERT_EQ(run.scripted.created->sends.size(), before + 1);
    const auto& sent = run.scripted.created->sends.back().bytes;
    const auto told = net_read::ReadUpdateTeam(sent.data(), uint32_t(sent.size()));
    ASSERT_TRUE(told);
    EXPECT_EQ(told->team, 1);
    EXPECT_STREQ(told->playerName, game.career->GetPilotName());
    Lobby::noticeShown = nullptr;
    g_netGameLaunched = 0;
}

// The refusal of a third team stays under the team list passes after the
// click that brought it, until the list is left.
TEST(NetLobbyConnectionTest, TheRefusalOfAThirdTeamStaysUnderTheTeamList) {
    Connection run;
    PreparedLobby& lobby = run.lobby;
    GameState& game = run.harness.Game();
    game.netSettings = new NetGameSettings();
    game.netSettings->gameType = NetGameSettings::kCooperativeTeams;
    game.netSettings->teamCount = 2;
    game.netSettings->SetTeamName(0, "Red");
    game.netSettings->SetTeamName(1, "Blue");
    lobby.prepare = [&run, &lobby] {
        run.Fire(lobby.teamPanel, Lobby::kTeamCreate, Lobby::kTeamClick);
        lobby.edgeEvents.Clear();
    };
    lobby.currentPanel = lobby.teamPanel;
    lobby.nextPanel = nullptr;
    run.harness.CaptureAfterPass(14);
    run.harness.SetPassLimit(14);
    run.harness.Run(lobby);
    EXPECT_TRUE(MatchesGolden(run.harness.Picture(14), "lobby_team_refusal"));
}
