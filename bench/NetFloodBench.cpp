// A host flying the sample mission, one frame every 50 ms of wall time
// (receive pass, the flight's step and picture on the 640 x 480 16-bit
// software canvas, send pass; only the frame is timed), while a
// thread of this process plays the other machines over 127.0.0.1: peers
// flooding it with NEW_PLAYER, CREATION_REQUEST or junk at 2000 packets a
// second, or with MEGAPACKETs of 4000 GAME_INFO_REQUESTs each at 100 a
// second, or sixty peers that join and then say nothing, and an honest
// player who joins in the middle of it. The quiet run has the honest player
// alone. Counters: the slowest frame, the three steps' shares, the objects
// the honest player was sent a copy of against the host's active objects
// (missing: those never sent), and the packets the flood put on the wire.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "canvas/ScreenCanvas16.h"
#include "display/PixelFormat.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "game/Mission.h"
#include "net/NetGameSettings.h"
#include "net/NetPacket.h"
#include "net/NetPacketType.h"
#include "net/NetSession.h"
#include "net/NetworkHooks.h"
#include "net/PacketBytes.h"
#include "objects/space/SpaceObject.h"
#include "platform/DebugOutput.h"
#include "platform/EnetSessionService.h"
#include "platform/SessionRecords.h"
#include "scene/OstrelSystem.h"
#include "tests/support/world/NetPacketBytes.h"
#include "tools/flightshot/FlightShot.h"
#include "bench/BenchSampleTree.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

enum Flood : int { kQuiet, kNewPlayers, kCreationRequests, kJunk, kSilentPeers, kPackedRequests };
constexpr int kFloodPeers = 6;        // with the host and the honest player, a full game
constexpr int kSilentPeerCount = 60;
constexpr int kPacketsPerSecond = 2000;
constexpr int kMegapacketsPerSecond = 100;
constexpr uint32_t kPackedRequestCount = 4000;
constexpr auto kFrame = 50ms;
constexpr auto kJoinWait = 10s;
constexpr auto kDeliveryWait = 4s;

std::vector<uint8_t> NewPlayer(uint32_t id) {
    std::vector<uint8_t> bytes = Packet(kNewPlayer, NetPacket::kNewPlayerBytes + 4);
    PacketWriter out(bytes.data(), uint32_t(bytes.size()));
    out.U32(8, id);
    out.F32(12, 10.0f);
    out.Text(25, NetPacket::kNewPlayerDefinitionBytes, "P101");
    out.Text(48, 4, "Ace");
    return bytes;
}

// A missile of the sample definitions, as a launcher asks for one, good
// for ten seconds.
std::vector<uint8_t> CreationRequest() {
    std::vector<uint8_t> bytes = Packet(kCreationRequest, NetPacket::kCreationRequestBytes + 5);
    PacketWriter out(bytes.data(), uint32_t(bytes.size()));
    out.I32(8, SpaceObject::kTypeMissile);
    out.F32(12, 10.0f);
    out.Text(20, NetPacket::kDefinitionNameBytes, "Missile 29");
    out.F32(84, 1.0f);    // up
    out.F32(100, 1.0f);   // ahead
    out.I32(136, -1);     // no owner
    out.I32(140, -1);     // no target
    out.I32(156, 10000);  // lifetime, ms
    out.Text(160, 6, "Stone");
    return bytes;
}

// Bytes of every kind a stranger might send: headers that lie, unknown
// types, packets of a known type cut short, now and then a MEGAPACKET of junk.
std::vector<uint8_t> Junk(uint32_t seed) {
    const uint32_t size = 8 + seed % 120;
    std::vector<uint8_t> bytes(size);
    for (uint32_t i = 0; i < size; ++i) bytes[i] = uint8_t((seed >> (i % 24)) * 2654435761u >> 24);
    PacketWriter out(bytes.data(), size);
    if (seed % 4 == 0) out.U16(2, uint16_t(size));
    if (seed % 64 == 0) {
        std::vector<uint8_t> mega = Packet(kMegapacket, 12 + 8 * 400);
        for (uint32_t i = 0; i < 400; ++i) PacketWriter(mega.data(), uint32_t(mega.size())).U16(12 + 8 * i + 2, 8);
        return mega;
    }
    return bytes;
}

