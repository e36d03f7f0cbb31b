// Two processes meet on 127.0.0.1: this test hosts on a port the system
// picks, a forked copy joins by name. Every wait is bounded.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "engine/Clock.h"
#include "game/CareerRecord.h"
#include "game/Cockpit.h"
#include "game/GameState.h"
#include "net/NetGameSettings.h"
#include "net/NetworkHooks.h"
#include "objects/ships/Craft.h"
#include "net/NetPacketType.h"
#include "net/NetSession.h"
#include "net/PacketBytes.h"
#include "platform/EnetSessionService.h"
#include "platform/SessionProviders.h"
#include "platform/Sleeper.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/LoopbackProviders.h"
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
    LoopbackProviders hostProviders(0, 2000);
    ListeningSession host("Ann's game", 8);
    ASSERT_EQ(host.SelectServiceProvider("TCP/IP"), 1);
    ASSERT_EQ(host.HostGame(), 1);
    const uint16_t port = static_cast<EnetSessionService*>(host.Interface())->Port();
    ASSERT_NE(port, 0);

    auto child = ChildProcess::Fork([port, &world] {
        std::strcpy(world.Game().career->pilotName, "Bob");
        LoopbackProviders providers(port, 2000);
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

// A death match of two processes: the hosting pilot's ship destroys the
// client's. The host's own ship is in its table from the hosting on, so
// both machines show the kill under the host pilot's name and end with
// the host's score and kills raised.
TEST(NetSessionProcesses, TheHostsKillIsToldAndScoredOnBothMachines) {
    WorldBuilder world;
    RecordingSleeper sleeper;
    Sleeper* const previousSleeper = Sleeper::Install(&sleeper);
    InstallNetworkHooks();
    GameState& game = world.Game();
    std::strcpy(game.career->pilotName, "Ann");
    NetGameSettings settings;
    settings.gameType = NetGameSettings::kDeathMatch;
    game.netSettings = &settings;
    Craft* ships[2] = {};
    for (int i = 0; i < 2; ++i) {
        ships[i] = world.SpawnAs<Craft>(world.Template("SHIP0"), 1);
        ships[i]->active = 1;
        ships[i]->side = 10 + i;
        ships[i]->SetName("P102");
    }
    Craft& annShip = *ships[0];
    Craft& bobCopy = *ships[1];
    annShip.type = SpaceObject::kTypePlayerShip;
    bobCopy.type = SpaceObject::kTypeAiShip;
    game.playerShip = &annShip;
    LoopbackProviders hostProviders(0, 2000);
    auto* const host = new ListeningSession("Ann's game", 8);
    game.netSession = host;
    ASSERT_EQ(host->SelectServiceProvider("TCP/IP"), 1);
    ASSERT_EQ(host->HostGame(), 1);
    const uint16_t port = static_cast<EnetSessionService*>(host->Interface())->Port();

    auto child = ChildProcess::Fork([port, &game, &bobCopy] {
        std::strcpy(game.career->pilotName, "Bob");
        LoopbackProviders providers(port, 2000);
        game.netSession = nullptr;
        auto* const bob = new ListeningSession("Bob's game", 8);
        // Bob flies his own ship here; the host's copy of it is not his to hold.
        bobCopy.type = SpaceObject::kTypePlayerShip;
        bobCopy.uoid = NetSession::kClientUoidBase;
        game.playerShip = &bobCopy;
        if (bob->SelectServiceProvider("TCP/IP") != 1 || bob->EnumSessions() != 0) return 1;
        if (bob->JoinGame("Ann's game") != 1) return 2;
        game.netSession = bob;
        ChildProcess::Report("joined");
        const auto annFigures = [bob] {
            const NetPlayer* const ann = bob->Player(bob->FindPlayerByDpid(bob->serverDpid));
            return ann != nullptr ? "score " + std::to_string(ann->score) + " kills " + std::to_string(ann->kills) : std::string();
        };
        std::string shown;
        PassUntil(*bob, [&] {
            const std::string now = game.TheCockpit().MessageAt(GetMilliseconds());
            if (!now.empty() && now.find("joined") == std::string::npos) shown = now;
            return !shown.empty() && annFigures() == "score 1 kills 1";
        });
        ChildProcess::Report("shown " + shown + " " + annFigures());
        return 0;
    });
    ASSERT_NE(child, nullptr);
    std::string line;
    ASSERT_TRUE(PassUntil(*host, [&] { return child->ReadLine(&line, 0) && line == "joined"; })) << child->Transcript();
    ASSERT_TRUE(PassUntil(*host, [&] { return host->CountPlayers() == 2; }));
    // The copy the host made of Bob's ship when he announced it.
    host->SetPlayerUoid(host->FindPlayerByDpid(host->GetPlayerDpid(1)), bobCopy.uoid);

    bobCopy.Destroy(&annShip, 0);
    EXPECT_EQ(std::string(game.TheCockpit().MessageAt(GetMilliseconds())), "Ann killed Bob!");
    EXPECT_EQ(host->Player(0)->score, 1);
    EXPECT_EQ(host->Player(0)->kills, 1);
    ASSERT_TRUE(PassUntil(*host, [&] { return child->ReadLine(&line, 0) && line.rfind("shown ", 0) == 0; }))
        << child->Transcript();
    EXPECT_EQ(line, "shown Ann killed Bob! score 1 kills 1");
    EXPECT_EQ(child->Wait(kWaitMs), 0);
    host->Close();
    game.netSession = nullptr;
    delete host;
    game.netSettings = nullptr;
    game.playerShip = nullptr;
    GameState::SetNetworkHooks({});
    Sleeper::Install(previousSleeper);
}

}  // namespace
