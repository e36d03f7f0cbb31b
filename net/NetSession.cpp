#include "net/NetSession.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "engine/Clock.h"
#include "engine/IffFile.h"
#include "engine/TextCompare.h"
#include "game/CareerRecord.h"
#include "game/DataDirectories.h"
#include "game/EquipmentItem.h"
#include "game/GameState.h"
#include "net/NetControlPackets.h"
#include "net/NetGoalPackets.h"
#include "net/NetHandlers.h"
#include "net/NetPacket.h"
#include "net/NetPacketReaders.h"
#include "net/NetPacketType.h"
#include "net/NetScenePackets.h"
#include "net/PacketBytes.h"
#include "objects/space/SpaceObject.h"
#include "platform/DebugOutput.h"
#include "platform/SessionProviders.h"

using namespace platform;

namespace {

NetSession::GameFoundListener g_gameFound = nullptr;
NetSession::ConnectedListener g_connected = nullptr;

constexpr uint32_t kBusy = kSessionBusy;
constexpr uint32_t kNameCharacters = DirectPlayLink::kNameBytes - 1;

struct Template {
    const char* name;
    int32_t kind;
};
constexpr Template kTemplates[] = {{"Shields 1", 2}, {"ECM 1", 10}, {"Jammer 1", 12}};

enum class SendClass { kNone, kImmediate, kQueue1, kQueue2, kQueue3 };

SendClass Classify(uint32_t flags) {
    if ((flags & PF_QUEUE_1) != 0) return SendClass::kQueue1;
    if ((flags & PF_QUEUE_2) != 0) return SendClass::kQueue2;
    if ((flags & PF_QUEUE_3) != 0) return SendClass::kQueue3;
    if ((flags & PF_IMMEDIATE) != 0) return SendClass::kImmediate;
    return SendClass::kNone;
}

void DeleteAll(DynArray<NetPacket*>& queue) {
    for (NetPacket* packet : queue) delete packet;
    queue.Clear();
}

const char* PilotName() {
    const CareerRecord* const career = g_gameState != nullptr ? g_gameState->career : nullptr;
    return career != nullptr && career->GetPilotName() != nullptr ? career->GetPilotName() : "";
}

bool SessionFound(const SessionDescription* description, uint32_t flags, void* context) {
    if (description == nullptr || (flags & kEnumSessionsTimedOut) != 0) return false;
    auto* const session = static_cast<NetSession*>(context);
    auto* const entry = new SessionEntry;
    entry->name = EngineCopyText(description->name.substr(0, kNameCharacters).c_str());
    entry->instance = description->instance;
    session->sessionList.Append(entry);
    if (g_gameFound != nullptr) g_gameFound(description->maxPlayers, description->currentPlayers, entry->name);
    return true;
}

struct ProviderSearch {
    const char* wanted;
    SessionGuid found;
    bool any = false;
};

bool MatchProvider(const SessionGuid& id, const char* description, void* context) {
    auto* const search = static_cast<ProviderSearch*>(context);
    if (search == nullptr || search->wanted == nullptr) return false;
    if (description == nullptr || std::strstr(description, search->wanted) == nullptr) return true;
    search->found = id;
    search->any = true;
    return false;
}

}  // namespace

void NetSession::SetGameFoundListener(GameFoundListener listener) { g_gameFound = listener; }
void NetSession::SetConnectedListener(ConnectedListener listener) { g_connected = listener; }

NetSession::NetSession(const char* name, int32_t maxPlayers)
    : DirectPlayLink(kApplication, name, uint32_t(std::max(maxPlayers, 0))),
      playerCapacity(maxPlayers > 0 ? maxPlayers : 0),
      creationTime(GetMilliseconds()),
      players_(new NetPlayer[size_t(playerCapacity)]),
      creations_(new ObjectLink[size_t(playerCapacity) * kObjectsAlive]) {
    IffFile definitions(0);
    const std::string path = g_dataDirs.Prefix(DataDir::kData) + "temp.iff";
    const bool opened = g_dataDirs.Found(DataDir::kData) && definitions.OpenFile(path.c_str(), kOpenRead) == kStatusOk;
    for (const Template& item : kTemplates) {
        equipmentTemplates.Append(opened ? new EquipmentItem(item.name, definitions, item.kind)
                                         : new EquipmentItem(item.name, item.kind));
    }
}

