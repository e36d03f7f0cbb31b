// Two vorn processes on 127.0.0.1 fly one network game: a host flies
// netfight.uli, a client joins with an empty world. Every wait is bounded.
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempDir.h"
#include "tools/mkdata/SampleTree.h"

namespace {

// A UDP port of the loopback that nobody holds right now.
uint16_t FreeLoopbackPort() {
    const int probe = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    const bool bound = probe >= 0 && bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                       getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    if (probe >= 0) close(probe);
    return bound ? ntohs(address.sin_port) : 0;
}

// "UOID TYPE NAME" of each match of `pattern`, from its groups u, t and n.
std::set<std::string> Objects(const std::string& transcript, const char* pattern, int u, int t, int n) {
    std::set<std::string> objects;
    const std::regex line(pattern);
    for (auto it = std::sregex_iterator(transcript.begin(), transcript.end(), line); it != std::sregex_iterator(); ++it) {
        objects.insert((*it)[u].str() + " " + (*it)[t].str() + " " + (*it)[n].str());
    }
    return objects;
}

TEST(NetworkFlight, AJoiningClientHoldsTheHostsWorldItsOwnShipAndProjectiles) {
    TempDir data, runtime;
    std::string error;
    ASSERT_TRUE(WriteSampleTree(data.Str(), &error)) << error;
    const uint16_t port = FreeLoopbackPort();
    ASSERT_NE(port, 0);
    // Each process holds its own single-instance lock.
    const auto run = [&](const char* lock, std::vector<std::string> more) {
        std::filesystem::create_directories(runtime.Path() / lock);
        ScopedEnvironment locked("VORN_RUNTIME_DIR", (runtime.Path() / lock).c_str());
        std::vector<std::string> argv{VORN_BINARY, "--data", data.Str(), "--headless", "--net",
                                      "127.0.0.1:" + std::to_string(port)};
        argv.insert(argv.end(), more.begin(), more.end());
        return ChildProcess::Run(argv);
    };
    auto host = run("host", {"--mission", "netfight.uli", "--seconds", "40", "--seed", "3", "--host"});
    ASSERT_TRUE(host->WaitForLine("hosting \"", 15000)) << host->Transcript();
    auto client = run("client", {"--join", "--seconds", "8"});
    ASSERT_EQ(client->Wait(40000), 0) << client->Transcript();
    std::string player;
    ASSERT_TRUE(host->WaitForLine("player \"", 5000, &player)) << host->Transcript();

    const std::string hostLines = host->Transcript(), clientLines = client->Transcript();
    const auto hosted = Objects(hostLines, "object (\\d+) (\".*\") side [^\\n]* uoid (\\d+)\\n", 3, 1, 2);
    const auto held = Objects(clientLines, "holds (\\d+) (\\d+) (\".*\")\\n", 1, 2, 3);
    const auto same = std::count_if(hosted.begin(), hosted.end(), [&](const std::string& o) { return held.count(o) != 0; });
    EXPECT_GE(same, 5) << hostLines << clientLines;
    // The client flies its ship under the uoid the host gave its copy.
    std::smatch ship;
    ASSERT_TRUE(std::regex_match(player, ship, std::regex("player (\".*\") ship (\\d+)")));
    EXPECT_EQ(held.count(ship[2].str() + " 15 " + ship[1].str()), 1u) << clientLines;
    std::smatch projectiles;
    ASSERT_TRUE(std::regex_search(clientLines, projectiles, std::regex("\nprojectiles (\\d+)\n")));
    EXPECT_GE(std::stoi(projectiles[1]), 1);
}

// Every line tools/netgame.sh printed for one pilot, its prefix taken off,
// and the script's exit status.
struct NetGame {
    int status = -1;
    std::map<std::string, std::vector<std::string>> lines;
    bool Shows(const std::string& pilot, const std::string& line) const {
        const auto found = lines.find(pilot);
        return found != lines.end() && std::count(found->second.begin(), found->second.end(), line) > 0;
    }
    // The pilot's lines that start so, in order.
    std::vector<std::string> Starting(const std::string& pilot, const std::string& start) const {
        std::vector<std::string> matching;
        const auto found = lines.find(pilot);
        if (found == lines.end()) return matching;
        for (const std::string& line : found->second) {
            if (line.rfind(start, 0) == 0) matching.push_back(line);
        }
        return matching;
    }
};

NetGame PlayNetGame(int players, int seconds, std::string* transcript) {
    TempDir data;
    std::string error;
    NetGame game;
    if (!WriteSampleTree(data.Str(), &error)) {
        *transcript = error;
        return game;
    }
    auto script = ChildProcess::Run({"/bin/bash", VORN_SOURCE_DIR "/tools/netgame.sh", "--vorn", VORN_BINARY, "--data",
                                     data.Str(), std::to_string(players), std::to_string(seconds)});
    std::string line;
    // The lobby, the flight and the late joiner's way in, bounded.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds + 420);
    const auto left = [&deadline] {
        return int(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count());
    };
    while (left() > 0 && script->ReadLine(&line, left())) {
        const size_t colon = line.find(": ");
        if (colon != std::string::npos) game.lines[line.substr(0, colon)].push_back(line.substr(colon + 2));
    }
    script->Signal(SIGTERM);
    game.status = script->Wait(20000);
    *transcript = script->Transcript();
    return game;
}

// The two counts of a pilot's `net goals N met M` line; -1 each without one.
std::pair<int, int> GoalCounts(const NetGame& game, const std::string& pilot) {
    const std::vector<std::string> lines = game.Starting(pilot, "net goals ");
    std::smatch counts;
    const std::regex line("net goals (\\d+) met (\\d+)");
    if (lines.size() != 1 || !std::regex_match(lines[0], counts, line)) return {-1, -1};
    return {std::stoi(counts[1]), std::stoi(counts[2])};
}

// Every machine ends holding the host's goals and sky, a late joiner's too.
void ExpectSameSharedGame(const NetGame& game, const std::vector<std::string>& pilots, const std::string& transcript) {
    const std::vector<std::string> sky = game.Starting("Ann", "net sky ");
    const int goals = GoalCounts(game, "Ann").first;
    EXPECT_GT(goals, 0) << transcript;
    ASSERT_EQ(sky.size(), 1u) << transcript;
    EXPECT_NE(sky[0], "net sky 0 0 0 0") << transcript;
    for (const std::string& pilot : pilots) {
        EXPECT_EQ(GoalCounts(game, pilot).first, goals) << pilot << transcript;
        EXPECT_EQ(game.Starting(pilot, "net sky "), sky) << pilot << transcript;
    }
}

// The host meets a shared goal (the wing's form-up, by time): each pilot
// flying to the end prints every goal the host printed met, the others'
// word for it having come over the network, and ends holding as many met.
void ExpectSharedGoalsMet(const NetGame& game, const std::vector<std::string>& pilots, const std::string& transcript) {
    std::vector<std::string> met;
    for (const std::string& line : game.Starting("Ann", "goal ")) {
        if (line.size() > 4 && line.compare(line.size() - 4, 4, " met") == 0) met.push_back(line);
    }
    ASSERT_FALSE(met.empty()) << transcript;
    const int held = GoalCounts(game, "Ann").second;
    EXPECT_GE(held, 1) << transcript;
    for (const std::string& pilot : pilots) {
        for (const std::string& line : met) EXPECT_TRUE(game.Shows(pilot, line)) << pilot << " " << line << transcript;
        EXPECT_EQ(GoalCounts(game, pilot).second, held) << pilot << transcript;
    }
}

}  // namespace

