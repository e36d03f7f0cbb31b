#include "platform/EnetSessionService.h"

#include <enet/enet.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <random>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include "platform/SessionProviders.h"
#include "platform/SessionSystemMessage.h"
#include "platform/SessionWire.h"

namespace platform {
namespace {

constexpr uint8_t kReliableChannel = 0;
constexpr uint8_t kUnreliableChannel = 1;
constexpr size_t kChannels = 2;
// Peers a host keeps: the clients and those still knocking.
constexpr size_t kHostPeers = 64;
// The largest packet accepted from a peer: a message and its header, or a
// player list, with room to spare; ENet drops anything larger unread.
constexpr size_t kMaxPacketSize = 64 * 1024;
// An enumeration answer fits easily.
constexpr size_t kDatagramSize = 1024;
// Receive handles at most this many network events per call, so that a
// flood cannot hold the game's frame.
constexpr int kEventsPerPump = 256;
// How long Close waits for its goodbyes to be heard.
constexpr uint64_t kCloseWaitMs = 250;
// A peer that has not joined and made its player this long after it
// connected is let go: knocking without joining must not hold a slot.
constexpr uint64_t kJoinWindowMs = 3000;
// Receive takes in a batch of network events when no message waits, and
// at least this often while fewer than kInboxLow wait (so that answers and
// pings keep flowing): a flood then waits in the network, not in this
// machine's memory, and a message costs no network call of its own.
constexpr size_t kInboxLow = 512;
// A client sends its ship's state every frame and a packet for each shot:
// at 60 frames a second, with its guns firing, well below this.
constexpr uint32_t kMessagesPerPlayerSecond = 150;
constexpr uint64_t kPumpEveryMs = 20;
// A machine joins with one player; leaving and coming back on the same
// connection a few times is allowed, a stream of new players (each a new
// ship in every game) is not.
constexpr uint32_t kPlayersPerConnection = 3;
// Enumeration answers a second, from whoever asks: a few lobbies looking
// at once are served, a flood of queries is not answered in kind.
constexpr uint32_t kEnumAnswersPerSecond = 20;
// No session holds more players than a host keeps connections, and a
// client keeps no more than that whatever its host says.
constexpr size_t kMostPlayers = kHostPeers + 1;
// Pings often enough that a silent peer is noticed within the keep-alive.
constexpr uint32_t kMinPingIntervalMs = 10;

// The host whose ENet service is running on this thread, for the raw
// datagrams ENet hands to Intercept.
thread_local EnetSessionService* g_servicing = nullptr;

bool EnetReady() {
    static const bool ready = enet_initialize() == 0;
    return ready;
}

uint64_t NowMs() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

bool ToAddress(const std::string& text, uint16_t port, ENetAddress* address) {
    address->port = port;
    return enet_address_set_host_ip(address, text.c_str()) == 0;
}

bool NameFits(const SessionPlayerName& name) {
    return name.shortName.size() <= kMaxSessionNameLength && name.longName.size() <= kMaxSessionNameLength &&
           name.shortName.find('\0') == std::string::npos && name.longName.find('\0') == std::string::npos;
}

// An address a host can listen on and be joined at: not a broadcast or
// multicast address, which would take the port but never a peer.
bool Listenable(const std::string& text) {
    in_addr address{};
    if (inet_pton(AF_INET, text.c_str(), &address) != 1) return false;
    const uint32_t host = ntohl(address.s_addr);
    if (host == 0xffffffffu || (host >> 28) == 0xe) return false;
    ifaddrs* interfaces = nullptr;
    if (getifaddrs(&interfaces) != 0) return true;
    bool broadcast = false;
    for (const ifaddrs* i = interfaces; i != nullptr && !broadcast; i = i->ifa_next) {
        if ((i->ifa_flags & IFF_BROADCAST) == 0 || i->ifa_broadaddr == nullptr) continue;
        if (i->ifa_broadaddr->sa_family != AF_INET) continue;
        const auto* const at = reinterpret_cast<const sockaddr_in*>(i->ifa_broadaddr);
        broadcast = at->sin_addr.s_addr == address.s_addr;
    }
    freeifaddrs(interfaces);
    return !broadcast;
}

SessionGuid RandomGuid() {
    std::random_device device;
    SessionGuid guid;
    for (uint8_t& byte : guid.bytes) byte = static_cast<uint8_t>(device());
    return guid;
}

}  // namespace

void AddTcpIpProvider(SessionProviders* providers, const SessionNetworkSettings& settings) {
    providers->Add(kTcpIpProviderId, "Internet TCP/IP Connection", [settings] {
        return std::make_unique<EnetSessionService>(settings);
    });
}

EnetSessionService::EnetSessionService(SessionNetworkSettings settings) : settings_(std::move(settings)) {}

EnetSessionService::~EnetSessionService() { Close(); }

SessionNetworkSettings SettingsForAddress(const std::string& address, uint16_t port) {
    SessionNetworkSettings settings;
    settings.port = port;
    settings.bindAddress = address;
    settings.endpoints = {{address == "0.0.0.0" ? std::string("127.0.0.1") : address, port}};
    return settings;
}

uint16_t EnetSessionService::Port() const { return host_ != nullptr && isHost_ ? host_->address.port : 0; }

uint32_t EnetSessionService::Open(const SessionDescription& description, uint32_t mode) {
    if (host_ != nullptr) return kSessionInvalidParams;
    if (!EnetReady()) return kSessionFailed;
    if (mode == kSessionCreate) return OpenHost(description);
    if (mode == kSessionJoin) return OpenJoin(description);
    return kSessionInvalidParams;
}

uint32_t EnetSessionService::OpenHost(const SessionDescription& description) {
    if (description.maxPlayers == 0 || description.name.size() > kMaxSessionNameLength) return kSessionInvalidParams;
    ENetAddress address{};
    if (!Listenable(settings_.bindAddress) || !ToAddress(settings_.bindAddress, settings_.port, &address)) {
        return kSessionInvalidParams;
    }
    host_ = enet_host_create(&address, kHostPeers, kChannels, 0, 0);
    if (host_ == nullptr) return kSessionFailed;   // the port is taken
    host_->intercept = &EnetSessionService::Intercept;
    host_->maximumPacketSize = kMaxPacketSize;
    description_ = description;
    description_.instance = RandomGuid();
    isHost_ = true;
    open_ = true;
    nextPlayerId_ = 1;
    return kSessionOk;
}

uint32_t EnetSessionService::OpenJoin(const SessionDescription& description) {
    const auto found = std::find_if(found_.begin(), found_.end(),
                                    [&](const Found& f) { return f.instance == description.instance; });
    if (found == found_.end()) return kSessionNoSessions;
    host_ = enet_host_create(nullptr, 1, kChannels, 0, 0);
    if (host_ == nullptr) return kSessionFailed;
    host_->maximumPacketSize = kMaxPacketSize;
    ENetAddress address{};
    address.host = found->host;
    address.port = found->port;
    description_ = description;
    server_ = enet_host_connect(host_, &address, kChannels, 0);
    if (server_ == nullptr) {
        Reset();
        return kSessionFailed;
    }
    ConfigurePeer(server_);
    joinState_ = JoinState::kWaiting;
    WaitFor([this] { return joinState_ != JoinState::kWaiting; }, settings_.answerTimeoutMs);
    const JoinState state = joinState_;
    if (state == JoinState::kAccepted) {
        open_ = true;
        return kSessionOk;
    }
    if (server_ != nullptr) {
        enet_peer_disconnect(server_, 0);
        enet_host_flush(host_);
    }
    Reset();
    if (state == JoinState::kRefused) return kSessionRefused;
    if (state == JoinState::kLost) return kSessionNoConnection;
    return kSessionTimedOut;
}

void EnetSessionService::Close() {
    if (host_ == nullptr) return;
    // Say goodbye, so that the others see this machine's players leave at
    // once rather than after the keep-alive. The goodbye waits until what
    // was sent has arrived: a peer that hears it first drops what it has
    // not yet handed out.
    bool waiting = false;
    for (size_t i = 0; i < host_->peerCount; ++i) {
        ENetPeer* const peer = &host_->peers[i];
        if (peer->state != ENET_PEER_STATE_CONNECTED) continue;
        enet_peer_disconnect_later(peer, 0);
        waiting = true;
    }
    const uint64_t deadline = NowMs() + kCloseWaitMs;
    while (waiting && NowMs() < deadline) {
        ENetEvent event{};
        if (enet_host_service(host_, &event, 10) > 0 && event.type == ENET_EVENT_TYPE_RECEIVE) {
            enet_packet_destroy(event.packet);
        }
        waiting = false;
        for (size_t i = 0; i < host_->peerCount; ++i) {
            if (host_->peers[i].state != ENET_PEER_STATE_DISCONNECTED) waiting = true;
        }
    }
    Reset();
}

void EnetSessionService::Reset() {
    if (host_ != nullptr) enet_host_destroy(host_);
    host_ = nullptr;
    server_ = nullptr;
    isHost_ = false;
    open_ = false;
    players_.clear();
    members_.clear();
    records_.clear();
    inbox_.clear();
    joinState_ = JoinState::kNone;
    awaitedToken_ = 0;
}

uint32_t EnetSessionService::CreatePlayer(const SessionPlayerName& name, uint32_t* id) {
    if (id == nullptr) return kSessionInvalidParams;
    *id = 0;
    if (!open_) return kSessionUninitialized;
    if (!NameFits(name)) return kSessionInvalidParams;
    if (isHost_) {
        if (players_.size() >= description_.maxPlayers) return kSessionRefused;
        const uint32_t made = nextPlayerId_++;
        players_.push_back({made, name, true, nullptr});
        SendToMembers(SessionWire::PlayerAdded(made, name), nullptr);
        *id = made;
        return kSessionOk;
    }
    if (server_ == nullptr) return kSessionNoConnection;
    awaitedToken_ = nextToken_++;
    createAnswered_ = false;
    createdId_ = 0;
    SendTo({server_}, SessionWire::CreatePlayer(awaitedToken_, name), true);
    enet_host_flush(host_);
    const bool answered = WaitFor([this] { return createAnswered_ || server_ == nullptr; }, settings_.answerTimeoutMs);
    awaitedToken_ = 0;
    if (!answered) return kSessionTimedOut;
    if (!createAnswered_) return kSessionNoConnection;
    if (createdId_ == 0) return kSessionRefused;
    players_.push_back({createdId_, name, true, nullptr});
    *id = createdId_;
    return kSessionOk;
}

uint32_t EnetSessionService::DestroyPlayer(uint32_t id) {
    if (!open_) return kSessionUninitialized;
    const auto player = std::find_if(players_.begin(), players_.end(), [&](const Player& p) { return p.id == id; });
    if (player == players_.end() || !player->local) return kSessionInvalidPlayer;
    players_.erase(player);
    if (isHost_) {
        SendToMembers(SessionWire::PlayerRemoved(id), nullptr);
    } else if (server_ != nullptr) {
        SendTo({server_}, SessionWire::DestroyPlayer(id), true);
        enet_host_flush(host_);
    }
    return kSessionOk;
}

uint32_t EnetSessionService::CreateGroup(const SessionPlayerName&, uint32_t* id) {
    if (id != nullptr) *id = 0;
    return kSessionUnsupported;
}

uint32_t EnetSessionService::DestroyGroup(uint32_t) { return kSessionUnsupported; }

uint32_t EnetSessionService::AddPlayerToGroup(uint32_t, uint32_t) { return kSessionUnsupported; }

uint32_t EnetSessionService::DeletePlayerFromGroup(uint32_t, uint32_t) { return kSessionUnsupported; }

uint32_t EnetSessionService::EnumPlayers(PlayerFoundCallback callback, void* context, uint32_t flags) {
    if (!open_) return kSessionUninitialized;
    if (callback == nullptr) return kSessionInvalidParams;
    // A copy: the callback may create or destroy players.
    const std::vector<Player> players = players_;
    for (const Player& player : players) {
        if ((flags & kEnumPlayersRemote) != 0 && player.local) continue;
        if (!callback(player.id, kPlayerTypePlayer, player.name, 0, context)) break;
    }
    return kSessionOk;
}

uint32_t EnetSessionService::EnumGroups(PlayerFoundCallback callback, void*, uint32_t) {
    if (!open_) return kSessionUninitialized;
    return callback == nullptr ? kSessionInvalidParams : kSessionOk;
}

uint32_t EnetSessionService::EnumSessions(const SessionDescription& wanted, uint32_t timeoutMs,
                                          SessionFoundCallback callback, void* context, uint32_t) {
    if (callback == nullptr) return kSessionInvalidParams;
    if (!EnetReady()) return kSessionFailed;
    const ENetSocket socket = enet_socket_create(ENET_SOCKET_TYPE_DATAGRAM);
    if (socket == ENET_SOCKET_NULL) return kSessionFailed;
    enet_socket_set_option(socket, ENET_SOCKOPT_NONBLOCK, 1);
    found_.clear();
    const uint32_t token = nextToken_++ ^ static_cast<uint32_t>(NowMs());
    const std::vector<uint8_t> ask = SessionWire::EnumRequest(token);
    for (const SessionEndpoint& endpoint : settings_.endpoints) {
        ENetAddress address{};
        if (!ToAddress(endpoint.address, endpoint.port, &address)) continue;
        ENetBuffer buffer{const_cast<uint8_t*>(ask.data()), ask.size()};
        enet_socket_send(socket, &address, &buffer, 1);
    }
    const uint64_t deadline = NowMs() + timeoutMs;
    bool stopped = false;
    while (!stopped) {
        const uint64_t now = NowMs();
        if (now >= deadline) break;
        enet_uint32 condition = ENET_SOCKET_WAIT_RECEIVE;
        if (enet_socket_wait(socket, &condition, static_cast<enet_uint32>(deadline - now)) != 0) continue;
        if ((condition & ENET_SOCKET_WAIT_RECEIVE) == 0) continue;
        for (;;) {
            uint8_t bytes[kDatagramSize];
            ENetBuffer buffer{bytes, sizeof bytes};
            ENetAddress sender{};
            const int got = enet_socket_receive(socket, &sender, &buffer, 1);
            if (got <= 0) break;
            uint32_t answeredToken = 0;
            SessionDescription description;
            if (!SessionWire::ReadEnumAnswer(bytes, static_cast<size_t>(got), &answeredToken, &description)) continue;
            if (answeredToken != token || description.application != wanted.application) continue;
            if (description.currentPlayers >= description.maxPlayers) continue;
            const bool known = std::any_of(found_.begin(), found_.end(),
                                           [&](const Found& f) { return f.instance == description.instance; });
            if (known) continue;
            found_.push_back({description.instance, sender.host, sender.port});
            if (!callback(&description, 0, context)) {
                stopped = true;
                break;
            }
        }
    }
    enet_socket_destroy(socket);
    // The last call's answer cannot go on: the time is up.
    if (!stopped) callback(nullptr, kEnumSessionsTimedOut, context);
    return kSessionOk;
}

uint32_t EnetSessionService::Receive(uint32_t* from, uint32_t* to, void* buffer, uint32_t* size) {
    if (from == nullptr || to == nullptr || size == nullptr) return kSessionInvalidParams;
    if (host_ == nullptr) return kSessionUninitialized;
    const uint64_t now = NowMs();
    if (inbox_.empty() || (inbox_.size() < kInboxLow && now >= lastPump_ + kPumpEveryMs)) {
        lastPump_ = now;
        Pump();
    }
    if (isHost_) DropLatecomers();
    if (inbox_.empty()) return kSessionNoMessages;
    const Message& message = inbox_.front();
    const uint32_t needed = static_cast<uint32_t>(message.bytes.size());
    if (buffer == nullptr || *size < needed) {
        *size = needed;
        return kSessionBufferTooSmall;
    }
    if (needed > 0) std::copy(message.bytes.begin(), message.bytes.end(), static_cast<uint8_t*>(buffer));
    *from = message.from;
    *to = message.to;
    *size = needed;
    inbox_.pop_front();
    return kSessionOk;
}

uint32_t EnetSessionService::Send(uint32_t from, uint32_t to, uint32_t flags, const void* data, uint32_t size) {
    if (!open_) return kSessionUninitialized;
    if (size > kMaxSessionMessageSize) return kSessionTooBig;
    if (data == nullptr && size > 0) return kSessionInvalidParams;
    const Player* const sender = FindPlayer(from);
    if (sender == nullptr || !sender->local) return kSessionInvalidPlayer;
    const auto* const bytes = static_cast<const uint8_t*>(data);
    const bool guaranteed = (flags & kSendGuaranteed) != 0;
    std::vector<_ENetPeer*> peers;
    if (to != kAllPlayers) {
        const Player* const receiver = FindPlayer(to);
        if (receiver == nullptr) return kSessionInvalidPlayer;
        if (receiver->local) {
            Post(from, to, bytes, size);
            return kSessionOk;
        }
        _ENetPeer* const peer = isHost_ ? receiver->owner : server_;
        if (peer == nullptr) return kSessionNoConnection;
        peers.push_back(peer);
    } else if (isHost_) {
        peers = members_;
    } else if (server_ != nullptr) {
        peers.push_back(server_);
    }
    const size_t wire = SessionWire::kDataHeaderSize + size;
    if (!peers.empty() && backlog_ + wire > settings_.backlogLimit) return kSessionBusy;
    if (to == kAllPlayers) {
        for (const Player& player : std::vector<Player>(players_)) {
            if (player.local && player.id != from) Post(from, player.id, bytes, size);
        }
    }
    if (!peers.empty()) {
        SendTo(peers, SessionWire::Data(guaranteed, from, to, data, size), guaranteed);
        enet_host_flush(host_);
    }
    return kSessionOk;
}

int EnetSessionService::Intercept(_ENetHost* host, _ENetEvent*) {
    EnetSessionService* const self = g_servicing;
    if (self == nullptr || self->host_ != host || !self->isHost_) return 0;
    uint32_t token = 0;
    if (!SessionWire::ReadEnumRequest(host->receivedData, host->receivedDataLength, &token)) return 0;
    // Taken, answered or not: it is no ENet packet.
    if (!self->TakeEnumAnswer()) return 1;
    const std::vector<uint8_t> answer = SessionWire::EnumAnswer(token, self->CurrentDescription());
    ENetBuffer buffer{const_cast<uint8_t*>(answer.data()), answer.size()};
    enet_socket_send(host->socket, &host->receivedAddress, &buffer, 1);
    return 1;
}

void EnetSessionService::PacketFreed(_ENetPacket* packet) {
    auto* const self = static_cast<EnetSessionService*>(packet->userData);
    if (self != nullptr) self->backlog_ -= std::min(self->backlog_, packet->dataLength);
}

bool EnetSessionService::ServiceOnce(uint32_t timeoutMs) {
    EnetSessionService* const outer = g_servicing;
    g_servicing = this;
    ENetEvent event{};
    const int got = enet_host_service(host_, &event, timeoutMs);
    g_servicing = outer;
    if (got <= 0) return false;
    Handle(&event);
    return true;
}

void EnetSessionService::Pump() {
    for (int i = 0; i < kEventsPerPump && host_ != nullptr && ServiceOnce(0); ++i) {
    }
}

template <typename Done>
bool EnetSessionService::WaitFor(Done done, uint32_t timeoutMs) {
    const uint64_t deadline = NowMs() + timeoutMs;
    while (!done()) {
        const uint64_t now = NowMs();
        if (now >= deadline || host_ == nullptr) return false;
        ServiceOnce(static_cast<uint32_t>(std::min<uint64_t>(deadline - now, 50)));
    }
    return true;
}

void EnetSessionService::Handle(_ENetEvent* event) {
    ENetPeer* const peer = event->peer;
    switch (event->type) {
    case ENET_EVENT_TYPE_CONNECT:
        ConfigurePeer(peer);
        // The moment it came, for its window to join in.
        peer->data = reinterpret_cast<void*>(static_cast<uintptr_t>(NowMs()));
        if (!isHost_ && peer == server_) {
            SendTo({server_}, SessionWire::Join(description_.application, description_.instance), true);
            enet_host_flush(host_);
        }
        break;
    case ENET_EVENT_TYPE_RECEIVE:
        if (isHost_) {
            HandleAtHost(peer, event->packet->data, event->packet->dataLength);
        } else if (peer == server_) {
            HandleAtClient(event->packet->data, event->packet->dataLength);
        }
        enet_packet_destroy(event->packet);
        break;
    case ENET_EVENT_TYPE_DISCONNECT:
        if (isHost_) {
            DropMember(peer);
        } else if (peer == server_) {
            if (joinState_ == JoinState::kWaiting) {
                joinState_ = JoinState::kLost;
                server_ = nullptr;
            } else {
                LoseHost();
            }
        }
        break;
    case ENET_EVENT_TYPE_NONE:
        break;
    }
}

void EnetSessionService::HandleAtHost(_ENetPeer* peer, const uint8_t* data, size_t size) {
    SessionWire::Message message;
    if (!SessionWire::Read(data, size, &message)) return;
    const bool member = std::find(members_.begin(), members_.end(), peer) != members_.end();
    if (message.kind == SessionWire::kJoin) {
        if (member) return;
        uint32_t refusal = kSessionOk;
        if (message.application != description_.application || message.instance != description_.instance ||
            players_.size() >= description_.maxPlayers) {
            refusal = kSessionRefused;
        }
        if (refusal != kSessionOk) {
            SendTo({peer}, SessionWire::JoinRefused(refusal), true);
            enet_peer_disconnect_later(peer, 0);
            return;
        }
        members_.push_back(peer);
        records_.push_back({peer, 0});
        std::vector<SessionWire::Player> list;
        for (const Player& player : players_) list.push_back({player.id, player.name});
        SendTo({peer}, SessionWire::JoinAccepted(CurrentDescription(), list), true);
        enet_host_flush(host_);
        return;
    }
    if (!member) return;
    switch (message.kind) {
    case SessionWire::kCreatePlayer: {
        // One player for each machine: a second would take a place in the game another machine waits for.
        const bool hasOne = std::any_of(players_.begin(), players_.end(), [&](const Player& p) { return p.owner == peer; });
        MemberRecord* const record = RecordOf(peer);
        if (!NameFits(message.name) || players_.size() >= description_.maxPlayers || hasOne || record == nullptr ||
            record->playersMade >= kPlayersPerConnection) {
            SendTo({peer}, SessionWire::PlayerCreated(message.token, 0), true);
            break;
        }
        ++record->playersMade;
        const uint32_t id = nextPlayerId_++;
        players_.push_back({id, message.name, false, peer});
        SendTo({peer}, SessionWire::PlayerCreated(message.token, id), true);
        PostSystem(SessionSystemMessage::CreatePlayer(id, message.name).Bytes());
        SendToMembers(SessionWire::PlayerAdded(id, message.name), peer);
        break;
    }
    case SessionWire::kDestroyPlayer: {
        const Player* const player = FindPlayer(message.id);
        if (player == nullptr || player->owner != peer) break;
        std::erase_if(players_, [&](const Player& p) { return p.id == message.id; });
        PostSystem(SessionSystemMessage::DestroyPlayer(message.id).Bytes());
        SendToMembers(SessionWire::PlayerRemoved(message.id), peer);
        break;
    }
    case SessionWire::kData: {
        Player* const sender = FindPlayer(message.from);
        if (sender == nullptr || sender->owner != peer) break;
        // Beyond its share a player's messages are dropped unread: one that
        // sends without pause neither fills this machine nor crowds out the others.
        const uint64_t second = NowMs() / 1000;
        if (sender->second != second) {
            sender->second = second;
            sender->sent = 0;
        }
        if (++sender->sent > kMessagesPerPlayerSecond) break;
        if (message.to == kAllPlayers) {
            for (const Player& player : std::vector<Player>(players_)) {
                if (player.local) Post(message.from, player.id, message.payload, message.payloadSize);
            }
            if (!settings_.relayBetweenMembers) break;
            std::vector<_ENetPeer*> others;
            for (_ENetPeer* other : members_) {
                if (other != peer) others.push_back(other);
            }
            SendTo(others, SessionWire::Data(message.guaranteed, message.from, message.to, message.payload,
                                             message.payloadSize),
                   message.guaranteed);
            break;
        }
        const Player* const receiver = FindPlayer(message.to);
        if (receiver == nullptr) break;
        if (receiver->local) {
            Post(message.from, message.to, message.payload, message.payloadSize);
        } else if (receiver->owner != peer && settings_.relayBetweenMembers) {
            SendTo({receiver->owner}, SessionWire::Data(message.guaranteed, message.from, message.to,
                                                        message.payload, message.payloadSize),
                   message.guaranteed);
        }
        break;
    }
    default:
        break;
    }
    enet_host_flush(host_);
}

void EnetSessionService::HandleAtClient(const uint8_t* data, size_t size) {
    SessionWire::Message message;
    if (!SessionWire::Read(data, size, &message)) return;
    switch (message.kind) {
    case SessionWire::kJoinAccepted:
        if (joinState_ != JoinState::kWaiting) break;
        description_ = message.description;
        players_.clear();
        for (const SessionWire::Player& player : message.players) {
            if (players_.size() >= PlayerRoom()) break;
            if (player.id != 0 && FindPlayer(player.id) == nullptr) players_.push_back({player.id, player.name, false, nullptr});
        }
        joinState_ = JoinState::kAccepted;
        break;
    case SessionWire::kJoinRefused:
        if (joinState_ == JoinState::kWaiting) joinState_ = JoinState::kRefused;
        break;
    case SessionWire::kPlayerCreated:
        if (awaitedToken_ != 0 && message.token == awaitedToken_ && !createAnswered_) {
            createAnswered_ = true;
            createdId_ = FindPlayer(message.id) == nullptr ? message.id : 0;
        } else if (message.id != 0 && server_ != nullptr) {
            // The answer to a creation that gave up waiting: nobody here owns that player.
            SendTo({server_}, SessionWire::DestroyPlayer(message.id), true);
        }
        break;
    case SessionWire::kPlayerAdded:
        // A host cannot make this machine hold more players than its session has room for.
        if (message.id == 0 || FindPlayer(message.id) != nullptr || players_.size() >= PlayerRoom()) break;
        players_.push_back({message.id, message.name, false, nullptr});
        PostSystem(SessionSystemMessage::CreatePlayer(message.id, message.name).Bytes());
        break;
    case SessionWire::kPlayerRemoved: {
        const Player* const player = FindPlayer(message.id);
        if (player == nullptr || player->local) break;
        std::erase_if(players_, [&](const Player& p) { return p.id == message.id; });
        PostSystem(SessionSystemMessage::DestroyPlayer(message.id).Bytes());
        break;
    }
    case SessionWire::kData: {
        const Player* const sender = FindPlayer(message.from);
        if (sender == nullptr || sender->local) break;
        for (const Player& player : std::vector<Player>(players_)) {
            if (!player.local) continue;
            if (message.to == kAllPlayers || message.to == player.id) {
                Post(message.from, player.id, message.payload, message.payloadSize);
            }
        }
        break;
    }
    default:
        break;
    }
}

void EnetSessionService::DropMember(_ENetPeer* peer) {
    const auto member = std::find(members_.begin(), members_.end(), peer);
    if (member == members_.end()) return;
    members_.erase(member);
    std::erase_if(records_, [&](const MemberRecord& record) { return record.peer == peer; });
    for (const Player& player : std::vector<Player>(players_)) {
        if (player.owner != peer) continue;
        std::erase_if(players_, [&](const Player& p) { return p.id == player.id; });
        PostSystem(SessionSystemMessage::DestroyPlayer(player.id).Bytes());
        SendToMembers(SessionWire::PlayerRemoved(player.id), nullptr);
    }
}

void EnetSessionService::DropLatecomers() {
    const uint64_t now = NowMs();
    // Not every pass: the peers are many, the window long.
    if (now < nextLatecomerCheck_) return;
    nextLatecomerCheck_ = now + kJoinWindowMs / 10;
    for (size_t i = 0; i < host_->peerCount; ++i) {
        ENetPeer* const peer = &host_->peers[i];
        if (peer->state != ENET_PEER_STATE_CONNECTED) continue;
        const uint64_t came = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(peer->data));
        if (now < came + kJoinWindowMs) continue;
        const bool playing = std::any_of(players_.begin(), players_.end(), [&](const Player& p) { return p.owner == peer; });
        if (playing) continue;
        // A member that made a player has joined, whether or not one is
        // left now: one that leaves with its player and comes back with
        // another must not be dropped between the two, which arrive apart
        // on a slow host. Its connection is its own to close.
        const MemberRecord* const record = RecordOf(peer);
        if (record != nullptr && record->playersMade > 0) continue;
        DropMember(peer);
        peer->data = nullptr;
        // At once, with no event to come: a peer that stopped answering
        // would hold its slot until the keep-alive gave up on it.
        enet_peer_disconnect_now(peer, 0);
    }
}