NetSession::~NetSession() {
    GiveBackNumbering();
    for (EquipmentItem* item : equipmentTemplates) delete item;
    equipmentTemplates.Clear();
    for (int32_t i = 0; i < playerCapacity; ++i) EngineRelease(players_[i].name);
    delete[] players_;
    delete[] creations_;
    ClearSessionList();
    DeleteAll(queue1);
    DeleteAll(queue2);
    DeleteAll(queue3);
    DeleteAll(carryList);
    DeleteAll(addressed);
}

void NetSession::ClearSessionList() {
    for (SessionEntry* entry : sessionList) {
        EngineRelease(entry->name);
        delete entry;
    }
    sessionList.Clear();
}

int32_t NetSession::SelectServiceProvider(const char* wanted) {
    Close();
    ProviderSearch search{wanted, {}};
    SessionProviders::Current().Enumerate(MatchProvider, &search);
    if (!search.any) return 0;
    Create(search.found);
    return HasInterface() ? 1 : 0;
}

uint32_t NetSession::EnumSessions(uint32_t) {
    sessionDesc.application = kApplication;
    ClearSessionList();
    if (!HasInterface()) return kUninitialized;
    return directPlay->EnumSessions(sessionDesc, kEnumSessionsMs, SessionFound, this, kEnumSessionsAvailable);
}

void NetSession::CopyCareerFigures(int32_t index) const {
    const CareerRecord* const career = g_gameState != nullptr ? g_gameState->career : nullptr;
    if (career == nullptr || !InRange(index)) return;
    NetPlayer& player = players_[index];
    player.careerKills = career->kills;
    player.careerMissions = career->missions;
    player.careerAccuracy = career->accuracyValue;
    player.face = career->face;
}

void NetSession::TakeClientNumbering() {
    if (SpaceObject::g_nextUoid >= kClientUoidBase) return;
    savedUoidCounter_ = SpaceObject::g_nextUoid;
    SpaceObject::g_nextUoid = kClientUoidBase;
}

void NetSession::GiveBackNumbering() {
    if (savedUoidCounter_ < 0) return;
    SpaceObject::g_nextUoid = savedUoidCounter_;
    savedUoidCounter_ = -1;
}

int32_t NetSession::HostGame(uint32_t) {
    sessionDesc.application = kApplication;
    for (int32_t i = 0; i < playerCapacity; ++i) ClearPlayer(i);
    GiveBackNumbering();
    if (Host(0) != kSessionOk) return 0;
    const uint32_t id = CreatePlayer(PilotName(), "Server");
    serverDpid = ownDpid = id;
    // The host's own ship, made with the mission before the game was
    // hosted, is a player's ship like any other: its kills count, and it
    // flies the side the game gives its pilot, as every member's does.
    SpaceObject* const ship = g_gameState != nullptr ? g_gameState->playerShip : nullptr;
    const int32_t own = AddPlayer(id, UniqueName(PilotName(), -1).c_str(), ship != nullptr ? ship->uoid : -1);
    CopyCareerFigures(own);
    if (ship != nullptr) GivePilotSide(own, *ship);
    if (g_connected != nullptr) g_connected(true, sessionDesc.name.c_str(), ownDpid);
    return 1;
}

int32_t NetSession::JoinGame(const char* name, uint32_t) {
    sessionDesc.application = kApplication;
    for (int32_t i = 0; i < playerCapacity; ++i) ClearPlayer(i);
    if (name == nullptr) return 0;
    const SessionEntry* chosen = nullptr;
    for (const SessionEntry* entry : sessionList) {
        if (std::strcmp(entry->name, name) == 0) {
            chosen = entry;
            break;
        }
    }
    if (chosen == nullptr) return 0;
    if (Join(chosen->instance, 0) != kSessionOk) return 0;
    // The server is learnt anew from the first packet of this session.
    serverDpid = 0;
    TakeClientNumbering();
    ownDpid = CreatePlayer(PilotName(), "Client");
    // Joined without a player, this machine could neither fly nor be heard.
    if (ownDpid == 0) {
        // The interface stays, closed, for the lobby's next look.
        connected = 0;
        Interface()->Close();
        GiveBackNumbering();
        return 0;
    }
    AddPlayer(ownDpid, UniqueName(PilotName(), -1).c_str(), -1);
    if (g_connected != nullptr) g_connected(false, name, ownDpid);
    return 1;
}

uint32_t NetSession::Send(uint32_t from, uint32_t to, const void* data, uint32_t size) {
    return Route(from, to, false, data, size);
}

