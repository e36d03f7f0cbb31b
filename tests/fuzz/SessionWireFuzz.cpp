// Reads any bytes as what a peer may send: an enumeration datagram, a
// session message or a system message laid out for the game. A reader that
// accepts must have read the one canonical form: writing back what it read
// gives the same bytes. A read out of bounds aborts through the sanitizers.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/SessionSystemMessage.h"
#include "platform/SessionWire.h"

using namespace platform;

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

std::vector<uint8_t> Rewrite(const SessionWire::Message& m) {
    switch (m.kind) {
    case SessionWire::kJoin: return SessionWire::Join(m.application, m.instance);
    case SessionWire::kJoinAccepted: return SessionWire::JoinAccepted(m.description, m.players);
    case SessionWire::kJoinRefused: return SessionWire::JoinRefused(m.reason);
    case SessionWire::kCreatePlayer: return SessionWire::CreatePlayer(m.token, m.name);
    case SessionWire::kPlayerCreated: return SessionWire::PlayerCreated(m.token, m.id);
    case SessionWire::kDestroyPlayer: return SessionWire::DestroyPlayer(m.id);
    case SessionWire::kPlayerAdded: return SessionWire::PlayerAdded(m.id, m.name);
    case SessionWire::kPlayerRemoved: return SessionWire::PlayerRemoved(m.id);
    case SessionWire::kData: return SessionWire::Data(m.guaranteed, m.from, m.to, m.payload, m.payloadSize);
    }
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> input(data, data + size);

    SessionWire::Message message;
    if (SessionWire::Read(data, size, &message)) {
        Require(message.payloadSize <= kMaxSessionMessageSize);
        Require(Rewrite(message) == input);
    }
    uint32_t token = 0;
    if (SessionWire::ReadEnumRequest(data, size, &token)) Require(SessionWire::EnumRequest(token) == input);
    SessionDescription description;
    if (SessionWire::ReadEnumAnswer(data, size, &token, &description)) {
        Require(SessionWire::EnumAnswer(token, description) == input);
    }

    SessionSystemMessage system;
    if (SessionSystemMessage::Read(data, size, &system)) {
        // What follows the message in the buffer is not read; what was read
        // writes back as it came. Other types keep only their type word.
        const std::vector<uint8_t> again = system.Bytes();
        Require(again.size() <= size);
        if (system.type == SessionSystemMessage::kCreatePlayerOrGroup ||
            system.type == SessionSystemMessage::kDestroyPlayerOrGroup) {
            Require(std::equal(again.begin(), again.end(), input.begin()));
        }
    }
    return 0;
}
