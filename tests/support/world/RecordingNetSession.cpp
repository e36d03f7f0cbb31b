#include "tests/support/world/RecordingNetSession.h"

#include <memory>

#include "tests/support/ScriptedSessionService.h"

RecordingNetSession::RecordingNetSession(bool host) {
    Attach(std::make_unique<ScriptedSessionService>());
    connected = 1;
    isHost = host ? 1 : 0;
    serverDpid = 1;
    ownDpid = host ? 1 : 2;
}

uint32_t RecordingNetSession::Send(uint32_t from, uint32_t to, const void* data, uint32_t size) {
    const auto* const bytes = static_cast<const uint8_t*>(data);
    sent.push_back({from, to, std::vector<uint8_t>(bytes, bytes + size)});
    return sendResult;
}

uint32_t RecordingNetSession::SendToAll(uint32_t from, const void* data, uint32_t size) {
    return Send(from, kToAll, data, size);
}

void RecordingNetSession::AnnounceKill(int32_t killerUoid, int32_t victimUoid) {
    kills.push_back({killerUoid, victimUoid});
    if (announceKills) NetSession::AnnounceKill(killerUoid, victimUoid);
}

uint32_t RecordingNetSession::Receive(void*, uint32_t) {
    ++receives;
    if (receiveResults.empty()) return kNoMessages;
    const uint32_t result = receiveResults.front();
    receiveResults.pop_front();
    return result;
}
