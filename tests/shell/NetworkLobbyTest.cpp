// Pilots meet in the lobby of a cooperative game with teams, each a vorn
// process on 127.0.0.1 playing from the first screen by a script: the
// teams they make and join, and the ways back out of making one. Every
// wait of the scripts gives up within seconds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/shell/LobbySteps.h"
#include "tests/shell/NetworkRun.h"

namespace {

// The host waits while both members come through the lobby after it, one
// after the other: every wait of a lobby script gives up after two minutes.
constexpr const char* kWaitLimit = "wait-limit 2400\n";
constexpr int kHostingMs = 60000;
constexpr int kEndMs = 120000;
constexpr const char* kTwoTeamsOnly = "message \"Only two teams are allowed, can't create.\"";

// The sample host's steps up to "Cooperative" on the set-up, then the
// "Destroy" objective and "Teams" latched, and OK: the game is hosted as the
// team panel opens. The pass of OK.
constexpr int kHostOk = 170;
std::string HostTeamGame(const LobbyPilots& pilots) {
    return kWaitLimit + pilots.SampleSteps("host-coop.txt", "at 140 click 320 188", "Ann", "Ace") +
           "# Destroy, Teams, OK.\n"
           "at 160 click 90 195\n"
           "at 165 click 90 303\n"
           "at 170 click 90 414\n";
}

}  // namespace

// Ann hosts a cooperative game with teams and makes "Red"; Bob joins and,
// once Cid has joined too, makes "Blue"; Cid, on the team list once Bob's
// word has come, is refused a third team and joins "Blue". Every machine's waiting room shows every
// pilot in the team the host holds for it.
TEST(NetworkGame, AClientsTeamShowsOnEveryMachineAndAThirdIsRefused) {
    LobbyPilots pilots;
    ASSERT_TRUE(pilots.Ready()) << pilots.Failure();
    const std::string ann = HostTeamGame(pilots) + At(kHostOk + 20, "type Red") + At(kHostOk + 25, kAcceptTeam) +
                            At(kHostOk + 25, "wait team \"Ann\" \"Red\"") + At(kHostOk + 26, "wait team \"Cid\" \"Blue\"") +
                            At(kHostOk + 66, "quit");
    // Bob says a word in the waiting room once he is in "Blue", which he
    // makes only once Cid is in the game to hear it.
    const std::string bob = kWaitLimit + JoinTeamGame(pilots, "Bob", "Bee") +
                            At(kJoined, "wait chat \"Cid has joined the game.\"") + At(kJoined + 20, kCreateTeam) +
                            At(kJoined + 35, "type Blue") + At(kJoined + 40, kAcceptTeam) +
                            At(kJoined + 40, "wait team \"Bob\" \"Blue\"") + At(kJoined + 50, "type blue") +
                            At(kJoined + 52, "key Enter") + At(kJoined + 53, "wait team \"Cid\" \"Blue\"") +
                            At(kJoined + 58, "quit");
    // Cid acts once Bob's word reaches the lobby, which it does after his team.
    const std::string cid = kWaitLimit + JoinTeamGame(pilots, "Cid", "Cay") + At(kJoined, "wait chat \"Bob : blue\"") +
                            At(kJoined + 10, kCreateTeam) + At(kJoined + 15, TeamLine(1)) +
                            At(kJoined + 20, kJoinTeam) + At(kJoined + 20, "wait team \"Cid\" \"Blue\"") +
                            At(kJoined + 25, "quit");
    auto host = pilots.Start("Ann", ann);
    ASSERT_TRUE(host->WaitForLine("hosting \"", kHostingMs)) << host->Transcript();
    auto first = pilots.Start("Bob", bob);
    // Cid comes after Bob is in, whom the host then tells of him.
    ASSERT_TRUE(first->WaitForLine("joined \"", kHostingMs)) << first->Transcript();
    auto second = pilots.Start("Cid", cid);
    EXPECT_EQ(second->Wait(kEndMs), 0) << second->Transcript();
    EXPECT_EQ(first->Wait(kEndMs), 0) << first->Transcript();
    EXPECT_EQ(host->Wait(kEndMs), 0) << host->Transcript();

    const std::vector<std::string> transcripts = {host->Transcript(), first->Transcript(), second->Transcript()};
    for (const std::string& lines : transcripts) {
        for (const char* row : {"team \"Ann\" \"Red\"", "team \"Bob\" \"Blue\"", "team \"Cid\" \"Blue\""}) {
            EXPECT_EQ(Count(lines, row), 1) << row << "\n" << lines;
        }
    }
    EXPECT_EQ(Count(transcripts[2], kTwoTeamsOnly), 1) << transcripts[2];
    EXPECT_EQ(Count(transcripts[1], kTwoTeamsOnly), 0) << transcripts[1];
}

