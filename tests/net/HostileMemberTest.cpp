// A network game of three processes on 127.0.0.1: this test hosts, a forked
// honest pilot joins and flies on, and a forked hostile member of the same
// session tries, one after another, what would let it speak for the host
// or grow the host without bound. The honest pilot keeps its game, its
// goals, its credits and its world; the host keeps its own, and its passes
// go on at no less than half their quiet pace. Every wait is bounded.
#include <poll.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <limits>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/Clock.h"
#include "game/CareerRecord.h"
#include "game/EffectTypes.h"
#include "game/GameState.h"
#include "mission/Goal.h"
#include "net/NetControlPackets.h"
#include "net/NetGameSettings.h"
#include "net/NetPacketReaders.h"
#include "net/NetworkHooks.h"
#include "net/NetSession.h"
#include "objects/ships/Craft.h"
#include "objects/weapons/Projectile.h"
#include "platform/EnetSessionService.h"
#include "platform/SessionSystemMessage.h"
#include "platform/Sleeper.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/FakeClock.h"
#include "tests/support/LoopbackProviders.h"
#include "tests/support/RecordingSleeper.h"
#include "tests/support/world/NetPacketBytes.h"
#include "tests/support/world/WorldBuilder.h"

using namespace platform;

namespace {

constexpr int kWaitMs = 8000;
constexpr int32_t kTop = std::numeric_limits<int32_t>::max();
constexpr int32_t kHostShip = 10;
constexpr int32_t kRock = 11;
constexpr int32_t kMalloryShip = 12;
// Each attack lasts this long, at its own pace.
constexpr auto kAttackTime = std::chrono::milliseconds(700);
constexpr auto kQuietTime = std::chrono::milliseconds(700);

// Keeps what the chat lines it hears look like.
class ListeningSession : public NetSession {
public:
    using NetSession::NetSession;
    int32_t HandleMessage(uint32_t from, uint32_t to, const uint8_t* data, uint32_t size) override {
        const auto line = size >= 8 && data[0] == kMessage ? net_read::ReadMessage(data, size) : std::nullopt;
        if (line && from == serverDpid) {
            if (std::strcmp(line->sender, "network") != 0) {
                ++chatLines;
                longest = std::max(longest, std::strlen(line->text));
                senders.insert(line->sender);
            } else if (std::strstr(line->text, "Ann has left") != nullptr) {
                ++forgedLeaves;
            }
        }
        return NetSession::HandleMessage(from, to, data, size);
    }
    int chatLines = 0;
    size_t longest = 0;
    int forgedLeaves = 0;
    std::set<std::string> senders;
};

// The engine's clock of this process, moved on with the real one: every
// share is counted in its windows.
FakeClock* g_clock = nullptr;
const auto g_started = std::chrono::steady_clock::now();

// One frame of the network: what arrived, then what goes out.
void Pass(GameState& game) {
    const auto elapsed = std::chrono::steady_clock::now() - g_started;
    if (g_clock != nullptr) g_clock->SetMilliseconds(uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count()));
    game.NetReceive();
    game.NetSend();
}

template <typename Done>
bool PassUntil(GameState& game, Done done, int* passes = nullptr) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        Pass(game);
        if (passes != nullptr) ++*passes;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

bool Told(std::string* line) {
    pollfd in{0, POLLIN, 0};
    return poll(&in, 1, 0) > 0 && ChildProcess::Await(line);
}

// The hostile member: a session of the game's own making, sending what
// it builds by hand.
class Mallory : public NetSession {
public:
    Mallory() : NetSession("Mallory's game", 8) {}

