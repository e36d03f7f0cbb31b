#include "platform/SessionSystemMessage.h"

#include <cstring>

namespace platform {
namespace {

void PutWord(std::vector<uint8_t>* out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out->push_back(static_cast<uint8_t>(value >> shift));
}

uint32_t GetWord(const uint8_t* at) {
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
           static_cast<uint32_t>(at[3]) << 24;
}

constexpr size_t kCreateHeader = 20;
constexpr size_t kDestroySize = 12;

}  // namespace

SessionSystemMessage SessionSystemMessage::CreatePlayer(uint32_t id, const SessionPlayerName& name) {
    SessionSystemMessage message;
    message.type = kCreatePlayerOrGroup;
    message.id = id;
    message.name = name;
    return message;
}

SessionSystemMessage SessionSystemMessage::DestroyPlayer(uint32_t id) {
    SessionSystemMessage message;
    message.type = kDestroyPlayerOrGroup;
    message.id = id;
    return message;
}

SessionSystemMessage SessionSystemMessage::SessionLost() {
    SessionSystemMessage message;
    message.type = kSessionLost;
    return message;
}

std::vector<uint8_t> SessionSystemMessage::Bytes() const {
    std::vector<uint8_t> out;
    PutWord(&out, type);
    if (type == kCreatePlayerOrGroup) {
        PutWord(&out, playerType);
        PutWord(&out, id);
        PutWord(&out, static_cast<uint32_t>(name.shortName.size()));
        PutWord(&out, static_cast<uint32_t>(name.longName.size()));
        for (const std::string* text : {&name.shortName, &name.longName}) {
            out.insert(out.end(), text->begin(), text->end());
            out.push_back(0);
        }
    } else if (type == kDestroyPlayerOrGroup) {
        PutWord(&out, playerType);
        PutWord(&out, id);
    }
    return out;
}

bool SessionSystemMessage::Read(const uint8_t* data, size_t size, SessionSystemMessage* out) {
    if (data == nullptr || size < 4) return false;
    *out = SessionSystemMessage();
    out->type = GetWord(data);
    if (out->type == kDestroyPlayerOrGroup) {
        if (size < kDestroySize) return false;
        out->playerType = GetWord(data + 4);
        out->id = GetWord(data + 8);
        return true;
    }
    if (out->type != kCreatePlayerOrGroup) return true;
    if (size < kCreateHeader) return false;
    out->playerType = GetWord(data + 4);
    out->id = GetWord(data + 8);
    const uint64_t shortLength = GetWord(data + 12);
    const uint64_t longLength = GetWord(data + 16);
    // 64-bit sums: two lengths near 2^32 must not wrap into a small total.
    if (kCreateHeader + shortLength + 1 + longLength + 1 > size) return false;
    const char* const shortName = reinterpret_cast<const char*>(data + kCreateHeader);
    const char* const longName = shortName + shortLength + 1;
    if (shortName[shortLength] != 0 || longName[longLength] != 0) return false;
    if (std::memchr(shortName, 0, shortLength) != nullptr || std::memchr(longName, 0, longLength) != nullptr) return false;
    out->name.shortName.assign(shortName, shortLength);
    out->name.longName.assign(longName, longLength);
    return true;
}

}  // namespace platform
