// A network game of three processes on 127.0.0.1: this test hosts, a forked
// honest pilot joins and flies on, and a forked hostile member of the same
// session tries, one after another, what would let it speak for the host,
// for another pilot or beyond what its own ship can do, or grow the host
// without bound. The honest pilot keeps its game, its goals, its credits,
// its name and its world, hears no false kill nor notice, and receives no
// answer meant for another; the host keeps its own, and its passes go on at
// no less than half their quiet pace. Every wait is bounded.
#include <poll.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <ctime>
#include <limits>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/Clock.h"
#include "game/CareerRecord.h"
#include "game/DataDirectories.h"
#include "game/EffectTypes.h"
#include "game/GameState.h"
#include "mission/Goal.h"
#include "mission/ObjectLoader.h"
#include "net/NetControlPackets.h"
#include "net/NetGameSettings.h"
#include "net/NetPacketReaders.h"
#include "net/NetPilotBounds.h"
#include "net/NetworkHooks.h"
#include "net/NetSession.h"
#include "objects/ships/Craft.h"
#include "objects/space/WorldPass.h"
#include "objects/weapons/BeamWeapon.h"
#include "objects/weapons/GunWeapon.h"
#include "objects/weapons/Projectile.h"
#include "objects/weapons/ProjectileWeapon.h"
#include "platform/EnetSessionService.h"
#include "platform/SessionSystemMessage.h"
#include "platform/Sleeper.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/FakeClock.h"
#include "tests/support/LoopbackProviders.h"
#include "tests/support/RecordingSleeper.h"
#include "tests/support/TempDir.h"
#include "tests/support/world/NetPacketBytes.h"
#include "tests/support/world/WorldBuilder.h"
#include "tools/mkdata/SampleTree.h"

using namespace platform;

namespace {

constexpr int kWaitMs = 8000;
constexpr int32_t kTop = std::numeric_limits<int32_t>::max();
constexpr int32_t kHostShip = 10;
constexpr int32_t kRock = 11;
constexpr int32_t kMalloryShip = 12;
constexpr int32_t kTarget = 13;
// A ship an AI shot down: nobody's kill, never announced.
constexpr int32_t kWreck = 14;
// Mallory's ship stands at a network start, far beyond the reach of its
// weapons from the host's ship; the target lies well within their reach.
const Vector3 kMalloryAt{0.0f, 0.0f, -4800.0f};
const Vector3 kTargetAt{0.0f, 0.0f, -4300.0f};
// Its weapons, all on its first part: per second of fire a gun's and a
// beam's, per shot the flak's.
constexpr int32_t kGunRate = 10;
constexpr int32_t kGunRange = 1500;
constexpr int32_t kGunDamage[5] = {300, 200, 0, 0, 100};
constexpr int32_t kBeamRange = 2000;
constexpr int32_t kBeamDamage[5] = {40, 30, 0, 0, 20};
constexpr int32_t kBeamEmp = 5;
constexpr int32_t kFlakRefireMs = 600;
constexpr int32_t kFlakLifeMs = 4000;
constexpr int32_t kFlakDamage[5] = {60, 40, 0, 0, 30};
constexpr float kFlakSpeed = 600.0f;
// Each attack lasts this long, at its own pace.
constexpr auto kAttackTime = std::chrono::milliseconds(700);
constexpr auto kQuietTime = std::chrono::milliseconds(700);

// Keeps what the chat lines it hears look like, the network's notices, and
// what the host passes on to it: shots, pulses, objects, states.
class ListeningSession : public NetSession {
public:
    using NetSession::NetSession;
    int32_t HandleMessage(uint32_t from, uint32_t to, const uint8_t* data, uint32_t size) override {
        const uint16_t type = size >= 8 ? uint16_t(data[0] | data[1] << 8) : 0;
        const auto line = type == kMessage ? net_read::ReadMessage(data, size) : std::nullopt;
        if (line && from == serverDpid) {
            const std::string text = line->text;
            if (std::strcmp(line->sender, "network") != 0) {
                ++chatLines;
                longest = std::max(longest, text.size());
                senders.insert(line->sender);
                // Every pilot's line names its own sender first, as the pilot typed it.
                unframed += text.rfind(std::string(line->sender) + ": [", 0) == 0 ? 0 : 1;
            } else if (text.find(" killed ") != std::string::npos || text.find("suicide") != std::string::npos) {
                ++killLines;
            }
            // Only the network tells of a leave; a line that reads as one is forged.
            forgedLeaves += text.rfind("Ann has left", 0) == 0 ? 1 : 0;
        }
        if (from == serverDpid && size >= 12) {
            const int32_t target = PacketReader(data, size).I32(8);
            if (type == kGunShot) ++gunShots[target];
            if (type == kBeamHit) ++beamHits[target];
            if (type == kEmpDamage) ++pulses[target];
            if (type == kObjectCreate) ++objectCreates;
        }
        if (from == serverDpid && type == kState) ++states;
        return NetSession::HandleMessage(from, to, data, size);
    }
    static int Of(const std::map<int32_t, int>& counts, int32_t target) {
        const auto found = counts.find(target);
        return found != counts.end() ? found->second : 0;
    }
    int chatLines = 0;
    size_t longest = 0;
    int forgedLeaves = 0;
    int unframed = 0;
    int killLines = 0;
    std::set<std::string> senders;
    std::map<int32_t, int> gunShots, beamHits, pulses;
    int objectCreates = 0;
    int states = 0;
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

// The rest the host takes after each pass, as a game's loop does.
constexpr auto kPassRest = std::chrono::milliseconds(2);

template <typename Done>
bool PassUntil(GameState& game, Done done, int* passes = nullptr) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        Pass(game);
        if (passes != nullptr) ++*passes;
        std::this_thread::sleep_for(kPassRest);
    }
    return true;
}