void EnetSessionService::LoseHost() {
    // Everyone else was reached through the host: they are all gone.
    for (const Player& player : std::vector<Player>(players_)) {
        if (player.local) continue;
        std::erase_if(players_, [&](const Player& p) { return p.id == player.id; });
        PostSystem(SessionSystemMessage::DestroyPlayer(player.id).Bytes());
    }
    PostSystem(SessionSystemMessage::SessionLost().Bytes());
    server_ = nullptr;
}

void EnetSessionService::ConfigurePeer(_ENetPeer* peer) const {
    const uint32_t timeout = std::max<uint32_t>(settings_.keepAliveTimeoutMs, 1);
    enet_peer_timeout(peer, 0, timeout, timeout);
    enet_peer_ping_interval(peer, std::max(timeout / 4, kMinPingIntervalMs));
}

void EnetSessionService::SendTo(const std::vector<_ENetPeer*>& peers, const std::vector<uint8_t>& bytes,
                                bool reliable) {
    if (peers.empty()) return;
    ENetPacket* const packet = enet_packet_create(bytes.data(), bytes.size(), reliable ? ENET_PACKET_FLAG_RELIABLE : 0);
    if (packet == nullptr) return;
    packet->userData = this;
    packet->freeCallback = &EnetSessionService::PacketFreed;
    backlog_ += bytes.size();
    for (_ENetPeer* peer : peers) enet_peer_send(peer, reliable ? kReliableChannel : kUnreliableChannel, packet);
    if (packet->referenceCount == 0) enet_packet_destroy(packet);
}