uint32_t NetSession::SendToAll(uint32_t from, const void* data, uint32_t size) {
    return Route(from, kAllPlayers, true, data, size);
}

uint32_t NetSession::Route(uint32_t from, uint32_t to, bool toAll, const void* data, uint32_t size) {
    const auto* const bytes = static_cast<const uint8_t*>(data);
    const uint32_t flags = size >= NetPacketHeader::kBytes ? PacketReader(bytes, size).U32(4) : 0;
    const SendClass sendClass = Classify(flags);
    if (sendClass == SendClass::kNone) return 0;
    const bool queued = sendClass != SendClass::kImmediate;
    if (queued && IsHost() && batching != 0 && megapacketMode != 0) {
        // Only whole packets that a MEGAPACKET can ever hold wait for one.
        if (size > NetPacket::kMaxPacketBytes) return kSessionTooBig;
        // A packet for one player waits for that player's own MEGAPACKET:
        // what answers one machine (its requests, its identity, its pay)
        // is none of the others' business, nor their traffic.
        const bool forOne = !toAll && to != kAllPlayers;
        if (forOne && (to == ownDpid || addressed.Count() >= kMostAddressed)) return 0;
        NetPacket* const copy = NetPacket::CopyOf(bytes, size);
        if (copy == nullptr) return 0;
        if (forOne) {
            copy->addressee = to;
            if (!addressed.Append(copy)) delete copy;
            return 0;
        }
        DynArray<NetPacket*>& queue = sendClass == SendClass::kQueue1   ? queue1
                                      : sendClass == SendClass::kQueue2 ? queue2
                                                                        : queue3;
        if (!queue.Append(copy)) delete copy;
        return 0;
    }
    // What a client cannot afford to lose travels guaranteed; the host's
    // only immediate packets are repeated until answered.
    const bool mustArrive = !IsHost() && (sendClass == SendClass::kQueue1 || sendClass == SendClass::kImmediate);
    return SendWith(from, toAll ? kAllPlayers : to, mustArrive ? kSendGuaranteed : 0, data, size);
}

uint32_t NetSession::SendGamePacket(const uint8_t* data, uint32_t size) {
    return IsHost() ? SendToAll(serverDpid, data, size) : Send(ownDpid, serverDpid, data, size);
}

int32_t NetSession::HandleSystemMessage(const uint8_t* data, uint32_t size) {
    const bool hadServer = !IsHost() && IsActive() && serverDpid != ownDpid;
    const int32_t result = DirectPlayLink::HandleSystemMessage(data, size);
    // The server's player gone makes the server this client's own id: what
    // it sent from then on came back to it alone, as packets no client
    // handles, every pass.
    if (hadServer && IsActive() && serverDpid == ownDpid) LeaveLostServer();
    return result;
}

int32_t NetSession::OnSessionLost() {
    if (!IsHost() && IsActive()) LeaveLostServer();
    return 0;
}

void NetSession::LeaveLostServer() {
    // OnDestroyPlayer tells the player, once: it makes the server our own id.
    if (serverDpid != ownDpid) OnDestroyPlayer(serverDpid);
    lastServerPacketTime = -1;
    // The interface stays, closed: the receive loop that told us may still
    // be running, and a later Close closes nothing twice.
    connected = 0;
    if (HasInterface()) Interface()->Close();
    // Without its server the flight has nobody to fly against: it ends
    // as a flight that is over does.
    GameState* const game = g_gameState;
    if (game != nullptr && (game->mode == GameState::kModeFlight || game->mode == GameState::kModeNavMap ||
                            game->mode == GameState::kModePause)) {
        game->mode = GameState::kModeScreens;
    }
}

uint32_t NetSession::ElapsedMs() const { return GetMilliseconds() - creationTime; }

