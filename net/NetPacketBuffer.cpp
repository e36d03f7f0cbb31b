#include "net/NetPacket.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "net/NetPacketType.h"
#include "net/NetSession.h"
#include "net/PacketBytes.h"

// The buffer's own operations and the MEGAPACKET, apart from the builders of
// the world's packets, so that the session's queues need none of the world.

uint8_t g_megapacketBuffer[NetPacket::kMegapacketBufferBytes];

NetPacket* NetPacket::CopyOf(const uint8_t* data, uint32_t size) {
    auto* const packet = new NetPacket(0, nullptr);
    if (size > 0 && (data == nullptr || !packet->Allocate(size))) {
        delete packet;
        return nullptr;
    }
    if (size > 0) std::memcpy(packet->data_, data, size);
    return packet;
}

namespace {

// The MEGAPACKET taking shape in g_megapacketBuffer.
struct Packing {
    uint32_t used = 0;    // bytes of the packed packets
    uint32_t count = 0;
    int32_t skipped = 0;

    bool Fits(const NetPacket& packet, uint32_t limit) const {
        return used < limit && used + packet.GetSize() <= NetPacket::kMegapacketBufferBytes - NetPacket::kMegapacketHeaderBytes;
    }
    void Append(const NetPacket& packet) {
        std::memcpy(g_megapacketBuffer + NetPacket::kMegapacketHeaderBytes + used, packet.GetData(), packet.GetSize());
        used += packet.GetSize();
        ++count;
    }
};

}  // namespace

int32_t NetPacket::BuildMegapacket(NetSession& session, int32_t budget) {
    if (owned_ != 0) EngineRelease(data_);
    data_ = g_megapacketBuffer;
    owned_ = 0;
    Packing packing;
    session.megapacketMustArrive = false;
    const uint32_t limit = NetSession::kMegapacketLimit;
    const uint32_t queueLimit = budget > 0 ? uint32_t(budget) : 0;

    // Queue 1 in order: once one packet waits, all behind it wait too.
    DynArray<NetPacket*> waiting(4);
    const auto packOrCarry = [&](NetPacket* packet, bool carried) {
        if (waiting.Count() == 0 && packing.Fits(*packet, limit)) {
            packing.Append(*packet);
            session.megapacketMustArrive = true;
            if (carried) delete packet;
            return;
        }
        if (!carried) {
            ++packing.skipped;
            packet = CopyOf(packet->GetData(), packet->GetSize());
            if (packet == nullptr) return;
        }
        if (!waiting.Append(packet)) delete packet;
    };
    for (NetPacket* packet : session.carryList) packOrCarry(packet, true);
    session.carryList.Clear();
    for (NetPacket* packet : session.queue1) packOrCarry(packet, false);
    session.carryList = std::move(waiting);

    const bool forward = (session.frameCount & 1) != 0;
    for (DynArray<NetPacket*>* queue : {&session.queue2, &session.queue3}) {
        const int32_t count = queue->Count();
        for (int32_t n = 0; n < count; ++n) {
            const NetPacket& packet = *(*queue)[forward ? n : count - 1 - n];
            if (packing.Fits(packet, queueLimit)) {
                packing.Append(packet);
            } else {
                ++packing.skipped;
            }
        }
    }
    session.skippedMin = std::min(session.skippedMin, packing.skipped);
    session.skippedSum += packing.skipped;

    size_ = packing.used + kMegapacketHeaderBytes;
    PacketWriter out(data_, size_);
    out.U32(8, packing.count);
    WriteHeader(kMegapacket, PF_IMMEDIATE);
    return 1;
}

int32_t NetPacket::BuildAddressedMegapacket(DynArray<NetPacket*>& addressed, uint32_t to, bool* mustArrive) {
    if (owned_ != 0) EngineRelease(data_);
    data_ = g_megapacketBuffer;
    owned_ = 0;
    Packing packing;
    *mustArrive = false;
    // Queue 1 in order for this player too: once one waits, the rest of its queue-1 packets wait behind it.
    bool waiting = false;
    int32_t kept = 0;
    for (int32_t i = 0; i < addressed.Count(); ++i) {
        NetPacket* const packet = addressed[i];
        if (packet->addressee != to) {
            addressed[kept++] = packet;
            continue;
        }
        const bool mustGo = (packet->GetFlags() & PF_QUEUE_1) != 0;
        if (!(mustGo && waiting) && packing.Fits(*packet, NetSession::kMegapacketLimit)) {
            packing.Append(*packet);
            *mustArrive = *mustArrive || mustGo;
            delete packet;
        } else if (mustGo) {
            waiting = true;
            addressed[kept++] = packet;
        } else {
            delete packet;
        }
    }
    while (addressed.Count() > kept) addressed.RemoveAt(addressed.LastIndex());
    size_ = packing.used + kMegapacketHeaderBytes;
    PacketWriter out(data_, size_);
    out.U32(8, packing.count);
    WriteHeader(kMegapacket, PF_IMMEDIATE);
    return int32_t(packing.count);
}

NetPacket::~NetPacket() {
    if (owned_ != 0) EngineRelease(data_);
}

uint16_t NetPacket::GetType() const { return data_ != nullptr && size_ >= 2 ? uint16_t(data_[0] | data_[1] << 8) : 0; }

uint32_t NetPacket::GetFlags() const { return data_ != nullptr && size_ >= 8 ? PacketReader(data_, size_).U32(4) : 0; }

bool NetPacket::Allocate(uint32_t size) {
    auto* const block = static_cast<uint8_t*>(EngineAllocate(size));
    if (block == nullptr) return false;
    std::memset(block, 0, size);
    if (owned_ != 0) EngineRelease(data_);
    data_ = block;
    size_ = size;
    owned_ = 1;
    return true;
}

void NetPacket::WriteHeader(uint16_t type, uint32_t flags) {
    PacketWriter out(data_, size_);
    out.U16(0, type);
    out.U16(2, uint16_t(size_));
    out.U32(4, flags);
}
