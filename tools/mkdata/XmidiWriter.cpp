#include "tools/mkdata/XmidiWriter.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "engine/ByteOrder.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A delay byte adds at most this many ticks.
constexpr uint32_t kLongestDelayByte = 0x7F;

void PutNumber(Bytes& out, uint32_t value) {
    uint8_t groups[5];
    int count = 0;
    do {
        groups[count++] = uint8_t(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (count > 1) out.push_back(uint8_t(groups[--count] | 0x80));
    out.push_back(groups[0]);
}

Bytes Chunk(std::string_view id, const Bytes& body) {
    // Odd bodies are followed by a zero pad byte.
    Bytes out(8 + body.size() + (body.size() & 1), 0);
    std::memcpy(out.data(), id.data(), 4);
    StoreBe32(out.data() + 4, uint32_t(body.size()));
    if (!body.empty()) std::memcpy(out.data() + 8, body.data(), body.size());
    return out;
}

Bytes Group(std::string_view id, std::string_view type, const Bytes& children) {
    Bytes body(type.begin(), type.end());
    body.insert(body.end(), children.begin(), children.end());
    return Chunk(id, body);
}

}  // namespace

void XmidiWriter::Program(uint32_t tick, uint8_t channel, uint8_t program) {
    events_.push_back({tick, {uint8_t(0xC0 | channel), program}});
}

void XmidiWriter::Controller(uint32_t tick, uint8_t channel, uint8_t controller, uint8_t value) {
    events_.push_back({tick, {uint8_t(0xB0 | channel), controller, value}});
}

void XmidiWriter::Note(uint32_t tick, uint8_t channel, uint8_t note, uint8_t velocity, uint32_t duration) {
    Event event{tick, {uint8_t(0x90 | channel), note, velocity}};
    PutNumber(event.bytes, duration);
    events_.push_back(std::move(event));
}

std::vector<uint8_t> XmidiWriter::Events() const {
    std::vector<const Event*> order;
    for (const Event& event : events_) order.push_back(&event);
    std::stable_sort(order.begin(), order.end(), [](const Event* a, const Event* b) { return a->tick < b->tick; });
    Bytes out;
    uint32_t now = 0;
    const auto waitUntil = [&](uint32_t tick) {
        for (; now + kLongestDelayByte <= tick; now += kLongestDelayByte) out.push_back(uint8_t(kLongestDelayByte));
        if (now < tick) out.push_back(uint8_t(tick - now));
        now = std::max(now, tick);
    };
    for (const Event* event : order) {
        waitUntil(event->tick);
        out.insert(out.end(), event->bytes.begin(), event->bytes.end());
    }
    waitUntil(end_);
    out.insert(out.end(), {0xFF, 0x2F, 0x00});
    return out;
}

std::vector<uint8_t> XmidiWriter::File() const {
    const Bytes directory = Group("FORM", "XDIR", Chunk("INFO", Bytes{1, 0}));
    const Bytes sequences = Group("CAT ", "XMID", Group("FORM", "XMID", Chunk("EVNT", Events())));
    Bytes out = directory;
    out.insert(out.end(), sequences.begin(), sequences.end());
    return out;
}
