#include "net/NetScenePackets.h"

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "engine/IffFile.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "game/Mission.h"
#include "mission/SkyRecords.h"
#include "net/NetHandlers.h"
#include "net/NetPacketReaders.h"
#include "net/NetPacketType.h"
#include "net/NetSession.h"
#include "net/PacketBytes.h"

namespace {

struct Kind {
    uint16_t type;
    uint32_t chunk;
    uint32_t recordBytes;
};

// In the order the host sends them.
constexpr Kind kKinds[] = {
    {kUpdateStarfield, sky_records::kStarChunk, Mission::kStarFieldBytes},
    {kUpdateSpacedust, sky_records::kDustChunk, Mission::kSpaceDustBytes},
    {kUpdateWallpaper, sky_records::kWallChunk, Mission::kWallpaperBytes},
    {kUpdateLight, sky_records::kLightChunk, Mission::kLightBytes},
};

const Kind* KindOf(uint16_t type) {
    for (const Kind& kind : kKinds) {
        if (kind.type == type) return &kind;
    }
    return nullptr;
}

template <size_t N>
const uint8_t* At(const std::vector<std::array<uint8_t, N>>& list, int32_t index) {
    return index >= 0 && size_t(index) < list.size() ? list[size_t(index)].data() : nullptr;
}

const uint8_t* RecordOf(const Mission& mission, uint16_t type, int32_t index) {
    switch (type) {
        case kUpdateStarfield: return At(mission.starFields, index);
        case kUpdateSpacedust: return At(mission.spaceDust, index);
        case kUpdateWallpaper: return At(mission.wallpapers, index);
        case kUpdateLight: return At(mission.lights, index);
        default: return nullptr;
    }
}

size_t HeldOf(const Mission& mission, uint16_t type) {
    switch (type) {
        case kUpdateStarfield: return mission.starFields.size();
        case kUpdateSpacedust: return mission.spaceDust.size();
        case kUpdateWallpaper: return mission.wallpapers.size();
        case kUpdateLight: return mission.lights.size();
        default: return 0;
    }
}

// The wallpaper and the dust read their definitions from "temp.iff" while
// it is open for this one record.
void CreateWithDefinitions(const net_read::SceneRecord& in) {
    IffFile definitions(0);
    const std::string path = g_dataDirs.Prefix(DataDir::kData) + "temp.iff";
    const bool open = g_dataDirs.Found(DataDir::kData) && definitions.OpenFile(path.c_str(), kOpenRead) == kStatusOk;
    IffFile* const reader = open ? &definitions : nullptr;
    if (in.type == kUpdateWallpaper) {
        sky_records::CreateWallpaper(reader, in.record, in.recordSize);
    } else {
        sky_records::CreateSpaceDust(reader, in.record, in.recordSize);
    }
    if (open) definitions.CloseFile();
}

}  // namespace

void NetPacket::WriteSceneRecord(uint16_t type, int32_t index) {
    const Kind* const kind = KindOf(type);
    const Mission* const mission = g_gameState != nullptr ? g_gameState->mission : nullptr;
    if (kind == nullptr || mission == nullptr) return;
    if (index < 0) index = 0;
    const uint8_t* const record = RecordOf(*mission, type, index);
    if (record == nullptr || !Allocate(kSceneIndexBytes + kind->recordBytes)) return;
    PacketWriter(data_, size_).I32(8, index);
    std::memcpy(data_ + kSceneIndexBytes, record, kind->recordBytes);
    WriteHeader(type, PF_QUEUE_1);
}

namespace net_read {

std::optional<SceneRecord> ReadSceneRecord(const uint8_t* data, uint32_t received) {
    const std::optional<NetPacketHeader> header = Header(data, received);
    const Kind* const kind = header ? KindOf(header->type) : nullptr;
    if (kind == nullptr || header->size != NetPacket::kSceneIndexBytes + kind->recordBytes) return std::nullopt;
    PacketReader in(data, header->size);
    SceneRecord scene;
    scene.type = header->type;
    scene.index = in.I32Within(8, 0, INT32_MAX);
    scene.record = data + NetPacket::kSceneIndexBytes;
    scene.recordSize = kind->recordBytes;
    if (!in.Ok() || !sky_records::Sound(kind->chunk, scene.record, scene.recordSize)) return std::nullopt;
    return scene;
}

}  // namespace net_read

namespace net_handlers {

void SceneRecord(const NetInbound& packet) {
    const Mission* const mission = g_gameState != nullptr ? g_gameState->mission : nullptr;
    if (mission == nullptr) return;
    const std::optional<net_read::SceneRecord> in = net_read::ReadSceneRecord(packet.data, packet.size);
    // A host tells each record once, and a sky has a handful of each kind:
    // past the bound a host would be making the client hold records without end.
    if (!in || size_t(in->index) != HeldOf(*mission, in->type) || in->index >= NetSession::kMostSkyRecords) return;
    switch (in->type) {
        case kUpdateStarfield: sky_records::CreateStarField(in->record, in->recordSize); break;
        case kUpdateLight: sky_records::CreateMissionLight(in->record, in->recordSize); break;
        default: CreateWithDefinitions(*in); break;
    }
}

void SendSceneRecords(NetSession& session) {
    const Mission* const mission = g_gameState != nullptr ? g_gameState->mission : nullptr;
    if (mission == nullptr) return;
    for (const Kind& kind : kKinds) {
        const size_t held = HeldOf(*mission, kind.type);
        for (size_t i = 0; i < held && i <= size_t(INT32_MAX); ++i) {
            NetPacket packet;
            packet.BuildScenePacket(kind.type, int32_t(i));
            if (packet.GetData() != nullptr) SendToAll(session, packet.GetData(), packet.GetSize());
        }
    }
}

}  // namespace net_handlers
