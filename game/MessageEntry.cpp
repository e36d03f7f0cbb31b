#include "game/MessageEntry.h"

#include <algorithm>
#include <cstring>

#include "engine/ByteOrder.h"

namespace {

// The text that starts at `at` and ends before the chunk does; false when no
// NUL follows within it.
bool TextAt(std::span<const uint8_t> bytes, size_t at, std::string* text, size_t* next) {
    if (at >= bytes.size()) return false;
    const auto* const start = bytes.data() + at;
    const auto* const end = static_cast<const uint8_t*>(std::memchr(start, 0, bytes.size() - at));
    if (end == nullptr) return false;
    text->assign(reinterpret_cast<const char*>(start), size_t(end - start));
    *next = at + size_t(end - start) + 1;
    return true;
}

void PutName(std::vector<uint8_t>& bytes, size_t at, const std::string& name) {
    std::memcpy(bytes.data() + at, name.data(), std::min<size_t>(name.size(), MessageEntry::kNameBytes));
}

bool EndsWith(const std::string& text, const char* tail) {
    const size_t length = std::strlen(tail);
    return text.size() >= length && text.compare(text.size() - length, length, tail) == 0;
}

}  // namespace

bool MessageEntry::Decode(std::span<const uint8_t> bytes, MessageEntry* out) {
    if (bytes.size() < kFixedBytes || bytes.size() > kMaxBytes) return false;
    MessageEntry entry;
    const uint8_t* const data = bytes.data();
    std::memcpy(entry.missionName, data, kNameBytes);
    entry.launchFile.assign(reinterpret_cast<const char*>(data + kNameBytes),
                            strnlen(reinterpret_cast<const char*>(data + kNameBytes), kNameBytes));
    entry.launchFile += kLaunchExtension;
    int32_t words[10];
    for (int i = 0; i < 10; ++i) words[i] = int32_t(LoadLe32(data + 2 * kNameBytes + 4 * i));
    // Widened, so that a huge stored face cannot wrap into a small one.
    const int64_t face = int64_t(words[0]) + kFaceBias;
    if (face < -1 || face > INT32_MAX) return false;
    entry.face = int32_t(face);
    entry.offer = uint32_t(words[1]);
    entry.kind = words[2];
    entry.list = words[3];
    for (int i = 0; i < kConditions; ++i) entry.conditions[i] = words[4 + i];
    entry.read = words[7];
    entry.active = words[8];
    entry.lifetime = words[9];
    if (entry.list < kNews || entry.list > kVoice || entry.lifetime < 0) return false;
    size_t next = 0;
    if (!TextAt(bytes, kFixedBytes, &entry.title, &next) || !TextAt(bytes, next, &entry.body, &next)) return false;
    *out = std::move(entry);
    return true;
}

std::vector<uint8_t> MessageEntry::Encode() const {
    std::vector<uint8_t> bytes(kFixedBytes, 0);
    PutName(bytes, 0, std::string(missionName, strnlen(missionName, kNameBytes)));
    std::string launch = launchFile;
    if (EndsWith(launch, kLaunchExtension)) launch.resize(launch.size() - std::strlen(kLaunchExtension));
    PutName(bytes, kNameBytes, launch);
    const int32_t words[10] = {int32_t(int64_t(face) - kFaceBias), int32_t(offer), kind, list,
                               conditions[0], conditions[1], conditions[2], read, active, lifetime};
    for (int i = 0; i < 10; ++i) StoreLe32(bytes.data() + 2 * kNameBytes + 4 * i, uint32_t(words[i]));
    // Texts stop at their first NUL, as they read back.
    for (const std::string* text : {&title, &body}) {
        const size_t length = strnlen(text->c_str(), text->size());
        bytes.insert(bytes.end(), text->begin(), text->begin() + ptrdiff_t(length));
        bytes.push_back(0);
    }
    return bytes;
}

bool MessageEntry::operator==(const MessageEntry& other) const {
    return body == other.body && title == other.title && std::strncmp(missionName, other.missionName, kNameBytes) == 0 &&
           launchFile == other.launchFile && face == other.face && offer == other.offer && kind == other.kind &&
           list == other.list && std::equal(conditions, conditions + kConditions, other.conditions) &&
           read == other.read && active == other.active && lifetime == other.lifetime;
}
