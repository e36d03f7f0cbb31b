#include "net/NetSession.h"

#include <cstring>

NetSession::NetSession(int32_t capacity) : playerCapacity(capacity > 0 ? capacity : 0), players_(new NetPlayer[size_t(playerCapacity)]) {}

NetSession::~NetSession() {
    for (int32_t i = 0; i < playerCapacity; ++i) EngineRelease(players_[i].name);
    delete[] players_;
}

uint32_t NetSession::Send(uint32_t, uint32_t, const void*, uint32_t) { return kNoInterface; }

uint32_t NetSession::SendToAll(uint32_t, const void*, uint32_t) { return kNoInterface; }

void NetSession::AnnounceKill(int32_t, int32_t) {}

uint32_t NetSession::SendGamePacket(const uint8_t* data, uint32_t size) {
    return isHost ? SendToAll(serverDpid, data, size) : Send(ownDpid, serverDpid, data, size);
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
uint32_t NetSession::GetPlayerDpid(int32_t index) const { return InRange(index) ? players_[index].dpid : 0; }

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