void NetSession::FlushFrame() {
    ++frameCount;
    // Once the join handling made the server our own player, silence means
    // nothing; nor does it before the flight, when a host in flight may have
    // nothing to tell a player still in the lobby or the hangar (a link that
    // is really gone is told by the session's own loss).
    const GameState* const game = g_gameState;
    const bool flying = game != nullptr && (game->mode == GameState::kModeFlight ||
                                            game->mode == GameState::kModeNavMap || game->mode == GameState::kModePause);
    if (flying && !IsHost() && IsActive() && lastServerPacketTime > 0 && serverDpid != ownDpid &&
        ElapsedMs() > uint32_t(lastServerPacketTime) + kServerSilenceMs) {
        lastServerPacketTime = -1;
        DirectPlayLink::DestroyPlayer(serverDpid);
        // A service refuses to destroy a player another machine owns, and
        // nothing comes back to say the server left: leave here.
        LeaveLostServer();
        return;
    }
    if (IsHost() && CountPlayers() > 1) {
        // Ahead of the shared one: an object a player is told of alone
        // arrives before the updates of it that everybody gets.
        FlushAddressed();
        auto* const megapacket = new NetPacket(0, nullptr);
        megapacket->BuildMegapacket(*this, queueBudget);
        const uint32_t result = SendWith(serverDpid, kAllPlayers, megapacketMustArrive ? kSendGuaranteed : 0,
                                         megapacket->GetData(), megapacket->GetSize());
        if (result == kBusy) {
            updateRate = std::max(updateRate - 1, 1);
            updateInterval = 1000 / updateRate;
        } else if (frameCount % (10 * updateRate) == 0) {
            updateRate = std::min(updateRate + 1, kMaxUpdateRate);
        }
        if (frameCount % updateRate == 0 && (skippedMin > 0 || skippedSum / updateRate > 4)) {
            // Fewer passes a second, each with a larger share: the bytes a second stay.
            queueBudget *= updateRate;
            updateRate = std::max(updateRate - 1, 1);
            updateInterval = 1000 / updateRate;
            queueBudget /= updateRate;
            skippedSum = 0;
            skippedMin = 99;
        }
        delete megapacket;
    } else {
        DeleteAll(addressed);
    }
    DeleteAll(queue1);
    DeleteAll(queue2);
    DeleteAll(queue3);
}

void NetSession::FlushAddressed() {
    // The players with packets waiting, in the order their first was sent.
    DynArray<uint32_t> players;
    for (const NetPacket* packet : addressed) {
        bool known = false;
        for (const uint32_t player : players) known = known || player == packet->addressee;
        if (!known) players.Append(packet->addressee);
    }
    for (const uint32_t player : players) {
        // A player gone meanwhile takes nothing more; what waited for it goes.
        if (FindPlayerByDpid(player) < 0) {
            for (int32_t i = addressed.LastIndex(); i >= 0; --i) {
                if (addressed[i]->addressee != player) continue;
                delete addressed[i];
                addressed.RemoveAt(i);
            }
            continue;
        }
        NetPacket megapacket(0, nullptr);
        bool mustArrive = false;
        if (megapacket.BuildAddressedMegapacket(addressed, player, &mustArrive) > 0) {
            SendWith(serverDpid, player, mustArrive ? kSendGuaranteed : 0, megapacket.GetData(), megapacket.GetSize());
        }
    }
}

