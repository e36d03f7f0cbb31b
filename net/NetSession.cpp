#include "net/NetSession.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/Clock.h"
#include "engine/IffFile.h"
#include "game/CareerRecord.h"
#include "game/DataDirectories.h"
#include "game/EquipmentItem.h"
#include "game/GameState.h"
#include "net/NetPacket.h"
#include "net/NetPacketType.h"
#include "net/PacketBytes.h"
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
      players_(new NetPlayer[size_t(playerCapacity)]) {
    IffFile definitions(0);
    const std::string path = g_dataDirs.Prefix(DataDir::kData) + "temp.iff";
    const bool opened = g_dataDirs.Found(DataDir::kData) && definitions.OpenFile(path.c_str(), kOpenRead) == kStatusOk;
    for (const Template& item : kTemplates) {
        equipmentTemplates.Append(opened ? new EquipmentItem(item.name, definitions, item.kind)
                                         : new EquipmentItem(item.name, item.kind));
    }
}

NetSession::~NetSession() {
    for (EquipmentItem* item : equipmentTemplates) delete item;
    equipmentTemplates.Clear();
    for (int32_t i = 0; i < playerCapacity; ++i) EngineRelease(players_[i].name);
    delete[] players_;
    ClearSessionList();
    DeleteAll(queue1);
    DeleteAll(queue2);
    DeleteAll(queue3);
    DeleteAll(carryList);
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

int32_t NetSession::HostGame(uint32_t) {
    sessionDesc.application = kApplication;
    for (int32_t i = 0; i < playerCapacity; ++i) ClearPlayer(i);
    if (Host(0) != kSessionOk) return 0;
    const uint32_t id = CreatePlayer(PilotName(), "Server");
    serverDpid = ownDpid = id;
    CopyCareerFigures(AddPlayer(id, PilotName(), -1));
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
    ownDpid = CreatePlayer(PilotName(), "Client");
    AddPlayer(ownDpid, PilotName(), -1);
    if (g_connected != nullptr) g_connected(false, name, ownDpid);
    return 1;
}

void NetSession::SetName(const char* name) {
    if (name == nullptr) return;
    sessionDesc.name.assign(name, strnlen(name, kNameCharacters));
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
        NetPacket* const copy = NetPacket::CopyOf(bytes, size);
        if (copy == nullptr) return 0;
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

uint32_t NetSession::ElapsedMs() const { return GetMilliseconds() - creationTime; }

void NetSession::FlushFrame() {
    ++frameCount;
    // Once the join handling made the server our own player, silence means nothing.
    if (lastServerPacketTime > 0 && serverDpid != ownDpid &&
        ElapsedMs() > uint32_t(lastServerPacketTime) + kServerSilenceMs) {
        lastServerPacketTime = -1;
        DirectPlayLink::DestroyPlayer(serverDpid);
    }
    if (IsHost() && CountPlayers() > 1) {
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
    }
    DeleteAll(queue1);
    DeleteAll(queue2);
    DeleteAll(queue3);
}

int32_t NetSession::HandleMessage(uint32_t from, uint32_t to, const uint8_t* data, uint32_t size) {
    if (serverDpid != ownDpid && from == serverDpid) lastServerPacketTime = int32_t(ElapsedMs());
    PacketReader header(data, size);
    if (size < NetPacketHeader::kBytes) return 1;
    if (header.U16(0) == kMegapacket) {
        WalkMegapacket(from, to, data, size);
        return 1;
    }
    // Everything a client hears comes from its server.
    if (!IsHost()) serverDpid = from;
    return 1;
}

int32_t NetSession::WalkMegapacket(uint32_t from, uint32_t to, const uint8_t* data, uint32_t size) {
    PacketReader reader(data, size);
    const uint32_t total = reader.U16(2);
    if (!reader.Ok() || total < NetPacket::kMegapacketHeaderBytes || total > size) return -1;
    if ((reader.U32(4) & PF_TRACE) != 0) {
        std::fprintf(stderr, "Receiving MEGAPACKET with %ld subpackets.\n", long(reader.U32(8)));
    }
    uint32_t position = NetPacket::kMegapacketHeaderBytes;
    uint32_t remaining = total - position;
    int32_t handed = 0;
    while (remaining >= NetPacketHeader::kBytes) {
        const uint16_t type = reader.U16(position);
        const uint32_t inner = reader.U16(position + 2);
        if (inner < NetPacketHeader::kBytes || inner > remaining || type == kMegapacket) break;
        HandleMessage(from, to, data + position, inner);
        ++handed;
        position += inner;
        remaining -= inner;
    }
    return handed;
}

int32_t NetSession::OnCreatePlayer(uint32_t id, const char* shortName, const char*) {
    AddPlayer(id, shortName, -1);
    return 0;
}

int32_t NetSession::OnDestroyPlayer(uint32_t id) {
    // A client that lost its server addresses itself from now on.
    if (!IsHost() && id == serverDpid) serverDpid = ownDpid;
    const int32_t index = FindPlayerByDpid(id);
    if (index >= 0) ClearPlayer(index);
    return 0;
}

void NetSession::AnnounceKill(int32_t, int32_t) {}

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
    return 1;
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
void NetSession::SetPlayerDpid(int32_t index, uint32_t dpid) {
    if (InRange(index)) players_[index].dpid = dpid;
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

void NetSession::SetPlayerIt(int32_t index) {
    for (int32_t i = 0; i < playerCapacity; ++i) players_[i].isIt = 0;
    if (InRange(index)) players_[index].isIt = 1;
}