void EnetSessionService::SendToMembers(const std::vector<uint8_t>& bytes, _ENetPeer* except) {
    std::vector<_ENetPeer*> peers;
    for (_ENetPeer* peer : members_) {
        if (peer != except) peers.push_back(peer);
    }
    SendTo(peers, bytes, true);
    if (host_ != nullptr) enet_host_flush(host_);
}

void EnetSessionService::Post(uint32_t from, uint32_t to, const uint8_t* data, size_t size) {
    Message message{from, to, {}};
    if (size > 0) message.bytes.assign(data, data + size);
    inbox_.push_back(std::move(message));
}

void EnetSessionService::PostSystem(const std::vector<uint8_t>& bytes) {
    inbox_.push_back({kSystemPlayerId, 0, bytes});
}

EnetSessionService::MemberRecord* EnetSessionService::RecordOf(_ENetPeer* peer) {
    for (MemberRecord& record : records_) {
        if (record.peer == peer) return &record;
    }
    return nullptr;
}

bool EnetSessionService::TakeEnumAnswer() {
    const uint64_t second = NowMs() / 1000;
    if (second != enumSecond_) {
        enumSecond_ = second;
        enumAnswers_ = 0;
    }
    return ++enumAnswers_ <= kEnumAnswersPerSecond;
}

size_t EnetSessionService::PlayerRoom() const {
    return std::min<size_t>(std::max<uint32_t>(description_.maxPlayers, 1), kMostPlayers);
}

EnetSessionService::Player* EnetSessionService::FindPlayer(uint32_t id) {
    if (id == 0) return nullptr;
    for (Player& player : players_) {
        if (player.id == id) return &player;
    }
    return nullptr;
}

SessionDescription EnetSessionService::CurrentDescription() const {
    SessionDescription description = description_;
    description.currentPlayers = static_cast<uint32_t>(players_.size());
    return description;
}

}  // namespace platform