namespace {

using Handler = void (*)(const NetInbound& packet);

// Who acts on a type, the smallest size it may declare (exactly that size
// unless `variable`), the handler of each side (null: accepted, acted on
// elsewhere) and the trace line of the types whose handler prints none.
struct Dispatch {
    bool host;
    bool client;
    uint16_t size;
    bool variable;
    Handler hostHandler;
    Handler clientHandler;
    const char* trace;
};

namespace h = net_handlers;

// Indexed by type; entry 0 stands for every type outside 1 to 37.
constexpr Dispatch kDispatch[kNetPacketTypes + 1] = {
    {false, false, 8, true, nullptr, nullptr, nullptr},
    {true, true, 12, true, nullptr, nullptr, nullptr},   // MEGAPACKET, walked before
    {true, false, 49, true, h::NewPlayer, nullptr, nullptr},
    {false, true, 20, false, nullptr, h::IdInfo, nullptr},
    {true, false, 12, false, h::AutoturretRequest, nullptr, nullptr},
    {true, false, 108, false, h::MakeProjectile, nullptr, nullptr},
    {true, false, 16, false, h::ObjectRequest, nullptr, nullptr},
    {true, false, 161, true, h::CreationRequest, nullptr, nullptr},
    {true, false, 20, false, h::DestructionRequest, nullptr, nullptr},
    {false, true, 84, true, nullptr, h::ObjectUpdate, nullptr},
    {false, true, 121, true, nullptr, h::ObjectCreate, nullptr},
    {false, true, 20, false, nullptr, h::ObjectDestroy, nullptr},
    {false, true, 104, false, nullptr, h::Collision, nullptr},
    {false, true, 108, false, nullptr, h::MakeProjectile, nullptr},
    {false, true, 20, false, nullptr, h::ProjectileHit, nullptr},
    {false, true, 12, false, nullptr, h::ProjectileDestroy, nullptr},
    {false, true, 24, false, nullptr, h::SetGoal, "Recieving SET_GOAL packet.\n"},
    {false, true, 64, true, nullptr, h::GoalNew, "Recieving GOAL_NEW packet.\n"},
    {true, false, 144, false, h::PlayerInfo, nullptr, nullptr},
    {true, false, 8, false, h::IdAck, nullptr, nullptr},
    {true, false, 16, false, h::Death, nullptr, nullptr},
    {true, true, 84, false, h::WeaponFire, h::WeaponFire, nullptr},
    {true, false, 20, false, h::GoalDone, nullptr, "Recieving GOAL_DONE packet.\n"},
    {true, true, 64, false, h::WeaponFire, h::WeaponFire, nullptr},
    {true, true, 16, false, h::EmpDamage, h::EmpDamage, nullptr},
    {true, true, 44, false, h::HostKillsUpdate, h::ClientKillsUpdate, nullptr},
    {true, true, 52, false, h::UpdateTeam, h::UpdateTeam, nullptr},
    {false, true, 32, false, nullptr, h::GameInfo, nullptr},
    {true, false, 8, false, h::GameInfoRequest, nullptr, nullptr},
    {true, false, 8, false, h::StateRequest, nullptr, nullptr},
    {false, true, 12, false, nullptr, h::State, nullptr},
    {true, true, NetPacket::kMessageFixedBytes + 3, true, h::Message, h::Message, nullptr},
    {true, true, 20, false, h::EcmStatus, h::EcmStatus, nullptr},
    {true, true, 32, false, h::Salvage, h::Salvage, nullptr},
    {false, true, 40, false, nullptr, h::SceneRecord, "Recieving UPDATE_STARFIELD packet.\n"},
    {false, true, 60, false, nullptr, h::SceneRecord, "Recieving UPDATE_WALLPAPER packet.\n"},
    {false, true, 48, false, nullptr, h::SceneRecord, "Recieving UPDATE_SPACEDUST packet.\n"},
    {false, true, 56, false, nullptr, h::SceneRecord, "Recieving UPDATE_LIGHT packet.\n"},
};

const Dispatch& DispatchOf(uint16_t type) { return kDispatch[type <= kNetPacketTypes ? type : 0]; }

// The header's size lies within what arrived and fits its type; an
// OBJECT_UPDATE comes in its two sizes only.
bool SizeFits(uint16_t type, uint32_t declared) {
    const Dispatch& entry = DispatchOf(type);
    if (type == kObjectUpdate) {
        return declared == NetPacket::kObjectUpdateShortBytes || declared == NetPacket::kObjectUpdateFullBytes;
    }
    return entry.variable ? declared >= entry.size : declared == entry.size;
}

bool EndsWithin(const uint8_t* data, uint32_t at, uint32_t field) {
    return std::memchr(data + at, 0, field) != nullptr;
}

// Every text of the packet ends inside its field and inside the packet:
// the texts of variable packets run to its last byte.
bool TextsEnd(uint16_t type, const uint8_t* data, uint32_t size) {
    switch (type) {
        case kNewPlayer:
            // The ship's name may be followed by its fit, which its reader checks.
            return EndsWithin(data, 25, NetPacket::kNewPlayerDefinitionBytes) &&
                   EndsWithin(data, NetPacket::kNewPlayerBytes - 1, size - (NetPacket::kNewPlayerBytes - 1));
        case kObjectCreate:
        case kCreationRequest:
            return EndsWithin(data, type == kObjectCreate ? 24 : 20, NetPacket::kDefinitionNameBytes) && data[size - 1] == 0;
        case kProjRequest:
        case kProjCreate:
            return EndsWithin(data, 76, 16) && EndsWithin(data, 92, 16);
        case kGunShot:
            return EndsWithin(data, 68, 16);
        case kBeamHit:
            return EndsWithin(data, 48, 16);
        case kSalvage:
            return EndsWithin(data, 8, NetPacket::kSalvageNameBytes);
        case kGoalNew:
            // Without texts the packet ends in its fixed words.
            return size == NetPacket::kGoalNewFixedBytes || data[size - 1] == 0;
        case kMessage:
            return data[size - 1] == 0;
        default:
            return true;
    }
}

}  // namespace

