// Two vorn processes on 127.0.0.1 fly one network game: a host flies
// netfight.uli, a client joins with an empty world. Every wait is bounded.
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <set>
#include <string>

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

}  // namespace

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