// Ann gives up her first team game at its team creation and hosts again.
// Bob, joined, gives up the game from its team list, finds it listed
// again and joins it once more; he gives up making a team there and is
// still in the game, on its team list, where he picks Ann's team. Each
// machine shows him in it, the host hears him leave once, and each career
// counts one game.
TEST(NetworkGame, CancellingTeamCreationKeepsAClientInItsGame) {
    LobbyPilots pilots;
    ASSERT_TRUE(pilots.Ready()) << pilots.Failure();
    // Cancel, then Cooperative, OK (Teams stays latched) and "Red".
    const std::string ann = HostTeamGame(pilots) + At(kHostOk + 20, kCancelTeam) + At(kHostOk + 40, "click 320 188") +
                            At(kHostOk + 60, "click 90 414") + At(kHostOk + 80, "type Red") +
                            At(kHostOk + 85, kAcceptTeam) + At(kHostOk + 85, "wait team \"Ann\" \"Red\"") +
                            At(kHostOk + 86, "wait team \"Bob\" \"Red\"") + At(kHostOk + 106, "quit");
    // Out of the game from its team list, the game listed again and joined;
    // then a team begun and cancelled, and Ann's team joined from the list.
    const std::string bob = kWaitLimit + JoinTeamGame(pilots, "Bob", "Bee") + At(kJoined + 20, kLeaveTeams) +
                            At(kJoined + 40, "click 270 327") + At(kJoined + 50, "click 293 444") +
                            At(kJoined + 70, kCreateTeam) + At(kJoined + 85, "type Blue") +
                            At(kJoined + 90, kCancelTeam) + At(kJoined + 110, TeamLine(0)) +
                            At(kJoined + 115, kJoinTeam) + At(kJoined + 115, "wait team \"Bob\" \"Red\"") +
                            At(kJoined + 120, "quit");
    auto host = pilots.Start("Ann", ann);
    ASSERT_TRUE(host->WaitForLine("team \"Ann\" \"Red\"", kHostingMs)) << host->Transcript();
    auto client = pilots.Start("Bob", bob);
    EXPECT_EQ(client->Wait(kEndMs), 0) << client->Transcript();
    EXPECT_EQ(host->Wait(kEndMs), 0) << host->Transcript();

    const std::string annLines = host->Transcript(), bobLines = client->Transcript();
    EXPECT_EQ(Count(annLines, "hosting \"Ann's game\""), 2) << annLines;
    EXPECT_EQ(Count(bobLines, "joined \"Ann's game\" as ", false), 2) << bobLines;
    // Until Bob is in Ann's team (he leaves for good as the run ends).
    const std::string toRow = annLines.substr(0, annLines.find("team \"Bob\" \"Red\""));
    EXPECT_EQ(Count(toRow, "message \"Bob has joined the game.\""), 2) << annLines;
    EXPECT_EQ(Count(toRow, "message \"Bob has left the game.\""), 1) << annLines;
    for (const std::string* lines : {&annLines, &bobLines}) {
        EXPECT_EQ(Count(*lines, "team \"Bob\" \"Red\""), 1) << *lines;
        EXPECT_EQ(Count(*lines, "team \"Bob\" \"Blue\""), 0) << *lines;
        EXPECT_NE(lines->find("Career: missions flown 1,"), std::string::npos) << *lines;
    }
}
