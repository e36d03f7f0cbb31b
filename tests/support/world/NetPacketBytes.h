#pragma once
#include <cstdint>
#include <vector>

#include "net/NetPacket.h"
#include "net/NetPacketType.h"
#include "net/PacketBytes.h"
#include "net/NetSession.h"

// Packets as a peer hands them over: a bare header of `type` and `size` with
// the rest zero, a built packet's bytes, and their delivery to a session.
inline std::vector<uint8_t> Packet(uint16_t type, uint32_t size, uint32_t flags = PF_QUEUE_1) {
    std::vector<uint8_t> bytes(size, 0);
    PacketWriter out(bytes.data(), size);
    out.U16(0, type);
    out.U16(2, uint16_t(size));
    out.U32(4, flags);
    return bytes;
}

inline std::vector<uint8_t> Built(const NetPacket& packet) { return {packet.GetData(), packet.GetData() + packet.GetSize()}; }

// A member's word that `ship` left the flight without exploding (or,
// `explode` set, that it died, at `killer`'s hands), as its machine sends it.
inline std::vector<uint8_t> RemovalRequest(const SpaceObject& ship, int32_t explode, const SpaceObject* killer = nullptr) {
    NetPacket request;
    request.BuildObjectEventPacket(kDestructionRequest, &ship, killer);
    std::vector<uint8_t> bytes = Built(request);
    PacketWriter(bytes.data(), uint32_t(bytes.size())).I32(16, explode);
    return bytes;
}

inline void Deliver(NetSession& session, uint32_t from, const std::vector<uint8_t>& bytes) {
    session.HandleMessage(from, session.ownDpid, bytes.data(), uint32_t(bytes.size()));
}
