#pragma once
#include <cstdint>
#include <memory>

#include "engine/EngineAllocation.h"
#include "platform/SessionRecords.h"
#include "platform/SessionService.h"

// One session interface behind a small class: create it for a provider,
// host or join a session, keep players, take one message at a time and hand
// it to an event operation, and send. It knows nothing of the game; the
// game's session derives from it and overrides the sends and the events it
// cares for. The pauses after opening and creating a player go through the
// replaceable sleeper.
class DirectPlayLink : public EngineObject {
public:
    // Results the link produces itself; the others come from the service unchanged.
    static constexpr uint32_t kUninitialized = platform::kSessionUninitialized;
    static constexpr uint32_t kNoMessages = platform::kSessionNoMessages;
    static constexpr uint32_t kNameBytes = 64;   // the session name with its NUL
    static constexpr uint32_t kOpenPauseMs = 100;
    static constexpr uint32_t kCreatePlayerPauseMs = 500;

    DirectPlayLink(const platform::SessionGuid& application, const char* sessionName, uint32_t maxPlayers);
    virtual ~DirectPlayLink();
    DirectPlayLink(const DirectPlayLink&) = delete;
    DirectPlayLink& operator=(const DirectPlayLink&) = delete;

    virtual uint32_t Create(const platform::SessionGuid& provider);
    virtual uint32_t Host(uint32_t unused);
    virtual uint32_t Join(const platform::SessionGuid& instance, uint32_t unused);
    // The new player's id; 0 on failure.
    virtual uint32_t CreatePlayer(const char* shortName, const char* longName);
    virtual uint32_t DestroyPlayer(uint32_t id);
    virtual uint32_t CreateGroup(const char* shortName, const char* longName);
    virtual uint32_t DestroyGroup(uint32_t id);
    virtual uint32_t AddPlayerToGroup(uint32_t group, uint32_t player);
    virtual uint32_t DeletePlayerFromGroup(uint32_t group, uint32_t player);
    virtual void Close();
    // 0 once one message was taken and handled. A message larger than the
    // buffer is read aside and dropped (kSessionBufferTooSmall): left
    // waiting, it would block every message behind it.
    virtual uint32_t Receive(void* buffer, uint32_t size);
    virtual uint32_t Send(uint32_t from, uint32_t to, const void* data, uint32_t size);
    virtual uint32_t SendToAll(uint32_t from, const void* data, uint32_t size);

    // The event operations; the link's own do nothing and answer 0.
    virtual int32_t HandleMessage(uint32_t from, uint32_t to, const uint8_t* data, uint32_t size);
    virtual int32_t HandleSystemMessage(const uint8_t* data, uint32_t size);
    virtual int32_t OnCreatePlayer(uint32_t id, const char* shortName, const char* longName);
    virtual int32_t OnCreateGroup(uint32_t id, const char* shortName, const char* longName);
    virtual int32_t OnDestroyPlayer(uint32_t id);
    virtual int32_t OnDestroyGroup(uint32_t id);
    virtual int32_t OnAddPlayerToGroup(uint32_t group, uint32_t player);
    virtual int32_t OnDeletePlayerFromGroup(uint32_t group, uint32_t player);
    virtual int32_t OnSessionLost();

    // No receive event is ever made, so a message may always be waiting.
    bool MessageWaiting() const { return true; }
    bool HasInterface() const { return directPlay != nullptr; }
    platform::SessionService* Interface() const { return directPlay.get(); }
    // Takes an interface made elsewhere in place of one Create would make.
    void Attach(std::unique_ptr<platform::SessionService> service) { directPlay = std::move(service); }

    uint32_t connected = 0;
    uint32_t isHost = 0;
    char sessionName[kNameBytes] = {};
    std::unique_ptr<platform::SessionService> directPlay;
    platform::SessionDescription sessionDesc;

protected:
    // The sends with delivery flags (platform::kSendGuaranteed).
    uint32_t SendWith(uint32_t from, uint32_t to, uint32_t flags, const void* data, uint32_t size);
};
