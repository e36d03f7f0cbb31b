#include "tests/support/ScriptedSessionService.h"

#include <algorithm>
#include <memory>

using namespace platform;

uint32_t ScriptedSessionService::Open(const SessionDescription& description, uint32_t mode) {
    openModes.push_back(mode);
    opened = description;
    return openResult;
}

uint32_t ScriptedSessionService::CreatePlayer(const SessionPlayerName& name, uint32_t* id) {
    createdPlayers.push_back(name);
    *id = createPlayerResult == kSessionOk ? nextPlayerId++ : 0;
    return createPlayerResult;
}

uint32_t ScriptedSessionService::DestroyPlayer(uint32_t id) {
    destroyedPlayers.push_back(id);
    return destroyPlayerResult;
}

uint32_t ScriptedSessionService::CreateGroup(const SessionPlayerName&, uint32_t* id) {
    *id = 0;
    return kSessionUnsupported;
}

uint32_t ScriptedSessionService::DestroyGroup(uint32_t) { return kSessionUnsupported; }

uint32_t ScriptedSessionService::AddPlayerToGroup(uint32_t, uint32_t) { return kSessionUnsupported; }

uint32_t ScriptedSessionService::DeletePlayerFromGroup(uint32_t, uint32_t) { return kSessionUnsupported; }

uint32_t ScriptedSessionService::EnumPlayers(PlayerFoundCallback callback, void* context, uint32_t) {
    for (const Player& player : remotePlayers) {
        if (!callback(player.id, kPlayerTypePlayer, player.name, 0, context)) break;
    }
    return kSessionOk;
}

uint32_t ScriptedSessionService::EnumGroups(PlayerFoundCallback, void*, uint32_t) { return kSessionOk; }

uint32_t ScriptedSessionService::EnumSessions(const SessionDescription& wanted, uint32_t timeoutMs,
                                              SessionFoundCallback callback, void* context, uint32_t) {
    enumSessionsTimeouts.push_back(timeoutMs);
    if (enumSessionsResult != kSessionOk) return enumSessionsResult;
    for (const SessionDescription& session : sessions) {
        if (session.application != wanted.application || session.currentPlayers >= session.maxPlayers) continue;
        if (!callback(&session, 0, context)) return kSessionOk;
    }
    callback(nullptr, kEnumSessionsTimedOut, context);
    return kSessionOk;
}

uint32_t ScriptedSessionService::Receive(uint32_t* from, uint32_t* to, void* buffer, uint32_t* size) {
    ++receives;
    if (queue.empty()) return kSessionNoMessages;
    const Message& message = queue.front();
    const auto needed = static_cast<uint32_t>(message.bytes.size());
    if (*size < needed) {
        *size = needed;
        return kSessionBufferTooSmall;
    }
    std::copy(message.bytes.begin(), message.bytes.end(), static_cast<uint8_t*>(buffer));
    *from = message.from;
    *to = message.to;
    *size = needed;
    queue.pop_front();
    return kSessionOk;
}

uint32_t ScriptedSessionService::Send(uint32_t from, uint32_t to, uint32_t flags, const void* data, uint32_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    sends.push_back({from, to, flags, std::vector<uint8_t>(bytes, bytes + size)});
    return sendResult;
}

void ScriptedSessionProviders::Add(const SessionGuid& id, const std::string& description, bool available) {
    if (!available) {
        providers.Add(id, description, nullptr);
        return;
    }
    providers.Add(id, description, [this]() -> std::unique_ptr<SessionService> {
        auto service = std::make_unique<ScriptedSessionService>();
        created = service.get();
        return service;
    });
}