// The host's pace over `passes` passes from the processor time `begun`:
// passes a second of its own work and its rests. The time the machine's
// other work keeps it waiting is left out: on a loaded machine that grows
// with whatever a pass does, and would make a pass that does its bounded
// share look like a host held up.
double PaceSince(int passes, std::clock_t begun) {
    const double worked = double(std::clock() - begun) / CLOCKS_PER_SEC;
    return passes / (worked + passes * std::chrono::duration<double>(kPassRest).count());
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
    int Recreate(int times, const char* name = "Mallory") {
        int made = 0;
        for (int i = 0; i < times; ++i) {
            DirectPlayLink::DestroyPlayer(ownDpid);
            Drain();
            const uint32_t id = DirectPlayLink::CreatePlayer(name, "Client");
            ownDpid = id != 0 ? id : ownDpid;
            made += id != 0 ? 1 : 0;
        }
        return made;
    }
    // Quiet for a while, taking in what comes, so that what it sent is taken before it goes on.
    void Rest(std::chrono::milliseconds pause) {
        const auto end = std::chrono::steady_clock::now() + pause;
        while (std::chrono::steady_clock::now() < end) Drain();
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

using Words5 = std::array<int32_t, 5>;
Words5 Scaled(const int32_t (&words)[5], int32_t numerator, int32_t denominator) {
    Words5 scaled{};
    for (int i = 0; i < 5; ++i) scaled[size_t(i)] = words[i] * numerator / denominator;
    return scaled;
}
constexpr Words5 kHuge{1 << 20, 1 << 20, 1 << 20, 1 << 20, 1 << 20};

// Mallory's own world soon differs from the host's (what it cannot build
// it gives up): its packets name the host's objects by number and place.
const Vector3 kHostAt{0.0f, 0.0f, 0.0f};
const Vector3 kRockAt{0.0f, 0.0f, 40000.0f};

// GUN_SHOT or BEAM_HIT from Mallory's first part at `target`, standing at `at`.
std::vector<uint8_t> Fire(uint16_t type, int32_t target, const Vector3& at, const Words5& damage, int32_t shots) {
    const uint32_t size = type == kGunShot ? NetPacket::kGunShotBytes : NetPacket::kBeamHitBytes;
    std::vector<uint8_t> bytes = Packet(type, size);
    PacketWriter out(bytes.data(), size);
    out.I32(8, target);
    out.I32(12, kMalloryShip);
    for (int i = 0; i < 5; ++i) out.I32(20 + 4 * uint32_t(i), damage[size_t(i)]);
    if (type == kGunShot) {
        out.I32(48, shots);
        out.Vector(52, at);
        out.Text(68, 16, "Hit Spark");
    } else {
        out.Text(48, 16, "Ion Beam");
    }
    return bytes;
}

std::vector<uint8_t> Pulse(int32_t target, int32_t amount) {
    return Words(kEmpDamage, NetPacket::kEmpDamageBytes, {{8, target}, {12, amount}});
}

// A flak shell of Mallory's, as its weapon fires one unless told otherwise.
std::vector<uint8_t> Flak(Vector3 from = kMalloryAt, const Words5& damage = Scaled(kFlakDamage, 1, 1),
                          int32_t life = kFlakLifeMs, int32_t owner = kMalloryShip) {
    std::vector<uint8_t> shot = Packet(kProjRequest, 108);
    PacketWriter out(shot.data(), 108);
    out.Vector(8, {0.0f, 0.0f, kFlakSpeed});
    out.Vector(24, from);
    for (int i = 0; i < 5; ++i) out.I32(44 + 4 * uint32_t(i), damage[size_t(i)]);
    out.I32(68, life);
    out.I32(72, owner);
    out.Text(76, 16, "Flak Shell");
    return shot;
}

// The flight a member's copy may have in hand at once.
float Held() { return net_bounds::kFastestFlight * float(net_bounds::kMoveLagMs) / 1000.0f; }

// Mallory's own report of its ship, standing still at `at`, whole.
std::vector<uint8_t> Report(const Vector3& at) {
    std::vector<uint8_t> bytes = Packet(kPlayerInfo, NetPacket::kPlayerInfoBytes);
    PacketWriter out(bytes.data(), NetPacket::kPlayerInfoBytes);
    out.I32(8, kMalloryShip);
    out.F32(60, 1.0f);   // heading ahead
    for (uint32_t axis = 0; axis < 3; ++axis) out.F32(72 + 16 * axis, 1.0f);
    out.Vector(108, at);
    out.U8(128, 100);
    return bytes;
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
        // Shells as its flak fires them, hundreds a second; and others
        // stronger, longer-lived, from far off, or said to be the host's.
        const std::vector<uint8_t> shells = Megapacket(Flak(), 300);
        const std::vector<uint8_t> forged = Flak(kMalloryAt, Scaled(kFlakDamage, 1, 1), kFlakLifeMs, kHostShip);
        const std::vector<uint8_t> strong = Flak(kMalloryAt, kHuge);
        const std::vector<uint8_t> endless = Flak(kMalloryAt, Scaled(kFlakDamage, 1, 1), kTop);
        const std::vector<uint8_t> far = Flak(kHostAt);
        mallory.For(20, [&] {
            for (const auto* shot : {&forged, &strong, &endless, &far}) mallory.Send(1, *shot);
            mallory.Send(1, shells);
        });
    } else if (name == "shots") {
        // Its gun's and beam's fire and its beam's pulses as frames of a
        // second each (the longest a frame counts): at the host's ship far
        // beyond their reach, at the target beyond their strength, and at
        // the target fifteen seconds' worth a second.
        const Words5 gunFrame = Scaled(kGunDamage, 1, 1);
        const Words5 beamFrame = Scaled(kBeamDamage, 1, 1);
        mallory.For(15, [&] {
            for (const auto& [target, at] : {std::pair{kHostShip, kHostAt}, std::pair{kTarget, kTargetAt}}) {
                mallory.Send(1, Fire(kGunShot, target, at, gunFrame, kGunRate));
                mallory.Send(1, Fire(kBeamHit, target, at, beamFrame, 0));
                mallory.Send(1, Pulse(target, kBeamEmp));
            }
            mallory.Send(1, Fire(kGunShot, kTarget, kTargetAt, kHuge, kGunRate));
            mallory.Send(1, Fire(kBeamHit, kTarget, kTargetAt, kHuge, 0));
            mallory.Send(1, Pulse(kTarget, kTop));
        });
    } else if (name == "chat") {
        const std::string flood(32000, 'x');
        mallory.For(150, [&] { mallory.Send(1, Chat("network", "\x1b[2J" + flood)); });
        mallory.Send(1, Chat("network", "Ann has left the game."));
        mallory.Send(1, Chat("Ann", "Ann: [I give up, everybody leave]"));
    } else if (name == "takeover") {
        mallory.For(20, [&] {
            for (const int32_t uoid : {kHostShip, kRock}) mallory.Send(1, Words(kDestructionRequest, 20, {{8, uoid}, {12, kMalloryShip}, {16, 1}}));
            for (const int32_t goal : {1, 2}) {
                for (const int32_t ship : {kHostShip, kMalloryShip}) mallory.Send(1, Words(kGoalDone, 20, {{8, goal}, {12, ship}, {16, 1}}));
            }
            mallory.Send(1, Words(kAutoturretRequest, 12, {{8, kHostShip}}));
            mallory.Send(1, Packet(kStateRequest, 8));
        });
    } else if (name == "teleport") {
        // Where its ship stands, a short flight on, then beside goal 2's
        // rock across the world at once, and the goal reported met there.
        mallory.Send(1, Report(kMalloryAt));
        mallory.Rest(std::chrono::milliseconds(200));
        mallory.Send(1, Report(kMalloryAt.Sum({0.0f, 0.0f, 50.0f})));
        mallory.Rest(std::chrono::milliseconds(200));
        mallory.Send(1, Report(kRockAt.Sum({0.0f, 0.0f, -30.0f})));
        mallory.Send(1, Words(kGoalDone, 20, {{8, 2}, {12, kMalloryShip}, {16, 1}}));
        mallory.Rest(std::chrono::milliseconds(300));
    } else if (name == "bunched") {
        // A second's flight and a hundred times more, 113 reports of 399
        // units each in one MEGAPACKET, onto goal 2's rock, and the goal
        // reported met there.
        std::vector<std::vector<uint8_t>> reports;
        for (int i = 1; i <= 113; ++i) reports.push_back(Report(kMalloryAt.Sum({0.0f, 0.0f, 50.0f + 399.0f * float(i)})));
        std::vector<uint8_t> bytes = Packet(kMegapacket, 12, PF_QUEUE_2);
        for (const auto& report : reports) bytes.insert(bytes.end(), report.begin(), report.end());
        PacketWriter out(bytes.data(), uint32_t(bytes.size()));
        out.U16(2, uint16_t(bytes.size()));
        out.U32(8, uint32_t(reports.size()));
        mallory.Send(1, bytes);
        mallory.Send(1, Words(kGoalDone, 20, {{8, 2}, {12, kMalloryShip}, {16, 1}}));
        mallory.Rest(std::chrono::milliseconds(300));
    } else if (name == "hulls") {
        // Its ship announced as a capital ship: turrets and a capital hull.
        std::vector<uint8_t> bytes = Packet(kNewPlayer, 56);
        PacketWriter out(bytes.data(), 56);
        out.U32(8, mallory.ownDpid);
        out.F32(12, 9.0f);
        out.Text(25, 19, "Capital");
        out.Text(48, 8, "Mallory");
        mallory.Send(1, bytes);
        mallory.Rest(std::chrono::milliseconds(500));
    } else if (name == "deaths") {
        // The death of everything it has seen at its own hands, and its
        // own at the host's while it flies on.
        mallory.For(20, [&] {
            for (const int32_t uoid : {kHostShip, kRock, kTarget, kWreck}) mallory.Send(1, Words(kDeath, 16, {{8, kMalloryShip}, {12, uoid}}));
            mallory.Send(1, Words(kDeath, 16, {{8, kHostShip}, {12, kMalloryShip}}));
        });
        // Then its own ship really ends, said to be the host's kill, which the host never fired at.
        mallory.Send(1, Words(kDestructionRequest, 20, {{8, kMalloryShip}, {12, kHostShip}, {16, 1}}));
        mallory.Send(1, Words(kDeath, 16, {{8, kHostShip}, {12, kMalloryShip}}));
        mallory.Rest(std::chrono::milliseconds(300));
    } else if (name == "names") {
        // A second player under the honest pilot's name, speaking for him.
        const int made = mallory.Recreate(1, "Bob");
        mallory.Rest(std::chrono::milliseconds(300));
        NetPacket ready;
        ready.BuildUpdateTeam(kUpdateTeam, "Bob", "NONE", 1, -1, 1);
        mallory.Send(1, Built(ready));
        mallory.Send(1, Chat("Bob", "Bob: [I am ready]"));
        mallory.Rest(std::chrono::milliseconds(300));
        return made;
    } else if (name == "recreate") {
        return mallory.Recreate(200);
    }
    return 0;
}

// A fixture's world: the host's ship, a rock far off, Mallory's copy with
// its gun, beam and flak far from the host's ship, a craft within their
// reach, a wreck, two shared goals.
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
        rock_->SetPositionFlags(kRockAt, Transform::kAllFlags);
        std::snprintf(shell_.name, sizeof shell_.name, "Flak Shell");
        shell_.speed = kFlakSpeed;
        shell_.speedFactor = 1.0f;
        previousTypes_ = g_projectileTypes;
        g_projectileTypes = &shell_;
        malloryShip_ = world_.SpawnAs<Craft>(world_.Template("SHIP0"), 3);
        malloryShip_->uoid = kMalloryShip;
        malloryShip_->type = SpaceObject::kTypeAiShip;
        malloryShip_->active = 1;
        malloryShip_->SetPositionFlags(kMalloryAt, Transform::kAllFlags);
        malloryShip_->AddSystem(0, new GunWeapon(malloryShip_, 0, 0, Weapon::kGunGroup, kGunRate, 1, 500, kGunRange,
                                                 kGunDamage, "Hit Spark", nullptr));
        auto* const beam = new BeamWeapon(malloryShip_, 0, 0, Weapon::kGunGroup, 30, kBeamRange, kBeamDamage, "Ion Beam", nullptr);
        beam->empCharge = kBeamEmp;
        malloryShip_->AddSystem(0, beam);
        malloryShip_->AddSystem(0, new ProjectileWeapon(malloryShip_, 0, 0, Weapon::kProjectileGroup, kFlakRefireMs, 6, 200,
                                                        kFlakLifeMs, kFlakDamage, "Flak Shell", nullptr));
        target_ = world_.SpawnAs<Craft>(world_.Template("SHIP1"), 3);
        target_->uoid = kTarget;
        target_->type = SpaceObject::kTypeAiShip;
        target_->active = 1;
        target_->SetPositionFlags(kTargetAt, Transform::kAllFlags);
        wreck_ = world_.SpawnAs<Craft>(world_.Template("SHIP1"), 3);
        wreck_->uoid = kWreck;
        wreck_->type = SpaceObject::kTypeAiShip;
        wreck_->deaths = 1;
        for (const int32_t id : {1, 2}) {
            Goal* const goal = MakeGoal(id == 1 ? Goal::kKill : Goal::kTravel, nullptr);
            goal->id = id;
            goal->playerGoal = goal->active = 1;
            goal->distance = 100.0f;
            if (id == 1) goal->SetSubject(rock_);
            if (id == 2) goal->destination = rock_;
        }
        world_.TheMission().goalList = g_goalList;
        InstallNetworkHooks();
        g_clock = &world_.Clock();
        // Written before the game starts: no machine waits on it.
        std::string error;
        EXPECT_TRUE(WriteSampleTree(data_.Str(), &error)) << error;
    }
    ~HostileMemberTest() override {
        g_clock = nullptr;
        GameState& game = world_.Game();
        game.ClearFlight();
        if (g_dataDirs.Found(DataDir::kData)) {
            // What the definitions made goes before them.
            for (SpaceObject* object : world_.World()) {
                if (std::strcmp(object->label, "P101") == 0) world_.Remove(object);
            }
            DefinitionLibrary::Reset();
            GameState::RegisterObjectKind(SpaceObject::kTypePlayerShip, nullptr);
            GameState::RegisterObjectKind(SpaceObject::kTypeAiShip, nullptr);
            g_dataDirs.Clear();
        }
        g_projectileTypes = previousTypes_;
        GameState::SetNetworkHooks({});
        FreeGoals();
        game.playerShip = nullptr;
        game.netSettings = nullptr;
        Sleeper::Install(previousSleeper_);
    }
    // The sample definitions from here on: ships are built of them.
    static void UseData(const std::string& dir) {
        EXPECT_TRUE(g_dataDirs.Find(dir));
        RegisterSpaceObjects();
        DefinitionLibrary::RegisterCoreBuilders();
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
    // The host's objects in the world, Mallory's own ship aside (which it may end).
    int32_t ActiveObjects() {
        int32_t active = 0;
        for (SpaceObject* object : world_.World()) {
            active += object->active != 0 && object->uoid >= 0 && object->uoid < NetSession::kClientUoidBase &&
                              object->uoid != kMalloryShip
                          ? 1
                          : 0;
        }
        return active;
    }
    // What the player table holds: "name/ready/team," in table order.
    static std::string Table(const NetSession& session) {
        std::string table;
        for (int32_t i = 0; i < session.playerCapacity; ++i) {
            const NetPlayer* const player = session.Player(i);
            if (player->inUse == 0) continue;
            table += std::string(player->name != nullptr ? player->name : "") + "/" + std::to_string(player->ready) +
                     "/" + std::to_string(player->team) + ",";
        }
        return table;
    }

    TempDir data_;
    WorldBuilder world_;
    RecordingSleeper sleeper_;
    Sleeper* previousSleeper_ = nullptr;
    NetGameSettings settings_;
    Craft* hostShip_ = nullptr;
    SpaceObject* rock_ = nullptr;
    Craft* malloryShip_ = nullptr;
    Craft* target_ = nullptr;
    Craft* wreck_ = nullptr;
    ProjectileType shell_;
    ProjectileType* previousTypes_ = nullptr;
};