// Two players from the first screen through the lobby into one cooperative
// random mission, flown past its time limit; the goal the host meets is
// met on both machines.
TEST(NetworkGame, TwoPlayersFlyACooperativeMissionTogether) {
    std::string transcript;
    const NetGame game = PlayNetGame(2, 120, &transcript);
    ASSERT_EQ(game.status, 0) << transcript;
    ExpectSameSharedGame(game, {"Bob"}, transcript);
    ExpectSharedGoalsMet(game, {"Bob"}, transcript);
}

// Of four, Dee joins the running game and Bob leaves it: everyone flying
// hears of both, and Dee gets the mission's goals and sky as she joins.
TEST(NetworkGame, APlayerJoinsARunningGameAndAnotherLeavesIt) {
    std::string transcript;
    const NetGame game = PlayNetGame(4, 180, &transcript);
    ASSERT_EQ(game.status, 0) << transcript;
    ExpectSameSharedGame(game, {"Bob", "Cid", "Dee"}, transcript);
    // Bob may leave before the wing has formed up.
    ExpectSharedGoalsMet(game, {"Cid", "Dee"}, transcript);
    for (const char* pilot : {"Ann", "Bob", "Cid"}) {
        EXPECT_TRUE(game.Shows(pilot, "message \"Dee has joined the game.\"")) << pilot << transcript;
    }
    for (const char* pilot : {"Ann", "Cid", "Dee"}) {
        EXPECT_TRUE(game.Shows(pilot, "message \"Bob has left the game.\"")) << pilot << transcript;
    }
}

// The sample tree's two lobby scripts: a host and a client go from the first
// screen through the lobby and the hangar into one flight, and both see the
// client's chat line. Each has its own game folder and lock. The scripts wait
// for each other's lines, so a loaded machine only makes them slower.
TEST(NetworkFlight, TheLobbyScriptsMeetChatAndLaunchTogether) {
    TempDir hostData, clientData, runtime;
    std::string error;
    ASSERT_TRUE(WriteSampleTree(hostData.Str(), &error)) << error;
    ASSERT_TRUE(WriteSampleTree(clientData.Str(), &error)) << error;
    const uint16_t port = FreeLoopbackPort();
    ASSERT_NE(port, 0);
    const auto run = [&](const char* lock, const TempDir& data, const char* script) {
        std::filesystem::create_directories(runtime.Path() / lock);
        ScopedEnvironment locked("VORN_RUNTIME_DIR", (runtime.Path() / lock).c_str());
        return ChildProcess::Run({VORN_BINARY, "--data", data.Str(), "--headless", "--net",
                                  "127.0.0.1:" + std::to_string(port), "--script",
                                  data.Str() + "/scripts/" + script});
    };
    auto host = run("host", hostData, "host-coop.txt");
    ASSERT_TRUE(host->WaitForLine("hosting \"", 60000)) << host->Transcript();
    auto client = run("client", clientData, "join-coop.txt");
    for (ChildProcess* const player : {client.get(), host.get()}) {
        ASSERT_TRUE(player->WaitForLine("chat \"Bob : hello\"", 60000)) << player->Transcript();
        ASSERT_TRUE(player->WaitForLine("screen HANGAR", 60000)) << player->Transcript();
        ASSERT_TRUE(player->WaitForLine("mode 2", 60000)) << player->Transcript();
    }
    for (ChildProcess* const player : {client.get(), host.get()}) {
        EXPECT_EQ(player->Wait(60000), 0) << player->Transcript();
    }
}