// Requests of the whole game, packed as tightly as a MEGAPACKET holds them.
std::vector<uint8_t> PackedRequests() {
    std::vector<uint8_t> bytes = Packet(kMegapacket, NetPacket::kMegapacketHeaderBytes + 8 * kPackedRequestCount);
    PacketWriter out(bytes.data(), uint32_t(bytes.size()));
    for (uint32_t i = 0; i < kPackedRequestCount; ++i) {
        out.U16(12 + 8 * i, kGameInfoRequest);
        out.U16(12 + 8 * i + 2, 8);
        out.U32(12 + 8 * i + 4, PF_QUEUE_1);
    }
    out.U32(8, kPackedRequestCount);
    return bytes;
}

platform::SessionNetworkSettings Loopback(uint16_t port) {
    platform::SessionNetworkSettings settings;
    settings.port = port;
    settings.endpoints = {{"127.0.0.1", port}};
    settings.answerTimeoutMs = 3000;
    return settings;
}

// A remote machine: joined to the host, with its player (or none).
struct Remote {
    explicit Remote(uint16_t port) : service(Loopback(port)) {}
    bool Join(bool withPlayer, const char* name) {
        platform::SessionDescription wanted;
        wanted.application = NetSession::kApplication;
        std::vector<platform::SessionDescription> found;
        service.EnumSessions(
            wanted, 300,
            [](const platform::SessionDescription* d, uint32_t, void* context) {
                if (d != nullptr) static_cast<std::vector<platform::SessionDescription>*>(context)->push_back(*d);
                return d == nullptr;   // the first is the host's
            },
            &found, platform::kEnumSessionsAvailable);
        if (found.empty() || service.Open(found.front(), platform::kSessionJoin) != platform::kSessionOk) return false;
        service.EnumPlayers(
            [](uint32_t id, uint32_t, const platform::SessionPlayerName&, uint32_t, void* context) {
                *static_cast<uint32_t*>(context) = id;
                return false;
            },
            &server, platform::kEnumPlayersRemote);
        return !withPlayer || service.CreatePlayer({name, "Client"}, &self) == platform::kSessionOk;
    }
    // Everything waiting; the uoids of the OBJECT_CREATEs among it. As a
    // client does, an update of an object not held asks for the object.
    void Drain(std::set<int32_t>* created) {
        static thread_local std::vector<uint8_t> buffer(platform::kMaxSessionMessageSize);
        for (;;) {
            uint32_t from = 0, to = 0, size = uint32_t(buffer.size());
            if (service.Receive(&from, &to, buffer.data(), &size) != platform::kSessionOk) return;
            if (created == nullptr || from == platform::kSystemPlayerId || size < 8) continue;
            PacketReader in(buffer.data(), size);
            const auto note = [&](uint32_t at, uint32_t length) {
                if (length < 12) return;
                const int32_t uoid = in.I32(at + 8);
                if (in.U16(at) == kObjectCreate) created->insert(uoid);
                if (in.U16(at) == kObjectUpdate && created->count(uoid) == 0) {
                    std::vector<uint8_t> ask = Packet(kObjectRequest, NetPacket::kObjectRequestBytes);
                    PacketWriter(ask.data(), uint32_t(ask.size())).I32(8, uoid);
                    PacketWriter(ask.data(), uint32_t(ask.size())).U32(12, self);
                    service.Send(self, server, platform::kSendGuaranteed, ask.data(), uint32_t(ask.size()));
                }
            };
            if (in.U16(0) != kMegapacket) {
                note(0, size);
                continue;
            }
            for (uint32_t at = NetPacket::kMegapacketHeaderBytes; at + 8 <= size;) {
                const uint32_t length = in.U16(at + 2);
                if (length < 8 || at + length > size) break;
                note(at, length);
                at += length;
            }
        }
    }
    platform::EnetSessionService service;
    uint32_t server = 0;
    uint32_t self = 0;
};

