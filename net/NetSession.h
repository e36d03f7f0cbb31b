#pragma once
#include <cstdint>

#include "engine/EngineAllocation.h"

// One player of the session's table.
struct NetPlayer {
    char* name = nullptr;   // owned; null while free
    uint32_t inUse = 0;
    uint32_t dpid = 0;
    int32_t shipUoid = -1;
    uint32_t idAcked = 0;
    int32_t score = 0;
    uint32_t isIt = 0;
    int32_t kills = 0;
    int32_t careerKills = 0;
    int32_t careerMissions = 0;
    int32_t careerAccuracy = 0;
    int32_t face = 0;
    uint32_t ready = 0;
    int32_t team = -1;
};

// The game's one network session: who is host and who we are, the player
// table, the update rate, and the send operations that the link, the queues
// and the dispatch will grow into. Without a link interface every send
// answers kNoInterface, as the link does.
class NetSession : public EngineObject {
public:
    static constexpr uint32_t kNoInterface = 0x887700FA;
    static constexpr int32_t kDefaultCapacity = 8;

    explicit NetSession(int32_t playerCapacity = kDefaultCapacity);
    virtual ~NetSession();
    NetSession(const NetSession&) = delete;
    NetSession& operator=(const NetSession&) = delete;

    bool IsActive() const { return hasInterface && connected; }
    bool IsHost() const { return isHost; }

    // A client sends Send(ownDpid, serverDpid, ...), the host SendToAll(serverDpid, ...).
    virtual uint32_t Send(uint32_t from, uint32_t to, const void* data, uint32_t size);
    virtual uint32_t SendToAll(uint32_t from, const void* data, uint32_t size);
    // A game packet the way this machine sends: a client to the server, the
    // host to all. The send's result.
    uint32_t SendGamePacket(const uint8_t* data, uint32_t size);
    // A kill (or, with the victim twice, a death without a killer).
    virtual void AnnounceKill(int32_t killerUoid, int32_t victimUoid);

    // The player table.
    int32_t AddPlayer(uint32_t dpid, const char* name, int32_t shipUoid);
    int32_t ClearPlayer(int32_t index);
    int32_t GetPlayerSlotCount() const;
    int32_t CountPlayers() const;
    int32_t FindPlayerByDpid(uint32_t dpid) const;
    int32_t FindPlayerByUoid(int32_t uoid) const;
    int32_t FindItPlayer() const;
    const char* GetPlayerName(int32_t index) const;
    int32_t GetPlayerUoid(int32_t index) const;
    uint32_t GetPlayerDpid(int32_t index) const;
    uint32_t IsPlayerAcked(int32_t index) const;
    int32_t GetPlayerKills(int32_t index) const;
    uint32_t IsPlayerIt(int32_t index) const;
    void SetPlayerUoid(int32_t index, int32_t uoid);
    void SetPlayerDpid(int32_t index, uint32_t dpid);
    void SetPlayerAcked(int32_t index, uint32_t flag);
    void SetPlayerScore(int32_t index, int32_t value);
    void SetPlayerKills(int32_t index, int32_t value);
    void AddPlayerScore(int32_t index, int32_t amount);
    void AddPlayerKills(int32_t index, int32_t amount);
    void SetPlayerIt(int32_t index);
    const NetPlayer* Player(int32_t index) const { return InRange(index) ? &players_[index] : nullptr; }

    // The link's state, set by hosting and joining.
    bool hasInterface = false;
    bool connected = false;
    bool isHost = false;
    uint32_t serverDpid = 0;
    uint32_t ownDpid = 0;
    int32_t updateRate = 12;
    int32_t updateInterval = 83;
    int32_t frameCount = 0;
    const int32_t playerCapacity;

private:
    bool InRange(int32_t index) const { return index >= 0 && index < playerCapacity; }
    NetPlayer* players_;
};
