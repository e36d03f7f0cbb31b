#pragma once
#include <cstdint>
#include <optional>

#include "net/NetPacket.h"

class NetSession;
struct NetInbound;

// The sky of a network game's mission: the host sends the records its
// mission built its star fields, space dust, wallpapers and lights from,
// one packet each with the record's index in its kind; a client builds the
// same sky from them, each kind strictly in order.
namespace net_read {

// UPDATE_STARFIELD, UPDATE_WALLPAPER, UPDATE_SPACEDUST or UPDATE_LIGHT at
// exactly its size, with an index of 0 or more and a record the sky's own
// reader finds sound. The record points into the received bytes.
struct SceneRecord {
    uint16_t type = 0;
    int32_t index = 0;
    const uint8_t* record = nullptr;
    uint32_t recordSize = 0;
};
std::optional<SceneRecord> ReadSceneRecord(const uint8_t* data, uint32_t received);

}  // namespace net_read

namespace net_handlers {

// A client takes the record only when its index is the count its mission
// holds of that kind, so repeats and records ahead of a missing one make nothing.
void SceneRecord(const NetInbound& packet);

// The host's whole sky, to all: every star-field record, then the space
// dust, the wallpapers and the lights, each kind from index 0. Nothing
// without a mission.
void SendSceneRecords(NetSession& session);

}  // namespace net_handlers
