// Two processes meet on 127.0.0.1: this test hosts on a port the system
// picks, a forked copy joins by name. Every wait is bounded.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "game/CareerRecord.h"
#include "game/GameState.h"
#include "net/NetPacketType.h"
#include "net/NetSession.h"
#include "net/PacketBytes.h"
#include "platform/EnetSessionService.h"
#include "platform/SessionProviders.h"
#include "platform/Sleeper.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/RecordingSleeper.h"
#include "tests/support/world/WorldBuilder.h"

using namespace platform;

namespace {

constexpr int kWaitMs = 4000;
constexpr uint8_t kMark = 0x5a;

// Keeps the marks of the packets that reach it inside MEGAPACKETs.
class ListeningSession : public NetSession {
public:
    using NetSession::NetSession;
    int32_t HandleMessage(uint32_t from, uint32_t to, const uint8_t* data, uint32_t size) override {
        if (size > 8 && data[0] != kMegapacket) marks.push_back(data[8]);
        return NetSession::HandleMessage(from, to, data, size);
    }
    void Pass() {
        static uint8_t buffer[kMaxSessionMessageSize];
        while (Receive(buffer, sizeof buffer) == 0) {
        }
        FlushFrame();
    }
    std::string Table() const {
        std::string names;
        for (int32_t i = 0; i < GetPlayerSlotCount(); ++i) names += std::string(GetPlayerName(i) ? GetPlayerName(i) : "-") + ",";
        return names;
    }
    std::vector<uint8_t> marks;
};

// Providers whose one TCP/IP provider hosts on any free port of the
// loopback and looks for sessions at `port`.
struct LoopbackProviders {
    explicit LoopbackProviders(uint16_t port) {
        SessionNetworkSettings settings;
        settings.port = 0;
        settings.endpoints = {{"127.0.0.1", port}};
        settings.keepAliveTimeoutMs = 2000;
        AddTcpIpProvider(&providers, settings);
        previous = SessionProviders::Install(&providers);
    }
    ~LoopbackProviders() { SessionProviders::Install(previous); }
    SessionProviders providers;
    SessionProviders* previous;
};

template <typename Done>
bool PassUntil(ListeningSession& session, Done done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        session.Pass();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

TEST(NetSessionProcesses, AJoinerFindsTheGameByNameAndHearsTheQueues) {
    WorldBuilder world;
    RecordingSleeper sleeper;
    Sleeper* const previousSleeper = Sleeper::Install(&sleeper);
    std::strcpy(world.Game().career->pilotName, "Ann");
    LoopbackProviders hostProviders(0);
    ListeningSession host("Ann's game", 8);
    ASSERT_EQ(host.SelectServiceProvider("TCP/IP"), 1);
    ASSERT_EQ(host.HostGame(), 1);
    const uint16_t port = static_cast<EnetSessionService*>(host.Interface())->Port();
    ASSERT_NE(port, 0);

    auto child = ChildProcess::Fork([port, &world] {
        std::strcpy(world.Game().career->pilotName, "Bob");
        LoopbackProviders providers(port);
        ListeningSession bob("Bob's game", 8);
        if (bob.SelectServiceProvider("TCP/IP") != 1 || bob.EnumSessions() != 0) return 1;
        if (bob.JoinGame("Ann's game") != 1) return 2;
        ChildProcess::Report("joined " + std::to_string(bob.ownDpid) + " " + bob.Table());
        // The host's welcome of a newcomer comes before the mark.
        if (!PassUntil(bob, [&] { return !bob.marks.empty() && bob.marks.back() == kMark; })) return 3;
        ChildProcess::Report("heard " + std::to_string(bob.marks.back()) + " from " + std::to_string(bob.serverDpid));
        return 0;
    });
    ASSERT_NE(child, nullptr);

    std::string line;
    ASSERT_TRUE(PassUntil(host, [&] { return child->ReadLine(&line, 0) && line.rfind("joined ", 0) == 0; }))
        << child->Transcript();
    EXPECT_EQ(line.substr(line.find(' ', 7) + 1), "Ann,Bob,");
    ASSERT_TRUE(PassUntil(host, [&] { return host.CountPlayers() == 2; }));
    EXPECT_EQ(host.Table(), "Ann,Bob,");
    EXPECT_EQ(std::to_string(host.GetPlayerDpid(1)), line.substr(7, line.find(' ', 7) - 7));

    std::vector<uint8_t> packet(32, 0);
    PacketWriter out(packet.data(), 32);
    out.U16(0, kGameInfo);
    out.U16(2, 32);
    out.U32(4, PF_QUEUE_1);
    out.U8(8, kMark);
    EXPECT_EQ(host.SendToAll(host.serverDpid, packet.data(), 32), 0u);
    ASSERT_TRUE(PassUntil(host, [&] { return child->ReadLine(&line, 0) && line.rfind("heard ", 0) == 0; }))
        << child->Transcript();
    EXPECT_EQ(line, "heard " + std::to_string(kMark) + " from " + std::to_string(host.ownDpid));
    EXPECT_EQ(child->Wait(kWaitMs), 0);
    host.Close();
    Sleeper::Install(previousSleeper);
}

}  // namespace
