// Pilots meet in the lobby of a cooperative game with teams, each a vorn
// process on 127.0.0.1 playing from the first screen by a script: the
// teams they make and join, and the ways back out of making one. Every
// wait of the scripts gives up within seconds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "engine/IffFile.h"
#include "game/CareerRecord.h"
#include "game/DataDirectories.h"
#include "game/DefinitionFormat.h"
#include "game/XorChunkStream.h"
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

namespace {

// The sample tree's pilot becomes Bob, whose new career's ship, made a
// Warden (the Lancer's items move over in their cells), carries two armour
// plates bought beside them.
bool WriteArmouredPilot(const std::filesystem::path& tree) {
    const DataDirectories previous = g_dataDirs;
    g_dataDirs.Find(tree.string());
    CareerRecord career(1);
    std::strcpy(career.pilotName, "Bob");
    ShipRecord* const ship = career.GetShip(-1);
    if (ship != nullptr) std::strcpy(ship->hullId, "P303");
    bool fitted = ship != nullptr && ship->LoadHull() == kStatusOk;
    g_dataDirs = previous;
    IffFile definitions(0);
    fitted = fitted && definitions.OpenFile((tree / "data" / definition_format::kFileName).c_str(), kOpenRead) == kStatusOk;
    for (int plate = 0; plate < 2; ++plate) {
        fitted = fitted && ship->PlaceStoredItem(std::make_unique<EquipmentItem>("Armor 2", definitions, 0)) == nullptr;
    }
    definitions.CloseFile();
    XorChunkStream stream;
    return fitted && stream.Open((tree / "Korvane.plr").c_str(), kOpenWrite | kOpenCreate) == kStatusOk &&
           career.Save(stream) == kStatusOk && stream.CloseFile() == kStatusOk;
}

// The hull a machine's trace holds the Warden at as each of its deaths
// comes, and at the end last; kWhole while no hit came since it came back.
// The most one hit took of it goes to `largest`.
constexpr int kWhole = 1 << 30;
std::vector<int> WardenHulls(const std::string& transcript, int* largest) {
    std::vector<int> hulls{kWhole};
    const std::regex line("\n(?:hit \"P303\" (-?\\d+) -> (-?\\d+) by |destroyed \\d+ \"P303\" by )");
    for (std::sregex_iterator it(transcript.begin(), transcript.end(), line), end; it != end; ++it) {
        if ((*it)[2].matched) hulls.back() = std::stoi((*it)[2]);
        if ((*it)[2].matched) *largest = std::max(*largest, std::stoi((*it)[1]) - hulls.back());
        if (!(*it)[2].matched) hulls.push_back(kWhole);
    }
    return hulls;
}

}  // namespace

// Bob, a member whose career's Warden carries armour he bought, and Ann,
// the host, fly the sample cooperative mission for a minute, where its
// raider fights them. Each time the host, which holds his hull, shoots his
// ship down, his own machine held it within a hit of that death (a frame of
// the raider's fire, 600 a second: a twentieth of it, more in the longer
// frames of a busy machine) and the host's word, a whole percent; and so at
// the end, when Ann ends the game: the hits lowered it alike on both.
TEST(NetworkGame, AMembersBoughtArmourHoldsOnTheHostAsOnItsOwnMachine) {
    int oneHit = 30;
    constexpr int kWord = 5;   // a percent of the Warden's 450, rounded up
    LobbyPilots pilots;
    ASSERT_TRUE(pilots.Ready()) << pilots.Failure();
    ASSERT_TRUE(WriteArmouredPilot(pilots.Tree()));
    std::string bob = pilots.SampleSteps("join-coop.txt", "wait mode 2", "Bob", "Bee");
    const size_t created = bob.find("# A new pilot."), joined = bob.find("# Join over");
    ASSERT_TRUE(created != std::string::npos && joined != std::string::npos) << bob;
    bob.replace(created, joined - created, "# The pilot listed, loaded.\n" + At(50, "click 60 78") + At(60, "click 77 374"));
    bob += At(313, "wait message \"You have been disconnected from the server!\"") + At(333, "quit");
    auto host = pilots.Start("Ann", pilots.SampleSteps("host-coop.txt", "wait mode 2", "Bob", "Bee") + At(1501, "quit"), {"--trace"});
    ASSERT_TRUE(host->WaitForLine("hosting \"", kHostingMs)) << host->Transcript();
    auto member = pilots.Start("Bob", bob, {"--trace"});
    EXPECT_EQ(host->Wait(4 * kEndMs), 0) << host->Transcript();
    EXPECT_EQ(member->Wait(kEndMs), 0) << member->Transcript();

    const std::string transcripts = host->Transcript() + member->Transcript();
    const std::vector<int> own = WardenHulls(member->Transcript(), &oneHit), copy = WardenHulls(host->Transcript(), &oneHit);
    ASSERT_TRUE(own.size() > 1 || own.back() < kWhole) << transcripts;
    for (size_t death = 0; death + 1 < own.size(); ++death) EXPECT_LE(own[death], oneHit + kWord) << death << transcripts;
    EXPECT_NEAR(own.back(), copy.back(), oneHit + kWord) << transcripts;
}
