#include "net/NetControlPackets.h"

#include <cstring>

#include "game/GameState.h"
#include "game/Mission.h"
#include "net/NetGameSettings.h"
#include "net/NetPacketReaders.h"
#include "net/NetPacketType.h"
#include "net/NetSession.h"
#include "net/PacketBytes.h"

namespace {

constexpr int32_t kMaxLogo = 18;

int32_t RecordCount(size_t count) { return count > size_t(INT32_MAX) ? INT32_MAX : int32_t(count); }

// A reader over exactly the declared bytes of a packet of that type and size.
std::optional<PacketReader> Exact(const uint8_t* data, uint32_t received, uint16_t type, uint32_t size) {
    const std::optional<NetPacketHeader> header = net_read::Header(data, received);
    if (!header || header->type != type || header->size != size) return std::nullopt;
    return PacketReader(data, header->size);
}

}  // namespace

void NetPacket::BuildControlPacket(uint16_t type) {
    const GameState* const game = g_gameState;
    switch (type) {
        case kIdAck:
        case kGameInfoRequest:
        case kStateRequest:
            if (!Allocate(NetPacketHeader::kBytes)) return;
            break;
        case kState:
            if (!Allocate(kStateBytes)) return;
            PacketWriter(data_, size_).I32(8, game != nullptr ? game->mode : 0);
            break;
        case kGameInfo: {
            if (!Allocate(kGameInfoBytes)) return;
            PacketWriter out(data_, size_);
            const NetGameSettings* const settings = game != nullptr ? game->netSettings : nullptr;
            const uint32_t gameType = settings != nullptr ? settings->gameType : 0;
            int32_t teams = settings != nullptr ? settings->teamCount : 0;
            // Games without teams report their players instead.
            if (gameType > 4) {
                const NetSession* const session = game->netSession;
                teams = session != nullptr ? session->CountPlayers() : 0;
            }
            out.U32(8, gameType);
            out.I32(12, teams);
            if (const Mission* const mission = game != nullptr ? game->mission : nullptr) {
                out.I32(16, RecordCount(mission->starFields.size()));
                out.I32(20, RecordCount(mission->spaceDust.size()));
                out.I32(24, RecordCount(mission->wallpapers.size()));
                out.I32(28, RecordCount(mission->lights.size()));
            }
            break;
        }
        default: return;
    }
    WriteHeader(type, PF_QUEUE_1);
}

void NetPacket::BuildUpdateTeam(uint16_t type, const char* playerName, const char* teamName, int32_t team,
                                int32_t logo, int32_t ready) {
    if (type != kUpdateTeam || !Allocate(kUpdateTeamBytes)) return;
    PacketWriter out(data_, size_);
    out.Text(8, net_read::kTeamNameBytes, teamName != nullptr ? teamName : "");
    out.Text(24, net_read::kTeamNameBytes, playerName != nullptr ? playerName : "");
    out.I32(40, team);
    out.I32(44, ready);
    out.I32(48, logo);
    WriteHeader(type, PF_QUEUE_1);
}

namespace net_read {

std::optional<GameInfo> ReadGameInfo(const uint8_t* data, uint32_t received) {
    std::optional<PacketReader> in = Exact(data, received, kGameInfo, NetPacket::kGameInfoBytes);
    if (!in) return std::nullopt;
    GameInfo info;
    info.gameType = in->U32(8);
    info.teamCount = in->I32(12);
    info.starFields = in->I32(16);
    info.spaceDust = in->I32(20);
    info.wallpapers = in->I32(24);
    info.lights = in->I32(28);
    if (!in->Ok()) return std::nullopt;
    return info;
}

std::optional<int32_t> ReadState(const uint8_t* data, uint32_t received) {
    std::optional<PacketReader> in = Exact(data, received, kState, NetPacket::kStateBytes);
    if (!in) return std::nullopt;
    const int32_t mode = in->I32(8);
    if (!in->Ok()) return std::nullopt;
    return mode;
}

std::optional<KillsUpdate> ReadKillsUpdate(const uint8_t* data, uint32_t received) {
    std::optional<PacketReader> in = Exact(data, received, kKillsUpdate, NetPacket::kKillsUpdateBytes);
    if (!in) return std::nullopt;
    KillsUpdate update;
    update.kills = in->I32(8);
    update.careerKills = in->I32(12);
    update.missions = in->I32(16);
    update.score = in->I32(20);
    update.accuracy = in->I32(24);
    update.face = in->I32(28);
    update.reward = in->I32(32);
    update.isIt = in->U32(36);
    update.playerId = in->U32(40);
    if (!in->Ok()) return std::nullopt;
    return update;
}

bool UpdateTeam::IsTeamRecord() const { return std::strcmp(playerName, kTeamRecordMark) == 0; }

std::optional<UpdateTeam> ReadUpdateTeam(const uint8_t* data, uint32_t received) {
    std::optional<PacketReader> in = Exact(data, received, kUpdateTeam, NetPacket::kUpdateTeamBytes);
    if (!in) return std::nullopt;
    UpdateTeam update;
    in->Text(8, kTeamNameBytes, update.teamName, kTeamNameBytes);
    in->Text(24, kTeamNameBytes, update.playerName, kTeamNameBytes);
    update.team = in->I32Within(40, -1, 1);
    update.ready = in->I32(44);
    update.logo = in->I32Within(48, update.IsTeamRecord() ? 0 : -1, kMaxLogo);
    if (!in->Ok()) return std::nullopt;
    return update;
}

std::optional<Message> ReadMessage(const uint8_t* data, uint32_t received) {
    const std::optional<NetPacketHeader> header = Header(data, received);
    if (!header || header->type != kMessage || header->size < NetPacket::kMessageFixedBytes + 3) return std::nullopt;
    PacketReader in(data, header->size);
    Message message;
    message.sound = in.I32(8);
    message.face = in.I32(12);
    if (!in.Ok()) return std::nullopt;
    // Three texts, each ending inside the packet, the last at its last byte.
    const char* texts[3] = {};
    uint32_t at = NetPacket::kMessageFixedBytes;
    for (const char*& text : texts) {
        if (at >= header->size) return std::nullopt;
        const void* const end = std::memchr(data + at, 0, header->size - at);
        if (end == nullptr) return std::nullopt;
        text = reinterpret_cast<const char*>(data + at);
        at = uint32_t(static_cast<const uint8_t*>(end) - data) + 1;
    }
    if (at != header->size) return std::nullopt;
    message.scope = texts[0];
    message.sender = texts[1];
    message.text = texts[2];
    return message;
}

}  // namespace net_read
