// Peers that knock on a hosting game and never join, on 127.0.0.1: a forked
// copy of this test holds every one of the host's connections, and an honest
// player joins all the same once their window has passed. Waits are bounded.
#include <enet/enet.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "game/CareerRecord.h"
#include "game/GameState.h"
#include "net/NetSession.h"
#include "platform/EnetSessionService.h"
#include "platform/Sleeper.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/LoopbackProviders.h"
#include "tests/support/RecordingSleeper.h"
#include "tests/support/world/WorldBuilder.h"

using namespace platform;

namespace {

constexpr int kWaitMs = 9000;
// As many as a host keeps connections.
constexpr size_t kKnockers = 64;

template <typename Done>
bool PassUntil(NetSession& session, Done done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        static uint8_t buffer[kMaxSessionMessageSize];
        while (session.Receive(buffer, sizeof buffer) == 0) {
        }
        session.FlushFrame();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// Connects kKnockers times over ENet and says nothing more: reports once
// all are connected and again once the host has let all of them go.
int Knock(uint16_t port) {
    if (enet_initialize() != 0) return 1;
    ENetHost* const self = enet_host_create(nullptr, kKnockers, 2, 0, 0);
    if (self == nullptr) return 2;
    ENetAddress address{};
    enet_address_set_host_ip(&address, "127.0.0.1");
    address.port = port;
    for (size_t i = 0; i < kKnockers; ++i) {
        ENetPeer* const peer = enet_host_connect(self, &address, 2, 0);
        if (peer != nullptr) enet_peer_timeout(peer, 0, 20000, 20000);
    }
    size_t connected = 0, dropped = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
    while (dropped < kKnockers && std::chrono::steady_clock::now() < deadline) {
        ENetEvent event{};
        if (enet_host_service(self, &event, 10) <= 0) continue;
        if (event.type == ENET_EVENT_TYPE_CONNECT && ++connected == kKnockers) ChildProcess::Report("knocking");
        if (event.type == ENET_EVENT_TYPE_DISCONNECT) ++dropped;
        if (event.type == ENET_EVENT_TYPE_RECEIVE) enet_packet_destroy(event.packet);
    }
    ChildProcess::Report("dropped " + std::to_string(dropped) + " of " + std::to_string(connected));
    enet_host_destroy(self);
    return 0;
}

TEST(HostilePeers, KnockersAreLetGoAndAPlayerJoinsWithOnePlayer) {
    WorldBuilder world;
    RecordingSleeper sleeper;
    Sleeper* const previousSleeper = Sleeper::Install(&sleeper);
    std::strcpy(world.Game().career->pilotName, "Ann");
    LoopbackProviders hostProviders(0, 20000, 500);   // long: only the join window ends a knocker
    NetSession host("Ann's game", 8);
    ASSERT_EQ(host.SelectServiceProvider("TCP/IP"), 1);
    ASSERT_EQ(host.HostGame(), 1);
    const uint16_t port = static_cast<EnetSessionService*>(host.Interface())->Port();
    ASSERT_NE(port, 0);

    auto knocker = ChildProcess::Fork([port] { return Knock(port); });
    ASSERT_NE(knocker, nullptr);
    std::string line;
    ASSERT_TRUE(PassUntil(host, [&] { return knocker->ReadLine(&line, 0) && line == "knocking"; })) << knocker->Transcript();

    // Every connection is held: the honest player keeps trying.
    auto honest = ChildProcess::Fork([port, &world] {
        std::strcpy(world.Game().career->pilotName, "Bob");
        LoopbackProviders providers(port, 20000, 500);
        NetSession bob("Bob's game", 8);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
        int tries = 0;
        for (;; ++tries) {
            if (std::chrono::steady_clock::now() > deadline) return 1;
            if (bob.SelectServiceProvider("TCP/IP") == 1 && bob.EnumSessions() == 0 && bob.JoinGame("Ann's game") == 1) break;
        }
        ChildProcess::Report("joined after " + std::string(tries > 0 ? "retrying" : "nothing"));
        // A second player of the same machine would take another's place.
        ChildProcess::Report("second " + std::to_string(bob.DirectPlayLink::CreatePlayer("Cy", "Client")));
        std::string told;
        ChildProcess::Await(&told);
        bob.Close();
        return 0;
    });
    ASSERT_NE(honest, nullptr);
    ASSERT_TRUE(PassUntil(host, [&] { return honest->ReadLine(&line, 0) && line.rfind("joined ", 0) == 0; }))
        << honest->Transcript() << knocker->Transcript();
    EXPECT_EQ(line, "joined after retrying");
    ASSERT_TRUE(PassUntil(host, [&] { return honest->ReadLine(&line, 0) && line.rfind("second ", 0) == 0; }));
    EXPECT_EQ(line, "second 0");
    ASSERT_TRUE(PassUntil(host, [&] { return host.CountPlayers() == 2; }));
    EXPECT_STREQ(host.GetPlayerName(1), "Bob");
    ASSERT_TRUE(PassUntil(host, [&] { return knocker->ReadLine(&line, 0) && line.rfind("dropped ", 0) == 0; }));
    EXPECT_EQ(line, "dropped 64 of 64");

    honest->Tell("done");
    ASSERT_TRUE(PassUntil(host, [&] { return host.CountPlayers() == 1; }));
    EXPECT_EQ(honest->Wait(kWaitMs), 0) << honest->Transcript();
    EXPECT_EQ(knocker->Wait(kWaitMs), 0) << knocker->Transcript();
    host.Close();
    Sleeper::Install(previousSleeper);
}

}  // namespace
