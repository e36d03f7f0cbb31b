#pragma once
#include <cstdint>

#include "platform/SessionRecords.h"

namespace platform {

// One interface to one network session: open or join it, keep players in
// it and exchange messages with them. Everything runs on the caller's
// thread; nothing happens between calls, so Receive must be called often
// (every frame) for the session to stay alive.
class SessionService {
public:
    virtual ~SessionService() = default;

    // Creates (kSessionCreate) or joins (kSessionJoin, by the instance of a
    // session found by EnumSessions) a session.
    virtual uint32_t Open(const SessionDescription& description, uint32_t mode) = 0;
    // Leaves the session; the others see this machine's players go. Closing
    // a closed service does nothing.
    virtual void Close() = 0;

    // The new player's id lands in *id; 0 on failure.
    virtual uint32_t CreatePlayer(const SessionPlayerName& name, uint32_t* id) = 0;
    // Only a local player can be destroyed.
    virtual uint32_t DestroyPlayer(uint32_t id) = 0;
    // Groups are not kept: these fail with kSessionUnsupported (id 0) and change nothing.
    virtual uint32_t CreateGroup(const SessionPlayerName& name, uint32_t* id) = 0;
    virtual uint32_t DestroyGroup(uint32_t id) = 0;
    virtual uint32_t AddPlayerToGroup(uint32_t group, uint32_t player) = 0;
    virtual uint32_t DeletePlayerFromGroup(uint32_t group, uint32_t player) = 0;
    // Players in the order they entered the session; kEnumPlayersRemote skips local ones.
    virtual uint32_t EnumPlayers(PlayerFoundCallback callback, void* context, uint32_t flags) = 0;
    // Reports no group.
    virtual uint32_t EnumGroups(PlayerFoundCallback callback, void* context, uint32_t flags) = 0;

    // Asks the known hosts for their sessions for `timeoutMs` milliseconds
    // and reports each session of wanted.application that has room, once,
    // then calls once more with no description and kEnumSessionsTimedOut.
    virtual uint32_t EnumSessions(const SessionDescription& wanted, uint32_t timeoutMs,
                                  SessionFoundCallback callback, void* context, uint32_t flags) = 0;

    // One waiting message, without blocking. *size is the buffer's size on
    // entry and the message's on return. System messages come from
    // kSystemPlayerId laid out as SessionSystemMessage writes them.
    virtual uint32_t Receive(uint32_t* from, uint32_t* to, void* buffer, uint32_t* size) = 0;
    // `from` must be a local player; `to` kAllPlayers means everyone but `from`.
    virtual uint32_t Send(uint32_t from, uint32_t to, uint32_t flags, const void* data, uint32_t size) = 0;
};

}  // namespace platform