TEST_F(HostileMemberTest, NoMemberSpeaksForTheHostOrAnotherOrBeyondItsShip) {
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
        // The host answers in its own passes, which a loaded machine slows:
        // a member waits for the answer, not for a set time.
        LoopbackProviders providers(port, 20000, 20000);
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
    const int32_t malloryEntry = host->FindPlayerByDpid(host->GetPlayerDpid(1));
    host->SetPlayerUoid(malloryEntry, kMalloryShip);
    const int32_t objects = ActiveObjects();
    const std::string goals = GoalWords();
    ASSERT_EQ(goals, "0/0/0,0/0/0,");

    auto honest = ChildProcess::Fork([port, &game, this] {
        std::strcpy(game.career->pilotName, "Bob");
        game.career->funds = 500;
        game.playerShip = nullptr;
        game.netSession = nullptr;
        LoopbackProviders providers(port, 20000, 20000);
        auto* const bob = new ListeningSession("Bob's game", 8);
        if (bob->SelectServiceProvider("TCP/IP") != 1 || bob->EnumSessions() != 0) return 1;
        if (bob->JoinGame("Ann's game") != 1) return 2;
        game.netSession = bob;
        ChildProcess::Report("joined " + std::to_string(bob->ownDpid));
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        std::string order;
        while (std::chrono::steady_clock::now() < deadline) {
            if (!Told(&order)) {
                Pass(game);
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                continue;
            }
            if (order == "stop") break;
            if (order.rfind("data ", 0) == 0) {
                UseData(order.substr(5));
                ChildProcess::Report("data");
            }
            if (order.rfind("hull ", 0) == 0) {
                // What this machine holds under that number, once it has it.
                const int32_t uoid = std::stoi(order.substr(5));
                const auto held = [&] { return game.mission->firstObject->FindByUoid(uoid); };
                const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
                while (held() == nullptr && std::chrono::steady_clock::now() < until) Pass(game);
                std::string capital = "0";
                for (SpaceObject* object : world_.World()) capital = std::strcmp(object->label, "Capital") == 0 ? "1" : capital;
                ChildProcess::Report(std::string("hull ") + (held() != nullptr ? held()->label : "none") + " capital " + capital);
            }
            if (order == "count") {
                ChildProcess::Report("creates " + std::to_string(bob->objectCreates) + " states " + std::to_string(bob->states));
            } else if (order == "report") {
                std::string senders;
                for (const std::string& sender : bob->senders) senders += sender + ",";
                ChildProcess::Report("in " + std::to_string(bob->IsActive() ? 1 : 0) + " server " +
                                     std::to_string(bob->serverDpid) + " goals " + GoalWords() + " funds " +
                                     std::to_string(game.career->funds) + " objects " + std::to_string(ActiveObjects()) +
                                     " mode " + std::to_string(game.mode));
                ChildProcess::Report("chat " + std::to_string(bob->chatLines) + " longest " + std::to_string(bob->longest) +
                                     " senders " + senders + " forged " + std::to_string(bob->forgedLeaves) + " unframed " +
                                     std::to_string(bob->unframed) + " kills " + std::to_string(bob->killLines));
                std::string shots;
                for (const int32_t at : {kHostShip, kTarget}) {
                    for (const auto* counts : {&bob->gunShots, &bob->beamHits, &bob->pulses}) {
                        shots += " " + std::to_string(ListeningSession::Of(*counts, at));
                    }
                }
                ChildProcess::Report("shots" + shots);
                ChildProcess::Report("table " + Table(*bob));
            }
        }
        return 0;
    });
    ASSERT_NE(honest, nullptr);
    ASSERT_TRUE(PassUntil(game, [&] { return honest->ReadLine(&line, 0) && line.rfind("joined ", 0) == 0; }))
        << honest->Transcript();
    const uint32_t bob = uint32_t(std::stoul(line.substr(7)));
    ASSERT_TRUE(PassUntil(game, [&] { return host->CountPlayers() == 3; }));
    const auto ask = [&](const std::string& order, const std::string& answer) {
        honest->Tell(order);
        EXPECT_TRUE(PassUntil(game, [&] { return honest->ReadLine(&line, 0) && line.rfind(answer, 0) == 0; }))
            << order << "\n" << honest->Transcript();
        return line;
    };

    // The host's pace, passes a second, with both playing quietly; what the honest pilot holds then.
    const auto quietPace = [&] {
        int passes = 0;
        const std::clock_t begun = std::clock();
        const auto start = std::chrono::steady_clock::now();
        PassUntil(game, [&] { return std::chrono::steady_clock::now() >= start + kQuietTime; }, &passes);
        return PaceSince(passes, begun);
    };
    const double quiet = quietPace();
    const std::string counted = ask("count", "creates ");

    // Each attack in turn, the host's passes counted: at least half its quiet
    // pace. An attack that seems to starve the host is held to the quiet
    // pace measured again at once.
    const auto attack = [&](const std::string& name) {
        // Each once the host has taken in all the last one sent (a slowed
        // host may still hold a flood's rest, which would eat this one's
        // share), from the start of a second of the host's clock: a fresh
        // share of it.
        int drained = 0;
        PassUntil(game, [&] { return drained > 0 && host->packetsThisPass == 0; }, &drained);
        const uint32_t second = GetMilliseconds() / 1000;
        PassUntil(game, [&] { return GetMilliseconds() / 1000 != second; });
        hostile->Tell("attack " + name + " " + std::to_string(bob));
        int passes = 0;
        const std::clock_t begun = std::clock();
        const bool done = PassUntil(game, [&] { return hostile->ReadLine(&line, 0) && line.rfind("done ", 0) == 0; }, &passes);
        EXPECT_TRUE(done) << name << "\n" << hostile->Transcript();
        const double pace = PaceSince(passes, begun);
        if (pace < quiet / 2) {
            EXPECT_GE(pace, quietPace() / 2) << name << ": " << pace << " passes a second, quiet " << quiet;
        }
        return done ? std::stoi(line.substr(line.rfind(' ') + 1)) : -1;
    };
    for (const char* name : {"relay", "projectiles"}) attack(name);
    // What Mallory's flak left: its weapon's rate at most (a shell each
    // refire, and the share it may have saved up), none for good, none of
    // the host's ship, none stronger than the flak's.
    int32_t malloryShots = 0;
    for (const Projectile* projectile : game.projectiles) {
        EXPECT_NE(projectile->owner.Get(), hostShip_);
        EXPECT_LE(projectile->lifetimeLeft, kFlakLifeMs);
        EXPECT_LE(projectile->damage.amounts[0], kFlakDamage[0]);
        EXPECT_LT(projectile->currentPoint.Difference(kMalloryAt).Length(), 1000.0f);
        malloryShots += projectile->owner.Get() == malloryShip_ ? 1 : 0;
    }
    const double flakPerSecond = 1000.0 / kFlakRefireMs;
    const double slackSeconds = double(net_bounds::kFireSlackMs) / 1000.0;
    const double attackSeconds = std::chrono::duration<double>(kAttackTime).count() + 0.5;
    EXPECT_GT(malloryShots, 0) << game.projectiles.Count();
    EXPECT_LE(malloryShots, int32_t(flakPerSecond * (attackSeconds + slackSeconds)) + 1);

    for (const char* name : {"shots", "chat", "takeover", "teleport"}) attack(name);
    // Nothing reached the host's ship; the goal far off stays open, and
    // Mallory's ship stands no more than a second's flight on from where it
    // really flew, however far it said it went.
    EXPECT_EQ(hostShip_->empLevel, 0);
    EXPECT_EQ(GoalWords(), goals);
    EXPECT_LE(malloryShip_->Position().Difference(kMalloryAt.Sum({0.0f, 0.0f, 50.0f})).Length(), Held() + 1.0f);
    // However many reports one packet brings: a second's flight more.
    attack("bunched");
    EXPECT_EQ(GoalWords(), goals);
    EXPECT_LE(malloryShip_->Position().Difference(kMalloryAt.Sum({0.0f, 0.0f, 50.0f})).Length(), 2.0f * Held() + 1.0f);

    attack("deaths");
    // Mallory's own request ended its ship, at nobody's hands (the host never
    // fired at it), and nothing was scored.
    EXPECT_TRUE(PassUntil(game, [&] { return malloryShip_->dead != 0 || malloryShip_->active == 0; }));
    EXPECT_EQ(malloryShip_->killer.Get(), nullptr);
    for (int32_t i = 0; i < host->playerCapacity; ++i) {
        EXPECT_EQ(host->Player(i)->score, 0) << i;
        EXPECT_EQ(host->Player(i)->kills, 0) << i;
    }
    // The MEGAPACKET flood last: what it leaves queued would eat the member's later shares.
    attack("megapacket");
    EXPECT_EQ(hostShip_->active, 1u);
    EXPECT_EQ(hostShip_->dead, 0);
    EXPECT_EQ(rock_->active, 1u);
    EXPECT_EQ(target_->active, 1u);
    EXPECT_EQ(GoalWords(), goals);
    EXPECT_EQ(host->CountPlayers(), 3);

    // None of the answers to Mallory's asking reached the honest pilot.
    EXPECT_EQ(ask("count", "creates "), counted);
    EXPECT_EQ(ask("report", "in "), "in 1 server " + std::to_string(host->ownDpid) + " goals " + goals + " funds 500 objects " +
                                         std::to_string(objects) + " mode " + std::to_string(GameState::kModeFlight));
    ASSERT_TRUE(PassUntil(game, [&] { return honest->ReadLine(&line, 0) && line.rfind("chat ", 0) == 0; }));
    std::istringstream chat(line.substr(5));
    int lines = 0, unframed = -1, kills = -1;
    size_t longest = 0;
    std::string word, senders, forged;
    chat >> lines >> word >> longest >> word >> senders >> word >> forged >> word >> unframed >> word >> kills;
    // A few lines a second at most, each a line's length, under the member's
    // own name, in the text too; no line reads as a notice, nor any kill.
    EXPECT_GT(lines, 0) << line;
    EXPECT_LE(lines, 2 * NetSession::kChatLinesPerSecond + 2) << line;
    EXPECT_LE(longest, NetSession::kLongestChatLine) << line;
    EXPECT_EQ(senders, "Mallory,") << line;
    EXPECT_EQ(forged, "0") << line;
    EXPECT_EQ(unframed, 0) << line;
    EXPECT_EQ(kills, 0) << line;
    // Shots and pulses passed on: none at the host's ship beyond their
    // reach, none beyond their strength, and at the target no more than the
    // gun's and beam's rates and the beam's charge let through: a frame for
    // each second of the attack, and the seconds each weapon saved up.
    ASSERT_TRUE(PassUntil(game, [&] { return honest->ReadLine(&line, 0) && line.rfind("shots ", 0) == 0; }));
    std::istringstream shots(line.substr(6));
    int atHost[3] = {-1, -1, -1}, atTarget[3] = {-1, -1, -1};
    for (int& count : atHost) shots >> count;
    for (int& count : atTarget) shots >> count;
    const int frames = int(attackSeconds + slackSeconds) + 1;
    EXPECT_EQ(std::vector<int>(atHost, atHost + 3), std::vector<int>(3, 0)) << line;
    for (const int count : atTarget) {
        EXPECT_GT(count, 0) << line;
        EXPECT_LE(count, frames) << line;
    }
    ASSERT_TRUE(PassUntil(game, [&] { return honest->ReadLine(&line, 0) && line.rfind("table ", 0) == 0; }));

    // Its ship announced again, as a capital ship, makes nothing: it flies
    // the ship the host made, here and on the honest pilot's machine.
    UseData(data_.Str());
    ask("data " + data_.Str(), "data");
    // The host numbers what it makes past the fixture's own numbers.
    SpaceObject::g_nextUoid = std::max(SpaceObject::g_nextUoid, 1000);
    const int32_t before = ActiveObjects();
    attack("hulls");
    EXPECT_EQ(host->GetPlayerUoid(malloryEntry), kMalloryShip);
    EXPECT_EQ(ActiveObjects(), before);
    EXPECT_EQ(ask("hull " + std::to_string(kMalloryShip), "hull "), "hull  capital 0");

    // A second "Bob": the name with a number added, on the host and the
    // honest pilot's machine alike; its word speaks for itself alone, and
    // joins it to a team of the game's two.
    settings_.gameType = NetGameSettings::kCooperativeTeams;
    settings_.teamCount = NetGameSettings::kMostTeams;
    EXPECT_EQ(attack("names"), 1);
    std::set<std::string> table;
    for (int32_t i = 0; i < host->playerCapacity; ++i) {
        const NetPlayer* const player = host->Player(i);
        if (player->inUse != 0) table.insert(std::string(player->name) + "/" + std::to_string(player->ready));
    }
    EXPECT_EQ(table, (std::set<std::string>{"Ann/0", "Bob/0", "Bob2/1"}));
    ask("report", "in ");
    ASSERT_TRUE(PassUntil(game, [&] { return honest->ReadLine(&line, 0) && line.rfind("chat ", 0) == 0; }));
    EXPECT_NE(line.find(" senders Bob2,Mallory, "), std::string::npos) << line;
    EXPECT_NE(line.find(" unframed 0 "), std::string::npos) << line;
    ASSERT_TRUE(PassUntil(game, [&] { return honest->ReadLine(&line, 0) && line.rfind("table ", 0) == 0; }));
    EXPECT_NE(line.find("Bob/0/-1,"), std::string::npos) << line;
    EXPECT_NE(line.find("Bob2/1/1,"), std::string::npos) << line;
    honest->Tell("stop");
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
