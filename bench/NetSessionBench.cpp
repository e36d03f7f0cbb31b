// The host's end of a network pass: 300 packets waiting in the three
// queues (creations, craft updates, other updates) packed into one
// MEGAPACKET and handed to a session on the loopback with nobody else in it.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "net/NetPacket.h"
#include "net/NetPacketType.h"
#include "net/NetSession.h"
#include "net/PacketBytes.h"
#include "platform/EnetSessionService.h"
#include "tests/support/world/NetPacketBytes.h"

namespace {

void BM_FlushFrame300Packets(benchmark::State& state) {
    platform::SessionNetworkSettings settings;
    settings.port = 0;
    settings.endpoints.clear();
    auto service = std::make_unique<platform::EnetSessionService>(settings);
    platform::SessionDescription description;
    description.application = NetSession::kApplication;
    description.maxPlayers = 8;
    description.name = "bench";
    uint32_t id = 0;
    if (service->Open(description, platform::kSessionCreate) != platform::kSessionOk ||
        service->CreatePlayer({"Ann", "Server"}, &id) != platform::kSessionOk) {
        state.SkipWithError("no session on the loopback");
        return;
    }
    NetSession session;
    session.Attach(std::move(service));
    session.connected = session.isHost = 1;
    session.serverDpid = session.ownDpid = id;
    session.AddPlayer(id, "Ann", -1);
    session.AddPlayer(id + 100, "Bob", -1);   // a MEGAPACKET goes out only to company
    session.queueBudget = 16000;

    const std::vector<uint8_t> packets[] = {Packet(kObjectCreate, 170, PF_QUEUE_1),
                                            Packet(kObjectUpdate, NetPacket::kObjectUpdateFullBytes, PF_QUEUE_2),
                                            Packet(kObjectUpdate, NetPacket::kObjectUpdateShortBytes, PF_QUEUE_3)};
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 0; i < 100; ++i) {
            for (const std::vector<uint8_t>& bytes : packets) session.SendToAll(id, bytes.data(), uint32_t(bytes.size()));
        }
        state.ResumeTiming();
        session.FlushFrame();
    }
    session.Close();
}
BENCHMARK(BM_FlushFrame300Packets);

}  // namespace
