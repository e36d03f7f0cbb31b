// Reads any bytes as a received goal or sky packet. A reader that accepts
// must have found each text it gives inside the text area and ended there,
// exactly the size its type gives, and a sky record the sky's own reader
// finds sound; a read out of bounds aborts through the sanitizers.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "mission/SkyRecords.h"
#include "net/NetGoalPackets.h"
#include "net/NetPacketReaders.h"
#include "net/NetScenePackets.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

void RequireInside(const char* text, const uint8_t* begin, const uint8_t* end) {
    if (text == nullptr) return;
    const auto* const at = reinterpret_cast<const uint8_t*>(text);
    Require(at >= begin + NetPacket::kGoalNewFixedBytes && at < end);
    Require(std::memchr(at, 0, size_t(end - at)) != nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Exactly the bytes received, so that any read past them is caught.
    std::vector<uint8_t> bytes(data, data + size);
    const uint8_t* const p = bytes.data();
    const uint32_t n = uint32_t(std::min<size_t>(size, 0xFFFFFFFFu));
    const auto header = net_read::Header(p, n);
    if (!header) return 0;
    if (const auto goal = net_read::ReadGoalNew(p, n)) {
        Require(header->size >= NetPacket::kGoalNewFixedBytes);
        RequireInside(goal->objective, p, p + header->size);
        RequireInside(goal->second, p, p + header->size);
        Require(goal->subject >= -1 && goal->clock >= 0 && goal->clock <= 2);
    }
    if (const auto set = net_read::ReadSetGoal(p, n)) Require(header->size == NetPacket::kSetGoalBytes && set->form <= 1);
    if (const auto done = net_read::ReadGoalDone(p, n)) Require(header->size == NetPacket::kGoalDoneBytes && done->ship >= -1);
    if (const auto scene = net_read::ReadSceneRecord(p, n)) {
        Require(scene->index >= 0 && header->size == NetPacket::kSceneIndexBytes + scene->recordSize);
        Require(scene->record == p + NetPacket::kSceneIndexBytes);
    }
    return 0;
}
