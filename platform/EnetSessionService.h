#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/SessionRecords.h"
#include "platform/SessionService.h"

// ENet's records, kept out of every header.
struct _ENetHost;
struct _ENetPeer;
struct _ENetPacket;
struct _ENetEvent;

namespace platform {

class SessionProviders;

struct SessionEndpoint {
    std::string address;   // numeric IPv4; names are not looked up
    uint16_t port = kDefaultSessionPort;
};

struct SessionNetworkSettings {
    std::string bindAddress = "127.0.0.1";   // where a host listens
    uint16_t port = kDefaultSessionPort;      // 0: any free port (see Port())
    // Enumeration asks each of these, never the whole network.
    std::vector<SessionEndpoint> endpoints{{"127.0.0.1", kDefaultSessionPort}};
    // A peer silent this long has left. Long, because a message box stops
    // the game's thread and with it every answer.
    uint32_t keepAliveTimeoutMs = 20000;
    // Bytes handed to the network and not yet through it, above which Send is busy.
    uint32_t backlogLimit = 256 * 1024;
    // How long joining and a client's player creation wait for the host.
    uint32_t answerTimeoutMs = 2000;
    // Whether the host passes a member's data on to the other members. A
    // game whose host speaks for everybody keeps it off: a member's data
    // then reaches the host's own players alone, and no member can pose as
    // the host to the others.
    bool relayBetweenMembers = false;
};

// The settings for the address a command line names (numeric IPv4) and its
// port: a host listens on that address, one of this machine's or 0.0.0.0
// for all of them, and sessions are looked for there; with 0.0.0.0, which
// names no machine to ask, they are looked for on the loopback.
SessionNetworkSettings SettingsForAddress(const std::string& address, uint16_t port);

// The id of the TCP/IP provider.
constexpr SessionGuid kTcpIpProviderId{{0x5a, 0x3c, 0x71, 0x0e, 0x92, 0x4b, 0x4d, 0x1f,
                                        0xb8, 0x60, 0x2e, 0xd4, 0x17, 0x9a, 0xc5, 0x01}};

// Adds a "TCP/IP" provider whose interfaces are EnetSessionServices with `settings`.
void AddTcpIpProvider(SessionProviders* providers, const SessionNetworkSettings& settings);

// A session over ENet. The host keeps the session: it hands out player ids,
// tells everybody who comes and goes, and (where its settings say so)
// relays what one client sends to another. Enumeration is a datagram to each configured endpoint, answered
// by the host beside its ENet traffic. Guaranteed messages travel on ENet's
// reliable channel, the others on its unreliable one.
class EnetSessionService final : public SessionService {
public:
    explicit EnetSessionService(SessionNetworkSettings settings);
    ~EnetSessionService() override;
    EnetSessionService(const EnetSessionService&) = delete;
    EnetSessionService& operator=(const EnetSessionService&) = delete;

    uint32_t Open(const SessionDescription& description, uint32_t mode) override;
    void Close() override;
    uint32_t CreatePlayer(const SessionPlayerName& name, uint32_t* id) override;
    uint32_t DestroyPlayer(uint32_t id) override;
    uint32_t CreateGroup(const SessionPlayerName& name, uint32_t* id) override;
    uint32_t DestroyGroup(uint32_t id) override;
    uint32_t AddPlayerToGroup(uint32_t group, uint32_t player) override;
    uint32_t DeletePlayerFromGroup(uint32_t group, uint32_t player) override;
    uint32_t EnumPlayers(PlayerFoundCallback callback, void* context, uint32_t flags) override;
    uint32_t EnumGroups(PlayerFoundCallback callback, void* context, uint32_t flags) override;
    uint32_t EnumSessions(const SessionDescription& wanted, uint32_t timeoutMs, SessionFoundCallback callback,
                          void* context, uint32_t flags) override;
    uint32_t Receive(uint32_t* from, uint32_t* to, void* buffer, uint32_t* size) override;
    uint32_t Send(uint32_t from, uint32_t to, uint32_t flags, const void* data, uint32_t size) override;

