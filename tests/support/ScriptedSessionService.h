#pragma once
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/SessionProviders.h"
#include "platform/SessionService.h"
#include "platform/SessionSystemMessage.h"

// A session interface in the test's hands: it lists the sessions and remote
// players it is given, hands out queued messages the way Receive does
// (buffer too small included), keeps what is sent and answers each call with
// a settable result.
class ScriptedSessionService final : public platform::SessionService {
public:
    struct Message {
        uint32_t from = 0;
        uint32_t to = 0;
        uint32_t flags = 0;   // sends only
        std::vector<uint8_t> bytes;
    };
    struct Player {
        uint32_t id = 0;
        platform::SessionPlayerName name;
    };

    uint32_t Open(const platform::SessionDescription& description, uint32_t mode) override;
    void Close() override { ++closes; }
    uint32_t CreatePlayer(const platform::SessionPlayerName& name, uint32_t* id) override;
    uint32_t DestroyPlayer(uint32_t id) override;
    uint32_t CreateGroup(const platform::SessionPlayerName& name, uint32_t* id) override;
    uint32_t DestroyGroup(uint32_t id) override;
    uint32_t AddPlayerToGroup(uint32_t group, uint32_t player) override;
    uint32_t DeletePlayerFromGroup(uint32_t group, uint32_t player) override;
    uint32_t EnumPlayers(platform::PlayerFoundCallback callback, void* context, uint32_t flags) override;
    uint32_t EnumGroups(platform::PlayerFoundCallback callback, void* context, uint32_t flags) override;
    uint32_t EnumSessions(const platform::SessionDescription& wanted, uint32_t timeoutMs,
                          platform::SessionFoundCallback callback, void* context, uint32_t flags) override;
    uint32_t Receive(uint32_t* from, uint32_t* to, void* buffer, uint32_t* size) override;
    uint32_t Send(uint32_t from, uint32_t to, uint32_t flags, const void* data, uint32_t size) override;

    void QueueData(uint32_t from, uint32_t to, const std::vector<uint8_t>& bytes) { queue.push_back({from, to, 0, bytes}); }
    void QueueSystem(const platform::SessionSystemMessage& message) {
        queue.push_back({platform::kSystemPlayerId, 0, 0, message.Bytes()});
    }

    // The script.
    std::vector<platform::SessionDescription> sessions;   // EnumSessions reports those of the wanted application
    std::vector<Player> remotePlayers;                    // EnumPlayers reports these
    std::deque<Message> queue;                            // Receive hands these out in order
    uint32_t openResult = platform::kSessionOk;
    uint32_t createPlayerResult = platform::kSessionOk;
    uint32_t destroyPlayerResult = platform::kSessionOk;
    uint32_t enumSessionsResult = platform::kSessionOk;
    uint32_t sendResult = platform::kSessionOk;
    uint32_t nextPlayerId = 1;

    // What happened.
    std::vector<uint32_t> openModes;
    platform::SessionDescription opened;
    int closes = 0;
    std::vector<platform::SessionPlayerName> createdPlayers;
    std::vector<uint32_t> destroyedPlayers;
    std::vector<uint32_t> enumSessionsTimeouts;
    int receives = 0;
    std::vector<Message> sends;
};

// Providers whose interfaces are scripted: `created` is the last one made,
// owned by whoever asked for it.
class ScriptedSessionProviders {
public:
    // A provider that cannot be created when `available` is false.
    void Add(const platform::SessionGuid& id, const std::string& description, bool available = true);

    platform::SessionProviders providers;
    ScriptedSessionService* created = nullptr;
};