int32_t NetSession::HandleMessage(uint32_t from, uint32_t to, const uint8_t* data, uint32_t size) {
    ++packetsThisPass;
    if (IsHost()) {
        // Counted before it is read: a flood beyond its share costs a look-up a packet.
        if (from != ownDpid && !TakePacket(from)) return 1;
    } else if (serverDpid == 0) {
        // Everything a client hears comes from its server, and the server
        // speaks first: whoever else gets a packet through speaks for nobody.
        serverDpid = from;
    } else if (from != serverDpid) {
        return 1;
    }
    // A packet whose header does not fit what arrived, or its type, is dropped before it changes anything.
    const std::optional<NetPacketHeader> header = net_read::Header(data, size);
    if (!header || !SizeFits(header->type, header->size) || !TextsEnd(header->type, data, header->size)) return 1;
    if (serverDpid != ownDpid && from == serverDpid) lastServerPacketTime = int32_t(ElapsedMs());
    if (header->type == kMegapacket) {
        WalkMegapacket(from, to, data, header->size);
        return 1;
    }
    const Dispatch& entry = DispatchOf(header->type);
    Handler handler = nullptr;
    if (IsHost()) {
        if (!entry.host) {
            platform::DebugOutput("Server recieved unhandled packet type.\n");
            return 1;
        }
        handler = entry.hostHandler;
    } else {
        if (!entry.client) {
            platform::DebugOutput("Client recieved unhandled packet type.\n");
            return 1;
        }
        handler = entry.clientHandler;
    }
    const NetInbound packet{*this, from, to, data, header->size, (header->flags & PF_TRACE) != 0};
    if (entry.trace != nullptr) net_handlers::Trace(packet, entry.trace);
    if (handler != nullptr) handler(packet);
    return 1;
}

int32_t NetSession::WalkMegapacket(uint32_t from, uint32_t to, const uint8_t* data, uint32_t size) {
    PacketReader reader(data, size);
    const uint32_t total = reader.U16(2);
    if (!reader.Ok() || total < NetPacket::kMegapacketHeaderBytes || total > size) return -1;
    if ((reader.U32(4) & PF_TRACE) != 0) {
        char line[64];
        std::snprintf(line, sizeof line, "Receiving MEGAPACKET with %ld subpackets.\n", long(reader.U32(8)));
        platform::DebugOutput(line);
    }
    uint32_t position = NetPacket::kMegapacketHeaderBytes;
    uint32_t remaining = total - position;
    int32_t handed = 0;
    while (remaining >= NetPacketHeader::kBytes) {
        const uint16_t type = reader.U16(position);
        const uint32_t inner = reader.U16(position + 2);
        if (inner < NetPacketHeader::kBytes || inner > remaining || type == kMegapacket) break;
        // A peer's MEGAPACKET gets no further than its share.
        if (IsHost() && from != ownDpid && ShareSpent(from)) break;
        HandleMessage(from, to, data + position, inner);
        ++handed;
        position += inner;
        remaining -= inner;
    }
    return handed;
}

int32_t NetSession::AddPlayer(uint32_t dpid, const char* name, int32_t shipUoid) {
    int32_t chosen = -1;
    for (int32_t i = 0; i < playerCapacity; ++i) {
        if (players_[i].inUse != 0 && players_[i].dpid == dpid) {
            chosen = i;
            break;
        }
        if (players_[i].inUse == 0 && chosen < 0) chosen = i;
    }
    if (chosen < 0) return -1;
    NetPlayer& player = players_[chosen];
    player.inUse = 1;
    player.dpid = dpid;
    player.shipUoid = shipUoid;
    player.idAcked = 0;
    EngineRelease(player.name);
    player.name = EngineCopyText(name);
    return chosen;
}

int32_t NetSession::ClearPlayer(int32_t index) {
    if (!InRange(index)) return 0;
    NetPlayer& player = players_[index];
    EngineRelease(player.name);
    player.name = nullptr;
    player.inUse = 0;
    player.shipUoid = -1;
    player.idAcked = 0;
    player.score = player.kills = player.careerKills = player.careerMissions = player.careerAccuracy = 0;
    player.isIt = 0;
    player.face = -1;
    // Whoever takes the entry next starts without a team and not ready.
    player.ready = 0;
    player.team = -1;
    player.madeTeam = false;
    player.salvaged = 0;
    player.shipsMade = player.objectsMade = 0;
    player.packets = player.projectiles = player.chatLines = player.gameInfoRequests = NetRation{};
    for (NetSeenHit& hit : player.seenHits) hit = NetSeenHit{};
    player.moves = NetMoveTrack{};
    player.fireShip = -1;
    for (NetWeaponAllowance& weapon : player.fire) weapon = NetWeaponAllowance{};
    for (NetReportedGoal& report : player.reportedGoals) report = NetReportedGoal{};
    player.rearmedAt.Clear();
    player.rest = NetRestTrack{};
    return 1;
}

