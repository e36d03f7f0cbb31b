// Two vorn processes on 127.0.0.1 fly one network game: a host flies
// netfight.uli, a client joins with an empty world. Every wait is bounded.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempDir.h"
#include "tools/mkdata/SampleTree.h"

namespace {

constexpr int kStartMs = 15000;
constexpr int kFlightMs = 40000;

// A UDP port of the loopback nobody holds right now.
uint16_t FreeLoopbackPort() {
    const int probe = socket(AF_INET, SOCK_DGRAM, 0);
    if (probe < 0) return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    uint16_t port = 0;
    if (bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    close(probe);
    return port;
}

// uoid, type and name; a client may hold one uoid twice for a while (its
// own objects are numbered by its own counter until the host renames them).
using Object = std::tuple<int, int, std::string>;

// The objects that the lines matching `line` of a transcript name.
std::vector<Object> Objects(const std::string& transcript, const std::regex& line, int uoidAt, int typeAt, int nameAt) {
    std::vector<Object> objects;
    std::istringstream lines(transcript);
    std::smatch match;
    for (std::string text; std::getline(lines, text);) {
        if (std::regex_match(text, match, line)) {
            objects.emplace_back(std::stoi(match[uoidAt]), std::stoi(match[typeAt]), match[nameAt]);
        }
    }
    return objects;
}

bool Holds(const std::vector<Object>& objects, const Object& object) {
    return std::find(objects.begin(), objects.end(), object) != objects.end();
}

class NetworkFlightTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(WriteSampleTree(data_.Str(), &error)) << error;
        port_ = FreeLoopbackPort();
        ASSERT_NE(port_, 0);
    }

    // Each process holds its own single-instance lock.
    std::unique_ptr<ChildProcess> Run(const char* runtime, std::vector<std::string> more) {
        const std::string folder = (runtime_.Path() / runtime).string();
        std::filesystem::create_directories(folder);
        ScopedEnvironment lock("VORN_RUNTIME_DIR", folder.c_str());
        std::vector<std::string> argv{VORN_BINARY, "--data", data_.Str(), "--headless",
                                      "--net", "127.0.0.1:" + std::to_string(port_)};
        argv.insert(argv.end(), more.begin(), more.end());
        return ChildProcess::Run(argv);
    }

    TempDir data_;
    TempDir runtime_;
    uint16_t port_ = 0;
};

TEST_F(NetworkFlightTest, AJoiningClientHoldsTheHostsWorldItsOwnShipAndItsProjectiles) {
    auto host = Run("host", {"--mission", "netfight.uli", "--seconds", "40", "--seed", "3", "--host"});
    ASSERT_TRUE(host->WaitForLine("hosting \"", kStartMs)) << host->Transcript();
    auto client = Run("client", {"--join", "--seconds", "8"});
    ASSERT_EQ(client->Wait(kFlightMs), 0) << client->Transcript();
    std::string announced;
    ASSERT_TRUE(host->WaitForLine("player \"", kStartMs, &announced)) << host->Transcript();

    const auto hosted = Objects(host->Transcript(), std::regex("object (\\d+) \"(.*)\" side .* uoid (\\d+)"), 3, 1, 2);
    const auto held = Objects(client->Transcript(), std::regex("holds (\\d+) (\\d+) \"(.*)\""), 1, 2, 3);
    const auto same = std::count_if(hosted.begin(), hosted.end(), [&](const Object& o) { return Holds(held, o); });
    EXPECT_GE(same, 5) << host->Transcript() << client->Transcript();
    // Among them the gate, which never moves and so is never updated.
    const auto gate = std::find_if(hosted.begin(), hosted.end(), [](const Object& o) { return std::get<1>(o) == 10; });
    ASSERT_NE(gate, hosted.end());
    EXPECT_TRUE(Holds(held, *gate)) << client->Transcript();
    // The client flies its ship under the uoid the host gave its copy.
    std::smatch ship;
    ASSERT_TRUE(std::regex_match(announced, ship, std::regex("player \"(.*)\" ship (\\d+)")));
    EXPECT_TRUE(Holds(held, {std::stoi(ship[2]), 15, std::string(ship[1])})) << client->Transcript();

    std::smatch projectiles;
    const std::string transcript = client->Transcript();
    ASSERT_TRUE(std::regex_search(transcript, projectiles, std::regex("\nprojectiles (\\d+)\n")));
    EXPECT_GE(std::stoi(projectiles[1]), 1);
}

}  // namespace
