#include "tests/support/MusicFixtures.h"

#include <algorithm>

#include "tests/support/ChunkBuilder.h"

namespace {

// Delays are runs of bytes below 0x80, each adding its value.
void Delay(std::vector<uint8_t>& out, uint32_t ticks) {
    for (; ticks > 0x7F; ticks -= 0x7F) out.push_back(0x7F);
    if (ticks > 0) out.push_back(uint8_t(ticks));
}

void VariableLength(std::vector<uint8_t>& out, uint32_t value) {
    uint8_t groups[5];
    int n = 0;
    do {
        groups[n++] = uint8_t(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (n > 1) out.push_back(uint8_t(groups[--n] | 0x80));
    out.push_back(groups[0]);
}

}  // namespace

std::vector<uint8_t> XmidiTune(const std::vector<TuneNote>& notes, uint32_t endTick) {
    std::vector<uint8_t> events;
    uint32_t now = 0;
    for (const TuneNote& n : notes) {
        Delay(events, n.tick - std::min(n.tick, now));
        now = std::max(now, n.tick);
        events.insert(events.end(), {uint8_t(0x90 | (n.channel & 0x0F)), n.note, n.velocity});
        VariableLength(events, n.duration);
    }
    Delay(events, endTick - std::min(endTick, now));
    events.insert(events.end(), {0xFF, 0x2F, 0x00});
    const ChunkBuilder build;
    return build.Form("XMID", {build.Chunk("EVNT", events)});
}

std::vector<uint8_t> WaveFile(const WaveFormat& format, uint32_t frames) {
    const ChunkBuilder riff(ChunkBuilder::kRiff);
    const uint16_t frameBytes = uint16_t(format.channels * format.bits / 8);
    std::vector<uint8_t> fields = {uint8_t(format.tag), uint8_t(format.tag >> 8), uint8_t(format.channels),
                                   uint8_t(format.channels >> 8)};
    const std::vector<uint8_t> numbers = ChunkBuilder::Words({format.rate, format.rate * frameBytes});
    fields.insert(fields.end(), numbers.begin(), numbers.end());
    fields.insert(fields.end(), {uint8_t(frameBytes), uint8_t(frameBytes >> 8), uint8_t(format.bits), 0});
    std::vector<uint8_t> data;
    for (uint32_t i = 0; i < frames * frameBytes / 2; ++i) {
        const uint16_t s = (i / 40) % 2 != 0 ? 8000 : uint16_t(-8000);
        data.push_back(uint8_t(s));
        data.push_back(uint8_t(s >> 8));
    }
    return riff.Form("WAVE", {riff.Chunk("fmt ", fields), riff.Chunk("data", data)});
}