std::string NetSession::UniqueName(const char* wanted, int32_t except) const {
    const std::string base = wanted != nullptr ? wanted : "";
    const auto taken = [&](const std::string& name) {
        if (text::_stricmp(name.c_str(), kNetworkSender) == 0) return true;
        for (int32_t i = 0; i < playerCapacity; ++i) {
            if (i != except && players_[i].inUse != 0 && players_[i].name != nullptr &&
                text::_stricmp(players_[i].name, name.c_str()) == 0) {
                return true;
            }
        }
        return false;
    };
    if (!taken(base)) return base;
    for (int32_t number = 2;; ++number) {
        const std::string suffix = std::to_string(number);
        // A team record carries a name's first kTeamNameBytes - 1 characters.
        const size_t most = net_read::kTeamNameBytes - 1;
        const size_t room = suffix.size() < most ? most - suffix.size() : 0;
        const std::string name = base.substr(0, room) + suffix;
        if (!taken(name)) return name;
    }
}

void NetSession::NoteHit(int32_t victimUoid, const SpaceObject* attacker) {
    const int32_t index = FindPlayerByUoid(victimUoid);
    if (!IsHost() || !InRange(index) || attacker == nullptr || attacker->uoid < 0) return;
    NetSeenHit* const hits = players_[index].seenHits;
    // The attacker's own entry is renewed; a new one takes a free or the oldest.
    int32_t slot = -1;
    for (int32_t i = 0; i < NetPlayer::kSeenAttackers && slot < 0; ++i) slot = hits[i].attacker == attacker->uoid ? i : -1;
    if (slot < 0) {
        slot = 0;
        for (int32_t i = 1; i < NetPlayer::kSeenAttackers; ++i) {
            if (hits[slot].attacker >= 0 && (hits[i].attacker < 0 || hits[i].at < hits[slot].at)) slot = i;
        }
    }
    hits[slot] = NetSeenHit{attacker->uoid, GetMilliseconds()};
}

int32_t NetSession::GetPlayerSlotCount() const {
    for (int32_t i = playerCapacity - 1; i >= 0; --i) {
        if (players_[i].inUse != 0) return i + 1;
    }
    return 0;
}

int32_t NetSession::CountPlayers() const {
    int32_t count = 0;
    for (int32_t i = 0; i < playerCapacity; ++i) count += players_[i].inUse != 0 ? 1 : 0;
    return count;
}

int32_t NetSession::FindPlayerByDpid(uint32_t dpid) const {
    int32_t found = -1;
    for (int32_t i = 0; i < playerCapacity; ++i) {
        if (players_[i].inUse != 0 && players_[i].dpid == dpid) found = i;
    }
    return found;
}

int32_t NetSession::FindPlayerByUoid(int32_t uoid) const {
    int32_t found = -1;
    for (int32_t i = 0; i < playerCapacity; ++i) {
        if (players_[i].inUse != 0 && players_[i].shipUoid == uoid) found = i;
    }
    return found;
}

int32_t NetSession::FindItPlayer() const {
    for (int32_t i = 0; i < playerCapacity; ++i) {
        if (players_[i].inUse != 0 && players_[i].isIt != 0) return i;
    }
    return -1;
}

const char* NetSession::GetPlayerName(int32_t index) const { return InRange(index) ? players_[index].name : nullptr; }
int32_t NetSession::GetPlayerUoid(int32_t index) const { return InRange(index) ? players_[index].shipUoid : -1; }
uint32_t NetSession::GetPlayerDpid(int32_t index) const {
    return InRange(index) && players_[index].inUse != 0 ? players_[index].dpid : 0;
}

uint32_t NetSession::IsPlayerAcked(int32_t index) const {
    if (!InRange(index)) return 0;
    return players_[index].inUse == 0 ? 1 : players_[index].idAcked;
}

int32_t NetSession::GetPlayerKills(int32_t index) const { return InRange(index) ? players_[index].kills : 0; }
uint32_t NetSession::IsPlayerIt(int32_t index) const { return InRange(index) ? players_[index].isIt : 0; }