// The other machines, on a thread of their own.
class Peers {
public:
    Peers(uint16_t port, Flood flood) : port_(port), flood_(flood), thread_([this] { Run(); }) {}
    ~Peers() {
        stop_ = true;
        thread_.join();
    }
    bool HonestJoined() const { return honestJoined_; }
    bool Failed() const { return failed_; }
    long Sent() const { return sent_; }
    std::set<int32_t> Created() {
        std::lock_guard<std::mutex> lock(mutex_);
        return created_;
    }

private:
    void Run() {
        std::vector<std::unique_ptr<Remote>> flooders;
        const int count = flood_ == kQuiet ? 0 : flood_ == kSilentPeers ? kSilentPeerCount : kFloodPeers;
        for (int i = 0; i < count && !stop_; ++i) {
            auto remote = std::make_unique<Remote>(port_);
            if (!remote->Join(flood_ != kSilentPeers, "Flood")) {
                failed_ = true;
                return;
            }
            flooders.push_back(std::move(remote));
        }
        // The flood is on when the honest player comes.
        const auto start = Clock::now();
        Remote honest(port_);
        bool joined = false;
        uint32_t seed = 1;
        std::set<int32_t> created;
        while (!stop_) {
            const long due = long(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count()) *
                             (flood_ == kPackedRequests ? kMegapacketsPerSecond : kPacketsPerSecond) / 1000;
            if (flood_ != kQuiet && flood_ != kSilentPeers) {
                for (; sent_ < due; ++sent_) {
                    Remote& from = *flooders[size_t(sent_) % flooders.size()];
                    const std::vector<uint8_t> bytes = flood_ == kNewPlayers         ? NewPlayer(from.self)
                                                       : flood_ == kCreationRequests ? CreationRequest()
                                                       : flood_ == kPackedRequests   ? PackedRequests()
                                                                                     : Junk(seed++ * 2246822519u);
                    from.service.Send(from.self, from.server, 0, bytes.data(), uint32_t(bytes.size()));
                }
                for (auto& remote : flooders) remote->Drain(nullptr);
            }
            if (!joined && Clock::now() - start > 200ms) {
                joined = honest.Join(true, "Bob");
                if (!joined) {
                    failed_ = true;
                    return;
                }
                honestJoined_ = true;
            }
            if (joined) {
                honest.Drain(&created);
                std::lock_guard<std::mutex> lock(mutex_);
                created_ = created;
            }
            std::this_thread::sleep_for(1ms);
        }
    }

    uint16_t port_;
    Flood flood_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> honestJoined_{false};
    std::atomic<bool> failed_{false};
    std::atomic<long> sent_{0};
    std::mutex mutex_;
    std::set<int32_t> created_;
    std::thread thread_;
};

std::set<int32_t> ActiveUoids(const GameState& game) {
    std::set<int32_t> uoids;
    for (SpaceObject* object = game.mission->firstObject; object != nullptr; object = object->GetNext()) {
        if (object->active != 0 && object->uoid >= 0) uoids.insert(object->uoid);
    }
    return uoids;
}