    // Runs `burst` `perSecond` times a second for kAttackTime, then waits
    // until its own queue has gone out, so that the next attack starts afresh.
    template <typename Burst>
    void For(int perSecond, Burst burst) {
        const auto start = std::chrono::steady_clock::now();
        for (int sent = 0; std::chrono::steady_clock::now() - start < kAttackTime;) {
            if (std::chrono::steady_clock::now() >= start + std::chrono::milliseconds(1000 * sent / perSecond)) {
                burst();
                ++sent;
            }
            Drain();
        }
        const std::vector<uint8_t> nothing = Packet(200, 8);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (Send(1, nothing) == kSessionBusy && std::chrono::steady_clock::now() < deadline) Drain();
    }
    uint32_t Send(uint32_t to, const std::vector<uint8_t>& bytes) {
        return NetSession::Send(ownDpid, to, bytes.data(), uint32_t(bytes.size()));
    }
    // Leaves with its player and comes back with a new one, again and again.
    int Recreate(int times) {
        int made = 0;
        for (int i = 0; i < times; ++i) {
            DirectPlayLink::DestroyPlayer(ownDpid);
            Drain();
            const uint32_t id = DirectPlayLink::CreatePlayer("Mallory", "Client");
            ownDpid = id != 0 ? id : ownDpid;
            made += id != 0 ? 1 : 0;
        }
        return made;
    }
    void Drain() {
        static uint8_t buffer[kMaxSessionMessageSize];
        while (Receive(buffer, sizeof buffer) == 0) {
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
};

std::vector<uint8_t> Words(uint16_t type, uint32_t size, std::initializer_list<std::pair<uint32_t, int32_t>> words) {
    std::vector<uint8_t> bytes = Packet(type, size);
    for (const auto& [at, value] : words) PacketWriter(bytes.data(), size).I32(at, value);
    return bytes;
}

// `count` copies of `inner` in one MEGAPACKET, as many as fit. It travels
// as a flood does, unguaranteed: nothing of it waits on the way.
std::vector<uint8_t> Megapacket(const std::vector<uint8_t>& inner, uint32_t count) {
    std::vector<uint8_t> bytes = Packet(kMegapacket, 12, PF_QUEUE_2);
    uint32_t packed = 0;
    for (; packed < count && bytes.size() + inner.size() <= 32000; ++packed) bytes.insert(bytes.end(), inner.begin(), inner.end());
    PacketWriter out(bytes.data(), uint32_t(bytes.size()));
    out.U16(2, uint16_t(bytes.size()));
    out.U32(8, packed);
    return bytes;
}

std::vector<uint8_t> Chat(const char* sender, const std::string& text) {
    NetPacket line;
    line.BuildMessage(kMessage, "ALL", sender, text.c_str(), 0);
    return Built(line);
}

// The attacks, by name; `honest` is the honest pilot's player id.
int Attack(Mallory& mallory, const std::string& name, uint32_t honest) {
    if (name == "relay") {
        // Spoken as if by the host, to everybody and to the honest pilot alone.
        mallory.For(20, [&] {
            for (const uint32_t to : {kAllPlayers, honest}) {
                for (const int32_t goal : {1, 2}) mallory.Send(to, Words(kSetGoal, 24, {{8, goal}, {12, -1}}));
                mallory.Send(to, Words(kKillsUpdate, 44, {{8, kTop}, {32, kTop}, {40, int32_t(honest)}}));
                for (const int32_t uoid : {kHostShip, kRock}) mallory.Send(to, Words(kObjectDestroy, 20, {{8, uoid}, {12, -1}, {16, 1}}));
                mallory.Send(to, Words(kState, 12, {{8, GameState::kModeScreens}}));
            }
        });
    } else if (name == "megapacket") {
        const std::vector<uint8_t> asks = Megapacket(Packet(kGameInfoRequest, 8), 4000);
        const std::vector<uint8_t> objects = Megapacket(Words(kObjectRequest, 16, {{8, kRock}}), 2000);
        mallory.For(20, [&] { mallory.Send(1, asks); mallory.Send(1, objects); });
    } else if (name == "projectiles") {
        std::vector<uint8_t> shot = Words(kProjRequest, 108, {{44, 5}, {64, kTop}, {68, kTop}, {72, kMalloryShip}});
        PacketWriter(shot.data(), 108).Text(76, 16, "Flak Shell");
        std::vector<uint8_t> forged = shot;
        PacketWriter(forged.data(), 108).I32(72, kHostShip);
        mallory.For(20, [&] { mallory.Send(1, Megapacket(shot, 300)); mallory.Send(1, forged); });
    } else if (name == "chat") {
        const std::string flood(32000, 'x');
        mallory.For(150, [&] { mallory.Send(1, Chat("network", "\x1b[2J" + flood)); });
        mallory.Send(1, Chat("network", "Ann has left the game."));
    } else if (name == "takeover") {
        mallory.For(20, [&] {
            for (const int32_t uoid : {kHostShip, kRock}) mallory.Send(1, Words(kDestructionRequest, 20, {{8, uoid}, {12, kMalloryShip}, {16, 1}}));
            for (const int32_t goal : {1, 2}) {
                for (const int32_t ship : {kHostShip, kMalloryShip}) mallory.Send(1, Words(kGoalDone, 20, {{8, goal}, {12, ship}, {16, 1}}));
            }
            mallory.Send(1, Words(kAutoturretRequest, 12, {{8, kHostShip}}));
        });
    } else if (name == "recreate") {
        return mallory.Recreate(200);
    }
    return 0;
}

// A fixture's world: the host's ship, a rock far off, Mallory's copy, two shared goals.
class HostileMemberTest : public ::testing::Test {
protected:
    HostileMemberTest() {
        previousSleeper_ = Sleeper::Install(&sleeper_);
        GameState& game = world_.Game();
        std::strcpy(game.career->pilotName, "Ann");
        game.netSettings = &settings_;
        game.mode = GameState::kModeFlight;
        hostShip_ = world_.SpawnAs<Craft>(world_.Template("SHIP0"), 1);
        hostShip_->uoid = kHostShip;
        hostShip_->type = SpaceObject::kTypePlayerShip;
        hostShip_->active = 1;
        game.playerShip = hostShip_;
        rock_ = world_.Spawn(world_.Template("ROCK0"), 2);
        rock_->uoid = kRock;
        rock_->active = 1;
        rock_->local.SetPositionXyz(0.0f, 0.0f, 40000.0f, Transform::kAllFlags);
        malloryShip_ = world_.SpawnAs<Craft>(world_.Template("SHIP0"), 3);
        malloryShip_->uoid = kMalloryShip;
        malloryShip_->type = SpaceObject::kTypeAiShip;
        malloryShip_->active = 1;
        for (const int32_t id : {1, 2}) {
            Goal* const goal = MakeGoal(id == 1 ? Goal::kKill : Goal::kTravel, nullptr);
            goal->id = id;
            goal->playerGoal = goal->active = 1;
            goal->distance = 100.0f;
            if (id == 1) goal->SetSubject(rock_);
            if (id == 2) goal->destination = rock_;
        }
        world_.TheMission().goalList = g_goalList;
        std::snprintf(shell_.name, sizeof shell_.name, "Flak Shell");
        previousTypes_ = g_projectileTypes;
        g_projectileTypes = &shell_;
        InstallNetworkHooks();
        g_clock = &world_.Clock();
    }
    ~HostileMemberTest() override {
        g_clock = nullptr;
        GameState& game = world_.Game();
        game.ClearFlight();
        g_projectileTypes = previousTypes_;
        GameState::SetNetworkHooks({});
        FreeGoals();
        game.playerShip = nullptr;
        game.netSettings = nullptr;
        Sleeper::Install(previousSleeper_);
    }
    static std::string GoalWords() {
        std::string words;
        for (const int32_t id : {1, 2}) {
            const Goal* const goal = FindGoalById(id);
            words += goal == nullptr ? "none," : std::to_string(goal->met) + "/" + std::to_string(goal->done) + "/" +
                                                     std::to_string(goal->Failed() ? 1 : 0) + ",";
        }
        return words;
    }
    int32_t ActiveObjects() {
        int32_t active = 0;
        for (SpaceObject* object : world_.World()) active += object->active != 0 && object->uoid >= 0 ? 1 : 0;
        return active;
    }

    WorldBuilder world_;
    RecordingSleeper sleeper_;
    Sleeper* previousSleeper_ = nullptr;
    NetGameSettings settings_;
    Craft* hostShip_ = nullptr;
    SpaceObject* rock_ = nullptr;
    Craft* malloryShip_ = nullptr;
    ProjectileType shell_;
    ProjectileType* previousTypes_ = nullptr;
};

TEST_F(HostileMemberTest, NoMemberSpeaksForTheHostOrGrowsIt) {
    GameState& game = world_.Game();
    LoopbackProviders hostProviders(0, 20000);
    auto* const host = new NetSession("Ann's game", 8);
    game.netSession = host;
    ASSERT_EQ(host->SelectServiceProvider("TCP/IP"), 1);
    ASSERT_EQ(host->HostGame(), 1);
    const uint16_t port = static_cast<EnetSessionService*>(host->Interface())->Port();
    ASSERT_NE(port, 0);

    auto hostile = ChildProcess::Fork([port, &game] {
        std::strcpy(game.career->pilotName, "Mallory");
        game.netSession = nullptr;
        LoopbackProviders providers(port, 20000);
        Mallory mallory;
        if (mallory.SelectServiceProvider("TCP/IP") != 1 || mallory.EnumSessions() != 0) return 1;
        if (mallory.JoinGame("Ann's game") != 1) return 2;
        ChildProcess::Report("joined");
        std::string order;
        while (ChildProcess::Await(&order) && order.rfind("attack ", 0) == 0) {
            std::istringstream words(order.substr(7));
            std::string name;
            uint32_t honest = 0;
            words >> name >> honest;
            const int result = Attack(mallory, name, honest);
            ChildProcess::Report("done " + name + " " + std::to_string(result));
        }
        mallory.Close();
        return 0;
    });
    ASSERT_NE(hostile, nullptr);
    std::string line;
    ASSERT_TRUE(PassUntil(game, [&] { return hostile->ReadLine(&line, 0) && line == "joined"; })) << hostile->Transcript();
    // The host's copy of Mallory's ship, announced before.
    host->SetPlayerUoid(host->FindPlayerByDpid(host->GetPlayerDpid(1)), kMalloryShip);
    const int32_t objects = ActiveObjects();
    const std::string goals = GoalWords();
    ASSERT_EQ(goals, "0/0/0,0/0/0,");

    auto honest = ChildProcess::Fork([port, &game, this] {
        std::strcpy(game.career->pilotName, "Bob");
        game.career->funds = 500;
        game.playerShip = nullptr;
        game.netSession = nullptr;
        LoopbackProviders providers(port, 20000);
        auto* const bob = new ListeningSession("Bob's game", 8);
        if (bob->SelectServiceProvider("TCP/IP") != 1 || bob->EnumSessions() != 0) return 1;
        if (bob->JoinGame("Ann's game") != 1) return 2;
        game.netSession = bob;
        ChildProcess::Report("joined " + std::to_string(bob->ownDpid));
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(25);
        std::string order;
        while (!Told(&order) && std::chrono::steady_clock::now() < deadline) {
            Pass(game);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        std::string senders;
        for (const std::string& sender : bob->senders) senders += sender + ",";
        ChildProcess::Report("in " + std::to_string(bob->IsActive() ? 1 : 0) + " server " + std::to_string(bob->serverDpid) +
                             " goals " + GoalWords() + " funds " + std::to_string(game.career->funds) + " objects " +
                             std::to_string(ActiveObjects()) + " mode " + std::to_string(game.mode));
        ChildProcess::Report("chat " + std::to_string(bob->chatLines) + " longest " + std::to_string(bob->longest) +
                             " senders " + senders + " forged " + std::to_string(bob->forgedLeaves));
        return 0;
    });
    ASSERT_NE(honest, nullptr);
    ASSERT_TRUE(PassUntil(game, [&] { return honest->ReadLine(&line, 0) && line.rfind("joined ", 0) == 0; }))
        << honest->Transcript();
    const uint32_t bob = uint32_t(std::stoul(line.substr(7)));
    ASSERT_TRUE(PassUntil(game, [&] { return host->CountPlayers() == 3; }));

    // The host's pace with both playing quietly.
    int quiet = 0;
    const auto quietEnd = std::chrono::steady_clock::now() + kQuietTime;
    PassUntil(game, [&] { return std::chrono::steady_clock::now() >= quietEnd; }, &quiet);

    // Each attack in turn, the host's passes counted: at least half its quiet pace.
    const auto attack = [&](const std::string& name) {
        // Each from the start of a second of the host's clock, a fresh share of it.
        const uint32_t second = GetMilliseconds() / 1000;
        PassUntil(game, [&] { return GetMilliseconds() / 1000 != second; });
        hostile->Tell("attack " + name + " " + std::to_string(bob));
        int passes = 0;
        const auto start = std::chrono::steady_clock::now();
        const bool done = PassUntil(game, [&] { return hostile->ReadLine(&line, 0) && line.rfind("done ", 0) == 0; }, &passes);
        EXPECT_TRUE(done) << name << "\n" << hostile->Transcript();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double quietSeconds = std::chrono::duration<double>(kQuietTime).count();
        EXPECT_GE(passes / seconds, quiet / quietSeconds / 2) << name << ": passes " << passes << " of quiet " << quiet;
        return done ? std::stoi(line.substr(line.rfind(' ') + 1)) : -1;
    };
    // The MEGAPACKET flood last: what it leaves queued would eat the member's later shares.
    for (const char* name : {"relay", "projectiles", "chat", "takeover", "megapacket"}) attack(name);
    // What Mallory's burst of projectiles left: its share, none for good, none of the host's ship.
    int32_t malloryShots = 0;
    for (const Projectile* projectile : game.projectiles) {
        EXPECT_NE(projectile->owner.Get(), hostShip_);
        EXPECT_LE(projectile->lifetimeLeft, NetSession::kLongestProjectileMs);
        malloryShots += projectile->owner.Get() == malloryShip_ ? 1 : 0;
    }
    EXPECT_GT(malloryShots, 0) << game.projectiles.Count();
    EXPECT_LE(malloryShots, NetSession::kProjectilesAlive);
    EXPECT_EQ(hostShip_->active, 1u);
    EXPECT_EQ(rock_->active, 1u);
    EXPECT_EQ(GoalWords(), goals);
    EXPECT_EQ(host->CountPlayers(), 3);

    honest->Tell("report");
    ASSERT_TRUE(PassUntil(game, [&] { return honest->ReadLine(&line, 0) && line.rfind("in ", 0) == 0; }))
        << honest->Transcript();
    EXPECT_EQ(line, "in 1 server " + std::to_string(host->ownDpid) + " goals " + goals + " funds 500 objects " +
                        std::to_string(objects) + " mode " + std::to_string(GameState::kModeFlight));
    ASSERT_TRUE(PassUntil(game, [&] { return honest->ReadLine(&line, 0) && line.rfind("chat ", 0) == 0; }));
    std::istringstream chat(line.substr(5));
    int lines = 0;
    size_t longest = 0;
    std::string word, senders, forged;
    chat >> lines >> word >> longest >> word >> senders >> word >> forged;
    // A few lines a second at most, each a line's length, under the member's own name.
    EXPECT_GT(lines, 0) << line;
    EXPECT_LE(lines, 2 * NetSession::kChatLinesPerSecond + 2) << line;
    EXPECT_LE(longest, NetSession::kLongestChatLine) << line;
    EXPECT_EQ(senders, "Mallory,") << line;
    EXPECT_EQ(forged, "0") << line;
    EXPECT_EQ(honest->Wait(kWaitMs), 0) << honest->Transcript();

    // Two more players at most on one connection, each gone with the last.
    EXPECT_LE(attack("recreate"), 2);
    EXPECT_LE(host->CountPlayers(), 2);
    hostile->Tell("stop");
    EXPECT_EQ(hostile->Wait(kWaitMs), 0) << hostile->Transcript();
    host->Close();
    game.netSession = nullptr;
    delete host;
}

}  // namespace