void NetSession::SetPlayerUoid(int32_t index, int32_t uoid) {
    if (InRange(index)) players_[index].shipUoid = uoid;
}
void NetSession::SetPlayerName(int32_t index, const char* name) {
    if (!InRange(index) || players_[index].inUse == 0) return;
    EngineRelease(players_[index].name);
    players_[index].name = EngineCopyText(name != nullptr ? name : "");
}
void NetSession::SetPlayerAcked(int32_t index, uint32_t flag) {
    if (InRange(index)) players_[index].idAcked = flag;
}
void NetSession::SetPlayerScore(int32_t index, int32_t value) {
    if (InRange(index)) players_[index].score = value;
}
void NetSession::SetPlayerKills(int32_t index, int32_t value) {
    if (InRange(index)) players_[index].kills = value;
}
void NetSession::AddPlayerScore(int32_t index, int32_t amount) {
    if (InRange(index)) players_[index].score += amount;
}
void NetSession::AddPlayerKills(int32_t index, int32_t amount) {
    if (!InRange(index)) return;
    players_[index].kills += amount;
    players_[index].careerKills += amount;
}

bool NetSession::TakeCreation(int32_t index, bool ship) {
    if (!InRange(index) || players_[index].inUse == 0) return false;
    if (!ship && CreationsAlive(index) >= kObjectsAlive) return false;
    NetPlayer& player = players_[index];
    const uint32_t window = GetMilliseconds() / (ship ? kShipWindowMs : kObjectWindowMs);
    uint32_t& current = ship ? player.shipWindow : player.objectWindow;
    int32_t& made = ship ? player.shipsMade : player.objectsMade;
    if (current != window) {
        current = window;
        made = 0;
    }
    if (made >= (ship ? 1 : kObjectsPerWindow)) return false;
    ++made;
    return true;
}

void NetSession::KeepCreation(int32_t index, SpaceObject* made) {
    if (!InRange(index) || made == nullptr) return;
    ObjectLink* const links = creations_ + size_t(index) * kObjectsAlive;
    for (int32_t i = 0; i < kObjectsAlive; ++i) {
        if (links[i].Get() == nullptr) {
            links[i] = made;
            return;
        }
    }
}

int32_t NetSession::CreationsAlive(int32_t index) const {
    if (!InRange(index)) return 0;
    const ObjectLink* const links = creations_ + size_t(index) * kObjectsAlive;
    int32_t alive = 0;
    for (int32_t i = 0; i < kObjectsAlive; ++i) alive += links[i].Get() != nullptr ? 1 : 0;
    return alive;
}

void NetSession::EndCreations(int32_t index) {
    if (!InRange(index)) return;
    ObjectLink* const links = creations_ + size_t(index) * kObjectsAlive;
    for (int32_t i = 0; i < kObjectsAlive; ++i) {
        SpaceObject* const object = links[i].Get();
        links[i] = nullptr;
        // Told to every machine as the host's own removals are.
        if (object != nullptr && object->active != 0) object->Destroy(nullptr, 0);
    }
}

bool NetRation::Take(uint32_t now, uint32_t windowMs, int32_t share) {
    const uint32_t current = now / windowMs;
    if (window != current) {
        window = current;
        taken = 0;
    }
    if (taken >= share) return false;
    ++taken;
    return true;
}

bool NetRation::Spent(uint32_t now, uint32_t windowMs, int32_t share) const {
    return window == now / windowMs && taken >= share;
}

bool NetSession::Owns(int32_t index, const SpaceObject* object) const {
    if (!InRange(index) || players_[index].inUse == 0 || object == nullptr) return false;
    if (players_[index].shipUoid >= 0 && object->uoid == players_[index].shipUoid) return true;
    const ObjectLink* const links = creations_ + size_t(index) * kObjectsAlive;
    for (int32_t i = 0; i < kObjectsAlive; ++i) {
        if (links[i].Get() == object) return true;
    }
    return false;
}

bool NetSession::TakePacket(uint32_t from) {
    const int32_t index = FindPlayerByDpid(from);
    return index >= 0 && players_[index].packets.Take(GetMilliseconds(), 1000, kPacketsPerPeerSecond);
}

bool NetSession::ShareSpent(uint32_t from) const {
    const int32_t index = FindPlayerByDpid(from);
    return index < 0 || players_[index].packets.Spent(GetMilliseconds(), 1000, kPacketsPerPeerSecond);
}

void NetSession::SetPlayerIt(int32_t index) {
    for (int32_t i = 0; i < playerCapacity; ++i) players_[i].isIt = 0;
    if (InRange(index)) players_[index].isIt = 1;
}