void BM_HostFrameUnderFlood(benchmark::State& state) {
    const Flood flood = Flood(state.range(0));
    std::string error;
    const std::string& root = BenchSampleTree(&error);
    if (root.empty() || !g_dataDirs.Find(root)) {
        state.SkipWithError(error.c_str());
        return;
    }
    const platform::DebugSink previousSink = platform::SetDebugSink([](const char*) {});
    const int32_t previousFormat = g_pixelFormat;
    g_pixelFormat = kPixelFormatRgb565;
    {
        OstrelSystem engine(OstrelSystem::kGameHeapSize, OstrelSystem::kGameHeapMode);
        FlightShot flight;
        if (engine.Start(OstrelSystem::kGameArenaSize1, OstrelSystem::kGameArenaSize2, nullptr) != kStatusOk ||
            flight.Load("sample.uli", 1) != kStatusOk) {
            state.SkipWithError("the sample mission cannot be flown");
            platform::SetDebugSink(previousSink);
            g_pixelFormat = previousFormat;
            return;
        }
        GameState& game = flight.Game();
        auto canvas = std::make_unique<ScreenCanvas16>(640, 480, nullptr, nullptr, flight.palette, Canvas::kFlagHasDepth, 0, 0);
        canvas->EnableDepthTest();
        NetGameSettings settings;
        game.netSettings = &settings;
        InstallNetworkHooks();
        auto service = std::make_unique<platform::EnetSessionService>(Loopback(0));
        platform::SessionDescription description;
        description.application = NetSession::kApplication;
        description.maxPlayers = NetSession::kDefaultCapacity;
        description.name = "Ann's game";
        uint32_t id = 0;
        if (service->Open(description, platform::kSessionCreate) != platform::kSessionOk ||
            service->CreatePlayer({"Ann", "Server"}, &id) != platform::kSessionOk) {
            state.SkipWithError("no session on the loopback");
        } else {
            const uint16_t port = service->Port();
            auto* const host = new NetSession("Ann's game", NetSession::kDefaultCapacity);
            host->Attach(std::move(service));
            host->connected = host->isHost = 1;
            host->serverDpid = host->ownDpid = id;
            host->AddPlayer(id, "Ann", game.playerShip != nullptr ? game.playerShip->uoid : -1);
            game.netSession = host;
            // Milliseconds spent in each step of the timed frames.
            double steps[3] = {};
            bool timing = false;
            const auto frame = [&] {
                const auto t0 = Clock::now();
                game.NetReceive();
                const auto t1 = Clock::now();
                flight.Frame(*canvas);
                const auto t2 = Clock::now();
                game.NetSend();
                const auto t3 = Clock::now();
                if (!timing) return;
                steps[0] += std::chrono::duration<double, std::milli>(t1 - t0).count();
                steps[1] += std::chrono::duration<double, std::milli>(t2 - t1).count();
                steps[2] += std::chrono::duration<double, std::milli>(t3 - t2).count();
            };
            auto next = Clock::now();
            const auto pace = [&] {
                next += kFrame;
                std::this_thread::sleep_until(next);
            };
            {
                Peers peers(port, flood);
                for (const auto until = Clock::now() + kJoinWait; !peers.HonestJoined() && !peers.Failed() && Clock::now() < until;) {
                    frame();
                    pace();
                }
                if (!peers.HonestJoined()) state.SkipWithError("the honest player could not join");
                double slowest = 0.0;
                timing = true;
                for (auto _ : state) {
                    if (!peers.HonestJoined()) break;
                    const auto began = Clock::now();
                    frame();
                    slowest = std::max(slowest, std::chrono::duration<double, std::milli>(Clock::now() - began).count());
                    state.PauseTiming();
                    pace();
                    state.ResumeTiming();
                }
                timing = false;
                // What the honest player holds, once the host has had time to send it all.
                std::set<int32_t> missing;
                for (const auto until = Clock::now() + kDeliveryWait; Clock::now() < until;) {
                    frame();
                    pace();
                    missing.clear();
                    const std::set<int32_t> created = peers.Created();
                    for (const int32_t uoid : ActiveUoids(game)) {
                        if (created.count(uoid) == 0) missing.insert(uoid);
                    }
                    if (missing.empty()) break;
                }
                state.counters["slowest_ms"] = slowest;
                const double frames = double(std::max<int64_t>(state.iterations(), 1));
                state.counters["receive_ms"] = steps[0] / frames;
                state.counters["flight_ms"] = steps[1] / frames;
                state.counters["send_ms"] = steps[2] / frames;
                state.counters["world"] = double(ActiveUoids(game).size());
                state.counters["missing"] = double(missing.size());
                state.counters["flood_sent"] = double(peers.Sent());
            }
            game.netSession = nullptr;
            host->Close();
            delete host;
        }
        game.netSettings = nullptr;
        GameState::SetNetworkHooks(GameState::NetworkHooks{});
    }
    platform::SetDebugSink(previousSink);
    g_pixelFormat = previousFormat;
    g_dataDirs.Clear();
}
BENCHMARK(BM_HostFrameUnderFlood)
    ->ArgName("flood")
    ->DenseRange(kQuiet, kPackedRequests)
    ->Iterations(100)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