    // Applies to peers met from now on.
    void SetKeepAliveTimeout(uint32_t milliseconds) { settings_.keepAliveTimeoutMs = milliseconds; }
    void SetBacklogLimit(uint32_t bytes) { settings_.backlogLimit = bytes; }
    // The port an open host listens on; 0 when not hosting.
    uint16_t Port() const;

private:
    struct Player {
        uint32_t id = 0;
        SessionPlayerName name;
        bool local = false;
        _ENetPeer* owner = nullptr;   // the host's: the peer of a client's player
        // The host's: the second (steady-clock ms / 1000) this player's
        // messages are counted in, and their count.
        uint64_t second = 0;
        uint32_t sent = 0;
    };
    struct Message {
        uint32_t from = 0;
        uint32_t to = 0;
        std::vector<uint8_t> bytes;
    };
    struct Found {
        SessionGuid instance;
        uint32_t host = 0;   // network byte order, as ENet keeps it
        uint16_t port = 0;
    };
    enum class JoinState { kNone, kWaiting, kAccepted, kRefused, kLost };
    // The host's: what one connection has asked of it.
    struct MemberRecord {
        _ENetPeer* peer = nullptr;
        uint32_t playersMade = 0;
    };

    static int Intercept(_ENetHost* host, _ENetEvent* event);
    static void PacketFreed(_ENetPacket* packet);

    uint32_t OpenHost(const SessionDescription& description);
    uint32_t OpenJoin(const SessionDescription& description);
    void Reset();
    bool ServiceOnce(uint32_t timeoutMs);
    void Pump();
    template <typename Done>
    bool WaitFor(Done done, uint32_t timeoutMs);
    void Handle(_ENetEvent* event);
    void HandleAtHost(_ENetPeer* peer, const uint8_t* data, size_t size);
    void HandleAtClient(const uint8_t* data, size_t size);
    void DropMember(_ENetPeer* peer);
    MemberRecord* RecordOf(_ENetPeer* peer);
    // The host's: enumeration answers are rationed, so that a stream of
    // small queries from anywhere cannot turn the host into a loudspeaker.
    bool TakeEnumAnswer();
    // The players a client keeps at most: its session's room, within reason.
    size_t PlayerRoom() const;
    // The host's: peers that have not joined with a player within their window.
    void DropLatecomers();
    void LoseHost();
    void ConfigurePeer(_ENetPeer* peer) const;
    void SendTo(const std::vector<_ENetPeer*>& peers, const std::vector<uint8_t>& bytes, bool reliable);
    void SendToMembers(const std::vector<uint8_t>& bytes, _ENetPeer* except);
    void Post(uint32_t from, uint32_t to, const uint8_t* data, size_t size);
    void PostSystem(const std::vector<uint8_t>& bytes);
    Player* FindPlayer(uint32_t id);
    SessionDescription CurrentDescription() const;

    SessionNetworkSettings settings_;
    _ENetHost* host_ = nullptr;
    _ENetPeer* server_ = nullptr;   // a client's way to the host; null once lost
    bool isHost_ = false;
    bool open_ = false;
    SessionDescription description_;
    std::vector<Player> players_;       // in the order they entered
    std::vector<_ENetPeer*> members_;   // the host's: peers that joined
    std::vector<MemberRecord> records_; // the host's: one for each member
    std::deque<Message> inbox_;
    std::vector<Found> found_;          // sessions of the last enumeration
    uint32_t nextPlayerId_ = 1;
    uint32_t nextToken_ = 1;
    JoinState joinState_ = JoinState::kNone;
    uint32_t awaitedToken_ = 0;
    bool createAnswered_ = false;
    uint32_t createdId_ = 0;
    size_t backlog_ = 0;
    uint64_t nextLatecomerCheck_ = 0;   // steady-clock ms
    uint64_t lastPump_ = 0;             // steady-clock ms
    uint64_t enumSecond_ = 0;           // steady-clock s of the answers counted
    uint32_t enumAnswers_ = 0;
};

}  // namespace platform
